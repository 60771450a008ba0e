#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "imaging/LineMerge.h"

namespace {

// Triangles and hexagons of a 3.4.6.4-free mixed lattice, each polygon's corners computed on
// their own far from the origin, so shared corners carry rounding noise.
std::vector<wlg::Segment> Lattice(int rows) {
  std::vector<wlg::Segment> s;
  const double side = 7.3, h = side * std::sqrt(3.0) / 2;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < rows; ++c) {
      const double x = 40000 + c * side * 3 + (r % 2) * side * 1.5, y = -30000 + r * h;
      if ((r + c) % 3 == 0) {
        std::vector<wlg::DPoint> p;
        for (int k = 0; k < 6; ++k)
          p.push_back({x + side * std::cos(k * M_PI / 3), y + side * std::sin(k * M_PI / 3)});
        for (int k = 0; k < 6; ++k) s.push_back({p[k], p[(k + 1) % 6]});
      } else {
        for (int t = 0; t < 2; ++t) {
          const double x0 = x + t * side * 1.5;
          const wlg::DPoint a{x0, y}, b{x0 + side, y}, d{x0 + side / 2, y + h};
          s.push_back({a, b}), s.push_back({b, d}), s.push_back({d, a});
        }
      }
    }
  return s;
}

void BM_MergeIntoStrokes(benchmark::State& state) {
  const auto segs = Lattice(static_cast<int>(state.range(0)));
  size_t strokes = 0;
  for (auto _ : state) strokes = wlg::MergeIntoStrokes(segs, 0.02).size();
  state.counters["segments"] = static_cast<double>(segs.size());
  state.counters["strokes"] = static_cast<double>(strokes);
}
BENCHMARK(BM_MergeIntoStrokes)->Arg(62)->Arg(196)->Unit(benchmark::kMillisecond);

// Every polygon as its own closed stroke, as a plotter draws filled outlines.
void BM_OrderForShortTravel(benchmark::State& state) {
  const auto segs = Lattice(static_cast<int>(state.range(0)));
  std::vector<wlg::Stroke> polys;
  for (size_t i = 0; i + 2 < segs.size(); i += 3)
    polys.push_back({{segs[i].a, segs[i + 1].a, segs[i + 2].a}, true});
  for (auto _ : state) {
    state.PauseTiming();
    auto strokes = polys;
    state.ResumeTiming();
    wlg::OrderForShortTravel(strokes, {0, 0});
    benchmark::DoNotOptimize(strokes.data());
  }
  state.counters["strokes"] = static_cast<double>(polys.size());
}
BENCHMARK(BM_OrderForShortTravel)->Arg(62)->Arg(196)->Unit(benchmark::kMillisecond);

}  // namespace
