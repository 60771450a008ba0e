// The sphere wrap: texture squeeze, longitude lookup and spin (the table frame
// against the per-pixel one); the window and its VRML scene.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "spherewrap/SphereMapping.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

constexpr int Grey = 7;
// Each pixel of a square picture carries its column and row; it is stretched
// to two copies round the sphere. The table frame matches the per-pixel one
// exactly; at quality 5 the left rim shows SpinShift, the centre a quarter
// turn on, the right rim half.
TEST(SphereMapping, FramesShowTheTurnedLongitudes) {
  QImage coded(256, 256, QImage::Format_RGB32);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) coded.setPixel(x, y, qRgb(x, 0, y));
  for (int quality : {1, 5, 7}) {
    SphereWrap s;
    s.SqueezePIC(coded, quality, Grey);
    const int w = s.Width();
    auto at = [&](int x, int r) { return qRed(s.Frame().pixel(x - 1, s.Height() - r)) + 1; };
    auto copy = [&](int u) { return ((u > w ? u - w : u) - 1) % 256 + 1; };
    std::vector<int> shifts = {1, w / 2 + 1, w - 1, w};
    for (int shift = 2; w < 120 && shift < w - 1; ++shift) shifts.push_back(shift);
    for (int shift : shifts) {
      s.SetSpinShift(shift);
      s.SetBackCol(Grey);
      s.RotateReference();
      const QImage reference = s.Frame().copy();
      s.SetBackCol(Grey);
      s.Rotate();
      ASSERT_EQ(s.Frame(), reference) << quality << " " << shift;
      if (quality != 5) continue;
      EXPECT_EQ(at(s.RowLeft(1), 1), copy(shift));
      EXPECT_EQ(at(256, 256), copy(shift + 128)) << shift;
      EXPECT_EQ(at(512 - s.RowLeft(1), 1), copy(shift + 256)) << shift;
    }
    // A tick past the end jumps to the other end instead of wrapping round.
    s.GetSpeed(11);
    s.SetSpinShift(2);
    EXPECT_TRUE(s.SpinTick() && s.SpinShift() == w);
  }
}

// A picture up to one and a half times as wide as high goes round the
// sphere twice; a wider one once.
TEST(SphereMapping, WidePicturesGoRoundOnce) {
  for (const auto [width, copies] : {std::pair{384, 2}, std::pair{386, 1}}) {
    QImage halves(width, 256, QImage::Format_RGB32);
    halves.fill(Qt::red);
    for (int y = 0; y < 256; ++y)
      for (int x = width / 2; x < width; ++x) halves.setPixel(x, y, qRgb(0, 0, 255));
    SphereWrap s;
    s.SqueezePIC(halves, 5, Grey);
    const QImage& t = s.Texture();
    EXPECT_EQ(qBlue(t.pixel(t.width() * 3 / 8, 0)), copies == 2 ? 255 : 0) << width;
  }
}

const std::string kSample = std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

class SphereWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start("\"" + kSample + "\"");
    s.activeWindowCaption = [this] { return active; };
    s.copyToClipboard = [this](const QImage& img) { clipboard.push_back(img); };
    h.tess.Menu("mnuShearWrap").UserClick();
  }
  // Saves ball.wrl (or NAME), saying Yes to replacing its own texture; returns its CR LF lines.
  std::vector<std::string> SaveScene(const char* name = "ball.wrl") {
    const QString path = dir.filePath(name);
    h.prompts.File(path.toStdString());
    if (QFile::exists(dir.filePath("ball.jpg"))) h.prompts.Answer_(Answer::Yes);
    s.Menu("mnuFileSaveVRML2").UserClick();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.endsWith("\r\n") && text.count('\n') == text.count("\r\n"));
    std::vector<std::string> lines;
    for (const QString& l : text.chopped(2).split("\r\n")) lines.push_back(l.toStdString());
    return lines;
  }

  testing::DesignerHarness h;
  frmSphereWrap& s = h.windows.sphereWrap;
  std::string active = "SphereWrap";
  std::vector<QImage> clipboard;
  QTemporaryDir dir;
};

TEST_F(SphereWindow, RebuildsOnlyWhenNeededTurnsOnlyWhileActiveAndFailedBlitsCarryOn) {
  h.tess.Entry("vsTBackground").CommitEnter("14");
  s.Form_Activate();
  const Colour c = Palette16[14];
  EXPECT_EQ(s.sphere.Texture().pixel(0, 0) | 0xff000000, qRgb(RedOf(c), GreenOf(c), BlueOf(c)));

  const int centre = s.sphere.SpinShift();
  s.Check("chkRotate").UserClick();
  s.Tick();
  s.Tick();
  active = "Tessellator";
  s.Tick();
  EXPECT_EQ(s.sphere.SpinShift(), centre - 20);  // speed -5, and only while active

  // A new quality rebuilds from the centre: side 307, 153.5 rounds to even.
  s.Entry("vtWidth").CommitEnter("3");
  EXPECT_EQ(s.sphere.SpinShift(), 154);

  s.Menu("mnuEditCopy").UserClick();
  EXPECT_EQ(clipboard.at(0).size(), QSize(400, 400));
  // A failed display or copy says so, once, and the window carries on.
  s.sphere.Release();
  h.prompts.log.clear();
  h.prompts.autoOk = true;
  EXPECT_FALSE(s.ShowPalBGR(2));
  s.Menu("mnuEditCopy").UserClick();
  EXPECT_EQ(h.prompts.log.size(), 2u);
  EXPECT_EQ(h.prompts.log.at(1).text, "Blit Error");
  EXPECT_FALSE(s.Timer1Enabled());  // no message every tenth of a second
  s.Form_Activate();
  EXPECT_TRUE(s.sphere.HasPixels() && s.Timer1Enabled() && s.IsVisible());
  // Shut-down keeps the window's settings under their bare names.
  h.form.Form_QueryUnload();
  EXPECT_EQ(h.settings->Get("vtWidth"), "3");
  EXPECT_EQ(h.settings->Get("chkRotate"), "1");
}

TEST_F(SphereWindow, SceneFollowsTheSettingsAndOutsideReadersTakeIt) {
  ASSERT_EQ(SaveScene().size(), 40u);
  // The texture is the flat tessellation, not the sphere.
  const QImage canvas = h.tess.picT().canvas.Image();
  EXPECT_EQ(QImage(dir.filePath("ball.jpg")).size(), canvas.size());
  QProcess x3d;
  x3d.start("tovrmlx3d", {dir.filePath("ball.wrl"), "--encoding", "classic"});
  ASSERT_TRUE(x3d.waitForFinished(60000));
  EXPECT_TRUE(x3d.exitCode() == 0 && x3d.readAllStandardError().isEmpty());
  EXPECT_TRUE(x3d.readAllStandardOutput().contains("url \"ball.jpg\""));
  // Each sky channel is half on or off: 192 rounds up to on.
  s.Entry("vtVRML").CommitEnter("7");
  s.Entry("vtBackSphere").SetValue("7");
  const std::vector<std::string> again = SaveScene();
  EXPECT_EQ(again.at(16), "Background {skyColor  .5 , .5 , .5 }");
  EXPECT_EQ(again.at(21), "textureTransform TextureTransform {scale 7 7 }");

  // Writing failures and their clean-up are ExtremeSaveTest's, for every
  // writer; here the window's own message and question.
  QFile::remove(dir.filePath("ball.jpg"));
  QFile::remove(dir.filePath("ball.wrl"));
  h.prompts.autoOk = true;
  SaveScene("none/ball.wrl");  // no such folder
  EXPECT_TRUE(
      h.prompts.log.back().text.starts_with("Sorry, the VRML file could not be saved:\r\n"));
  // A picture named like the texture is asked about, kept after No, and so said.
  if (QFile f(dir.filePath("ball.jpg")); f.open(QIODevice::WriteOnly)) f.write("mine");
  h.prompts.log.clear();
  h.prompts.File(dir.filePath("ball.wrl").toStdString());
  h.prompts.Answer_(Answer::No);
  s.Menu("mnuFileSaveVRML2").UserClick();
  ASSERT_EQ(h.prompts.log.size(), 3u);
  EXPECT_EQ(h.prompts.log[1].text, "ball.jpg already exists.\r\nDo you want to replace it?");
  EXPECT_EQ(h.prompts.log[2].text, "ball.wrl was not saved: its texture ball.jpg was kept");
  EXPECT_FALSE(QFile::exists(dir.filePath("ball.wrl")));
  EXPECT_TRUE(QImage(dir.filePath("ball.jpg")).isNull());
}

}  // namespace
}  // namespace wlg
