#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "designer/PolygonConstruction.h"

namespace wlg {
namespace {

constexpr float Tol = 0.01f;

// The model is large; keep it off the stack.
std::unique_ptr<DesignModel> Model(float side = 30, float outerRatio = 4) {
  auto m = std::make_unique<DesignModel>();
  m->views.SideLength[0] = side;
  m->views.OuterRatio[0] = outerRatio;
  m->views.ViewScale[0] = 1;
  return m;
}

TileGeometry Geometry(int inner, int outer, bool star = false, float starAngle = 120) {
  TileGeometry g;
  g.innerSides = inner;
  g.outerSides = outer;
  g.star = star;
  g.starAngle = starAngle;
  return g;
}

void ExpectPoint(FPoint p, float x, float y) {
  EXPECT_NEAR(p.x, x, Tol);
  EXPECT_NEAR(p.y, y, Tol);
}

float Dist(FPoint a, FPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

TEST(PolygonConstruction, WorkedExamplesSitOnTheirTrueCentre) {
  struct Case {
    int sides;
    bool star;
    std::vector<FPoint> first;
  } cases[] = {
      {3, false, {{85, 108.66f}, {115, 108.66f}, {100, 82.68f}}},
      {4, false, {{85, 115}, {115, 115}, {115, 85}, {85, 85}}},
      {6, true, {{85, 125.98f}, {100, 117.32f}, {115, 125.98f}, {115, 108.66f}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sides);
    auto m = Model();
    ConstructInner(*m, Geometry(c.sides, 6, c.star), 0, 100, 100, 0, -1);
    ASSERT_EQ(m->poly.VertexCount, c.star ? 2 * c.sides : c.sides);
    EXPECT_EQ(m->poly.StarMode, c.star);
    EXPECT_NEAR(m->poly.TurnAngle, 2 * M_PI / c.sides, 1e-6);
    for (size_t k = 0; k < c.first.size(); ++k)
      ExpectPoint(m->poly.InnerVertices[k + 1], c.first[k].x, c.first[k].y);
    if (c.sides == 3) {  // twice the apothem, not the triangle's box height
      EXPECT_NEAR(m->poly.InnerHeight, 30 * std::tan(30 * DegToRadD), Tol);
    }
  }
}

TEST(PolygonConstruction, TurnsRotateClockwiseOnScreenAboutTheCentre) {
  auto plain = Model();
  ConstructInner(*plain, Geometry(6, 6), 0, 100, 100, 0, -1);
  auto turned = Model();
  turned->views.InnerTurn[0] = 30;
  ConstructInner(*turned, Geometry(6, 6), 0, 100, 100, 0, -1);
  ExpectPoint(turned->poly.InnerVertices[1], 74.02f, 115);
  // The extra angle adds to the turn: 30 + 30 lands the hexagon on itself
  // one vertex on.
  ConstructInner(*turned, Geometry(6, 6), 0, 100, 100, 30, -1);
  for (int k = 1; k <= 6; ++k) {
    const FPoint p = plain->poly.InnerVertices[k == 1 ? 6 : k - 1];
    ExpectPoint(turned->poly.InnerVertices[k], p.x, p.y);
  }

  // The outer polygon follows the outer turn only.
  auto outer = Model();
  outer->views.InnerTurn[0] = 45;
  ConstructOuter(*outer, Geometry(6, 4), 0, 100, 100, 0, -1);
  ExpectPoint(outer->poly.OuterVertices[1], 40, 160);
  outer->views.OuterTurn[0] = 45;
  ConstructOuter(*outer, Geometry(6, 4), 0, 100, 100, 0, -1);
  ExpectPoint(outer->poly.OuterVertices[1], 100 - 60 * std::sqrt(2.0f), 100);
}

TEST(PolygonConstruction, OuterPolygonUsesTheRatioAndItsOwnCount) {
  auto m = Model(30, 4);
  ConstructInner(*m, Geometry(3, 6), 0, 200, 150, 0, -1);
  ConstructOuter(*m, Geometry(3, 6), 0, 200, 150, 0, -1);
  ASSERT_EQ(m->poly.OuterCount, 6);
  for (int k = 1; k <= 6; ++k) {
    EXPECT_NEAR(Dist(m->poly.OuterVertices[k], {200, 150}), 120, Tol) << k;
    EXPECT_NEAR(Dist(m->poly.OuterVertices[k], m->poly.OuterVertices[k % 6 + 1]), 120, Tol) << k;
  }
  EXPECT_EQ(m->poly.VertexCount, 3);  // the inner result is left alone
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
