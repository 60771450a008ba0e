// The 3D picture of every decorated solid against a depth-buffered render of
// the same projected points, its polygons one-sided: nothing on a face turned
// from the eye may show. Pixels within one pixel of a polygon boundary are
// left out (rounding and the black outlines).

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "solids/SolidKit.h"
#include "support/DesignerHarness.h"

namespace wlg::testing {
namespace {

// A polygon facing the eye, at the window's pixel positions.
struct FrontPolygon {
  int index = 0;
  std::vector<double> x, y;
  int left = 0, top = 0, right = -1, bottom = -1;
  bool Covers(int px, int py) const {  // even-odd, as the canvas fills
    if (px < left || px > right || py < top || py > bottom) return false;
    bool inside = false;
    for (size_t i = 0, j = x.size() - 1; i < x.size(); j = i++)
      if ((y[i] > py) != (y[j] > py) && px < x[j] + (x[i] - x[j]) * (py - y[j]) / (y[i] - y[j]))
        inside = !inside;
    return inside;
  }
  // Within a pixel of an edge, where its outline runs.
  bool NearEdge(int px, int py) const {
    if (px < left - 1 || px > right + 1 || py < top - 1 || py > bottom + 1) return false;
    for (size_t i = 0, j = x.size() - 1; i < x.size(); j = i++) {
      const double ex = x[i] - x[j], ey = y[i] - y[j], length2 = ex * ex + ey * ey;
      const double t =
          length2 > 0 ? std::clamp(((px - x[j]) * ex + (py - y[j]) * ey) / length2, 0.0, 1.0) : 0;
      if (std::hypot(x[j] + t * ex - px, y[j] + t * ey - py) <= 1) return true;
    }
    return false;
  }
};

struct DepthRender {
  int width = 0, height = 0;
  std::vector<int> nearest;  // polygon index per pixel, -1 for the background
  std::vector<FrontPolygon> front;
  bool allInFrontOfEye = true;
};

// Filled polygons only: an outline hides nothing. The depth compared is 1/w,
// which (unlike the view depth) varies linearly across a projected plane.
DepthRender RenderWithDepthBuffer(const ShadedRenderer& r, const SolidPolyList& s, V3 eye,
                                  int width, int height) {
  DepthRender out{width, height, std::vector<int>(size_t(width) * height, -1), {}, true};
  std::vector<double> depth(out.nearest.size(), -std::numeric_limits<double>::infinity());
  const SolidPointTable& pts = r.SolidPoints();
  const Matrix4& v = r.ViewTransform;
  for (int p = 0; p <= s.PolyCount; ++p) {
    if (static_cast<int32_t>(s.PolyColour[p]) <= 0) continue;
    const int first = s.PolyFirstPoint[p], n = s.PolyLastPoint[p] + 1;
    auto world = [&](int k) {
      const Point4& w = pts.World[first + k];
      return V3{w(1), w(2), w(3)};
    };
    // One-sided: seen only when the eye is on the other side of its plane
    // from the solid's centre.
    V3 normal;
    for (int k = 0; k < n; ++k) normal = normal + Cross(world(k), world((k + 1) % n));
    if (Dot(normal, eye - world(0)) * Dot(normal, world(0)) <= 0) continue;

    FrontPolygon f{p, std::vector<double>(n), std::vector<double>(n), width, height, -1, -1};
    std::vector<double> fx(n), fy(n), q(n);
    for (int k = 0; k < n; ++k) {
      const Point4& w = pts.World[first + k];
      const double weight =
          w(1) * double(v(1, 4)) + w(2) * double(v(2, 4)) + w(3) * double(v(3, 4)) + v(4, 4);
      out.allInFrontOfEye = out.allInFrontOfEye && weight > 0;
      fx[k] = pts.Screen[first + k](1);
      fy[k] = pts.Screen[first + k](2);
      q[k] = 1 / weight;
      f.x[k] = std::nearbyint(fx[k]);
      f.y[k] = std::nearbyint(fy[k]);
      f.left = std::max(0, std::min(f.left, int(f.x[k])));
      f.right = std::min(width - 1, std::max(f.right, int(f.x[k])));
      f.top = std::max(0, std::min(f.top, int(f.y[k])));
      f.bottom = std::min(height - 1, std::max(f.bottom, int(f.y[k])));
    }
    // q = a x + b y + c through the widest triangle of corners.
    int bi = 0, bj = 0;
    double best = 0;
    for (int i = 1; i < n; ++i)
      for (int j = i + 1; j < n; ++j) {
        const double area =
            std::abs((fx[i] - fx[0]) * (fy[j] - fy[0]) - (fx[j] - fx[0]) * (fy[i] - fy[0]));
        if (area > best) best = area, bi = i, bj = j;
      }
    if (best < 1e-6) continue;  // edge-on: covers no area
    const double x1 = fx[bi] - fx[0], y1 = fy[bi] - fy[0], q1 = q[bi] - q[0];
    const double x2 = fx[bj] - fx[0], y2 = fy[bj] - fy[0], q2 = q[bj] - q[0];
    const double det = x1 * y2 - x2 * y1;
    const double a = (q1 * y2 - q2 * y1) / det, b = (x1 * q2 - x2 * q1) / det;
    for (int y = f.top; y <= f.bottom; ++y)
      for (int x = f.left; x <= f.right; ++x) {
        if (!f.Covers(x, y)) continue;
        const double d = q[0] + a * (x - fx[0]) + b * (y - fy[0]);
        const size_t at = size_t(y) * width + x;
        if (d > depth[at]) depth[at] = d, out.nearest[at] = p;
      }
    out.front.push_back(std::move(f));
  }
  return out;
}

bool Shows(const QImage& shown, int x, int y, Colour c) {
  const QRgb got = shown.pixel(x, y);
  return qRed(got) == RedOf(c) && qGreen(got) == GreenOf(c) && qBlue(got) == BlueOf(c);
}

// Pixels away from every boundary of the depth render that show neither the
// nearest polygon nor any other polygon facing the eye there.
int WrongPixels(const QImage& shown, const DepthRender& ref, const ShadedRenderer& r,
                const SolidPolyList& s) {
  int wrong = 0;
  for (int y = 1; y + 1 < ref.height; ++y)
    for (int x = 1; x + 1 < ref.width; ++x) {
      const int id = ref.nearest[size_t(y) * ref.width + x];
      bool boundary = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          boundary = boundary || ref.nearest[size_t(y + dy) * ref.width + x + dx] != id;
      if (boundary) continue;
      Colour expected = r.BackColour;
      if (id >= 0) {
        EXPECT_TRUE(r.FaceFill(s, id, expected));
      }
      if (Shows(shown, x, y, expected)) continue;
      // The painter's order among the polygons facing the eye may differ
      // from the depths (a decoration's overhang, a lower rank drawn later),
      // but what shows is one of them, or the black outline of one.
      const bool outline = Shows(shown, x, y, Rgb(0, 0, 0));
      bool front = false;
      for (const FrontPolygon& f : ref.front) {
        Colour c;
        if (outline) {
          front = f.NearEdge(x, y);
        } else {
          front = front || (f.Covers(x, y) && r.FaceFill(s, f.index, c) && Shows(shown, x, y, c));
        }
        if (front) break;
      }
      if (!front) ++wrong;
    }
  return wrong;
}

TEST(ShadedDepthTest, EverySolidShowsOnlyPolygonsFacingTheEyeFromEveryAngle) {
  DesignerHarness h;
  h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\"");
  frm3D& v = h.windows.view3D;
  struct View {
    float theta, phi, psi;
  };
  // The first is the window's first view, where the tetrahedron used to get
  // a back face painted over a front one (equal farthest depths).
  const View views[] = {{1.5707964f, 0, 0}, {0.6f, 0.45f, 0}, {3.9f, 5.0f, 0.7f}};
  for (const SolidInfo& info : Solids()) {
    ASSERT_TRUE(BuildSolid(h, info.key)) << info.key;
    for (const View& view : views) {
      SCOPED_TRACE(std::string(info.key) + " at theta " + std::to_string(view.theta));
      v.ThetaRad = view.theta;
      v.PhiRad = view.phi;
      v.PsiRad = view.psi;
      v.CheckAngles();
      v.DrawData();
      const QImage& shown = v.pic3D().canvas.Image();
      const double r = v.EyeDistance, a = v.PhiRad, b = -v.ThetaRad;
      const V3 eye{r * std::cos(a) * std::cos(b), r * std::sin(a), r * std::cos(a) * std::sin(b)};
      const DepthRender ref =
          RenderWithDepthBuffer(v.shaded, h.model().solid, eye, shown.width(), shown.height());
      ASSERT_TRUE(ref.allInFrontOfEye);
      EXPECT_EQ(WrongPixels(shown, ref, v.shaded, h.model().solid), 0);
    }
  }
}

}  // namespace
}  // namespace wlg::testing
