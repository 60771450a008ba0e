// The worst tessellation as vector files: the recording, each writer over
// it (in memory, as a save does before the file is put in place), and the
// cut lines' edge merging at two sizes.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "BenchSupport.h"
#include "imaging/VectorDrawing.h"
#include "imaging/VisibleParts.h"

namespace wlg::bench {
namespace {

const VectorDrawing& WorstDrawing() {
  static const VectorDrawing drawing = [] {
    Session s;
    WorstTessellation(s);
    VectorRecorder r(1200, 900, s.t.TessBackColour());
    s.t.RecordRedraw(r);
    return r.Drawing();
  }();
  return drawing;
}

void BM_VectorRecordWorst(benchmark::State& state) {
  Session s;
  WorstTessellation(s);
  for (auto _ : state) {
    VectorRecorder r(1200, 900, s.t.TessBackColour());
    s.t.RecordRedraw(r);
    benchmark::DoNotOptimize(r.Drawing().figures.size());
  }
}
BENCHMARK(BM_VectorRecordWorst)->Unit(benchmark::kMillisecond);

// 0 SVG, 1 PDF, 2 DXF, 3 the layers alone; mode as VectorMode. CPU time is
// the whole process's: the visible parts are found on every core.
void BM_VectorFileWorst(benchmark::State& state) {
  const VectorDrawing& d = WorstDrawing();
  VectorOptions o;
  o.mode = static_cast<VectorMode>(state.range(1));
  std::string bytes, why;
  VectorPlan plan;
  for (auto _ : state) {
    plan = BuildVectorPlan(d, o);
    if (state.range(0) == 0) bytes = LayeredSvg(plan);
    if (state.range(0) == 1) PdfBytes(plan, bytes);
    if (state.range(0) == 2) DxfBytes(plan, bytes, &why);
    benchmark::DoNotOptimize(bytes.size());
  }
  state.counters["figures"] = static_cast<double>(d.figures.size());
  state.counters["MB"] = bytes.size() / 1e6;
  // Pen-up travel in metres: figure by figure in drawing order, and as written.
  if (o.mode != VectorMode::Picture) {
    state.counters["travel_drawn_m"] = plan.travelDrawnMm / 1000;
    state.counters["travel_written_m"] = plan.travelWrittenMm / 1000;
  }
}
BENCHMARK(BM_VectorFileWorst)
    ->ArgNames({"format", "mode"})
    ->Args({3, 0})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({2, 2})
    ->Args({1, 1})
    ->Args({1, 2})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// The cut lines of the first n figures, for the growth with size.
void BM_CutLinesGrowth(benchmark::State& state) {
  VectorDrawing d = WorstDrawing();
  d.figures.resize(std::min<size_t>(d.figures.size(), static_cast<size_t>(state.range(0))));
  size_t edges = 0;
  for (const VectorFigure& f : d.figures) edges += f.count;
  VectorOptions o;
  o.mode = VectorMode::Cut;
  for (auto _ : state) benchmark::DoNotOptimize(BuildVectorPlan(d, o).layers.size());
  state.counters["edges"] = static_cast<double>(edges);
  state.SetComplexityN(static_cast<int64_t>(edges));
}
BENCHMARK(BM_CutLinesGrowth)
    ->Arg(12000)
    ->Arg(120000)
    ->Complexity(benchmark::oNLogN)
    ->Unit(benchmark::kMillisecond);

// n large filled octagons piled over one another on the page: the pairs
// that overlap grow with the square of n, and so must the work, but no
// faster.
void BM_VisiblePartsPiled(benchmark::State& state) {
  VectorDrawing d;
  d.width = 1200;
  d.height = 900;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> x(300, 900), y(250, 650), r(150, 400);
  for (int i = 0; i < state.range(0); ++i) {
    VectorFigure f;
    f.first = static_cast<uint32_t>(d.points.size());
    f.count = 8;
    f.item = i;
    f.filled = true;
    f.fill = 0x102030u * static_cast<Colour>(i % 5 + 1);
    const double cx = x(random), cy = y(random), radius = r(random);
    for (int k = 0; k < 8; ++k)
      d.points.push_back(
          {cx + radius * std::cos(k * M_PI / 4), cy + radius * std::sin(k * M_PI / 4)});
    d.figures.push_back(f);
  }
  for (auto _ : state) benchmark::DoNotOptimize(VisibleParts(d).figures.size());
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_VisiblePartsPiled)
    ->Arg(250)
    ->Arg(1000)
    ->Complexity(benchmark::oNSquared)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wlg::bench
