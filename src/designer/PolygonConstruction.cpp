#include "designer/PolygonConstruction.h"

#include <algorithm>
#include <cmath>

namespace wlg {

namespace {

constexpr double HalfPi = 1.570796326794895;

struct Built {
  int count = 0;
  float width = 0;
  float height = 0;
};

// Side length of the view, shrunk or grown for a tessellation copy.
float SideFor(const DesignModel& m, int view, float itemScale) {
  float side = m.views.SideLength[view];
  if (itemScale > 0) side = side * itemScale / m.views.ViewScale[view] / 5.0f;
  return side;
}

// Edge walk, optional star, centring and turns for one polygon of `sides`
// sides of length `side`, written to entries 1..count of `v`.
Built BuildPolygon(std::array<FPoint, VertexCapacity>& v, float side, int sides, bool star,
                   float starAngle, float x0, float y0, float turnDeg, float angleDeg) {
  // Side counts outside the entry range never get here; the clamp only keeps
  // the fixed vertex arrays safe.
  const int maxSides = star ? (VertexCapacity - 1) / 2 : VertexCapacity - 1;
  sides = std::clamp(sides, 3, maxSides);
  const float ext = ExteriorAngle(sides);

  // Counter-clockwise on screen: first edge along the bottom, body above it.
  std::array<FPoint, VertexCapacity> walk{};
  walk[1] = {0, 0};
  walk[2] = {side, 0};
  float phi = ext;
  for (int k = 3; k <= sides; ++k) {
    walk[k].x = static_cast<float>(walk[k - 1].x + side * std::cos(static_cast<double>(phi)));
    walk[k].y = static_cast<float>(walk[k - 1].y - side * std::sin(static_cast<double>(phi)));
    phi = phi + ext;
  }

  int count = sides;
  if (star) {
    // A tip is the apex of an isosceles triangle raised inwards on each edge,
    // its apex angle being the star angle.
    const double beta0 = (180.0 - starAngle) * 0.5 * DegToRadD;
    const double tip = (side * 0.5) / std::cos(beta0);
    for (int k = 1; k <= sides; ++k) {
      const double beta = beta0 + (k - 1) * static_cast<double>(ext);
      v[2 * k - 1] = walk[k];
      v[2 * k].x = static_cast<float>(walk[k].x + tip * std::cos(beta));
      v[2 * k].y = static_cast<float>(walk[k].y - tip * std::sin(beta));
    }
    count = 2 * sides;
  } else {
    for (int k = 1; k <= sides; ++k) v[k] = walk[k];
  }

  float minX = 99999, maxX = -99999;
  for (int k = 1; k <= count; ++k) {
    minX = std::min(minX, v[k].x);
    maxX = std::max(maxX, v[k].x);
  }
  Built b;
  b.count = count;
  b.width = maxX - minX;
  // Twice the apothem rather than the box height, so that odd polygons are
  // centred on their true centre, not on their bounding box.
  b.height = static_cast<float>(side * std::tan(HalfPi - static_cast<double>(ext) / 2.0));

  for (int k = 1; k <= count; ++k) {
    v[k].x = static_cast<float>(static_cast<double>(x0) + v[k].x - minX - b.width / 2.0);
    v[k].y = static_cast<float>(static_cast<double>(y0) + v[k].y + b.height / 2.0);
  }

  if (turnDeg != 0) RotatePoints(v, count, x0, y0, turnDeg * DegToRadF);
  if (angleDeg != 0) RotatePoints(v, count, x0, y0, angleDeg * DegToRadF);
  return b;
}

}  // namespace

float ExteriorAngle(int sides) {
  return static_cast<float>((180.0 - (180.0 - 360.0 / sides)) * DegToRadD);
}

FPoint RotatePoint(FPoint p, float x0, float y0, float theta) {
  const float dx = p.x - x0;
  const float dy = p.y - y0;
  const double c = std::cos(static_cast<double>(theta));
  const double s = std::sin(static_cast<double>(theta));
  return {static_cast<float>(dx * c - dy * s + x0), static_cast<float>(dy * c + dx * s + y0)};
}

void RotatePoints(std::array<FPoint, VertexCapacity>& pts, int last, float x0, float y0, float theta) {
  last = std::min(last, VertexCapacity - 1);
  for (int k = 0; k <= last; ++k) pts[k] = RotatePoint(pts[k], x0, y0, theta);
}

void ConstructInner(DesignModel& m, const TileGeometry& g, int view, float x0, float y0, float angle,
                    float itemScale) {
  ConstructedPolygon& p = m.poly;
  const float side = SideFor(m, view, itemScale);
  p.StarMode = g.star;
  const Built b = BuildPolygon(p.InnerVertices, side, g.innerSides, g.star, g.starAngle, x0, y0,
                               m.views.InnerTurn[view], angle);
  p.VertexCount = b.count;
  p.TurnAngle = ExteriorAngle(g.star ? b.count / 2 : b.count);
  p.InnerWidth = b.width;
  p.InnerHeight = b.height;
}

void ConstructOuter(DesignModel& m, const TileGeometry& g, int view, float x0, float y0, float angle,
                    float itemScale) {
  ConstructedPolygon& p = m.poly;
  const float side = m.views.OuterRatio[view] * SideFor(m, view, itemScale);
  const Built b = BuildPolygon(p.OuterVertices, side, g.outerSides, g.star, g.starAngle, x0, y0,
                               m.views.OuterTurn[view], angle);
  p.OuterCount = b.count;
}

}  // namespace wlg
