// The 3D window's logic: angles and their boxes, a roll from the disc, the
// phi spin, its controls in a pattern file, and its file commands.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>

#include "controls/Progress.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

constexpr double Pi = 3.14159265358979;

class View3DTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }

  frm3D& v() { return h.windows.view3D; }
  Matrix4 ViewWithUp(float up) {
    Matrix4 m;
    M3Ops().BuildViewFromAngles(m, 1, 500, v().PhiRad, -v().ThetaRad, 0, 0, 0, 0, up, 0);
    return m;
  }
  std::string Box(const char* name) { return v().Entry(name).Value(); }
  void BuildCube() {
    h.prompts.Answer_(Answer::Yes);
    h.form.Menu("mnuPlatonicCube").UserClick();
    ASSERT_TRUE(v().IsVisible());
    h.prompts.log.clear();
  }

  DesignerHarness h;
};

TEST_F(View3DTest, AnglesWrapNudgeTurnTheUpVectorAndShowInTheBoxes) {
  v().Entry("vtPhi").CommitEnter("180");
  EXPECT_NEAR(v().PhiRad, Pi + 0.02, 1e-5);
  EXPECT_EQ(Box("vtPhi"), "181");
  v().Entry("vtPhi").CommitEnter("0");
  EXPECT_EQ(v().PhiRad, 0.001f);
  EXPECT_EQ(Box("vtPhi"), "0");

  // Over the pole the up vector is turned down.
  v().Entry("vtPhi").CommitEnter("91");
  EXPECT_EQ(v().ViewTransform.e, ViewWithUp(-1).e);
  v().Entry("vtPhi").CommitEnter("271");
  EXPECT_EQ(v().ViewTransform.e, ViewWithUp(1).e);

  v().Entry("vtTheta").CommitEnter("270");
  EXPECT_NEAR(v().ThetaRad, Pi, 1e-5);  // -pi, wrapped once
  EXPECT_EQ(Box("vtTheta"), "270");

  v().Entry("vtPsi").CommitEnter("30");
  EXPECT_NEAR(v().PsiRad, -Pi / 6, 1e-6);
  EXPECT_EQ(Box("vtPsi"), "30");

  // A right click left of the disc rolls by half a turn; the boxes keep the picked angles.
  v().Entry("vtPhi").CommitEnter("0");
  const Matrix4 plain = v().ViewTransform;
  v().DrawNav(2, v().nav.NavCentre.x - v().nav.NavRadius - 3, v().nav.NavCentre.y);
  EXPECT_NEAR(v().PsiRad, -Pi, 1e-6);
  EXPECT_EQ(Box("vtPsi"), "180");
  EXPECT_NE(v().ViewTransform.e, plain.e);
  EXPECT_EQ(Box("vtPhi"), "0");
}

TEST_F(View3DTest, PhiSpinsWhileTimed) {
  // Phi spins by the vertical bar as it stands at the tick; below 0 wraps.
  v().Check("chkSpin", 0).SetValue(1);
  v().chkVScroll().SetValue(70);
  v().Show();
  const float phi = v().PhiRad, theta = v().ThetaRad;
  v().Tick();
  EXPECT_NEAR(v().PhiRad, phi - 0.1f + 2 * Pi, 1e-5);
  EXPECT_EQ(v().ThetaRad, theta);  // its own box is off
  v().Timer1Enabled = false;
  v().Tick();
  EXPECT_NEAR(v().PhiRad, phi - 0.1f + 2 * Pi, 1e-5);
}

TEST_F(View3DTest, APatternSavedWithTheSolidOpenReopensIt) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("solid.wlg").toStdString();
  h.prompts.Answer_(Answer::Yes);
  h.form.Menu("mnuArchiTOcta").UserClick();
  ASSERT_TRUE(v().IsVisible());
  v().chkHScroll().SetValue(30);
  v().Check("chkSpin", 0).SetValue(1);
  v().Entry("vsScale3D").CommitEnter("1.5");
  h.prompts.File(path);
  v().Menu("mnuFileSave").UserClick();  // the designer's save, from this window
  ASSERT_EQ(h.prompts.log.back().title, "Saving Whirligon configuration");

  DesignerHarness b;
  b.Start();
  b.prompts.File(path);
  b.form.Menu("mnuFileLoad").UserClick();
  ASSERT_EQ(b.prompts.log.size(), 1u);  // the open dialog, no question
  frm3D& w = b.windows.view3D;
  EXPECT_TRUE(w.IsVisible());
  EXPECT_EQ(b.model().SolidName, "TOcta");
  EXPECT_EQ(b.model().solid.PolyCount + 1, 14);
  EXPECT_TRUE(w.SpinPhi);
  EXPECT_EQ(w.Entry("vsScale3D").Value(), "1.5");
  EXPECT_FALSE(b.form.TabEnabled(2));
}

TEST_F(View3DTest, PicturesTakeTheKindsExtensionAndNeedABaseName) {
  BuildCube();
  QTemporaryDir dir;
  const QString base = dir.path() + "/";
  h.prompts.File((base + "view.png").toStdString());
  v().Menu("mnuFileSaveBMP", 0).UserClick();
  const QImage bmp(base + "view.bmp");
  ASSERT_FALSE(bmp.isNull());
  EXPECT_EQ(bmp, v().pic3D().canvas.Image().convertToFormat(bmp.format()));

  h.prompts.File((base + "view.bmp").toStdString());
  v().Menu("mnuFileSaveBMP", 1).UserClick();
  EXPECT_EQ(QImage(base + "view.jpg").size(), QSize(frm3D::PictureWidth, frm3D::PictureHeight));

  // Names with no point, or a one-letter base, write nothing and say nothing.
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(dir.path());
  for (const char* name : {"noext", "a.bmp"}) {
    h.prompts.File(name);
    v().Menu("mnuFileSaveBMP", 0).UserClick();
  }
  QDir::setCurrent(cwd);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"view.bmp", "view.jpg"}));
  for (const auto& p : h.prompts.log) EXPECT_EQ(p.kind, "save");
}

TEST_F(View3DTest, MeshAndSceneSavesShowProgressAndReportFailuresThenExit) {
  BuildCube();
  QTemporaryDir dir;
  h.prompts.File(dir.filePath("knot.bmp").toStdString());
  v().Menu("mnuFileSaveBMP", 0).UserClick();
  h.prompts.File(dir.filePath("knot.obj").toStdString());
  v().Menu("mnuFileSaveOBJ").UserClick();
  EXPECT_EQ(h.prompts.log.back().title, "Saving 3D Whirligon as OBJ");
  EXPECT_EQ(h.prompts.log.back().defaultText, dir.filePath("knot.obj").toStdString());
  EXPECT_TRUE(QFile::exists(dir.filePath("knot.obj")));

  std::vector<std::string> captions;
  h.form.ProgressDialog().onRefresh = [&] {
    captions.push_back(h.form.ProgressDialog().Caption());
  };
  h.prompts.File(dir.filePath("knot.wrl").toStdString());
  v().Menu("mnuFileSaveVRML2").UserClick();
  EXPECT_EQ(h.prompts.log.back().title, "Saving 3D Whirligon as VRML");
  ASSERT_FALSE(captions.empty());
  EXPECT_TRUE(captions.front().starts_with("Saving VRML2..."));
  EXPECT_FALSE(h.form.ProgressDialog().Visible());
  EXPECT_TRUE(QFile::exists(dir.filePath("knot.wrl")));

  // A folder that does not exist: a clear message, no file.
  h.prompts.autoOk = true;
  h.prompts.File(dir.filePath("no/such/knot.obj").toStdString());
  v().Menu("mnuFileSaveOBJ").UserClick();
  EXPECT_TRUE(h.prompts.log.back().text.starts_with("Sorry, the OBJ file could not be saved:"));
  h.prompts.File(dir.filePath("no/such/knot.wrl").toStdString());
  v().Menu("mnuFileSaveVRML2").UserClick();
  EXPECT_TRUE(h.prompts.log.back().text.starts_with("Sorry, the VRML file could not be saved:"));
  EXPECT_FALSE(h.form.ProgressDialog().Visible());
  EXPECT_FALSE(QDir(dir.filePath("no")).exists());

  v().Menu("mnuFileExit3D").UserClick();
  EXPECT_FALSE(v().IsVisible());
  EXPECT_EQ(h.model().SolidName, "1");
  for (int t = 0; t < TileCount; ++t) EXPECT_TRUE(h.form.TabEnabled(t));
}

}  // namespace
}  // namespace wlg
