#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "designer/PolygonConstruction.h"

namespace wlg {
namespace {

constexpr float Tol = 0.01f;

// The model is large; keep it off the stack.
std::unique_ptr<DesignModel> Model() {
  auto m = std::make_unique<DesignModel>();
  m->views.SideLength[0] = 30;
  m->views.OuterRatio[0] = 4;
  m->views.ViewScale[0] = 1;
  return m;
}

// Sides, sizes and star angle of a tile; side sizes are the defaults.
TileGeometry Geometry(int inner, int outer, bool star = false, float starAngle = 120) {
  return {inner, outer, 1, 4, star, starAngle};
}

// Side 30 (outer: 4 times that) about the centre (100, 100); screen y points
// down, so a turn is clockwise on the screen.
TEST(PolygonConstruction, VerticesSitOnTheirTrueCentreAndTurnClockwise) {
  struct Case {
    const char* name;
    bool outer;
    TileGeometry g;
    std::array<float, 3> turns;  // inner, outer, and the caller's extra angle
    int count;
    std::vector<FPoint> first;  // vertices from 1 on
  } cases[] = {
      {"triangle", false, Geometry(3, 6), {}, 3, {{85, 108.66f}, {115, 108.66f}, {100, 82.68f}}},
      {"square", false, Geometry(4, 6), {}, 4, {{85, 115}, {115, 115}, {115, 85}, {85, 85}}},
      // The star's tips fit hexagons.
      {"star",
       false,
       Geometry(6, 6, true),
       {},
       12,
       {{85, 125.98f}, {100, 117.32f}, {115, 125.98f}, {115, 108.66f}}},
      {"hexagon turned", false, Geometry(6, 6), {30, 0, 0}, 6, {{74.02f, 115}}},
      {"and by the caller", false, Geometry(6, 6), {30, 0, 30}, 6, {{70, 100}}},
      {"outer hexagon", true, Geometry(3, 6), {}, 6, {{40, 203.92f}, {160, 203.92f}, {220, 100}}},
      {"outer square keeps to the outer turn", true, Geometry(6, 4), {45, 0, 0}, 4, {{40, 160}}},
      {"outer square turned", true, Geometry(6, 4), {45, 45, 0}, 4, {{15.15f, 100}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = Model();
    m->views.InnerTurn[0] = c.turns[0];
    m->views.OuterTurn[0] = c.turns[1];
    if (c.outer) {
      ConstructOuter(*m, c.g, 0, 100, 100, c.turns[2], -1);
    } else {
      ConstructInner(*m, c.g, 0, 100, 100, c.turns[2], -1);
    }
    EXPECT_EQ(c.outer ? m->poly.OuterCount : m->poly.VertexCount, c.count);
    const auto& v = c.outer ? m->poly.OuterVertices : m->poly.InnerVertices;
    for (size_t k = 0; k < c.first.size(); ++k) {
      EXPECT_NEAR(v[k + 1].x, c.first[k].x, Tol) << k + 1;
      EXPECT_NEAR(v[k + 1].y, c.first[k].y, Tol) << k + 1;
    }
  }

  // The triangle's height is twice the apothem, not its box height; a star
  // turns its copies by the polygon's sides, not by its twice as many vertices.
  auto m = Model();
  ConstructInner(*m, Geometry(3, 6), 0, 100, 100, 0, -1);
  EXPECT_NEAR(m->poly.InnerHeight, 30 * std::tan(30 * DegToRadD), Tol);
  ConstructInner(*m, Geometry(6, 6, true), 0, 100, 100, 0, -1);
  EXPECT_TRUE(m->poly.StarMode);
  EXPECT_NEAR(m->poly.TurnAngle, 2 * M_PI / 6, 1e-6);
}

TEST(PolygonConstruction, ExtremeStarAnglesStayFinite) {
  for (float starAngle : {5.0f, 179.0f}) {
    auto m = Model();
    m->views.InnerTurn[0] = 36;
    ConstructInner(*m, Geometry(5, 5, true, starAngle), 0, 100, 100, 17, -1);
    ConstructOuter(*m, Geometry(5, 5, true, starAngle), 0, 100, 100, 17, -1);
    for (int k = 1; k <= 10; ++k) {
      const FPoint i = m->poly.InnerVertices[k], o = m->poly.OuterVertices[k];
      EXPECT_TRUE(std::isfinite(i.x + i.y + o.x + o.y)) << starAngle << " " << k;
    }
  }
}

}  // namespace
}  // namespace wlg
