// The 3D window's logic: the angles and their boxes, keys, dragging, the
// disc, the spin timer, its saved controls in settings and patterns, and its
// file commands.

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
  // Where a point of the world lands before the picture centre is added.
  Point4 Project(float x, float y, float z) {
    Point4 p, r;
    p(1) = x, p(2) = y, p(3) = z;
    M3Ops::TransformPoint(p, v().ViewTransform, r);
    return r;
  }
  Matrix4 ViewWithUp(float up) {
    Matrix4 m;
    M3Ops ops;
    ops.BuildViewFromAngles(m, 1, 500, v().PhiRad, -v().ThetaRad, 0, 0, 0, 0, up, 0);
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

TEST_F(View3DTest, AtLoadTheEyeLooksFromMinusZAndTheBoxesShowZero) {
  EXPECT_EQ(v().Caption(), "3D Whirligons");
  EXPECT_FALSE(v().IsVisible());
  EXPECT_EQ(Box("vtTheta"), "0");
  EXPECT_EQ(Box("vtPhi"), "0");
  EXPECT_EQ(Box("vtPsi"), "0");
  EXPECT_EQ(v().ThetaRad, 1.5707964f);
  EXPECT_EQ(v().PhiRad, 0.0f);  // not yet nudged: the load builds the view directly
  EXPECT_TRUE(v().Timer1Enabled);
  const Point4 origin = Project(0, 0, 0);
  EXPECT_NEAR(origin(1), 0, 1e-3);
  EXPECT_NEAR(origin(2), 0, 1e-3);
  EXPECT_GT(Project(0, 0, -100)(3), Project(0, 0, 100)(3));  // -z is nearer the eye
  // The solid is centred on the picture.
  EXPECT_EQ(h.model().SolidCentre.x, frm3D::PictureWidth / 2.0f);
  EXPECT_EQ(h.model().SolidCentre.y, frm3D::PictureHeight / 2.0f);
}

TEST_F(View3DTest, CheckAnglesWrapsNudgesAndTurnsTheUpVector) {
  v().Entry("vtPhi").CommitEnter("180");
  EXPECT_NEAR(v().PhiRad, Pi + 0.02, 1e-5);
  EXPECT_EQ(Box("vtPhi"), "181");

  v().Entry("vtPhi").CommitEnter("0");
  EXPECT_EQ(v().PhiRad, 0.001f);
  EXPECT_EQ(Box("vtPhi"), "0");

  v().Entry("vtPhi").CommitEnter("91");
  EXPECT_EQ(v().ViewTransform.e, ViewWithUp(-1).e);
  v().Entry("vtPhi").CommitEnter("271");
  EXPECT_EQ(v().ViewTransform.e, ViewWithUp(1).e);
  v().Entry("vtPhi").CommitEnter("45");
  EXPECT_EQ(v().ViewTransform.e, ViewWithUp(1).e);

  v().Entry("vtTheta").CommitEnter("0");
  EXPECT_FLOAT_EQ(v().ThetaRad, static_cast<float>(Pi / 2));
  EXPECT_EQ(Box("vtTheta"), "0");
  v().Entry("vtTheta").CommitEnter("270");
  EXPECT_NEAR(v().ThetaRad, Pi, 1e-5);  // -pi, wrapped once
  EXPECT_EQ(Box("vtTheta"), "270");
  v().Entry("vtTheta").CommitEnter("100");
  EXPECT_EQ(Box("vtTheta"), "100");

  // Each wrap is applied once per call.
  v().PhiRad = -0.1f;
  v().ThetaRad = 7.0f;
  v().CheckAngles();
  EXPECT_NEAR(v().PhiRad, 2 * Pi - 0.1, 1e-5);
  EXPECT_NEAR(v().ThetaRad, 7 - 2 * Pi, 1e-5);

  // The roll box shows the negated roll; a positive roll cannot be shown.
  v().Entry("vtPsi").CommitEnter("30");
  EXPECT_NEAR(v().PsiRad, -Pi / 6, 1e-6);
  EXPECT_EQ(Box("vtPsi"), "30");
  v().PsiRad = 0.5f;
  v().ShowViewingParameters();
  EXPECT_EQ(Box("vtPsi"), "0");
}

TEST_F(View3DTest, ArrowKeysTurnByNineDegreesAndOtherKeysDoNothing) {
  int redraws = 0;
  v().pic3D().onRefresh = [&] { ++redraws; };
  const float theta = v().ThetaRad;
  v().Form_KeyDown(frm3D::KeyLeft);
  EXPECT_FLOAT_EQ(v().ThetaRad, theta + 0.15707964f);
  EXPECT_EQ(Box("vtTheta"), "351");
  const float phi = v().PhiRad;  // 0, nudged to 0.001 by the first view built
  v().Form_KeyDown(frm3D::KeyRight);
  v().Form_KeyDown(frm3D::KeyRight);
  EXPECT_FLOAT_EQ(v().ThetaRad, theta - 0.15707964f);
  EXPECT_EQ(Box("vtTheta"), "9");
  v().Form_KeyDown(frm3D::KeyUp);
  EXPECT_FLOAT_EQ(v().PhiRad, phi + 0.15707964f);
  EXPECT_EQ(Box("vtPhi"), "9");
  v().Form_KeyDown(frm3D::KeyDown);
  v().Form_KeyDown(frm3D::KeyDown);
  EXPECT_EQ(Box("vtPhi"), "351");
  EXPECT_EQ(redraws, 6);
  v().Form_KeyDown(65);  // 'A'
  EXPECT_EQ(redraws, 6);
}

TEST_F(View3DTest, SpinTicksTurnOnlyWhileShownAndChecked) {
  v().chkHScroll().SetValue(60);
  v().Check("chkSpin", 1).SetValue(1);
  EXPECT_TRUE(v().SpinTheta);
  EXPECT_FLOAT_EQ(v().SpinSpeedTheta, 0.05f);

  const float theta = v().ThetaRad;
  v().Tick();  // hidden: nothing
  EXPECT_EQ(v().ThetaRad, theta);

  v().Show();
  v().Tick();
  EXPECT_FLOAT_EQ(v().ThetaRad, theta - 0.05f);
  v().Tick();
  EXPECT_FLOAT_EQ(v().ThetaRad, theta - 0.1f);

  // Phi spins by the vertical bar as it stands at the tick.
  v().Check("chkSpin", 1).SetValue(0);
  v().Check("chkSpin", 0).SetValue(1);
  v().chkVScroll().SetValue(70);
  EXPECT_FLOAT_EQ(v().SpinSpeedPhi, 0.1f);
  const float phi = v().PhiRad, thetaNow = v().ThetaRad;
  v().Tick();
  EXPECT_NEAR(v().PhiRad, phi - 0.1f + 2 * Pi, 1e-5);  // below 0 wraps
  EXPECT_EQ(v().ThetaRad, thetaNow);                   // theta's spin is off

  // Neither box checked, or the timer stopped: nothing.
  v().Check("chkSpin", 0).SetValue(0);
  const float still = v().PhiRad;
  v().Tick();
  EXPECT_EQ(v().PhiRad, still);
  v().Check("chkSpin", 0).SetValue(1);
  v().Timer1Enabled = false;
  v().Tick();
  EXPECT_EQ(v().PhiRad, still);
}

TEST_F(View3DTest, DraggingWithTheLeftButtonTurnsFromTheSecondMove) {
  const float theta = v().ThetaRad;
  v().pic3D_MouseDown(MouseButton::Left, 100, 100);
  EXPECT_EQ(v().LastMouseX, -1);
  v().pic3D_MouseMove(MouseButton::Left, 100, 100);
  EXPECT_EQ(v().ThetaRad, theta);
  const float phi = v().PhiRad;
  v().pic3D_MouseMove(MouseButton::Left, 136, 118);
  EXPECT_FLOAT_EQ(v().ThetaRad, theta - 36.0f / 180);
  EXPECT_NEAR(v().PhiRad, phi - 18.0f / 180 + 2 * Pi, 1e-5);
  const float after = v().ThetaRad;
  v().pic3D_MouseMove(MouseButton::Right, 10, 10);
  EXPECT_EQ(v().ThetaRad, after);
  v().pic3D_MouseUp(MouseButton::Left, 136, 118);
  v().pic3D_MouseMove(MouseButton::Left, 180, 118);  // a new drag starts afresh
  EXPECT_EQ(v().ThetaRad, after);
}

TEST_F(View3DTest, TheDiscPicksAnglesAndARollKeepsTheBoxes) {
  const FPoint c = v().nav.NavCentre;
  const float R = v().nav.NavRadius;
  v().Entry("vtTheta").CommitEnter("40");
  v().DrawNav(1, c.x, c.y);
  EXPECT_FLOAT_EQ(v().ThetaRad, static_cast<float>(Pi / 2));
  EXPECT_EQ(v().PhiRad, 0.001f);
  EXPECT_EQ(Box("vtTheta"), "0");

  // A right click left of the disc rolls by half a turn; the view is built
  // from turned angles, but the boxes keep the picked ones.
  const Matrix4 plain = v().ViewTransform;
  v().DrawNav(2, c.x - R - 3, c.y);
  EXPECT_NEAR(v().PsiRad, -Pi, 1e-6);
  EXPECT_EQ(Box("vtPsi"), "180");
  EXPECT_NE(v().ViewTransform.e, plain.e);
  EXPECT_FLOAT_EQ(v().ThetaRad, static_cast<float>(Pi / 2));
  EXPECT_EQ(Box("vtTheta"), "0");

  // Other buttons do nothing at all.
  int redraws = 0;
  v().pic3D().onRefresh = [&] { ++redraws; };
  v().DrawNav(4, c.x, c.y);
  v().DrawNav(3, c.x, c.y);
  EXPECT_EQ(redraws, 0);
}

TEST_F(View3DTest, TheBackColourEntryRepaintsThePicture) {
  BuildCube();
  v().Entry("vsBack3D", 1).CommitEnter("12");
  EXPECT_EQ(QColor(v().pic3D().canvas.Image().pixel(1, 1)), QColor(255, 0, 0));
  // The scale entry redraws: the cube grows.
  auto covered = [&] {
    const QImage& img = v().pic3D().canvas.Image();
    int n = 0;
    for (int y = 0; y < img.height(); y += 4)
      for (int x = 0; x < img.width(); x += 4) n += QColor(img.pixel(x, y)) != QColor(255, 0, 0);
    return n;
  };
  const int small = covered();
  v().Entry("vsScale3D").CommitEnter("1.5");
  EXPECT_GT(covered(), small * 2);
}

TEST_F(View3DTest, ControlsAndVrmlOptionsSurviveARestart) {
  QTemporaryDir dir;
  const std::string ini = dir.filePath("Whirligons.conf").toStdString();
  {
    DesignerHarness a(OpenSettingsFile(ini));
    a.Start();
    frm3D& w = a.windows.view3D;
    w.chkHScroll().SetValue(80);
    w.chkVScroll().SetValue(20);
    w.Check("chkSpin", 1).SetValue(1);
    w.Entry("vsScale3D").CommitEnter("2.5");
    w.Entry("vsBack3D", 1).CommitEnter("3");
    w.Menu("mnuEditVRMLLines").UserClick();
    a.form.Form_QueryUnload();
  }
  DesignerHarness b(OpenSettingsFile(ini));
  b.Start();
  frm3D& w = b.windows.view3D;
  EXPECT_EQ(w.chkHScroll().Value(), 80);
  EXPECT_EQ(w.chkVScroll().Value(), 20);
  EXPECT_TRUE(w.Check("chkSpin", 1).Checked());
  EXPECT_TRUE(w.SpinTheta);
  EXPECT_FLOAT_EQ(w.SpinSpeedTheta, 0.15f);
  EXPECT_EQ(w.Entry("vsScale3D").Value(), "2.5");
  EXPECT_EQ(w.Entry("vsBack3D", 1).Value(), "3");
  EXPECT_TRUE(w.Menu("mnuEditVRMLLines").Checked());
  EXPECT_FALSE(w.Menu("mnuEditVRMLSmooth").Checked());
  EXPECT_TRUE(b.form.VLines);
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

  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const std::string text = f.readAll().toStdString();
  EXPECT_NE(text.find("\r\nchkHScroll,0,30\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nchkSpin,0,1\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "TOcta\r\n");

  DesignerHarness b;
  b.Start();
  b.prompts.File(path);
  b.form.Menu("mnuFileLoad").UserClick();
  ASSERT_EQ(b.prompts.log.size(), 1u);  // the open dialog, no question
  frm3D& w = b.windows.view3D;
  EXPECT_TRUE(w.IsVisible());
  EXPECT_EQ(b.model().SolidName, "TOcta");
  EXPECT_EQ(b.model().solid.PolyCount + 1, 14);
  EXPECT_EQ(w.chkHScroll().Value(), 30);
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
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "Saving 3D Whirligon bmp");
  EXPECT_EQ(h.prompts.log[0].text, "BMP files|*.bmp");
  const QImage bmp(base + "view.bmp");
  ASSERT_FALSE(bmp.isNull());
  EXPECT_EQ(bmp, v().pic3D().canvas.Image().convertToFormat(bmp.format()));
  EXPECT_FALSE(QFile::exists(base + "view.png"));

  h.prompts.File((base + "view.bmp").toStdString());
  v().Menu("mnuFileSaveBMP", 1).UserClick();
  EXPECT_EQ(h.prompts.log.back().title, "Saving 3D Whirligon jpg");
  EXPECT_EQ(h.prompts.log.back().text, "JPG files|*.jpg");
  EXPECT_EQ(h.prompts.log.back().defaultText, (base + "view.png").toStdString());
  EXPECT_EQ(QImage(base + "view.jpg").size(), QSize(frm3D::PictureWidth, frm3D::PictureHeight));

  // Names with no point, or a one-letter base, write nothing and say nothing.
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(dir.path());
  h.prompts.File("noext");
  v().Menu("mnuFileSaveBMP", 0).UserClick();
  h.prompts.File("a.bmp");
  v().Menu("mnuFileSaveBMP", 0).UserClick();
  QDir::setCurrent(cwd);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
  h.prompts.File(std::nullopt);  // cancelled
  v().Menu("mnuFileSaveBMP", 0).UserClick();
  for (const auto& p : h.prompts.log) EXPECT_EQ(p.kind, "save");
}

TEST_F(View3DTest, MeshAndSceneSavesReportFailuresAndLeaveNothing) {
  BuildCube();
  QTemporaryDir dir;
  const std::string obj = dir.filePath("knot.obj").toStdString();

  h.prompts.File(dir.filePath("knot.bmp").toStdString());
  v().Menu("mnuFileSaveBMP", 0).UserClick();
  h.prompts.File(obj);
  v().Menu("mnuFileSaveOBJ").UserClick();
  EXPECT_EQ(h.prompts.log.back().title, "Saving 3D Whirligon as OBJ");
  EXPECT_EQ(h.prompts.log.back().text, "OBJ files|*.obj");
  EXPECT_EQ(h.prompts.log.back().defaultText, dir.filePath("knot.obj").toStdString());
  EXPECT_TRUE(QFile::exists(QString::fromStdString(obj)));

  std::vector<std::string> captions;
  h.form.ProgressDialog().onRefresh = [&] { captions.push_back(h.form.ProgressDialog().Caption()); };
  h.prompts.File(dir.filePath("knot.wrl").toStdString());
  v().Menu("mnuFileSaveVRML2").UserClick();
  EXPECT_EQ(h.prompts.log.back().title, "Saving 3D Whirligon as VRML");
  EXPECT_EQ(h.prompts.log.back().defaultText, dir.filePath("knot.wrl").toStdString());
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.front().rfind("Saving VRML2...", 0), 0u);
  EXPECT_FALSE(h.form.ProgressDialog().Visible());
  EXPECT_TRUE(QFile::exists(dir.filePath("knot.wrl")));

  // A folder that does not exist: one clear message, no file.
  const std::string missing = dir.filePath("no/such/folder/knot.obj").toStdString();
  h.prompts.autoOk = true;
  h.prompts.File(missing);
  v().Menu("mnuFileSaveOBJ").UserClick();
  EXPECT_EQ(h.prompts.log.back().text.rfind("Sorry, the OBJ file could not be saved:", 0), 0u);
  h.prompts.File(dir.filePath("no/such/folder/knot.wrl").toStdString());
  v().Menu("mnuFileSaveVRML2").UserClick();
  EXPECT_EQ(h.prompts.log.back().text.rfind("Sorry, the VRML file could not be saved:", 0), 0u);
  EXPECT_FALSE(h.form.ProgressDialog().Visible());
  EXPECT_FALSE(QDir(dir.filePath("no")).exists());
}

TEST_F(View3DTest, CopyExitAndClose) {
  BuildCube();
  QImage copied;
  v().copyToClipboard = [&](const QImage& image) { copied = image; };
  v().Menu("mnuCopy").UserClick();
  EXPECT_EQ(copied, v().pic3D().canvas.Image());

  v().Menu("mnuEditVRMLSmooth").UserClick();
  EXPECT_TRUE(v().Menu("mnuEditVRMLSmooth").Checked());
  EXPECT_TRUE(h.form.VSmooth);

  v().Menu("mnuFileExit3D").UserClick();
  EXPECT_FALSE(v().IsVisible());
  EXPECT_EQ(h.model().SolidName, "1");
  for (int t = 0; t < TileCount; ++t) EXPECT_TRUE(h.form.TabEnabled(t));

  BuildCube();
  EXPECT_FALSE(v().Form_QueryUnload());  // the user's close only hides it
  EXPECT_FALSE(v().IsVisible());
  EXPECT_EQ(h.model().SolidName, "Cube");
  h.program.AppClosing = true;
  EXPECT_TRUE(v().Form_QueryUnload());
}

}  // namespace
}  // namespace wlg
