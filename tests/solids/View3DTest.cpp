// The 3D window's logic: angles and their boxes, the navigation disc, the phi
// spin and its file commands. Its controls in a pattern file are checked with
// the pattern file.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>

#include "controls/Progress.h"
#include "solids/NavigationDisc.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

constexpr double kPi = 3.14159265358979;

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void WriteFile(const QString& path, const char* text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text);
}

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
  EXPECT_NEAR(v().PhiRad, kPi + 0.02, 1e-5);
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
  EXPECT_NEAR(v().ThetaRad, kPi, 1e-5);  // -pi, wrapped once
  EXPECT_EQ(Box("vtTheta"), "270");

  v().Entry("vtPsi").CommitEnter("30");
  EXPECT_NEAR(v().PsiRad, -kPi / 6, 1e-6);
  EXPECT_EQ(Box("vtPsi"), "30");
}

TEST_F(View3DTest, PhiSpinsWhileTimed) {
  // Phi spins by the vertical bar as it stands at the tick; below 0 wraps.
  v().Check("chkSpin", 0).SetValue(1);
  v().chkVScroll().SetValue(70);
  v().Show();
  const float phi = v().PhiRad, theta = v().ThetaRad;
  v().Tick();
  EXPECT_NEAR(v().PhiRad, phi - 0.1f + 2 * kPi, 1e-5);
  EXPECT_EQ(v().ThetaRad, theta);  // its own box is off
  v().Timer1Enabled = false;
  v().Tick();
  EXPECT_NEAR(v().PhiRad, phi - 0.1f + 2 * kPi, 1e-5);
}

TEST_F(View3DTest, FileCommandsSaveWhatIsShownReportFailuresAndExit) {
  BuildCube();
  QTemporaryDir dir;
  // Pictures take their kind's extension, whatever was typed.
  h.prompts.File(dir.filePath("knot.png").toStdString());
  v().Menu("mnuFileSaveBMP", 0).UserClick();
  const QImage bmp(dir.filePath("knot.bmp"));
  ASSERT_FALSE(bmp.isNull());
  EXPECT_EQ(bmp, v().pic3D().canvas.Image().convertToFormat(bmp.format()));
  h.prompts.File(dir.filePath("knot.bmp").toStdString());
  v().Menu("mnuFileSaveBMP", 1).UserClick();
  EXPECT_EQ(QImage(dir.filePath("knot.jpg")).size(),
            QSize(frm3D::PictureWidth, frm3D::PictureHeight));

  h.prompts.File(dir.filePath("knot.obj").toStdString());
  v().Menu("mnuFileSaveOBJ").UserClick();
  EXPECT_EQ(h.prompts.log.back().title, "Saving 3D Whirligon as OBJ");
  EXPECT_EQ(h.prompts.log.back().defaultText, dir.filePath("knot.obj").toStdString());
  EXPECT_TRUE(QFile::exists(dir.filePath("knot.obj")));
  // Its materials file beside it is the user's to keep: asked about, and
  // kept on No while the mesh is written.
  const QString mtl = dir.filePath("knot.mtl");
  const QByteArray materials = ReadFile(mtl);
  EXPECT_TRUE(materials.startsWith("# Whirligons colour groups"));
  for (const Answer answer : {Answer::No, Answer::Yes}) {
    WriteFile(mtl, "mine");
    WriteFile(dir.filePath("knot.obj"), "old");
    h.prompts.File(dir.filePath("knot.obj").toStdString());
    h.prompts.Answer_(answer);
    v().Menu("mnuFileSaveOBJ").UserClick();
    EXPECT_EQ(h.prompts.log.back().text, "knot.mtl already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(ReadFile(mtl), answer == Answer::Yes ? materials : QByteArray("mine"));
    EXPECT_TRUE(ReadFile(dir.filePath("knot.obj")).contains("\r\nmtllib knot.mtl\r\n"));
  }

  h.prompts.File(dir.filePath("knot.glb").toStdString());
  v().Menu("mnuFileSaveGLTF").UserClick();
  EXPECT_EQ(h.prompts.log.back().title, "Saving 3D Whirligon as glTF");
  EXPECT_EQ(h.prompts.log.back().defaultText, dir.filePath("knot.glb").toStdString());
  EXPECT_TRUE(ReadFile(dir.filePath("knot.glb")).startsWith("glTF"));

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
  h.prompts.File(dir.filePath("knot.wlg").toStdString());
  v().Menu("mnuFileSave").UserClick();  // the designer's save, from this window
  EXPECT_TRUE(QFile::exists(dir.filePath("knot.wlg")));

  // A folder that does not exist: a clear message, no file.
  h.prompts.autoOk = true;
  h.prompts.File(dir.filePath("no/such/knot.obj").toStdString());
  v().Menu("mnuFileSaveOBJ").UserClick();
  EXPECT_TRUE(h.prompts.log.back().text.starts_with("Sorry, the OBJ file could not be saved:"));
  h.prompts.File(dir.filePath("no/such/knot.glb").toStdString());
  v().Menu("mnuFileSaveGLTF").UserClick();
  EXPECT_TRUE(h.prompts.log.back().text.starts_with("Sorry, the glTF file could not be saved:"));
  EXPECT_NE(h.prompts.log.back().text.find("no/such/knot.glb"), std::string::npos);
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

TEST_F(View3DTest, SaveNetAsksForPagesAndEdgeAndWritesTheChosenKind) {
  BuildCube();
  QTemporaryDir dir;
  // A typed name without a known extension becomes a PDF; Letter is asked
  // for with the check box, the edge in the box after the dialog.
  h.prompts.File(dir.filePath("box.txt").toStdString());
  h.prompts.FileOptions({true});
  h.prompts.Input("60");
  v().Menu("mnuFileSaveNet").UserClick();
  ASSERT_TRUE(h.prompts.AllAnswered());
  const testing::PromptRecord& dialog = h.prompts.log[h.prompts.log.size() - 2];
  EXPECT_EQ(dialog.title, "Saving 3D Whirligon as a net");
  EXPECT_EQ(dialog.options, std::vector<std::string>{frm3D::NetLetterOption});
  EXPECT_EQ(h.prompts.log.back().title, frm3D::NetEdgeTitle);
  EXPECT_EQ(h.prompts.log.back().defaultText, "0");
  QFile pdf(dir.filePath("box.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
  EXPECT_EQ(v().LastNetOptions.edgeMm, 60);
  EXPECT_EQ(v().LastNetOptions.page, PageSize::Letter);

  // The choices come back next time; an SVG is written when named.
  h.prompts.File(dir.filePath("box.svg").toStdString());
  h.prompts.Input("0");
  v().Menu("mnuFileSaveNet").UserClick();
  EXPECT_EQ(h.prompts.log[h.prompts.log.size() - 2].defaultText,
            dir.filePath("box.pdf").toStdString());
  EXPECT_EQ(h.prompts.log[h.prompts.log.size() - 1].defaultText, "60");
  QFile svg(dir.filePath("box.svg"));
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  EXPECT_TRUE(svg.readAll().contains("inkscape:label=\"Glue tabs\""));

  // A bad edge length or an unwritable folder: a message, no file; a
  // cancelled edge box writes nothing either.
  h.prompts.autoOk = true;
  for (const char* edge : {"-3", "abc", "5000", "nan"}) {
    h.prompts.File(dir.filePath("bad.pdf").toStdString());
    h.prompts.Input(edge);
    v().Menu("mnuFileSaveNet").UserClick();
    EXPECT_EQ(h.prompts.log.back().text, std::string(frm3D::NetFailed) +
                                             "\r\nThe edge length must be 0, or from 1 to 2000 "
                                             "millimetres.")
        << edge;
  }
  h.prompts.File(dir.filePath("bad.pdf").toStdString());
  h.prompts.Input(std::nullopt);
  v().Menu("mnuFileSaveNet").UserClick();
  EXPECT_FALSE(QFile::exists(dir.filePath("bad.pdf")));
  h.prompts.File(dir.filePath("no/such/box.pdf").toStdString());
  h.prompts.Input("0");
  v().Menu("mnuFileSaveNet").UserClick();
  EXPECT_TRUE(
      h.prompts.log.back().text.starts_with(std::string(frm3D::NetFailed) + "\r\nFailed to save "));
  EXPECT_TRUE(h.prompts.AllAnswered());
}

// ---- the navigation disc

constexpr float kC = 111.25f;  // the centre on both axes

// Width 225 gives exact floats: R = 100, margins 11.25, centre (111.25, 111.25).
const NavigationDisc kDisc(225);

TEST(NavigationDiscTest, LeftClickInsideSetsAzimuthAndElevation) {
  struct Case {
    float x, y;
    double phi, theta;
  } cases[] = {
      {kC, kC, 0, 1.5707964},      // the centre: the view at load
      {kC, 11.25f, 2, 1.5707964},  // top of the circle: |a'| = 1, t1 = 1
      {161.25f, 161.25f, -2 * std::asin(0.25), -2 * std::asin(0.25) + kPi / 2},
  };
  for (const Case& c : cases) {
    NavAngles a{.ThetaRad = 2, .PhiRad = 1, .PsiRad = -0.5f};
    EXPECT_TRUE(kDisc.Pick(kNavLeftButton, c.x, c.y, a));
    EXPECT_FLOAT_EQ(a.PhiRad, static_cast<float>(c.phi)) << c.x << "," << c.y;
    EXPECT_FLOAT_EQ(a.ThetaRad, static_cast<float>(c.theta)) << c.x << "," << c.y;
    EXPECT_EQ(a.PsiRad, -0.5f);
  }
}

TEST(NavigationDiscTest, RightClickOutsideSetsTheRollAndNothingElseChangesAngles) {
  struct Case {
    float x, y;
    double psi;
  } cases[] = {
      {215, kC, 0},
      {7, kC, -kPi},
      {kC, 215, 1.5707964},
      {11.25f, 211.25f, -kPi / 4 - kPi},
  };
  for (const Case& c : cases) {
    NavAngles a;
    EXPECT_TRUE(kDisc.Pick(kNavRightButton, c.x, c.y, a));
    EXPECT_FLOAT_EQ(a.PsiRad, static_cast<float>(c.psi)) << c.x << "," << c.y;
  }
  const NavAngles before{.ThetaRad = 0.7f, .PhiRad = 0.2f, .PsiRad = -0.1f};
  NavAngles a = before;
  // Right inside (the circle counts as inside) and left outside only redraw.
  EXPECT_TRUE(kDisc.Pick(kNavRightButton, 120, 100, a));
  EXPECT_TRUE(kDisc.Pick(kNavRightButton, 211.25f, kC, a));
  EXPECT_TRUE(kDisc.Pick(kNavLeftButton, 215, kC, a));
  for (int16_t b : {0, 3, 4}) EXPECT_FALSE(kDisc.Pick(b, kC, kC, a)) << b;
  EXPECT_EQ(a.ThetaRad, before.ThetaRad);
  EXPECT_EQ(a.PhiRad, before.PhiRad);
  EXPECT_EQ(a.PsiRad, before.PsiRad);
}

TEST(NavigationDiscTest, DraggingAlongAnAxisKeepsTheEyeDotUnderThePointer) {
  // Over the pole (offset -90 gives phi > pi/2) and behind (theta > pi) too.
  NavAngles a;
  for (float off : {-90.f, -25.f, 0.f, 30.f, 75.f}) {
    kDisc.Pick(kNavLeftButton, kC, kC + off, a);
    FPoint dot = kDisc.EyeDot(a.ThetaRad, a.PhiRad);
    EXPECT_NEAR(dot.x, kC, 0.05) << off;
    EXPECT_NEAR(dot.y, kC + off, 0.05) << off;
    kDisc.Pick(kNavLeftButton, kC + off, kC, a);
    dot = kDisc.EyeDot(a.ThetaRad, a.PhiRad);
    EXPECT_NEAR(dot.x, kC + off, 0.05) << off;
    EXPECT_NEAR(dot.y, kC, 0.05) << off;
  }
  // Across the pole the dot stays on its side.
  EXPECT_GT(kDisc.EyeDot(0.97f, 2.0f).x, kC + 10);
}

}  // namespace
}  // namespace wlg
