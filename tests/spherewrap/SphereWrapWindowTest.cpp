// The sphere-wrap window: the rebuild rule, the spin, failed blits, the
// VRML scene and its texture, the settings keys and the exporter's --sphere.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "spherewrap/SphereScene.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

const std::string kSample = std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

QRgb Rgb32(Colour c) { return qRgb(RedOf(c), GreenOf(c), BlueOf(c)); }
QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xff000000; }

struct ToolRun {
  int code = -1;
  std::string out, err;
};
ToolRun Start(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  return {p.exitCode(), p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}

// A file's CR LF lines; a bare LF or a missing last line end fails.
std::vector<std::string> Lines(const std::string& path) {
  QFile f(QString::fromStdString(path));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path;
  const std::string text = f.readAll().toStdString();
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 2) {
    end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(lines.back().find('\n'), std::string::npos);
  }
  EXPECT_TRUE(text.ends_with("\r\n"));
  return lines;
}

class SphereWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start("\"" + kSample + "\"");
    s.activeWindowCaption = [this] { return active; };
    s.copyToClipboard = [this](const QImage& img) { clipboard.push_back(img); };
  }
  void Open() { h.tess.Menu("mnuShearWrap").UserClick(); }
  std::string SaveScene(const char* name) {
    const std::string path = dir.filePath(name).toStdString();
    h.prompts.File(path);
    s.Menu("mnuFileSaveVRML2").UserClick();
    return path;
  }
  std::string LineOf(const char* name, const std::string& head) {
    for (const std::string& l : Lines(SaveScene(name)))
      if (l.starts_with(head)) return l;
    return "";
  }

  DesignerHarness h;
  frmSphereWrap& s = h.windows.sphereWrap;
  std::string active = "SphereWrap";
  std::vector<QImage> clipboard;
  QTemporaryDir dir;
};

TEST_F(SphereWindow, RebuildsOnActivationOnlyWhenTheTessellationChanged) {
  ASSERT_TRUE(h.program.TessImageChanged);
  Open();
  EXPECT_TRUE(s.IsVisible());
  EXPECT_FALSE(h.program.TessImageChanged);
  const QImage texture = s.sphere.Texture();
  EXPECT_EQ(texture.width(), 512);
  // The sphere shows in its 400 x 400 place on the window's back colour.
  EXPECT_EQ(s.SphereRect, QRect(16, 6, 400, 400));
  EXPECT_EQ(At(s.Surface().canvas.Image(), 5, 450), Rgb32(Palette16[8]));
  EXPECT_NE(At(s.Surface().canvas.Image(), 216, 206), Rgb32(Palette16[8]));

  // Drawn without a redraw: the flag stays clear and activation keeps the texture.
  h.tess.picT().canvas.backColour = Palette16[12];
  h.tess.picT().canvas.Clear();
  s.Form_Activate();
  EXPECT_EQ(s.sphere.Texture(), texture);
  // A tessellator redraw sets the flag; only activation takes the new picture.
  h.tess.Entry("vsTBackground").CommitEnter("14");
  EXPECT_EQ(s.sphere.Texture(), texture);
  s.Form_Activate();
  EXPECT_FALSE(h.program.TessImageChanged);
  EXPECT_EQ(At(s.sphere.Texture(), 0, 0), Rgb32(Palette16[14]));

  // Closing while it spins: hidden, stopped, released, and rebuilt on reopening.
  s.Check("chkRotate").SetValue(1);
  EXPECT_TRUE(s.Timer1Enabled());
  EXPECT_FALSE(s.Form_QueryUnload());
  EXPECT_FALSE(s.IsVisible());
  EXPECT_FALSE(s.Timer1Enabled());
  EXPECT_FALSE(s.sphere.HasPixels());
  EXPECT_TRUE(h.program.TessImageChanged);
  Open();
  EXPECT_TRUE(s.Timer1Enabled());
  EXPECT_TRUE(s.sphere.HasPixels());
}

TEST_F(SphereWindow, TurnsOnlyWhileActiveAndRotating) {
  Open();
  const int centre = s.sphere.SpinShift();
  const QImage first = s.Surface().canvas.Image();
  s.Tick();
  EXPECT_EQ(s.sphere.SpinShift(), centre);  // "Rotate" not ticked
  s.Check("chkRotate").UserClick();
  s.Tick();
  s.Tick();
  EXPECT_EQ(s.sphere.SpinShift(), centre - 20);  // speed -5 at the start
  EXPECT_NE(s.Surface().canvas.Image(), first);
  active = "Tessellator";
  s.Tick();
  EXPECT_EQ(s.sphere.SpinShift(), centre - 20);

  // A new quality rebuilds from the centre; the same one again does nothing.
  active = "SphereWrap";
  s.Entry("vtWidth").CommitEnter("3");
  EXPECT_EQ(s.sphere.Width(), 307);
  s.Tick();
  s.Entry("vtWidth").CommitEnter("3");
  EXPECT_EQ(s.sphere.SpinShift(), 154 - 10);
  // A new background rebuilds too, in its colour.
  s.Entry("vtBackSphere").CommitEnter("12");
  EXPECT_EQ(s.sphere.SpinShift(), 154);
  EXPECT_EQ(At(s.Surface().canvas.Image(), 17, 7), Rgb32(Palette16[12]));
}

TEST_F(SphereWindow, CopyAndPicturesAreTheSphereAt400) {
  Open();
  s.Menu("mnuEditCopy").UserClick();
  ASSERT_EQ(clipboard.size(), 1u);
  EXPECT_EQ(clipboard[0].size(), QSize(400, 400));
  h.prompts.File(dir.filePath("ball.png").toStdString());  // the extension is replaced
  s.Menu("mnuFileSaveBMP", 0).UserClick();
  EXPECT_EQ(h.prompts.log.back().title, "Saving SphereWrap bmp");
  EXPECT_EQ(QImage(dir.filePath("ball.bmp")).convertToFormat(QImage::Format_RGB32),
            clipboard[0].convertToFormat(QImage::Format_RGB32));
}

TEST_F(SphereWindow, FailedBlitsAreReportedAndTheWindowCarriesOn) {
  Open();
  s.Check("chkRotate").UserClick();
  s.sphere.Release();
  h.prompts.Answer_(Answer::OK);
  EXPECT_FALSE(s.ShowPalBGR(2));
  h.prompts.Answer_(Answer::OK);
  s.Menu("mnuEditCopy").UserClick();
  ASSERT_EQ(h.prompts.log.size(), 2u);
  EXPECT_EQ(h.prompts.log[0].text, "Blit Error");
  EXPECT_EQ(h.prompts.log[1].text, "Blit Error");
  EXPECT_TRUE(clipboard.empty());
  EXPECT_FALSE(s.Timer1Enabled());  // no message every tenth of a second
  s.Form_Activate();
  EXPECT_TRUE(s.sphere.HasPixels() && s.Timer1Enabled() && s.IsVisible());
}

TEST_F(SphereWindow, SceneLinesAsWritten) {
  Open();
  const char* expected[] = {
      "#VRML V2.0 utf8",
      "WorldInfo {",
      "title \"Whirligons\"",
      "info [",
      "\"Description: Whirligons\"",
      "\"Programming: Whirligons developers\"",
      "\"Created: January 2002\"",
      "] }",
      "#You can change the lighting manually by removing the comment before the appropriate line",
      "NavigationInfo {headlight TRUE type \"ALL\"}",
      "#DirectionalLight {}",
      "#SpotLight {location 0 0 25}",
      "PointLight {location 0 10 10}",
      "PointLight {location 10 -10 0}",
      "Viewpoint {position 0 0 3}",
      "#You can remove the Background by adding a # in front of the next line",
      "Background {skyColor  .5 , .5 , .5 }",
      "DEF Knot Transform {children [ DEF Click TouchSensor { } DEF MyRotate SphereSensor { }",
      "Shape { appearance Appearance {",
      "material Material {}",
      "texture ImageTexture {url \"ball.jpg\"}",
      "textureTransform TextureTransform {scale 4 4 }",
      "}",
      "geometry Sphere {}",
      "}",
      "] }",
      "DEF s Script {",
      "eventIn SFTime touch",
      "eventOut SFBool flag",
      "url \"javascript: function touch () {flag = false; }\"}",
      "DEF myClock TimeSensor { cycleInterval 30.0 loop TRUE }",
      "DEF Animation OrientationInterpolator {",
      "key [ 0,      .33,       .66,        1.0 ]",
      "keyValue [ 0 1 0 0, 0 1 0 2.1, 0 1 0 4.2, 0 1 0 0 ]}",
      "ROUTE Click.touchTime TO myClock.stopTime",
      "ROUTE Click.touchTime TO s.touch",
      "ROUTE s.flag TO Click.enabled",
      "ROUTE myClock.fraction_changed TO Animation.set_fraction",
      "ROUTE Animation.value_changed TO Knot.rotation",
      "ROUTE MyRotate.rotation_changed TO Knot.set_rotation"};
  EXPECT_EQ(Lines(SaveScene("ball.wrl")),
            std::vector<std::string>(std::begin(expected), std::end(expected)));
  EXPECT_EQ(h.prompts.log.back().title, "Saving SphereWrap as VRML");
  EXPECT_EQ(h.prompts.log.back().text, "VRML files|*.wrl");

  // Each channel is half on or off: 192 and 128 round up to on.
  const std::pair<int, const char*> skies[] = {
      {0, " 0 , 0 , 0 "}, {7, " .5 , .5 , .5 "}, {1, " 0 , 0 , .5 "}, {12, " .5 , 0 , 0 "}};
  for (const auto& [index, channels] : skies) {
    s.Entry("vtBackSphere").SetValue(std::to_string(index));
    EXPECT_EQ(LineOf("ball.wrl", "Background"),
              std::string("Background {skyColor ") + channels + "}");
  }
  s.Entry("vtVRML").CommitEnter("7");
  EXPECT_EQ(LineOf("ball.wrl", "textureTransform"),
            "textureTransform TextureTransform {scale 7 7 }");
}

TEST_F(SphereWindow, TextureBesideTheSceneAndOutsideReaders) {
  Open();
  const std::string scene = SaveScene("ball.wrl");
  const QImage canvas = h.tess.picT().canvas.Image();
  const QImage texture(dir.filePath("ball.jpg"));
  ASSERT_EQ(texture.size(), canvas.size());  // the flat tessellation, not the sphere
  for (const QPoint p : {QPoint(3, 3), QPoint(canvas.width() - 4, canvas.height() - 4)})
    EXPECT_LE(std::abs(qGray(texture.pixel(p)) - qGray(canvas.pixel(p))), 6);

  if (const QString djpeg = QStandardPaths::findExecutable("djpeg"); !djpeg.isEmpty()) {
    const ToolRun r = Start(djpeg, {dir.filePath("ball.jpg")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.starts_with("P6\n" + std::to_string(canvas.width()) + " " +
                                  std::to_string(canvas.height())));
  }
  const QString tool = QStandardPaths::findExecutable("tovrmlx3d");
  if (tool.isEmpty()) GTEST_SKIP() << "tovrmlx3d is not installed";
  const ToolRun r = Start(tool, {QString::fromStdString(scene), "--encoding", "classic"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("url \"ball.jpg\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("geometry Sphere"), std::string::npos);
}

TEST_F(SphereWindow, FailedScenesLeaveNoFilesAndSaySo) {
  Open();
  h.prompts.autoOk = true;
  auto files = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); };
  auto reported = [&] {
    return h.prompts.log.back().text.starts_with("Sorry, the VRML file could not be saved:\r\n");
  };
  SaveScene("none/ball.wrl");  // no such folder
  EXPECT_TRUE(reported());
  // The texture can be written but the scene cannot (a folder has its name).
  ASSERT_TRUE(QDir(dir.path()).mkdir("ball.wrl"));
  SaveScene("ball.wrl");
  EXPECT_TRUE(reported());
  EXPECT_TRUE(files().isEmpty());
  // A texture that was there before is left.
  QFile old(dir.filePath("ball.jpg"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
  old.close();
  SaveScene("ball.wrl");
  EXPECT_EQ(files(), QStringList{"ball.jpg"});
  // A scene named like its own texture would overwrite it.
  SaveScene("pic.jpg");
  EXPECT_TRUE(reported());
  EXPECT_EQ(files(), QStringList{"ball.jpg"});
}

TEST(SphereSettings, KeysAreTheBareNames) {
  QTemporaryDir dir;
  const std::string ini = dir.filePath("settings.ini").toStdString();
  {
    DesignerHarness h(OpenSettingsFile(ini));
    h.Start();
    h.windows.sphereWrap.Entry("vtWidth").CommitEnter("7");
    h.windows.sphereWrap.Entry("vtVRML").CommitEnter("2");
    h.windows.sphereWrap.Check("chkRotate").SetValue(1);
    h.form.Form_QueryUnload();
  }
  const auto stored = OpenSettingsFile(ini);
  EXPECT_EQ(stored->Get("vtWidth"), "7");
  EXPECT_EQ(stored->Get("vtBackSphere"), "8");
  EXPECT_EQ(stored->Get("vtVRML"), "2");
  EXPECT_EQ(stored->Get("chkRotate"), "1");
  EXPECT_FALSE(stored->Get("vtWidth0"));
  DesignerHarness again(OpenSettingsFile(ini));
  again.Start();
  EXPECT_EQ(again.windows.sphereWrap.Entry("vtWidth").Value(), "7");
  EXPECT_TRUE(again.windows.sphereWrap.Check("chkRotate").Checked());
}

TEST(SphereExport, SceneAndPicture) {
  QTemporaryDir dir;
  const QString sample = QString::fromStdString(kSample);
  ToolRun r =
      Start(WHIRLIGONS_EXPORTER, {"--sphere", "--size", "600x300", sample, dir.filePath("b.wrl")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(QImage(dir.filePath("b.jpg")).size(), QSize(600, 300));
  r = Start(WHIRLIGONS_EXPORTER, {"--sphere", "--quality", "2", sample, dir.filePath("s.png")});
  ASSERT_EQ(r.code, 0) << r.err;
  const QImage png(dir.filePath("s.png"));
  ASSERT_EQ(png.size(), QSize(400, 400));
  EXPECT_EQ(At(png, 0, 0), Rgb32(Palette16[8]));  // beyond the rim
  int drawn = 0;                                  // the tessellation across the middle
  for (int x = 100; x < 300; ++x) drawn += At(png, x, 200) != At(png, 200, 200);
  EXPECT_GT(drawn, 10);
  EXPECT_EQ(Start(WHIRLIGONS_EXPORTER, {"--sphere", sample, "/nonexistent/b.wrl"}).code, 1);
}

}  // namespace
}  // namespace wlg
