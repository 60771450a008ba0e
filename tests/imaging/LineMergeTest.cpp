// Cut-mode merging of shared edges into strokes, and pen-up travel ordering.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "imaging/LineMerge.h"
#include "support/UnionLength.h"

namespace wlg {
namespace {

constexpr double kTol = 0.02;

void AddPolygon(std::vector<Segment>& s, const std::vector<DPoint>& p) {
  for (size_t i = 0; i < p.size(); ++i) s.push_back({p[i], p[(i + 1) % p.size()]});
}
void AddSquare(std::vector<Segment>& s, double x, double y, double side, double noise = 0) {
  AddPolygon(
      s,
      {{x + noise, y}, {x + side, y - noise}, {x + side, y + side + noise}, {x - noise, y + side}});
}
size_t Pieces(const std::vector<Stroke>& strokes) {
  size_t n = 0;
  for (const Stroke& s : strokes) n += s.points.size() - (s.closed ? 0 : 1);
  return n;
}

TEST(LineMerge, SharedAndPartlySharedEdgesAreDrawnOnce) {
  for (double noise : {0.0, 1e-4}) {
    std::vector<Segment> s;
    AddSquare(s, 0, 0, 10);
    AddSquare(s, 10, 0, 10, noise);
    const auto strokes = MergeIntoStrokes(s, kTol);
    EXPECT_NEAR(DrawnLength(strokes), 70, 0.01) << noise;
    EXPECT_EQ(Pieces(strokes), 7u) << noise;
    EXPECT_LE(strokes.size(), 2u) << noise;
  }
}

TEST(LineMerge, OnlyStretchesReallyWithinTheToleranceMerge) {
  // Collinear but apart; parallel but farther apart than the tolerance; slightly slanted.
  const std::vector<std::vector<Segment>> apart = {
      {{{0, 0}, {1, 0}}, {{1.5, 0}, {3, 0}}},
      {{{0, 0}, {10, 0}}, {{0, 0.03}, {10, 0.03}}},
      {{{0, 0}, {100, 0}}, {{0, 0.001}, {100, 0.5}}},
  };
  // Ends within the tolerance of another become one point; nothing merges.
  for (const auto& s : apart)
    EXPECT_NEAR(DrawnLength(MergeIntoStrokes(s, kTol)), testing::UnionLength(s, 0), kTol);
  // Directions just above 0 and just below pi are the same line.
  const std::vector<Segment> wrap = {
      {{0, 0}, {10, 1e-4}}, {{10, -1e-4}, {0, 1e-4}}, {{12, 0}, {0, 1e-3}}};
  const auto strokes = MergeIntoStrokes(wrap, kTol);
  EXPECT_NEAR(DrawnLength(strokes), 12, 0.01);
  // Bad input is dropped, never drawn.
  const double nan = std::nan(""), inf = INFINITY;
  EXPECT_TRUE(
      MergeIntoStrokes({{{nan, 0}, {1, 1}}, {{0, inf}, {1, 1}}, {{2, 2}, {2, 2}}}, kTol).empty());
}

TEST(LineMerge, GridOfSquaresAndTrianglesGivesTheUnionInFewStrokes) {
  std::mt19937 rng(7);
  std::vector<Segment> s;
  for (int x = 0; x < 24; ++x)
    for (int y = 0; y < 24; ++y) {
      const int kind = static_cast<int>(rng() % 4);
      const double size = rng() % 3 == 0 ? 2 : 1;
      if (kind == 0) continue;
      if (kind == 1)
        AddSquare(s, x, y, size);
      else
        AddPolygon(s, {{double(x), double(y)}, {x + size, double(y)}, {double(x), y + size}});
    }
  std::shuffle(s.begin(), s.end(), rng);
  const auto strokes = MergeIntoStrokes(s, kTol);
  EXPECT_NEAR(DrawnLength(strokes), testing::UnionLength(s, 1e-9), 1e-6);
  EXPECT_LT(strokes.size() * 5, s.size());
  // Lines far longer than the grid, one along its bottom edges and one
  // across it, are split where the grid's corners lie on them, however few
  // those corners are beside their length.
  for (const double reach : {30.0, 1e5}) {
    std::vector<Segment> longer = s;
    longer.push_back({{-reach, 0}, {reach, 0}});
    longer.push_back({{-reach, -reach}, {reach, reach}});
    EXPECT_NEAR(DrawnLength(MergeIntoStrokes(longer, kTol)), testing::UnionLength(longer, 1e-9),
                1e-6)
        << reach;
  }
}

TEST(LineMerge, OrderingShortensTravelAndKeepsEveryStroke) {
  std::mt19937 rng(3);
  std::vector<Stroke> strokes;
  for (int i = 0; i < 400; ++i) {
    const double x = rng() % 1000, y = rng() % 1000;
    if (i % 2)
      strokes.push_back({{{x, y}, {x + 3, y}, {x + 3, y + 2}}, false});
    else
      strokes.push_back({{{x, y}, {x + 2, y}, {x + 2, y + 2}, {x, y + 2}}, true});
  }
  const auto before = strokes;
  const DPoint start{-50, -50};
  OrderForShortTravel(strokes, start);
  EXPECT_LT(PenUpTravel(strokes, start), PenUpTravel(before, start) / 4);
  // The same strokes, whatever their order, direction and first point.
  auto strokeSet = [](const std::vector<Stroke>& list) {
    std::vector<std::pair<double, double>> all;
    for (const Stroke& s : list)
      for (DPoint p : s.points) all.push_back({p.x + (s.closed ? 4096 : 0), p.y});
    std::sort(all.begin(), all.end());
    return all;
  };
  EXPECT_EQ(strokeSet(strokes), strokeSet(before));
}

}  // namespace
}  // namespace wlg
