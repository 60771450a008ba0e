// The tessellator's redraw at its worst, and a pointer move while dragging.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

namespace wlg::bench {
namespace {

// About 40 hexagons with four ranks of four points.
void TypicalTessellation(Session& s) {
  DesignModel& m = s.program.design;
  for (int k = 0; k < 4; ++k) {
    m.PointCount[k] = 4;
    const float x[] = {240, 250, 240, 230}, y[] = {260, 270, 280, 270};
    for (int j = 0; j < 4; ++j) {
      m.X[k][j] = x[j] + 5 * k;
      m.Y[k][j] = y[j];
    }
    m.PlacedCount[k] = 4;
  }
  s.d.DrawPolygon();
  s.t.Show();
  s.t.picT().canvas.Resize(1200, 900);
  TessState& t = s.program.tess;
  for (int i = 1; i <= 40; ++i) {
    TessItem& it = t.TessItems[i];
    it = TessItem{};
    it.X = 60.0f + 100 * ((i - 1) % 8);
    it.Y = 60.0f + 100 * ((i - 1) / 8);
  }
  t.TessCount = 40;
}

void BM_TessFullRedrawWorst(benchmark::State& state) {
  Session s;
  WorstTessellation(s);
  for (auto _ : state) s.t.UpdateTess();
}
BENCHMARK(BM_TessFullRedrawWorst)->Unit(benchmark::kMillisecond);

// The same redraw with smooth edges (the exact picture and an antialiased
// display picture at ratio 1), to set beside the one above.
void BM_TessFullRedrawWorstSmooth(benchmark::State& state) {
  Session s;
  WorstTessellation(s);
  s.windows.SetSmoothEdges(true, false);
  for (auto _ : state) s.t.UpdateTess();
}
BENCHMARK(BM_TessFullRedrawWorstSmooth)->Unit(benchmark::kMillisecond);

// Both again on a screen of two device pixels per canvas unit (arg 1: smooth).
void BM_TessFullRedrawWorstHiDpi(benchmark::State& state) {
  Session s;
  WorstTessellation(s);
  s.t.picT().canvas.SetDevicePixelRatio(2);
  s.windows.SetSmoothEdges(state.range(0) != 0, false);
  for (auto _ : state) s.t.UpdateTess();
}
BENCHMARK(BM_TessFullRedrawWorstHiDpi)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TessFullRedrawTypical(benchmark::State& state) {
  Session s;
  TypicalTessellation(s);
  for (auto _ : state) s.t.UpdateTess();
}
BENCHMARK(BM_TessFullRedrawTypical)->Unit(benchmark::kMillisecond);

// Grab item 100 and move it: every pointer move redraws.
void BM_TessDragMoveWorst(benchmark::State& state) {
  Session s;
  WorstTessellation(s);
  s.t.UpdateTess();
  const TessItem& it = s.program.tess.TessItems[100];
  const FPoint p = s.t.ToCanvas(it.X, it.Y);
  s.t.picT_MouseDown(MouseButton::Left, 0, p.x, p.y);
  float dx = 0;
  for (auto _ : state) {
    dx = dx > 30 ? 0 : dx + 1;
    s.t.picT_MouseMove(MouseButton::Left, 0, p.x + dx, p.y);
  }
  s.t.picT_MouseUp(MouseButton::Left, 0, p.x + dx, p.y);
}
BENCHMARK(BM_TessDragMoveWorst)->Unit(benchmark::kMillisecond);

// The same drag on a screen of two device pixels per canvas unit (and with
// smooth edges too, as arg 1).
void BM_TessDragMoveWorstHiDpi(benchmark::State& state) {
  Session s;
  WorstTessellation(s);
  s.t.picT().canvas.SetDevicePixelRatio(2);
  s.windows.SetSmoothEdges(state.range(0) != 0, false);
  s.t.UpdateTess();
  const TessItem& it = s.program.tess.TessItems[100];
  const FPoint p = s.t.ToCanvas(it.X, it.Y);
  s.t.picT_MouseDown(MouseButton::Left, 0, p.x, p.y);
  float dx = 0;
  for (auto _ : state) {
    dx = dx > 30 ? 0 : dx + 1;
    s.t.picT_MouseMove(MouseButton::Left, 0, p.x + dx, p.y);
    // What the window shows: the display picture, finished.
    benchmark::DoNotOptimize(s.t.picT().canvas.DisplayImage().constBits());
  }
  s.t.picT_MouseUp(MouseButton::Left, 0, p.x + dx, p.y);
}
BENCHMARK(BM_TessDragMoveWorstHiDpi)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wlg::bench
