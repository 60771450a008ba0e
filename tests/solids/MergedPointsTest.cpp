// The grid search for VRML points must give exactly the indices a search
// through every earlier point gives, or the scene's index lines change.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "solids/MergedPoints.h"
#include "support/AllPairsMerge.h"

namespace wlg {
namespace {

struct Cloud {
  std::vector<float> x, y, z;
  void Add(float a, float b, float c) {
    x.push_back(a);
    y.push_back(b);
    z.push_back(c);
  }
};

std::vector<long> ByGrid(const Cloud& c) {
  MergedPoints points(static_cast<int>(c.x.size()));
  return testing::MergeAll(points, c.x, c.y, c.z);
}

std::vector<long> ByAllPairs(const Cloud& c) {
  testing::AllPairsPoints points;
  return testing::MergeAll(points, c.x, c.y, c.z);
}

TEST(MergedPoints, AgreesWithTheSearchThroughEveryEarlierPoint) {
  // Points crowded round a few centres, so that many lie within 0.1 of
  // several others and on both sides of cell borders (multiples of 0.25).
  std::mt19937 random(7);
  std::uniform_int_distribution<int> centre(-4, 4);
  std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
  Cloud c;
  for (int i = 0; i < 4000; ++i)
    c.Add(centre(random) * 0.25f + jitter(random), centre(random) * 0.25f + jitter(random),
          centre(random) * 0.25f + jitter(random));
  const std::vector<long> grid = ByGrid(c);
  EXPECT_EQ(grid, ByAllPairs(c));
  // The cloud is dense enough that merging really happens.
  EXPECT_LT(*std::max_element(grid.begin(), grid.end()), 3000);
}

TEST(MergedPoints, TheLowestMatchWinsAndFarOrNonFinitePointsFollowTheSameRule) {
  Cloud c;
  // 0.28 is within 0.1 of 0.20 (index 1, in the cell below, searched first)
  // and of 0.36 (index 0, in its own cell): the lower index wins. Merged
  // vertices add no point, so 0.52 is new although 0.45 was near it.
  for (float v : {0.36f, 0.20f, 0.28f, 0.45f, 0.52f, 0.60f}) c.Add(v, 1, 1);
  EXPECT_EQ(ByGrid(c), (std::vector<long>{0, 1, 0, 0, 2, 2}));
  // Within means less than 0.1 in every coordinate.
  Cloud t;
  for (const auto& [x, z] : {std::pair{0.f, 0.f}, {0.1f, 0.f}, {0.09f, 0.05f}, {0.f, 0.15f}})
    t.Add(x, 0, z);
  EXPECT_EQ(ByGrid(t), (std::vector<long>{0, 1, 0, 2}));
  constexpr float kInf = std::numeric_limits<float>::infinity();
  for (float v : {1e9f, 1e9f, -1e9f, 2e5f, 2e5f + 0.05f, 262144.0f, 262143.95f, -262144.05f})
    c.Add(v, v, v);
  c.Add(kInf, 0, 0);
  c.Add(kInf, 0, 0);
  c.Add(std::nanf(""), 0, 0);
  c.Add(0, -kInf, 0);
  EXPECT_EQ(ByGrid(c), ByAllPairs(c));
}

}  // namespace
}  // namespace wlg
