// The display picture's own antialiasing, set beside QPainter's: each pixel
// within 8 of 255 per channel and the total ink within 1 %, insides exact,
// and figures it cannot draw left to the painter.

#include <gtest/gtest.h>

#include <QPainter>
#include <cstdlib>
#include <vector>

#include "platform/ImageCanvas.h"
#include "platform/SmoothRaster.h"

namespace wlg {
namespace {

using Points = std::vector<IPoint>;
const Colour kRed = Rgb(220, 30, 30), kWhite = Rgb(255, 255, 255);
constexpr int kW = 80, kH = 60;

// What the display painter draws for the same polygon.
QImage PainterPicture(const Points& pts, bool outline) {
  QImage img(kW, kH, QImage::Format_RGB32);
  img.fill(ToQColor(kWhite));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(0.5, 0.5);
  QPen pen(Qt::black);
  pen.setWidthF(1);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  p.setPen(outline ? pen : QPen(Qt::NoPen));
  p.setBrush(ToQColor(kRed));
  std::vector<QPoint> q;
  for (const IPoint& pt : pts) q.emplace_back(pt.x, pt.y);
  p.drawPolygon(q.data(), static_cast<int>(q.size()));
  return img;
}

QImage SmoothPicture(const Points& pts, bool outline) {
  ImageCanvas c(kW, kH);
  c.SetDisplay(1, true);
  c.fillStyle = FillStyle::Solid;
  c.fillColour = kRed;
  c.drawStyle = outline ? DrawStyle::Solid : DrawStyle::Invisible;
  c.Polygon(pts);
  return c.DisplayImage().copy();
}

long Ink(const QImage& img) {
  long sum = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb p = img.pixel(x, y);
      sum += 3 * 255 - qRed(p) - qGreen(p) - qBlue(p);
    }
  return sum;
}

TEST(SmoothRaster, MatchesThePainterClosely) {
  const std::vector<Points> shapes = {
      {{10, 10}, {50, 17}, {25, 45}},                      // triangle
      {{5, 30}, {75, 33}, {74, 35}},                       // thin sliver
      {{-20, -8}, {30, 4}, {26, 40}, {-15, 30}},           // crossing the picture's corner
      {{60, 20}, {95, 25}, {90, 70}, {55, 50}},            // crossing its right and bottom edges
      {{30, 30}, {30, 30}, {40, 30}, {40, 41}, {30, 41}},  // a repeated corner
  };
  for (bool outline : {false, true})
    for (const Points& pts : shapes) {
      ASSERT_TRUE(SmoothRaster::IsConvex(pts.data(), static_cast<int>(pts.size())));
      const QImage ours = SmoothPicture(pts, outline), theirs = PainterPicture(pts, outline);
      int worst = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
          worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                            std::abs(qBlue(a) - qBlue(b))});
        }
      EXPECT_LE(worst, 8) << pts[0].x << "," << pts[0].y << " outline " << outline;
      const long ink = Ink(ours), ref = Ink(theirs);
      EXPECT_NEAR(ink, ref, ref * 0.01) << pts[0].x << "," << pts[0].y << " outline " << outline;
    }
}

TEST(SmoothRaster, InsidesKeepTheFillColourExactly) {
  const QImage img = SmoothPicture({{2, 2}, {70, 6}, {40, 55}}, true);
  const QRgb red = ToQColor(kRed).rgb();
  // Pixels at least two pixels inside every edge.
  int inside = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const double d1 = ((70 - 2) * (y - 2) - (6 - 2) * (x - 2)) / 68.1;
      const double d2 = ((40 - 70) * (y - 6) - (55 - 6) * (x - 70)) / 57.5;
      const double d3 = ((2 - 40) * (y - 55) - (2 - 55) * (x - 40)) / 65.2;
      if (d1 < 2 || d2 < 2 || d3 < 2) continue;
      ++inside;
      ASSERT_EQ(img.pixel(x, y), red) << x << "," << y;
    }
  EXPECT_GT(inside, 1000);
}

TEST(SmoothRaster, KnowsWhichPolygonsItCanFill) {
  auto convex = [](const Points& p) {
    return SmoothRaster::IsConvex(p.data(), static_cast<int>(p.size()));
  };
  EXPECT_TRUE(convex({{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
  EXPECT_TRUE(convex({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}));  // the other way, closed
  EXPECT_TRUE(convex({{0, 0}, {5, 0}, {10, 0}, {5, 8}}));             // a corner on an edge
  EXPECT_FALSE(convex({{0, 0}, {10, 0}, {3, 3}, {0, 10}}));           // a dent
  EXPECT_FALSE(convex({{0, 0}, {10, 10}, {10, 0}, {0, 10}}));         // a bow tie
  EXPECT_FALSE(convex({{0, 0}, {10, 0}, {20, 0}}));                   // no inside
  EXPECT_FALSE(convex({{0, 0}, {10, 0}, {5, 0}, {5, 8}}));            // turning back
  EXPECT_FALSE(convex({{5, 0}, {8, 10}, {0, 4}, {10, 4}, {2, 10}}));  // a star, round twice
  EXPECT_FALSE(convex({{0, 0}, {1 << 30, 0}, {0, 1 << 30}}));         // beyond reach
}

// A star's middle, outside by even-odd, stays white: the painter drew it.
// Points far out are drawn safely either way.
TEST(SmoothRaster, OthersGoThroughThePainter) {
  ImageCanvas c(kW, kH);
  c.SetDisplay(1, true);
  c.fillStyle = FillStyle::Solid;
  c.fillColour = kRed;
  c.Polygon({{40, 5}, {58, 55}, {10, 24}, {70, 24}, {22, 55}});
  c.Polygon({{-(1 << 30), -(1 << 30)}, {1 << 30, -(1 << 30)}, {40, 10}});
  c.drawStyle = DrawStyle::Solid;
  c.Polyline({{-(1 << 30), 50}, {1 << 30, 52}});
  c.Polygon({{-(1 << 19), 58}, {1 << 19, 58}, {0, 1 << 19}});
  const QImage& d = c.DisplayImage();
  EXPECT_EQ(d.pixel(40, 32), ToQColor(kWhite).rgb());
  EXPECT_EQ(d.pixel(40, 20), ToQColor(kRed).rgb());
  EXPECT_EQ(d.pixel(40, 1), ToQColor(kRed).rgb());
  EXPECT_NE(d.pixel(40, 51), ToQColor(kWhite).rgb());
  EXPECT_EQ(d.pixel(40, 59), ToQColor(kRed).rgb());
}

}  // namespace
}  // namespace wlg
