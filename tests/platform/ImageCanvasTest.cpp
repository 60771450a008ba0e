// Thin-outline polygons are drawn straight into the picture's pixels; these
// check that the pixels are the ones QPainter and GDI would give.

#include <gtest/gtest.h>

#include "platform/ImageCanvas.h"

namespace wlg {
namespace {

const Colour kWhite = Rgb(255, 255, 255);
const Colour kBlack = Rgb(0, 0, 0);
const Colour kGreen = Rgb(0, 255, 0);

int CountColour(const ImageCanvas& pic, Colour c) {
  int n = 0;
  for (int y = 0; y < pic.Height(); ++y)
    for (int x = 0; x < pic.Width(); ++x) n += pic.PointColour(x, y) == c;
  return n;
}

ImageCanvas GreenCanvas(int w, int h) {
  ImageCanvas pic(w, h);
  pic.fillStyle = FillStyle::Solid;
  pic.fillColour = kGreen;
  return pic;
}

TEST(ImageCanvasPolygon, SquareHasItsEdgesInBlackAndItsInsideFilled) {
  ImageCanvas pic = GreenCanvas(40, 40);
  pic.Polygon({{10, 10}, {20, 10}, {20, 20}, {10, 20}});
  for (int i = 10; i <= 20; ++i) {
    EXPECT_EQ(pic.PointColour(i, 10), kBlack) << i;
    EXPECT_EQ(pic.PointColour(i, 20), kBlack) << i;
    EXPECT_EQ(pic.PointColour(10, i), kBlack) << i;
    EXPECT_EQ(pic.PointColour(20, i), kBlack) << i;
  }
  EXPECT_EQ(CountColour(pic, kGreen), 9 * 9);
  EXPECT_EQ(CountColour(pic, kBlack), 40);
  EXPECT_EQ(pic.PointColour(9, 15), kWhite);
  EXPECT_EQ(pic.PointColour(21, 15), kWhite);
}

TEST(ImageCanvasPolygon, WithoutOutlineTheFillTakesThePixelCentresInside) {
  ImageCanvas pic = GreenCanvas(40, 40);
  pic.drawStyle = DrawStyle::Invisible;
  pic.Polygon({{10, 10}, {20, 10}, {20, 20}, {10, 20}});
  EXPECT_EQ(CountColour(pic, kBlack), 0);
  // Top and left edges in, bottom and right out: neighbours share no pixel.
  EXPECT_EQ(CountColour(pic, kGreen), 10 * 10);
  EXPECT_EQ(pic.PointColour(10, 10), kGreen);
  EXPECT_EQ(pic.PointColour(20, 15), kWhite);

  pic.fillColour = Rgb(0, 0, 255);
  pic.Polygon({{20, 10}, {30, 10}, {30, 20}, {20, 20}});
  EXPECT_EQ(CountColour(pic, kGreen), 10 * 10);
}

TEST(ImageCanvasPolygon, CrossingOutlinesFillEvenOdd) {
  ImageCanvas pic = GreenCanvas(100, 100);
  pic.drawStyle = DrawStyle::Invisible;
  // A five-pointed star drawn in one stroke: the middle is crossed twice.
  pic.Polygon({{50, 5}, {77, 90}, {5, 37}, {95, 37}, {23, 90}});
  EXPECT_EQ(pic.PointColour(50, 50), kWhite);
  EXPECT_EQ(pic.PointColour(50, 20), kGreen);
  EXPECT_EQ(pic.PointColour(20, 40), kGreen);
  EXPECT_EQ(pic.PointColour(30, 80), kGreen);
}

TEST(ImageCanvasPolygon, TransparentFillDrawsOnlyTheOutline) {
  ImageCanvas pic(30, 30);
  pic.Polygon({{5, 5}, {25, 5}, {15, 25}});
  EXPECT_EQ(pic.PointColour(15, 12), kWhite);
  EXPECT_EQ(pic.PointColour(5, 5), kBlack);
  EXPECT_EQ(pic.PointColour(15, 25), kBlack);
  EXPECT_EQ(pic.PointColour(10, 15), kBlack);  // on the left edge
}

TEST(ImageCanvasPolygon, PartlyOutsideOrFarOffPolygonsAreClipped) {
  ImageCanvas pic = GreenCanvas(20, 20);
  pic.drawStyle = DrawStyle::Invisible;
  pic.Polygon({{-10, -10}, {10, -10}, {10, 10}, {-10, 10}});
  EXPECT_EQ(CountColour(pic, kGreen), 10 * 10);

  // A point thrown far off (a vertex close behind the eye) must neither
  // hang nor wrap round; the part on the picture is still drawn.
  ImageCanvas far = GreenCanvas(20, 20);
  far.Polygon({{10, 10}, {2000000000, 10}, {10, 2000000000}});
  EXPECT_EQ(far.PointColour(15, 15), kGreen);
  EXPECT_EQ(far.PointColour(9, 15), kWhite);
  EXPECT_EQ(far.PointColour(10, 15), kBlack);

  ImageCanvas gone = GreenCanvas(20, 20);
  gone.Polygon({{30, 30}, {40, 30}, {40, 40}});
  EXPECT_EQ(CountColour(gone, kWhite), 400);
}

TEST(ImageCanvasPolygon, ThinAndWideOutlinesKeepTheirDrawingOrder) {
  ImageCanvas pic = GreenCanvas(40, 40);
  pic.drawWidth = 5;  // QPainter draws this one
  pic.Polygon({{5, 5}, {35, 5}, {35, 35}, {5, 35}});
  pic.drawWidth = 1;
  pic.fillColour = Rgb(0, 0, 255);
  pic.Polygon({{10, 10}, {30, 10}, {30, 30}, {10, 30}});
  EXPECT_EQ(pic.PointColour(20, 20), Rgb(0, 0, 255));
  pic.drawWidth = 5;
  pic.fillColour = kGreen;
  pic.Polygon({{15, 15}, {25, 15}, {25, 25}, {15, 25}});
  EXPECT_EQ(pic.PointColour(20, 20), kGreen);
  EXPECT_EQ(pic.PointColour(12, 12), Rgb(0, 0, 255));
}

TEST(ImageCanvasPolygon, APictureOfAnotherLayoutIsStillDrawnRight) {
  ImageCanvas pic = GreenCanvas(20, 20);
  QImage packed(20, 20, QImage::Format_RGB888);  // three bytes a pixel
  packed.fill(Qt::white);
  pic.EditImage() = packed;
  pic.Polygon({{5, 5}, {15, 5}, {15, 15}, {5, 15}});
  EXPECT_EQ(pic.PointColour(10, 10), kGreen);
  EXPECT_EQ(pic.PointColour(5, 10), kBlack);
  EXPECT_EQ(pic.PointColour(17, 17), kWhite);
}

TEST(ImageCanvasPolygon, LayerPixelsAreOpaque) {
  ImageCanvas layer(20, 20, ImageCanvas::Transparent);
  layer.fillStyle = FillStyle::Solid;
  layer.fillColour = kGreen;
  layer.Polygon({{5, 5}, {15, 5}, {15, 15}, {5, 15}});
  EXPECT_EQ(qAlpha(layer.Image().pixel(10, 10)), 255);
  EXPECT_EQ(qAlpha(layer.Image().pixel(5, 5)), 255);
  EXPECT_EQ(qAlpha(layer.Image().pixel(2, 2)), 0);
}

}  // namespace
}  // namespace wlg
