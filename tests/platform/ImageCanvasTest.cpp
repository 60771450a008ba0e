// The picture canvas. Thin-outline polygons are drawn straight into the
// pixels, as QPainter and GDI would give them; the display picture beside
// the exact one is smoothed by our own rasteriser, set against QPainter's.
// The exact picture never changes for the display, and the display keeps
// the palette colours inside figures.

#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "platform/ImageCanvas.h"
#include "platform/PixelLine.h"

namespace wlg {
namespace {

using Points = std::vector<IPoint>;
const Colour kWhite = Rgb(255, 255, 255), kBlack = Rgb(0, 0, 0), kGreen = Rgb(0, 255, 0),
             kBlue = Rgb(0, 0, 255), kRed = Rgb(220, 30, 30), kYellow = Rgb(255, 255, 0);
QRgb Pixel(Colour c) { return ToQColor(c).rgb(); }

int CountColour(const ImageCanvas& pic, Colour c) {
  int n = 0;
  for (int i = 0; i < pic.Width() * pic.Height(); ++i)
    n += pic.PointColour(i % pic.Width(), i / pic.Width()) == c;
  return n;
}
ImageCanvas Filled(int w, int h, bool outline = true, Colour fill = kGreen) {
  ImageCanvas pic(w, h);
  pic.fillStyle = FillStyle::Solid;
  pic.fillColour = fill;
  if (!outline) pic.drawStyle = DrawStyle::Invisible;
  return pic;
}

TEST(ImageCanvasPolygon, PixelExactFillsClippingAndLayers) {
  // A picture of three bytes a pixel is drawn right too.
  ImageCanvas pic = Filled(40, 40);
  pic.EditImage() = QImage(40, 40, QImage::Format_RGB888);
  pic.EditImage().fill(Qt::white);
  pic.Polygon({{10, 10}, {20, 10}, {20, 20}, {10, 20}});
  EXPECT_EQ(CountColour(pic, kGreen), 9 * 9);
  EXPECT_EQ(CountColour(pic, kBlack), 40);
  EXPECT_EQ(pic.PointColour(21, 15), kWhite);
  // Without an outline, top and left edges in, bottom and right out:
  // neighbours share no pixel.
  ImageCanvas bare = Filled(40, 40, false);
  bare.Polygon({{10, 10}, {20, 10}, {20, 20}, {10, 20}});
  bare.fillColour = kBlue;
  bare.Polygon({{20, 10}, {30, 10}, {30, 20}, {20, 20}});
  EXPECT_EQ(CountColour(bare, kGreen), 10 * 10);
  EXPECT_EQ(CountColour(bare, kBlue), 10 * 10);
  // A five-pointed star in one stroke fills even-odd: the middle stays white.
  ImageCanvas star = Filled(100, 100, false);
  star.Polygon({{50, 5}, {77, 90}, {5, 37}, {95, 37}, {23, 90}});
  EXPECT_EQ(star.PointColour(50, 50), kWhite);
  EXPECT_EQ(star.PointColour(50, 20), kGreen);

  // A point thrown far off (a vertex close behind the eye) must neither
  // hang nor wrap round, in the exact picture or the smooth display; the
  // part on the picture is still drawn.
  ImageCanvas far = Filled(80, 60);
  far.SetDisplay(1, true);
  far.Polygon({{10, 10}, {2000000000, 10}, {10, 2000000000}});
  far.Polygon({{-(1 << 19), 58}, {1 << 19, 58}, {0, 1 << 19}});
  far.Polygon({{-(1 << 30), -(1 << 30)}, {1 << 30, -(1 << 30)}, {70, 10}});
  far.Polyline({{-(1 << 30), 40}, {1 << 30, 42}});
  for (const QImage& d : {far.Image(), far.DisplayImage()}) {
    EXPECT_EQ(d.pixel(15, 15), Pixel(kGreen));
    EXPECT_EQ(d.pixel(9, 15), Pixel(kWhite));
    EXPECT_EQ(d.pixel(10, 15), Pixel(kBlack));
    EXPECT_EQ(d.pixel(5, 59), Pixel(kGreen));
    EXPECT_EQ(d.pixel(70, 1), Pixel(kGreen));
    EXPECT_NE(d.pixel(60, 41), Pixel(kWhite));
  }

  // A layer's figures are opaque, the rest see-through.
  ImageCanvas layer(20, 20, ImageCanvas::Transparent);
  layer.fillStyle = FillStyle::Solid;
  layer.Polygon({{5, 5}, {15, 5}, {15, 15}, {5, 15}});
  EXPECT_EQ(qAlpha(layer.Image().pixel(5, 5)), 255);
  EXPECT_EQ(qAlpha(layer.Image().pixel(2, 2)), 0);
}

// At every ratio the exact picture is the same. At a whole ratio k each
// exact pixel amid a 3 x 3 patch of one colour is a k x k block of that
// colour, smooth or not: figures and the flood fill sit where the exact
// picture has them, not half a pixel off; outlines are there, and smooth
// A line reaching far past the picture sets the pixels that stepping along
// it one by one sets, in every direction and at every slope, without
// taking the steps outside.
TEST(ImageCanvasPolygon, LinesPastThePictureSetWhatEveryStepWould) {
  const int w = 97, h = 61;
  auto stepped = [&](IPoint a, IPoint b) {
    std::vector<QRgb> bits(w * h, 0);
    const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    int err = dx + dy, x = a.x, y = a.y;
    for (;;) {
      if (x >= 0 && y >= 0 && x < w && y < h) bits[y * w + x] = 1;
      if (x == b.x && y == b.y) break;
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, x += sx;
      if (e2 <= dx) err += dx, y += sy;
    }
    return bits;
  };
  std::mt19937 rng(11);
  for (int i = 0; i < 40000; ++i) {
    // Mostly near the picture, some a long way out, some on one row or column.
    const int reach = i % 100 == 0 ? 300000 : 400;
    auto any = [&] { return static_cast<int>(rng() % (2 * reach + 1)) - reach + 40; };
    IPoint a{any(), any()}, b{any(), any()};
    if (i % 7 == 0) b.y = a.y;
    if (i % 11 == 0) b.x = a.x;
    if (i % 13 == 0) b = {a.x + (b.y - a.y), b.y};  // at 45 degrees
    std::vector<QRgb> bits(w * h, 0);
    PixelLine(bits.data(), w, w, h, a, b, 1);
    ASSERT_EQ(bits, stepped(a, b)) << a.x << "," << a.y << " to " << b.x << "," << b.y;
  }
}

// ones have blends (our own rasteriser at ratio 1).
TEST(DisplayPicture, ExactPictureKeptAndDisplayInStep) {
  auto draw = [](ImageCanvas& c) {
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
  };
  ImageCanvas plain(100, 80);
  draw(plain);
  ASSERT_EQ(plain.PointColour(2, 2), kYellow);
  for (auto [ratio, smooth] :
       {std::pair{2.0, false}, {2.0, true}, {1.0, true}, {1.5, true}, {1.0, false}}) {
    SCOPED_TRACE(::testing::Message() << ratio << " " << smooth);
    ImageCanvas c(100, 80);
    c.SetDisplay(ratio, smooth);
    draw(c);
    EXPECT_EQ(c.Image(), plain.Image());
    const QImage& d = c.DisplayImage();
    EXPECT_EQ(d.size(), QSize(qRound(100 * ratio), qRound(80 * ratio)));
    const int n = static_cast<int>(ratio);
    if (n != ratio) continue;
    int differ = 0, inside = 0, black = 0, blends = 0;
    for (int y = 1; y < 79; ++y)
      for (int x = 1; x < 99; ++x) {
        const Colour e = c.PointColour(x, y);
        bool flat = true;
        for (int k = 0; k < 9 && flat; ++k) flat = c.PointColour(x + k % 3 - 1, y + k / 3 - 1) == e;
        inside += flat;
        for (int k = 0; k < n * n; ++k) {
          const QRgb p = d.pixel(n * x + k % n, n * y + k / n);
          differ += flat && p != Pixel(e);
          black += p == Pixel(kBlack);
          blends += p != Pixel(kBlack) && p != Pixel(kRed) && p != Pixel(kBlue) &&
                    p != Pixel(kYellow) && p != Pixel(kWhite);
        }
      }
    EXPECT_GT(inside, 5000);
    EXPECT_EQ(differ, 0);
    EXPECT_GT(black, 75 * n * n);
    EXPECT_EQ(blends > 0, smooth);
  }
}

}  // namespace
}  // namespace wlg

namespace wlg {
namespace {

// Our rasteriser draws the display picture's solid figures; QPainter,
// set up as the display's own painter is, is the reference. Random convex,
// concave and self-crossing polygons (even-odd), pens one to four units
// wide, solid or dotted, at ratio 1 and 2, smooth or not: the ink each figure lays down
// matches QPainter's within a few percent, and hardly a pixel is far off.
TEST(DisplayPicture, OwnRasteriserCoversAsQPainterDoes) {
  std::mt19937 rng(7);
  auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (auto [ratio, smooth] : {std::pair{2.0, false}, {2.0, true}, {1.0, true}, {3.0, true}}) {
    double inkOurs = 0, inkTheirs = 0, apart = 0;
    long long far = 0, pixels = 0;
    for (int round = 0; round < 60; ++round) {
      Points pts;
      const int corners = uniform(3, 9);
      const double turn = 2 * M_PI / corners * (round % 3 == 2 ? 2.0 : 1.0);
      for (int k = 0; k < corners; ++k) {
        const double r = round % 3 == 1 ? uniform(5, 28) : 24;  // concave when uneven
        pts.push_back({static_cast<int>(40 + r * std::cos(k * turn + 0.3 * round)),
                       static_cast<int>(40 + r * std::sin(k * turn + 0.3 * round))});
      }
      const int pen = uniform(0, 4);  // 0: no outline
      const bool dotted = pen == 1 && round % 2;
      ImageCanvas ours(80, 80);
      ours.SetDisplay(ratio, smooth);
      ours.fillStyle = FillStyle::Solid;
      ours.fillColour = kBlue;
      ours.drawStyle = dotted ? DrawStyle::Dot : pen ? DrawStyle::Solid : DrawStyle::Invisible;
      ours.drawWidth = std::max(pen, 1);
      ours.Polygon(pts);
      QImage theirs(ours.DisplayImage().size(), QImage::Format_RGB32);
      theirs.setDevicePixelRatio(ratio);
      theirs.fill(Qt::white);
      {
        QPainter p(&theirs);
        p.setRenderHint(QPainter::Antialiasing, smooth);
        p.translate(0.5, 0.5);
        if (pen) {
          QPen q(Qt::black, pen);
          q.setCapStyle(Qt::RoundCap);
          q.setJoinStyle(Qt::RoundJoin);
          if (dotted) q.setStyle(Qt::DotLine);
          p.setPen(q);
        } else {
          p.setPen(Qt::NoPen);
        }
        p.setBrush(QColor(0, 0, 255));
        QPolygon poly;
        for (const IPoint& q : pts) poly << QPoint(q.x, q.y);
        p.drawPolygon(poly, Qt::OddEvenFill);
      }
      const QImage& mine = ours.DisplayImage();
      for (int y = 0; y < mine.height(); ++y)
        for (int x = 0; x < mine.width(); ++x) {
          // Ink: how far from white, red channel (blue fill and black pen both take it).
          const int a = 255 - qRed(mine.pixel(x, y)), b = 255 - qRed(theirs.pixel(x, y));
          const int fa = 255 - qGreen(mine.pixel(x, y)), fb = 255 - qGreen(theirs.pixel(x, y));
          inkOurs += a + fa;
          inkTheirs += b + fb;
          apart += std::abs(a - b) + std::abs(fa - fb);
          far += std::abs(a - b) > 160 || std::abs(fa - fb) > 160;
          pixels += b > 0 || fb > 0;
        }
    }
    SCOPED_TRACE(::testing::Message() << ratio << (smooth ? " smooth" : " aliased"));
    std::printf("ratio %g %s: ink %.4f apart %.4f far %.5f\n", ratio, smooth ? "smooth" : "aliased",
                inkOurs / inkTheirs, apart / inkTheirs, double(far) / pixels);
    EXPECT_NEAR(inkOurs / inkTheirs, 1, 0.015);
    EXPECT_LT(apart / inkTheirs, 0.03);
    EXPECT_LT(static_cast<double>(far) / pixels, 0.015);
  }
}

}  // namespace
}  // namespace wlg
