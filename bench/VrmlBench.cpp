// Saving a VRML scene of a solid at the vertex capacity: 5,000 quadrilaterals
// recorded with their own 20,000 corners, which merge into shared points.
// The whole save has to stay within 100 ms, and the grid search for points
// to merge into must beat the search through every earlier point by far
// (MergedPointsTest checks that both give the same indices, and so the
// same file).

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "BenchSupport.h"
#include "designer/DesignModel.h"
#include "solids/MergedPoints.h"
#include "solids/SolidExport.h"
#include "support/AllPairsMerge.h"

namespace {

std::unique_ptr<wlg::SolidPolyList> QuadSphere() {
  auto s = std::make_unique<wlg::SolidPolyList>();
  int v = 0, f = 0;
  for (int b = 0; b < 50; ++b)
    for (int j = 0; j < 100; ++j, ++f) {
      s->PolyFirstPoint[f] = v;
      s->PolyLastPoint[f] = 3;
      s->PolyColour[f] = wlg::Palette16[9 + (b + j) % 7];
      wlg::bench::SphereVertex(*s, v++, b, j);
      wlg::bench::SphereVertex(*s, v++, b, j + 1);
      wlg::bench::SphereVertex(*s, v++, b + 1, j + 1);
      wlg::bench::SphereVertex(*s, v++, b + 1, j);
    }
  s->PolyCount = f - 1;
  s->VertCount = v;
  return s;
}

void BM_VrmlText20000Vertices(benchmark::State& state) {
  const auto solid = QuadSphere();
  wlg::VrmlOptions options;
  options.lines = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(wlg::VrmlText(*solid, options, nullptr));
}
BENCHMARK(BM_VrmlText20000Vertices)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("lines")
    ->Unit(benchmark::kMillisecond);

template <class Points>
void MergeBenchmark(benchmark::State& state) {
  const auto s = QuadSphere();
  std::vector<float> x, y, z;
  for (int i = 0; i < s->VertCount; ++i) {
    x.push_back(s->VertX[i]);
    y.push_back(s->VertY[i]);
    z.push_back(s->VertZ[i]);
  }
  for (auto _ : state) {
    Points points{};
    benchmark::DoNotOptimize(wlg::testing::MergeAll(points, x, y, z));
  }
}

struct GridPoints : wlg::MergedPoints {
  GridPoints() : wlg::MergedPoints(wlg::SolidVertCapacity) {}
};

void BM_MergeByGrid20000(benchmark::State& state) { MergeBenchmark<GridPoints>(state); }
BENCHMARK(BM_MergeByGrid20000)->Unit(benchmark::kMillisecond);

void BM_MergeByAllPairs20000(benchmark::State& state) {
  MergeBenchmark<wlg::testing::AllPairsPoints>(state);
}
BENCHMARK(BM_MergeByAllPairs20000)->Unit(benchmark::kMillisecond);

}  // namespace
