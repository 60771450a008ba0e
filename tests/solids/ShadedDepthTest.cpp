// The 3D picture of every decorated solid: nothing on a face turned from the
// eye may show. Pixels within one pixel of a polygon boundary are left out.

#include <gtest/gtest.h>

#include <QImage>
#include <QLineF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "solids/SolidKit.h"
#include "support/DesignerHarness.h"

namespace wlg::testing {
namespace {

struct FrontPolygon {
  int index = 0;
  QPolygonF corners;
  QRect box;                           // within the picture
  bool Covers(int px, int py) const {  // even-odd, as the canvas fills
    return box.contains(px, py) && corners.containsPoint(QPointF(px, py), Qt::OddEvenFill);
  }
  // Within a pixel of an edge, where its outline runs.
  bool NearEdge(int px, int py) const {
    if (!box.adjusted(-1, -1, 1, 1).contains(px, py)) return false;
    for (qsizetype i = 0, n = corners.size(); i < n; ++i) {
      const QPointF a = corners[i], e = corners[(i + 1) % n] - a, p(px, py);
      const double length2 = QPointF::dotProduct(e, e);
      const double t =
          length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, e) / length2, 0.0, 1.0) : 0;
      if (QLineF(a + t * e, p).length() <= 1) return true;
    }
    return false;
  }
};

// The filled polygons seen from their front (the eye and the solid's centre
// on opposite sides of its plane), and per pixel the last of them in the
// list that covers it, -1 for none.
struct FrontRender {
  int width, height;
  std::vector<int> covering;
  std::vector<FrontPolygon> front;
  FrontRender(const ShadedRenderer& r, const SolidPolyList& s, V3 eye, int w, int h)
      : width(w), height(h), covering(size_t(w) * h, -1) {
    const SolidPointTable& pts = r.SolidPoints();
    for (int p = 0; p <= s.PolyCount; ++p) {
      if (static_cast<int32_t>(s.PolyColour[p]) <= 0) continue;
      const int first = s.PolyFirstPoint[p], n = s.PolyLastPoint[p] + 1;
      auto world = [&](int k) {
        const Point4& w = pts.World[first + (k % n)];
        return V3{w(1), w(2), w(3)};
      };
      V3 normal;
      for (int k = 0; k < n; ++k) normal = normal + Cross(world(k), world(k + 1));
      if (Dot(normal, eye - world(0)) * Dot(normal, world(0)) <= 0) continue;
      FrontPolygon f{p};
      for (int k = 0; k < n; ++k)
        f.corners << QPointF(std::nearbyint(pts.Screen[first + k](1)),
                             std::nearbyint(pts.Screen[first + k](2)));
      f.box = f.corners.boundingRect().toRect() & QRect(0, 0, w, h);
      for (int y = f.box.top(); y <= f.box.bottom(); ++y)
        for (int x = f.box.left(); x <= f.box.right(); ++x)
          if (f.Covers(x, y)) covering[size_t(y) * w + x] = p;
      front.push_back(std::move(f));
    }
  }
};

bool Shows(const QImage& shown, int x, int y, Colour c) {
  const QRgb got = shown.pixel(x, y);
  return qRed(got) == RedOf(c) && qGreen(got) == GreenOf(c) && qBlue(got) == BlueOf(c);
}

// Pixels away from every boundary that show neither the background nor a
// polygon facing the eye there, nor the black outline of one.
int WrongPixels(const QImage& shown, const FrontRender& ref, const ShadedRenderer& r,
                const SolidPolyList& s) {
  int wrong = 0;
  for (int y = 1; y + 1 < ref.height; ++y)
    for (int x = 1; x + 1 < ref.width; ++x) {
      const int id = ref.covering[size_t(y) * ref.width + x];
      bool boundary = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          boundary = boundary || ref.covering[size_t(y + dy) * ref.width + x + dx] != id;
      Colour expected = r.BackColour;
      if (boundary || (id >= 0 && !r.FaceFill(s, id, expected))) continue;
      if (Shows(shown, x, y, expected)) continue;
      // Which covering polygon ends on top is the painter's order.
      const bool outline = Shows(shown, x, y, Rgb(0, 0, 0));
      bool front = false;
      for (const FrontPolygon& f : ref.front) {
        Colour c;
        front = outline ? f.NearEdge(x, y)
                        : f.Covers(x, y) && r.FaceFill(s, f.index, c) && Shows(shown, x, y, c);
        if (front) break;
      }
      wrong += !front;
    }
  return wrong;
}

TEST(ShadedDepthTest, EverySolidShowsOnlyPolygonsFacingTheEyeFromEveryAngle) {
  DesignerHarness h;
  h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\"");
  frm3D& v = h.windows.view3D;
  // The first is the window's first view, where the tetrahedron used to get
  // a back face painted over a front one (equal farthest depths).
  const float views[][3] = {{1.5707964f, 0, 0}, {0.6f, 0.45f, 0}, {3.9f, 5.0f, 0.7f}};
  for (const SolidInfo& info : Solids()) {
    ASSERT_TRUE(BuildSolid(h, info.key)) << info.key;
    for (const auto& [theta, phi, psi] : views) {
      SCOPED_TRACE(std::string(info.key) + " at theta " + std::to_string(theta));
      v.ThetaRad = theta, v.PhiRad = phi, v.PsiRad = psi;
      v.CheckAngles();
      v.DrawData();
      const QImage& shown = v.pic3D().canvas.Image();
      const double r = v.EyeDistance, a = v.PhiRad, b = -v.ThetaRad;
      const V3 eye{r * std::cos(a) * std::cos(b), r * std::sin(a), r * std::cos(a) * std::sin(b)};
      const FrontRender ref(v.shaded, h.model().solid, eye, shown.width(), shown.height());
      EXPECT_EQ(WrongPixels(shown, ref, v.shaded, h.model().solid), 0);
    }
  }
}

}  // namespace
}  // namespace wlg::testing
