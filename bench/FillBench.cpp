// Filling the plane by repetition, and the tessellator, the pattern file and
// Undo at ten thousand tiles.

#include <benchmark/benchmark.h>

#include <ctime>

#include "BenchSupport.h"
#include "document/PatternFile.h"

namespace wlg::bench {
namespace {

constexpr double kA3Width = 297 * 96 / 25.4, kA3Height = 420 * 96 / 25.4;

// The octagons-and-squares patch, shown at zoom 1.
void Octagons(Session& s) {
  s.prompts.file = std::string(WHIRLIGONS_SAMPLES_DIR) + "/octagons-and-squares.wlg";
  s.d.mnuFileLoad_Click();
  s.t.Show();
  s.t.Entry("vsZoom").SetValue("1");
  s.t.UpdateTess();
}

// The patch filled to about ten thousand tiles (an 8,200 unit square).
void TenThousand(Session& s) {
  Octagons(s);
  s.t.FillOver({0, 0, 8200, 8200});
}

// The whole menu command: the lattice, the copies, the Undo step and the
// redraw of the view, from the patch each time.
void FillFromPatch(benchmark::State& state, const FillRect& area) {
  Session s;
  Octagons(s);
  const TessState patch = s.program.tess;
  for (auto _ : state) {
    state.PauseTiming();
    s.program.tess = patch;
    state.ResumeTiming();
    s.t.FillOver(area);
  }
  state.counters["tiles"] = s.program.tess.TessCount;
}

void BM_FillA3Octagons(benchmark::State& state) {
  FillFromPatch(state, {0, 0, kA3Width, kA3Height});
}
BENCHMARK(BM_FillA3Octagons)->Unit(benchmark::kMillisecond);

void BM_Fill10000(benchmark::State& state) { FillFromPatch(state, {0, 0, 8200, 8200}); }
BENCHMARK(BM_Fill10000)->Unit(benchmark::kMillisecond);

void BM_TessFullRedraw10000(benchmark::State& state) {
  Session s;
  TenThousand(s);
  for (auto _ : state) s.t.UpdateTess();
  state.counters["tiles"] = s.program.tess.TessCount;
}
BENCHMARK(BM_TessFullRedraw10000)->Unit(benchmark::kMillisecond);

// A tile in the middle of the list dragged about the view.
void BM_TessDragMove10000(benchmark::State& state) {
  Session s;
  TenThousand(s);
  const TessItem& it = s.program.tess.TessItems[1];
  const FPoint p = s.t.ToCanvas(it.X, it.Y);
  s.t.picT_MouseDown(MouseButton::Left, 0, p.x, p.y);
  float dx = 0;
  for (auto _ : state) {
    dx = dx > 30 ? 0 : dx + 1;
    s.t.picT_MouseMove(MouseButton::Left, 0, p.x + dx, p.y);
  }
  s.t.picT_MouseUp(MouseButton::Left, 0, p.x + dx, p.y);
}
BENCHMARK(BM_TessDragMove10000)->Unit(benchmark::kMillisecond);

std::string PatternText(Session& s) {
  const std::tm when{};
  return WritePattern(s.program, {&s.d, &s.windows.view3D, &s.t}, when);
}

void BM_PatternSave10000(benchmark::State& state) {
  Session s;
  TenThousand(s);
  for (auto _ : state) benchmark::DoNotOptimize(PatternText(s));
}
BENCHMARK(BM_PatternSave10000)->Unit(benchmark::kMillisecond);

// The File/Open command on the saved sheet, redraws included.
void BM_PatternLoad10000(benchmark::State& state) {
  Session s;
  TenThousand(s);
  const std::string path = "/tmp/whirligons-bench-10000.wlg";
  std::string reason;
  if (!SavePatternFile(path, PatternText(s), reason)) state.SkipWithError(reason.c_str());
  s.prompts.file = path;
  for (auto _ : state) s.d.mnuFileLoad_Click();
  state.counters["tiles"] = s.program.tess.TessCount;
}
BENCHMARK(BM_PatternLoad10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wlg::bench
