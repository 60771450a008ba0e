// The sphere wrap: texture squeeze, longitude lookup and spin (the table frame
// against the per-pixel one); the window, its VRML scene and the exporter.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <random>

#include "spherewrap/SphereMapping.h"
#include "spherewrap/SphereScene.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

constexpr int Grey = 7;

// A picture whose every column carries its own number (red + 256 x green),
// wide enough to be stretched once, so texture column c shows source column c.
QImage ColumnCoded(int width) {
  QImage img(width, width / 2, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < width; ++x) img.setPixel(x, y, qRgb(x & 255, x >> 8, 77));
  return img;
}
// The 1-based texture column a column-coded pixel came from.
int ColumnOf(QRgb p) { return qRed(p) + 256 * qGreen(p) + 1; }

// Frame pixel at column x (1..W) of row r (1..H from the bottom).
QRgb FramePixel(const SphereWrap& s, int x, int r) {
  return s.Frame().pixel(x - 1, s.Height() - r);
}

TEST(SphereMapping, QualityGivesTheSideAndTheTables) {
  for (auto [quality, side] : {std::pair{1, 102}, {2, 205}, {3, 307}, {10, 1024}})
    EXPECT_EQ(SphereWrap::SizeForQuality(quality), side);

  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, Grey);
  ASSERT_TRUE(s.HasPixels());
  EXPECT_EQ(QSize(s.Width(), s.Height()), QSize(512, 512));
  EXPECT_EQ(s.SphereCentre(), 256);
  EXPECT_EQ(s.SpinShift(), 256);
  // Row 1: half-chord sqrt(511) = 22.6, so the row starts at round(256 - 22.6 + 2).
  EXPECT_EQ(s.RowLeft(1), 235);
  EXPECT_FLOAT_EQ(s.RowRadius2(1), 21.0f * 21.0f);

  SphereWrap odd;  // an odd side: the centre is W / 2 rounded halves to even
  odd.SqueezePIC(ColumnCoded(307), 3, Grey);
  EXPECT_EQ(odd.SphereCentre(), 154);
}

TEST(SphereMapping, WidePicturesStretchOnceOthersTwice) {
  const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
  for (int width : {600, 400, 450}) {  // 600 > 300 x 1.5; 450 is not above it
    QImage img(width, 300, QImage::Format_RGB32);
    img.fill(blue);
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < width / 2; ++x) img.setPixel(x, y, red);
    SphereWrap s;
    s.SqueezePIC(img, 5, Grey);
    const int copy = width == 600 ? 512 : 256;  // texture columns one copy takes
    for (int x : {0, 127, 128, 255, 256, 383, 384, 511})
      EXPECT_EQ(s.Texture().pixel(x, 100), x % copy < copy / 2 ? red : blue) << width << " " << x;
  }
}

TEST(SphereMapping, LongitudeChoosesTheTextureColumn) {
  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, Grey);
  for (int shift : {256, 1, 384, 400, 512}) {
    s.SetSpinShift(shift);
    s.Rotate();
    auto wrapped = [](int u) { return u > 512 ? u - 512 : u; };
    // The centre column (dx = 0) is a quarter turn from the left rim.
    EXPECT_EQ(ColumnOf(FramePixel(s, 256, 256)), wrapped(shift + 128)) << shift;
    // Left rim shows SpinShift itself, the right rim half a texture further.
    EXPECT_EQ(ColumnOf(FramePixel(s, s.RowLeft(1), 1)), shift) << shift;
    EXPECT_EQ(ColumnOf(FramePixel(s, 512 - s.RowLeft(1), 1)), wrapped(shift + 256)) << shift;
  }
}

TEST(SphereMapping, SpinShiftJumpsToTheOtherEndAndSpeedZeroStandsStill) {
  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, Grey);
  // {scroll bar value, shift before a tick, after}: 2 x (10 - value) columns a tick;
  // past either end the shift jumps to the other end instead of wrapping round.
  const int cases[][3] = {{9, 511, 1},    {9, 1, 3},   {11, 2, 512},  {15, 5, 512},
                          {15, 512, 502}, {0, 510, 1}, {10, 300, 300}};
  for (auto [value, before, after] : cases) {
    s.GetSpeed(value);
    s.SetSpinShift(before);
    EXPECT_EQ(s.SpinTick(), value != 10) << value;
    EXPECT_EQ(s.SpinShift(), after) << value << " " << before;
  }
}

// The frame by table lookup and the frame computed pixel by pixel agree
// exactly, odd sides and wraps at both ends included.
TEST(SphereMapping, TableFrameMatchesPerPixelFrame) {
  for (int quality : {1, 3, 5, 7, 10}) {
    QImage noise(640, 360, QImage::Format_RGB32);
    std::generate_n(reinterpret_cast<quint32*>(noise.bits()), 640 * 360,
                    std::mt19937(1000u + quality));
    SphereWrap s;
    s.SqueezePIC(noise, quality, Grey);
    const int w = s.Width();
    std::vector<int> shifts = {1, 2, w / 2, w / 2 + 1, w - 1, w, 37, (3 * w) / 4};
    for (int shift = 1; w < 120 && shift <= w; ++shift) shifts.push_back(shift);
    for (int shift : shifts) {
      s.SetSpinShift(shift);
      s.SetBackCol(Grey);
      s.Rotate();
      const QImage fast = s.Frame().copy();
      s.SetBackCol(Grey);
      s.RotateReference();
      ASSERT_EQ(fast, s.Frame()) << "quality " << quality << " shift " << shift;
    }
  }
}

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

// A file's lines, each of which must end in CR LF.
std::vector<std::string> Lines(const std::string& path) {
  QFile f(QString::fromStdString(path));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path;
  const QByteArray text = f.readAll();
  EXPECT_TRUE(text.endsWith("\r\n") && text.count('\n') == text.count("\r\n"));
  std::vector<std::string> lines;
  for (const QString& l : QString::fromUtf8(text.left(text.size() - 2)).split("\r\n"))
    lines.push_back(l.toStdString());
  return lines;
}

class SphereWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start("\"" + kSample + "\"");
    s.activeWindowCaption = [this] { return active; };
    s.copyToClipboard = [this](const QImage& img) { clipboard.push_back(img); };
    h.tess.Menu("mnuShearWrap").UserClick();
  }
  // Saved again over its own texture, the user says Yes to replacing it.
  std::string SaveScene(const char* name) {
    const std::string path = dir.filePath(name).toStdString();
    h.prompts.File(path);
    if (const auto texture = SphereTextureName(path);
        texture && QFileInfo(QString::fromStdString(*texture)).isFile())
      h.prompts.Answer_(Answer::Yes);
    s.Menu("mnuFileSaveVRML2").UserClick();
    return path;
  }

  DesignerHarness h;
  frmSphereWrap& s = h.windows.sphereWrap;
  std::string active = "SphereWrap";
  std::vector<QImage> clipboard;
  QTemporaryDir dir;
};

TEST_F(SphereWindow, RebuildsOnlyWhenNeededAndTurnsOnlyWhileActive) {
  EXPECT_FALSE(h.program.TessImageChanged);  // opening took the picture
  const QImage texture = s.sphere.Texture();
  s.Form_Activate();
  EXPECT_EQ(s.sphere.Texture(), texture);
  // A tessellator redraw sets the flag; only activation takes the new picture.
  h.tess.Entry("vsTBackground").CommitEnter("14");
  EXPECT_EQ(s.sphere.Texture(), texture);
  s.Form_Activate();
  EXPECT_EQ(At(s.sphere.Texture(), 0, 0), Rgb32(Palette16[14]));

  // The spin turns only while "Rotate" is ticked and the window is active.
  const int centre = s.sphere.SpinShift();
  s.Check("chkRotate").UserClick();
  s.Tick();
  s.Tick();
  EXPECT_EQ(s.sphere.SpinShift(), centre - 20);  // speed -5 at the start
  active = "Tessellator";
  s.Tick();
  EXPECT_EQ(s.sphere.SpinShift(), centre - 20);

  // A new quality rebuilds from the centre; the same one again does nothing.
  active = "SphereWrap";
  s.Entry("vtWidth").CommitEnter("3");
  s.Tick();
  s.Entry("vtWidth").CommitEnter("3");
  EXPECT_EQ(s.sphere.SpinShift(), 154 - 10);
  // A new background rebuilds too, in its colour.
  s.Entry("vtBackSphere").CommitEnter("12");
  EXPECT_EQ(s.sphere.SpinShift(), 154);
  EXPECT_EQ(At(s.Surface().canvas.Image(), 17, 7), Rgb32(Palette16[12]));

  // Shut-down keeps the window's settings under their bare names.
  h.form.Form_QueryUnload();
  EXPECT_EQ(h.settings->Get("vtWidth"), "3");
  EXPECT_EQ(h.settings->Get("chkRotate"), "1");
  EXPECT_FALSE(h.settings->Get("vtWidth0"));
}

TEST_F(SphereWindow, CopyIsTheSphereAndFailedBlitsCarryOn) {
  s.Menu("mnuEditCopy").UserClick();
  ASSERT_EQ(clipboard.size(), 1u);
  EXPECT_EQ(clipboard[0].size(), QSize(400, 400));

  // A failed display or copy says so, once, and the window carries on.
  s.Check("chkRotate").UserClick();
  s.sphere.Release();
  h.prompts.log.clear();
  h.prompts.Answer_(Answer::OK);
  EXPECT_FALSE(s.ShowPalBGR(2));
  h.prompts.Answer_(Answer::OK);
  s.Menu("mnuEditCopy").UserClick();
  ASSERT_EQ(h.prompts.log.size(), 2u);
  for (const auto& message : h.prompts.log) EXPECT_EQ(message.text, "Blit Error");
  EXPECT_EQ(clipboard.size(), 1u);
  EXPECT_FALSE(s.Timer1Enabled());  // no message every tenth of a second
  s.Form_Activate();
  EXPECT_TRUE(s.sphere.HasPixels() && s.Timer1Enabled() && s.IsVisible());
}

// The scene's fixed lines are checked by the outside reader below; here
// the lines that follow the window's settings.
TEST_F(SphereWindow, SceneFollowsTheBackColourAndTheTextureScale) {
  const std::vector<std::string> lines = Lines(SaveScene("ball.wrl"));
  ASSERT_EQ(lines.size(), 40u);
  EXPECT_EQ(lines[20], "texture ImageTexture {url \"ball.jpg\"}");

  // Each channel is half on or off: 192 and 128 round up to on.
  const std::pair<int, const char*> skies[] = {
      {7, " .5 , .5 , .5 "}, {1, " 0 , 0 , .5 "}, {12, " .5 , 0 , 0 "}};
  for (const auto& [index, channels] : skies) {
    s.Entry("vtBackSphere").SetValue(std::to_string(index));
    EXPECT_EQ(Lines(SaveScene("ball.wrl")).at(16),
              std::string("Background {skyColor ") + channels + "}");
  }
  s.Entry("vtVRML").CommitEnter("7");
  EXPECT_EQ(Lines(SaveScene("ball.wrl")).at(21), "textureTransform TextureTransform {scale 7 7 }");
}

TEST_F(SphereWindow, TextureBesideTheSceneAndOutsideReaders) {
  const std::string scene = SaveScene("ball.wrl");
  const QImage canvas = h.tess.picT().canvas.Image();
  const QImage texture(dir.filePath("ball.jpg"));
  ASSERT_EQ(texture.size(), canvas.size());  // the flat tessellation, not the sphere

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
}

TEST_F(SphereWindow, FailedScenesLeaveNoFilesAndSaySo) {
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
  if (QFile old(dir.filePath("ball.jpg")); old.open(QIODevice::WriteOnly)) old.write("old");
  SaveScene("ball.wrl");
  EXPECT_EQ(files(), QStringList{"ball.jpg"});
}

TEST_F(SphereWindow, APictureNamedLikeTheTextureIsReplacedOnlyAfterYes) {
  const QString jpg = dir.filePath("ball.jpg");
  auto content = [&] {
    QFile f(jpg);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  };
  if (QFile f(jpg); f.open(QIODevice::WriteOnly)) f.write("mine");
  h.prompts.File(dir.filePath("ball.wrl").toStdString());
  h.prompts.Answer_(Answer::No);
  s.Menu("mnuFileSaveVRML2").UserClick();
  ASSERT_EQ(h.prompts.log.size(), 2u);  // the dialog, the question, and nothing more
  EXPECT_EQ(h.prompts.log[1].title, "Just checking");
  EXPECT_EQ(h.prompts.log[1].text, "ball.jpg already exists.\r\nDo you want to replace it?");
  EXPECT_EQ(h.prompts.log[1].buttons, Buttons::YesNo);
  EXPECT_EQ(content(), QByteArray("mine"));
  EXPECT_FALSE(QFile::exists(dir.filePath("ball.wrl")));

  SaveScene("ball.wrl");  // Yes
  EXPECT_EQ(h.prompts.log.size(), 4u);
  EXPECT_FALSE(QImage(jpg).isNull());
  EXPECT_TRUE(QFile::exists(dir.filePath("ball.wrl")));
}

// The exporter has no one to ask: without --yes it says what it would ask
// and leaves both files alone.
TEST(SphereExport, AsksBeforeReplacingThePictureBesideTheScene) {
  QTemporaryDir dir;
  const QString sample = QString::fromStdString(kSample);
  const QString wrl = dir.filePath("b.wrl"), jpg = dir.filePath("b.jpg");
  if (QFile f(jpg); f.open(QIODevice::WriteOnly)) f.write("mine");
  const ToolRun asked = Start(WHIRLIGONS_EXPORTER, {"--sphere", sample, wrl});
  EXPECT_EQ(asked.code, 1);
  EXPECT_NE(asked.err.find("b.jpg already exists.\nDo you want to replace it?"), std::string::npos)
      << asked.err;
  EXPECT_FALSE(QFile::exists(wrl));
  EXPECT_TRUE(QImage(jpg).isNull());  // still the bytes "mine"
  EXPECT_EQ(Start(WHIRLIGONS_EXPORTER, {"--sphere", "--yes", sample, wrl}).code, 0);
  EXPECT_FALSE(QImage(jpg).isNull());
  EXPECT_TRUE(QFile::exists(wrl));
}

TEST(SphereExport, SceneAndPicture) {
  QTemporaryDir dir;
  const QString sample = QString::fromStdString(kSample);
  const QString wrl = dir.filePath("b.wrl"), png = dir.filePath("s.png");
  EXPECT_EQ(Start(WHIRLIGONS_EXPORTER, {"--sphere", "--size", "600x300", sample, wrl}).code, 0);
  EXPECT_EQ(QImage(dir.filePath("b.jpg")).size(), QSize(600, 300));
  EXPECT_EQ(Start(WHIRLIGONS_EXPORTER, {"--sphere", "--quality", "2", sample, png}).code, 0);
  const QImage picture(png);
  ASSERT_EQ(picture.size(), QSize(400, 400));
  EXPECT_EQ(At(picture, 0, 0), Rgb32(Palette16[8]));  // beyond the rim
  EXPECT_NE(At(picture, 200, 200), Rgb32(Palette16[8]));
}

}  // namespace
}  // namespace wlg
