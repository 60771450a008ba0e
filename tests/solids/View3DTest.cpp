// The 3D window's logic: angles, file commands and the tabs it locks.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <functional>

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
  void BuildCube() {
    h.prompts.Answer_(Answer::Yes);
    h.form.Menu("mnuPlatonicCube").UserClick();
    ASSERT_TRUE(v().IsVisible());
    h.prompts.log.clear();
  }
  // Runs a save command that is answered with 'name' in the folder.
  void Save(const char* menu, const QString& name, int index = -1) {
    h.prompts.File(dir.filePath(name).toStdString());
    (index < 0 ? v().Menu(menu) : v().Menu(menu, index)).UserClick();
  }
  const testing::PromptRecord& Last(int back = 0) {
    return h.prompts.log[h.prompts.log.size() - 1 - back];
  }
  DesignerHarness h;
  QTemporaryDir dir;
};

// Phi is nudged off the degenerate views; over the pole the up vector turns
// down. Wrapping is checked through the keys by the Qt test.
TEST_F(View3DTest, PhiIsNudgedAndOverThePoleTheUpVectorTurnsDown) {
  v().Entry("vtPhi").CommitEnter("180");
  EXPECT_NEAR(v().PhiRad, kPi + 0.02, 1e-5);
  EXPECT_EQ(v().Entry("vtPhi").Value(), "181");
  v().Entry("vtPhi").CommitEnter("91");
  Matrix4 m;
  M3Ops().BuildViewFromAngles(m, 1, 500, v().PhiRad, -v().ThetaRad, 0, 0, 0, 0, -1, 0);
  EXPECT_EQ(v().ViewTransform.e, m.e);
}

TEST_F(View3DTest, FileCommandsSaveWhatIsShownAndReportFailures) {
  BuildCube();
  // A background of the faces' own colour (8 by default) is drawn apart.
  for (const char* colour : {"8", "12"}) {
    for (const int i : {1, 0}) v().Entry("vsBack3D", i).CommitEnter(colour);
    const QImage& pic = v().pic3D().canvas.Image();
    const QImage middle = pic.copy(pic.width() / 2 - 20, pic.height() / 2 - 20, 40, 40);
    for (int i = 0; i < 40 * 40; ++i) ASSERT_NE(middle.pixel(i % 40, i / 40), pic.pixel(0, 0));
  }
  // Pictures take their kind's extension, whatever was typed.
  Save("mnuFileSaveBMP", "knot.png", 0);
  const QImage bmp(dir.filePath("knot.bmp"));
  ASSERT_FALSE(bmp.isNull());
  EXPECT_EQ(bmp, v().pic3D().canvas.Image().convertToFormat(bmp.format()));
  Save("mnuFileSaveBMP", "knot.bmp", 1);
  EXPECT_FALSE(QImage(dir.filePath("knot.jpg")).isNull());

  std::vector<std::string> captions;
  h.form.ProgressDialog().onRefresh = [&] {
    captions.push_back(h.form.ProgressDialog().Caption());
  };
  h.prompts.autoOk = true;
  // The OBJ dialog offers the last name with its own extension. A folder
  // that does not exist: a clear message, no file.
  const char* kinds[][4] = {{"mnuFileSaveOBJ", "knot.obj", "OBJ", "OBJ file"},
                            {"mnuFileSaveGLTF", "knot.glb", "glTF", "glTF file"},
                            {"mnuFileSaveVRML2", "knot.wrl", "VRML", "VRML file"},
                            {"mnuFileSave3MF", "knot.stl", "3MF", "STL file"}};
  for (int i = 0; i < 2; ++i) h.prompts.Form(std::vector<std::string>{});  // the print dialog
  for (const auto& [menu, name, kind, what] : kinds) {
    Save(menu, name);
    EXPECT_EQ(Last().title, std::string("Saving 3D Whirligon as ") + kind);
    EXPECT_TRUE(QFile::exists(dir.filePath(name)));
    if (kind == kinds[0][2]) EXPECT_EQ(Last().defaultText, dir.filePath(name).toStdString());
    Save(menu, QString("no/such/") + name);
    EXPECT_TRUE(Last().text.starts_with(std::string("Sorry, the ") + what + " could not be saved:"))
        << Last().text;
  }
  EXPECT_FALSE(h.form.ProgressDialog().Visible());
  EXPECT_FALSE(QDir(dir.filePath("no")).exists());
  EXPECT_TRUE(std::any_of(captions.begin(), captions.end(),
                          [](const std::string& c) { return c.starts_with("Saving VRML2..."); }));

  // The materials file beside the mesh is the user's to keep: asked about,
  // and kept on No while the mesh is written.
  const QString mtl = dir.filePath("knot.mtl");
  WriteFile(mtl, "mine");
  h.prompts.Answer_(Answer::No);
  Save("mnuFileSaveOBJ", "knot.obj");
  EXPECT_EQ(Last().text, "knot.mtl already exists.\r\nDo you want to replace it?");
  EXPECT_EQ(ReadFile(mtl), QByteArray("mine"));
  EXPECT_TRUE(ReadFile(dir.filePath("knot.obj")).contains("\r\nmtllib knot.mtl\r\n"));
}

TEST_F(View3DTest, SaveNetAsksForTheEdgeRemembersItAndReportsBadOnes) {
  BuildCube();
  // A typed name without a known extension becomes a PDF.
  h.prompts.FileOptions({true});
  h.prompts.Input("60");
  Save("mnuFileSaveNet", "box.txt");
  EXPECT_EQ(Last(1).title, "Saving 3D Whirligon as a net");
  EXPECT_EQ(Last(1).options.size(), 5u);
  EXPECT_EQ(Last().title, "Net edge length");
  EXPECT_TRUE(ReadFile(dir.filePath("box.pdf")).startsWith("%PDF-"));
  // Engraving makes a laser file.
  h.prompts.FileOptions({false, false, true});
  h.prompts.Input("0");
  Save("mnuFileSaveNet", "box.svg");
  EXPECT_TRUE(ReadFile(dir.filePath("box.svg")).contains("inkscape:label=\"Engrave #000000\""));

  // A bad edge length or an unwritable folder: a message, no file.
  h.prompts.autoOk = true;
  for (const char* edge : {"5000", "nan"}) {
    h.prompts.Input(edge);
    Save("mnuFileSaveNet", "bad.pdf");
    EXPECT_EQ(Last().text,
              "Sorry, the net could not be saved:\r\nThe edge length must be 0, or from 1 to 2000 "
              "millimetres.")
        << edge;
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("bad.pdf")));
  h.prompts.Input("0");
  Save("mnuFileSaveNet", "no/such/box.pdf");
  EXPECT_TRUE(Last().text.starts_with("Sorry, the net could not be saved:\r\nFailed to save "));
  EXPECT_TRUE(h.prompts.AllAnswered());
}

// The print dialog's edge, colours and relief reach the file and are offered
// again; a bad number asks again, and Cancel writes nothing.
TEST_F(View3DTest, Save3mfTakesTheDialogsChoicesAndKeepsThem) {
  h.form.OpenPatternFile(WHIRLIGONS_SAMPLES_DIR "/sample.wlg");
  BuildCube();
  h.prompts.autoOk = true;
  h.prompts.Form(std::vector<std::string>{"45", "1", "1.5"});
  Save("mnuFileSave3MF", "cube");
  EXPECT_EQ(Last(2).options,
            (std::vector<std::string>{"&Edge length (mm):=30", "&Colours (filaments):=All used",
                                      "&Raised decoration (mm)=[ ]0.6"}));
  EXPECT_EQ(Last(1).text, "3MF files|*.3mf|STL files|*.stl");
  EXPECT_TRUE(ReadFile(dir.filePath("cube.3mf")).startsWith("PK"));
  // The note: every colour merged into one, and the relief's thin parts.
  const QString note = QString::fromStdString(Last().text), into = note.mid(note.indexOf(" -> "));
  EXPECT_TRUE(note.count(" -> ") > 1 && note.count(into.left(11)) == note.count(" -> ") &&
              note.contains("raised regions"))
      << Last().text;

  h.prompts.Form(std::vector<std::string>{"40", "All used", ""});
  Save("mnuFileSave3MF", "cube.Stl");
  ASSERT_EQ(Last().kind, "save");  // an STL without relief has nothing to note
  EXPECT_EQ(Last(1).options[2], "&Raised decoration (mm)=[x]1.5");
  // Standing on a face, the cube is as high as its edge.
  const QByteArray stl = ReadFile(dir.filePath("cube.Stl"));
  float top = 0;
  for (qsizetype at = 84 + 20; at + 4 <= stl.size(); at += 50)
    top = std::max(top, qFromLittleEndian<float>(stl.constData() + at));
  EXPECT_NEAR(top, 40, 1e-3);

  h.prompts.Form(std::vector<std::string>{"40", "All used", "0"});
  h.prompts.Form(std::nullopt);
  v().Menu("mnuFileSave3MF").UserClick();
  EXPECT_EQ(Last(2).options[2], "&Raised decoration (mm)=[ ]1.5");
  EXPECT_EQ(Last(1).text, frm3D::PrintNumbers);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"cube.3mf", "cube.Stl"}));
  EXPECT_TRUE(h.prompts.AllAnswered());
}

// A solid locks the designer tabs it does not use; every way of leaving the
// 3D window frees them again (the close box: the Qt test).
TEST(View3DTabs, EveryRouteThatHidesThe3DWindowFreesTheTabs) {
  const std::string sample = std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";
  const std::function<void(DesignerHarness&)> routes[] = {
      [](auto& h) { h.windows.view3D.Menu("mnuFileExit3D").UserClick(); },
      [&](auto& h) { h.prompts.Answer_(Answer::Discard), h.form.OpenPatternFile(sample); },
      [](auto& h) { h.form.Menu("mnuTessellator").UserClick(); },
      [](auto& h) { h.tess.Menu("mnuShearWrap").UserClick(); },
      [](auto& h) { h.form.SSTab1_Click(0); },  // a Platonic solid's tab
      [](auto& h) { h.prompts.Answer_(Answer::OK), h.form.chk("chkStar", 0).UserClick(); },
      [](auto& h) { h.form.Form_QueryUnload(); },  // the program closing
  };
  for (const auto& leave : routes) {
    SCOPED_TRACE(&leave - routes);
    DesignerHarness h;
    h.Start();
    h.prompts.autoOk = true;
    h.prompts.Answer_(Answer::Yes);  // the 3D geometry setup
    h.form.Menu("mnuPlatonicCube").UserClick();
    ASSERT_FALSE(h.form.TabEnabled(1));  // a cube shows tile 1 only
    leave(h);
    EXPECT_FALSE(h.windows.view3D.IsVisible());
    for (int t = 0; t < TileCount; ++t) EXPECT_TRUE(h.form.TabEnabled(t)) << t;
  }
}

// Dragging along an axis keeps the eye dot under the pointer, over the pole
// (an offset of -90 gives phi > pi/2) and behind (theta > pi) too, so the
// dot never jumps to the mirrored side.
TEST(NavigationDiscTest, DraggingAlongAnAxisKeepsTheEyeDotUnderThePointer) {
  const NavigationDisc disc(225);  // R = 100, centre (111.25, 111.25)
  const float c = 111.25f;
  NavAngles a;
  for (float off : {-90.f, -25.f, 30.f, 75.f}) {
    disc.Pick(kNavLeftButton, c, c + off, a);
    FPoint dot = disc.EyeDot(a.ThetaRad, a.PhiRad);
    EXPECT_NEAR(dot.y, c + off, 0.05) << off;
    disc.Pick(kNavLeftButton, c + off, c, a);
    dot = disc.EyeDot(a.ThetaRad, a.PhiRad);
    EXPECT_NEAR(dot.x, c + off, 0.05) << off;
  }
}

}  // namespace
}  // namespace wlg
