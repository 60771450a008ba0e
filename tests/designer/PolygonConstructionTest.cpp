#include "designer/PolygonConstruction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

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

TEST(PolygonConstruction, UnturnedPolygonsSitOnTheirTrueCentre) {
  auto m = Model();
  ConstructInner(*m, Geometry(3, 6), 0, 100, 100, 0, -1);
  ASSERT_EQ(m->poly.VertexCount, 3);
  ExpectPoint(m->poly.InnerVertices[1], 85, 108.66f);
  ExpectPoint(m->poly.InnerVertices[2], 115, 108.66f);
  ExpectPoint(m->poly.InnerVertices[3], 100, 82.68f);
  // Twice the apothem, not the triangle's box height.
  EXPECT_NEAR(m->poly.InnerHeight, 30 * std::tan(30 * DegToRadD), Tol);
  EXPECT_NEAR(m->poly.InnerWidth, 30, Tol);
  EXPECT_NEAR(m->poly.TurnAngle, 2 * M_PI / 3, 1e-6);
  EXPECT_FALSE(m->poly.StarMode);

  ConstructInner(*m, Geometry(4, 6), 0, 100, 100, 0, -1);
  ASSERT_EQ(m->poly.VertexCount, 4);
  ExpectPoint(m->poly.InnerVertices[1], 85, 115);
  ExpectPoint(m->poly.InnerVertices[2], 115, 115);
  ExpectPoint(m->poly.InnerVertices[3], 115, 85);
  ExpectPoint(m->poly.InnerVertices[4], 85, 85);
}

TEST(PolygonConstruction, HexagonStarTipsFillWithFitHexagons) {
  auto m = Model();
  ConstructInner(*m, Geometry(6, 6, true, 120), 0, 100, 100, 0, -1);
  const auto& v = m->poly.InnerVertices;
  ASSERT_EQ(m->poly.VertexCount, 12);
  EXPECT_TRUE(m->poly.StarMode);
  EXPECT_NEAR(m->poly.TurnAngle, 2 * M_PI / 6, 1e-6);
  ExpectPoint(v[1], 85, 125.98f);
  ExpectPoint(v[2], 100, 117.32f);
  ExpectPoint(v[3], 115, 125.98f);
  ExpectPoint(v[4], 115, 108.66f);
  for (int k = 1; k <= 6; ++k) {
    const FPoint tip = v[2 * k];
    const FPoint next = v[k == 6 ? 1 : 2 * k + 1];
    EXPECT_NEAR(Dist(v[2 * k - 1], tip), 30 / std::sqrt(3.0), Tol) << k;
    EXPECT_NEAR(Dist(next, tip), 30 / std::sqrt(3.0), Tol) << k;
    // Tips point inwards: closer to the centre than the base vertices.
    EXPECT_LT(Dist(tip, {100, 100}), Dist(v[2 * k - 1], {100, 100})) << k;
  }
}

TEST(PolygonConstruction, TurnsRotateClockwiseOnScreenAboutTheCentre) {
  auto plain = Model();
  ConstructInner(*plain, Geometry(6, 6), 0, 100, 100, 0, -1);

  auto turned = Model();
  turned->views.InnerTurn[0] = 30;
  ConstructInner(*turned, Geometry(6, 6), 0, 100, 100, 0, -1);
  for (int k = 1; k <= 6; ++k) {
    const FPoint a = plain->poly.InnerVertices[k];
    const FPoint b = turned->poly.InnerVertices[k];
    EXPECT_NEAR(Dist(b, {100, 100}), 30, Tol) << k;
    // Screen y points down, so a clockwise turn raises atan2(y, x).
    const double before = std::atan2(a.y - 100, a.x - 100);
    const double after = std::atan2(b.y - 100, b.x - 100);
    EXPECT_NEAR(std::remainder(after - before, 2 * M_PI), 30 * DegToRadD, 1e-4) << k;
  }
  ExpectPoint(turned->poly.InnerVertices[1], 74.02f, 115);

  // The extra angle adds to the turn: 30 + 30 lands the hexagon on itself
  // one vertex on.
  turned->views.InnerTurn[0] = 30;
  ConstructInner(*turned, Geometry(6, 6), 0, 100, 100, 30, -1);
  for (int k = 1; k <= 6; ++k)
    ExpectPoint(turned->poly.InnerVertices[k], plain->poly.InnerVertices[k == 1 ? 6 : k - 1].x,
                plain->poly.InnerVertices[k == 1 ? 6 : k - 1].y);

  // The outer polygon follows the outer turn only.
  auto outer = Model();
  outer->views.InnerTurn[0] = 45;
  ConstructOuter(*outer, Geometry(6, 4), 0, 100, 100, 0, -1);
  ExpectPoint(outer->poly.OuterVertices[1], 40, 160);
  outer->views.OuterTurn[0] = 45;
  ConstructOuter(*outer, Geometry(6, 4), 0, 100, 100, 0, -1);
  ExpectPoint(outer->poly.OuterVertices[1], 100 - 60 * std::sqrt(2.0f), 100);
}

TEST(PolygonConstruction, OuterPolygonUsesRatioAndItsOwnCount) {
  auto m = Model(30, 4);
  ConstructInner(*m, Geometry(3, 6), 0, 200, 150, 0, -1);
  ConstructOuter(*m, Geometry(3, 6), 0, 200, 150, 0, -1);
  ASSERT_EQ(m->poly.OuterCount, 6);
  for (int k = 1; k <= 6; ++k) {
    EXPECT_NEAR(Dist(m->poly.OuterVertices[k], {200, 150}), 120, Tol) << k;
    EXPECT_NEAR(Dist(m->poly.OuterVertices[k], m->poly.OuterVertices[k % 6 + 1]), 120, Tol) << k;
  }
  // The inner result is left alone.
  EXPECT_EQ(m->poly.VertexCount, 3);
  ExpectPoint(m->poly.InnerVertices[1], 185, 158.66f);

  ConstructOuter(*m, Geometry(3, 5, true, 108), 0, 200, 150, 0, -1);
  EXPECT_EQ(m->poly.OuterCount, 10);
}

TEST(PolygonConstruction, TessellationItemScalesTheSide) {
  auto m = Model(30, 2);
  m->views.ViewScale[0] = 2;
  // 30 * 2.5 / 2 / 5 = 7.5
  ConstructInner(*m, Geometry(4, 4), 0, 0, 0, 0, 2.5f);
  EXPECT_NEAR(Dist(m->poly.InnerVertices[1], m->poly.InnerVertices[2]), 7.5, Tol);
  ConstructOuter(*m, Geometry(4, 4), 0, 0, 0, 0, 2.5f);
  EXPECT_NEAR(Dist(m->poly.OuterVertices[1], m->poly.OuterVertices[2]), 15, Tol);
  // No item: the view's side length as it is, whatever its scale.
  for (float none : {0.0f, -1.0f}) {
    ConstructInner(*m, Geometry(4, 4), 0, 0, 0, 0, none);
    EXPECT_NEAR(Dist(m->poly.InnerVertices[1], m->poly.InnerVertices[2]), 30, Tol);
  }
}

TEST(PolygonConstruction, ExtremeStarAnglesStayFinite) {
  for (float starAngle : {5.0f, 179.0f}) {
    auto m = Model();
    m->views.InnerTurn[0] = 36;
    ConstructInner(*m, Geometry(5, 5, true, starAngle), 0, 100, 100, 17, -1);
    ConstructOuter(*m, Geometry(5, 5, true, starAngle), 0, 100, 100, 17, -1);
    for (int k = 1; k <= 10; ++k) {
      EXPECT_TRUE(std::isfinite(m->poly.InnerVertices[k].x) && std::isfinite(m->poly.InnerVertices[k].y));
      EXPECT_TRUE(std::isfinite(m->poly.OuterVertices[k].x) && std::isfinite(m->poly.OuterVertices[k].y));
    }
    const double tip = Dist(m->poly.InnerVertices[1], m->poly.InnerVertices[2]);
    const double expected = 15 / std::cos((180 - starAngle) * 0.5 * DegToRadD);
    EXPECT_NEAR(tip, expected, 0.05);
  }
}

}  // namespace
}  // namespace wlg
