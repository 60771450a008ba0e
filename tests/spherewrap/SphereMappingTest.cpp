// The sphere wrap: texture squeeze, row tables, longitude lookup, spin and
// background; the table frame checked against the per-pixel frame.

#include <gtest/gtest.h>

#include <QImage>
#include <random>

#include "platform/Colour.h"
#include "platform/Numbers.h"
#include "spherewrap/SphereMapping.h"

namespace wlg {
namespace {

constexpr int GreyIndex = 7;
constexpr int DarkBlueIndex = 1;
constexpr int RedIndex = 12;

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

QImage Noise(int w, int h, unsigned seed) {
  std::mt19937 gen(seed);
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, gen() & 0xffffff);
  return img;
}

TEST(SphereMapping, QualityGivesTheSideAndTheTables) {
  EXPECT_EQ(SphereWrap::SizeForQuality(1), 102);
  EXPECT_EQ(SphereWrap::SizeForQuality(2), 205);  // 204.8
  EXPECT_EQ(SphereWrap::SizeForQuality(3), 307);
  EXPECT_EQ(SphereWrap::SizeForQuality(10), 1024);

  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, GreyIndex);
  ASSERT_TRUE(s.HasPixels());
  EXPECT_EQ(s.Width(), 512);
  EXPECT_EQ(s.Height(), 512);
  EXPECT_EQ(s.SphereCentre(), 256);
  EXPECT_EQ(s.SpinShift(), 256);
  EXPECT_NEAR(s.AngleScale(), 81.487, 0.0005);
  // Row 1: half-chord sqrt(511) = 22.6, so the row starts at round(256 - 22.6 + 2).
  EXPECT_EQ(s.RowLeft(1), 235);
  EXPECT_FLOAT_EQ(s.RowRadius2(1), 21.0f * 21.0f);
  // The widest row: the disc's edge two pixels in from the square's.
  EXPECT_EQ(s.RowLeft(256), 2);
  EXPECT_FLOAT_EQ(s.RowRadius2(256), 254.0f * 254.0f);
  // An odd side: the centre is W / 2 rounded halves to even.
  SphereWrap odd;
  odd.SqueezePIC(ColumnCoded(307), 3, GreyIndex);
  EXPECT_EQ(odd.SphereCentre(), 154);  // 153.5
}

TEST(SphereMapping, WidePicturesStretchOnceOthersTwice) {
  auto halves = [](int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int x = 0; x < w; ++x)
      for (int y = 0; y < h; ++y) img.setPixel(x, y, x < w / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    return img;
  };
  const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
  auto columns = [](const SphereWrap& s, std::initializer_list<int> xs) {
    std::vector<QRgb> out;
    for (int x : xs) out.push_back(s.Texture().pixel(x, 100));
    return out;
  };

  SphereWrap once;  // 600 > 300 x 1.5
  once.SqueezePIC(halves(600, 300), 5, GreyIndex);
  EXPECT_EQ(columns(once, {0, 255, 256, 511}), (std::vector<QRgb>{red, red, blue, blue}));

  for (int width : {400, 450}) {  // 450 is not above 450: still twice
    SphereWrap twice;
    twice.SqueezePIC(halves(width, 300), 5, GreyIndex);
    EXPECT_EQ(columns(twice, {0, 127, 128, 255, 256, 383, 384, 511}),
              (std::vector<QRgb>{red, red, blue, blue, red, red, blue, blue}))
        << width;
  }
}

TEST(SphereMapping, LongitudeChoosesTheTextureColumn) {
  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, GreyIndex);
  for (int shift : {256, 1, 100, 384, 400, 512}) {
    s.SetSpinShift(shift);
    s.Rotate();
    auto wrapped = [](int u) { return u > 512 ? u - 512 : u; };
    // The centre column (dx = 0) is a quarter turn from the left rim.
    EXPECT_EQ(ColumnOf(FramePixel(s, 256, 256)), wrapped(shift + 128)) << shift;
    EXPECT_EQ(ColumnOf(FramePixel(s, 256, 40)), wrapped(shift + 128)) << shift;
    // Left rim shows SpinShift itself, the right rim half a texture further.
    EXPECT_EQ(ColumnOf(FramePixel(s, s.RowLeft(1), 1)), shift) << shift;
    EXPECT_EQ(ColumnOf(FramePixel(s, 512 - s.RowLeft(1), 1)), wrapped(shift + 256)) << shift;
  }
}

TEST(SphereMapping, DiscRowsCountFromTheBottomAndKeepTheBackground) {
  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, DarkBlueIndex);
  s.Rotate();
  const QRgb back = qRgb(0, 0, 128);
  // Row 1 is the picture's bottom line: columns 235..277 belong to the disc.
  EXPECT_EQ(FramePixel(s, 234, 1), back);
  EXPECT_NE(FramePixel(s, 235, 1), back);
  EXPECT_NE(FramePixel(s, 277, 1), back);
  EXPECT_EQ(FramePixel(s, 278, 1), back);
  // Row 512 (the top line) has an empty chord.
  for (int x = 1; x <= 512; ++x) ASSERT_EQ(FramePixel(s, x, 512), back) << x;
  EXPECT_EQ(FramePixel(s, 1, 256), back);
  EXPECT_NE(FramePixel(s, 2, 256), back);
  EXPECT_EQ(s.DisplaySource(), QRect(0, 1, 511, 511));
}

TEST(SphereMapping, BackgroundIsThePaletteColourIncludingIndexSeven) {
  const Colour savedFace = ButtonFaceColour();
  SetButtonFaceColour(Rgb(1, 2, 3));
  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 1, GreyIndex);
  SetButtonFaceColour(savedFace);
  // Light grey, not the desktop's button face.
  EXPECT_EQ(s.Frame().pixel(0, 0), qRgb(192, 192, 192));

  // Bytes in memory: blue, green, red.
  s.SetBackCol(DarkBlueIndex);
  const uchar* p = s.Frame().constBits();
  EXPECT_EQ(p[0], 128);
  EXPECT_EQ(p[1], 0);
  EXPECT_EQ(p[2], 0);
  s.SetBackCol(RedIndex);
  p = s.Frame().constBits();
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[2], 255);
  // The whole plane, the disc included.
  EXPECT_EQ(FramePixel(s, 51, 51), qRgb(255, 0, 0));
}

TEST(SphereMapping, SpinShiftJumpsToTheOtherEnd) {
  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, GreyIndex);

  s.GetSpeed(9);  // speed 1
  EXPECT_EQ(s.SpinSpeed(), 1);
  s.SetSpinShift(511);
  EXPECT_TRUE(s.SpinTick());
  EXPECT_EQ(s.SpinShift(), 1);  // 513 is past the end
  EXPECT_TRUE(s.SpinTick());
  EXPECT_EQ(s.SpinShift(), 3);

  s.GetSpeed(11);  // speed -1
  s.SetSpinShift(2);
  s.SpinTick();
  EXPECT_EQ(s.SpinShift(), 512);  // 0 is before the start

  s.GetSpeed(15);  // the scroll bar's starting place: -5
  s.SetSpinShift(5);
  s.SpinTick();
  EXPECT_EQ(s.SpinShift(), 512);  // -5 jumps to W, not to 507
  s.SpinTick();
  EXPECT_EQ(s.SpinShift(), 502);

  s.GetSpeed(0);  // fastest forward
  s.SetSpinShift(300);
  s.SpinTick();
  EXPECT_EQ(s.SpinShift(), 320);
  s.SetSpinShift(510);
  s.SpinTick();
  EXPECT_EQ(s.SpinShift(), 1);  // 530 jumps to 1, not round to 18

  // A tick renders at the turning state it starts from.
  SphereWrap other;
  other.SqueezePIC(ColumnCoded(512), 5, GreyIndex);
  other.SetSpinShift(300);
  other.Rotate();
  s.SetSpinShift(300);
  s.SpinTick();
  EXPECT_EQ(s.Frame(), other.Frame());
}

TEST(SphereMapping, SpeedZeroLeavesTheSphereStill) {
  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, GreyIndex);
  s.GetSpeed(10);
  EXPECT_EQ(s.SpinSpeed(), 0);
  const QImage before = s.Frame().copy();  // background only: nothing rendered yet
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(s.SpinTick());
  EXPECT_EQ(s.SpinShift(), 256);
  EXPECT_EQ(s.Frame(), before);
}

TEST(SphereMapping, RebuildStartsFromTheCentreAgain) {
  SphereWrap s;
  s.SqueezePIC(ColumnCoded(512), 5, GreyIndex);
  s.SetSpinShift(17);
  s.SqueezePIC(ColumnCoded(512), 10, GreyIndex);
  EXPECT_EQ(s.Width(), 1024);
  EXPECT_EQ(s.SpinShift(), 512);
  s.Release();
  EXPECT_FALSE(s.HasPixels());
  EXPECT_FALSE(s.SpinTick());
  s.Rotate();  // nothing to draw on, nothing to break
}

// The frame by table lookup and the frame computed pixel by pixel agree
// exactly, odd sides and wraps at both ends included.
TEST(SphereMapping, TableFrameMatchesPerPixelFrame) {
  for (int quality : {1, 3, 5, 7, 10}) {
    SphereWrap s;
    s.SqueezePIC(Noise(640, 360, 1000u + quality), quality, GreyIndex);
    const int w = s.Width();
    std::vector<int> shifts = {1, 2, w / 2, w / 2 + 1, w - 1, w, 37, (3 * w) / 4};
    if (w < 120)
      for (int shift = 1; shift <= w; ++shift) shifts.push_back(shift);
    for (int shift : shifts) {
      s.SetSpinShift(shift);
      s.SetBackCol(GreyIndex);
      s.Rotate();
      const QImage fast = s.Frame().copy();
      s.SetBackCol(GreyIndex);
      s.RotateReference();
      ASSERT_EQ(fast, s.Frame()) << "quality " << quality << " shift " << shift;
    }
  }
}

TEST(SphereMapping, OffsetsNearAHalfAreLeftToEachFrame) {
  // Exactly on a half the rounding follows the parity of the turning state.
  int offset = 0;
  for (double longitude : {0.5, 1.5, 127.5, 127.5 + 1e-12})
    EXPECT_FALSE(SphereWrap::FixedColumnOffset(longitude, offset)) << longitude;
  EXPECT_NE(RoundHalfEven(0.5 + 1) - 1, RoundHalfEven(0.5 + 2) - 2);

  for (double longitude : {0.0, 0.25, 0.75, 3.5 + 1e-6, 127.49999, 255.9999999, 256.0}) {
    ASSERT_TRUE(SphereWrap::FixedColumnOffset(longitude, offset)) << longitude;
    for (int shift = 1; shift <= 2048; ++shift)
      ASSERT_EQ(offset + shift, RoundHalfEven(longitude + shift)) << longitude << " " << shift;
  }
}

}  // namespace
}  // namespace wlg
