#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "solids/M3Ops.h"
#include "solids/SolidTables.h"

namespace {

// Reading and checking all eighteen tables from the data folder.
void BM_LoadAllSolidTables(benchmark::State& state) {
  wlg::SolidTable table;
  std::string error;
  for (auto _ : state) {
    for (const wlg::SolidInfo& s : wlg::Solids()) {
      if (!wlg::LoadSolidTable(s.key, table, error)) {
        state.SkipWithError(error.c_str());
        return;
      }
      benchmark::DoNotOptimize(table.blocks.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * wlg::kSolidCount);
}
BENCHMARK(BM_LoadAllSolidTables)->Unit(benchmark::kMicrosecond);

// A full solid's worth of vertices (20000) through a perspective view, as
// every redraw of the 3D window does.
void BM_TransformPoint20000(benchmark::State& state) {
  constexpr int kCount = 20000;
  std::vector<wlg::Point4> world(kCount), screen(kCount);
  for (int i = 0; i < kCount; ++i) {
    const double a = i * 0.001, b = i * 0.0037;
    world[i](1) = static_cast<float>(100 * std::cos(a) * std::cos(b));
    world[i](2) = static_cast<float>(100 * std::sin(a));
    world[i](3) = static_cast<float>(100 * std::cos(a) * std::sin(b));
  }
  wlg::M3Ops ops;
  wlg::Matrix4 view;
  ops.BuildViewFromAngles(view, 1, 1000, 0.3f, -0.7f, 0, 0, 0, 0, 1, 0);
  for (auto _ : state) {
    for (int i = 0; i < kCount; ++i) wlg::M3Ops::TransformPoint(world[i], view, screen[i]);
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_TransformPoint20000)->Unit(benchmark::kMicrosecond);

}  // namespace
