// The display picture drawn beside the exact one: the exact picture never
// changes for it, and the display keeps the palette colours inside figures.

#include <gtest/gtest.h>

#include "platform/ImageCanvas.h"

namespace wlg {
namespace {

const Colour kRed = Rgb(255, 0, 0), kBlue = Rgb(0, 0, 255), kYellow = Rgb(255, 255, 0);
const Colour kWhite = Rgb(255, 255, 255);

// Figures of every kind, then a flood fill of the white around them.
void DrawScene(ImageCanvas& c) {
  c.Clear();
  c.fillStyle = FillStyle::Solid;
  c.fillColour = kRed;
  c.Polygon({{10, 10}, {50, 14}, {30, 45}});  // a thin outline: the direct fill
  c.drawWidth = 3;
  c.fillColour = kBlue;
  c.Polygon({{60, 10}, {90, 10}, {90, 40}, {60, 40}});  // through QPainter
  c.drawWidth = 1;
  c.drawStyle = DrawStyle::Dot;
  c.Polyline({{5, 55}, {95, 58}});
  c.drawStyle = DrawStyle::Solid;
  c.Line(5, 62, 90, 70, kBlue);
  c.Dot(20, 52, kRed);
  c.fillColour = kYellow;
  c.FloodFillSurface(2, 2, kWhite);
}

QRgb Pixel(Colour c) { return ToQColor(c).rgb(); }

TEST(DisplayPicture, TheExactPictureIsTheSameWhateverTheDisplay) {
  ImageCanvas plain(100, 80);
  DrawScene(plain);
  const QImage expected = plain.Image();
  ASSERT_EQ(plain.PointColour(2, 2), kYellow);
  for (auto [ratio, smooth] : {std::pair{2.0, false}, {2.0, true}, {1.0, true}, {1.5, true}}) {
    ImageCanvas c(100, 80);
    c.SetDisplay(ratio, smooth);
    ASSERT_TRUE(c.HasDisplay());
    DrawScene(c);
    EXPECT_EQ(c.Image(), expected) << ratio << " " << smooth;
    const QImage& d = c.DisplayImage();
    EXPECT_EQ(d.size(), QSize(qRound(100 * ratio), qRound(80 * ratio)));
    EXPECT_EQ(d.devicePixelRatio(), ratio);
  }
  ImageCanvas none(100, 80);
  none.SetDisplay(1, false);
  EXPECT_FALSE(none.HasDisplay());
  EXPECT_EQ(&none.DisplayImage(), &none.Image());
}

TEST(DisplayPicture, InsidesAndCentroidsKeepThePaletteColours) {
  for (bool smooth : {false, true}) {
    ImageCanvas c(100, 80);
    c.SetDisplay(2, smooth);
    DrawScene(c);
    const QImage& d = c.DisplayImage();
    ASSERT_EQ(d.size(), QSize(200, 160));
    // Centroids (in device pixels) and whole interiors well inside the edges.
    EXPECT_EQ(d.pixel(2 * 30 + 1, 2 * 23 + 1), Pixel(kRed)) << smooth;
    for (int y = 2 * 14; y < 2 * 36; ++y)
      for (int x = 2 * 64; x < 2 * 86; ++x) ASSERT_EQ(d.pixel(x, y), Pixel(kBlue)) << x << "," << y;
    // The flood fill reached the display: no white left in the open area
    // around the figures, away from their outlines.
    for (int y = 0; y < 2 * 8; ++y)
      for (int x = 0; x < 200; ++x) ASSERT_EQ(d.pixel(x, y), Pixel(kYellow)) << x << "," << y;
    // Outlines are there, and smooth ones have blends beside them.
    int black = 0, blends = 0;
    for (int y = 0; y < d.height(); ++y)
      for (int x = 0; x < d.width(); ++x) {
        const QRgb p = d.pixel(x, y) & 0xffffff;
        black += p == 0;
        blends += p != 0 && p != (Pixel(kRed) & 0xffffff) && p != (Pixel(kBlue) & 0xffffff) &&
                  p != (Pixel(kYellow) & 0xffffff) && p != (Pixel(kWhite) & 0xffffff);
      }
    EXPECT_GT(black, 300);
    EXPECT_EQ(blends > 0, smooth);
  }
}

// At ratio 2 without smoothing each exact pixel inside a fill is a 2 x 2
// block of the same colour: the display puts figures where the exact
// picture has them, not half a pixel off.
TEST(DisplayPicture, AlignedWithTheExactPicture) {
  ImageCanvas c(100, 80);
  c.SetDisplay(2, false);
  DrawScene(c);
  const QImage& d = c.DisplayImage();
  int differ = 0, inside = 0;
  for (int y = 1; y < 79; ++y)
    for (int x = 1; x < 99; ++x) {
      const Colour e = c.PointColour(x, y);
      bool flat = true;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) flat = flat && c.PointColour(x + dx, y + dy) == e;
      if (!flat) continue;
      ++inside;
      for (int k = 0; k < 4; ++k) differ += d.pixel(2 * x + k % 2, 2 * y + k / 2) != Pixel(e);
    }
  EXPECT_GT(inside, 5000);
  EXPECT_EQ(differ, 0);
}

// Saved pictures put back and laid over keep the display picture in step.
TEST(DisplayPicture, SavedPicturesRestoreAndLayBothPictures) {
  ImageCanvas c(100, 80);
  c.SetDisplay(2, true);
  DrawScene(c);
  const ImageCanvas::Pictures before = c.Save();
  ImageCanvas layer(100, 80, ImageCanvas::Transparent);
  layer.SetDisplay(2, true);
  layer.fillStyle = FillStyle::Solid;
  layer.fillColour = kRed;
  layer.Polygon({{60, 50}, {95, 50}, {95, 75}, {60, 75}});
  c.Clear();
  c.Restore(before);
  EXPECT_EQ(c.DisplayImage(), before.display);
  c.DrawLayer(layer.Save());
  EXPECT_EQ(c.DisplayImage().pixel(2 * 80, 2 * 65), Pixel(kRed));
  EXPECT_EQ(c.DisplayImage().pixel(2 * 75, 2 * 25), Pixel(kBlue));
  EXPECT_EQ(c.PointColour(80, 65), kRed);
}

}  // namespace
}  // namespace wlg
