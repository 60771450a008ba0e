// The designer's redraw and pattern loading at their worst.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <ctime>

#include "BenchSupport.h"
#include "document/PatternFile.h"
#include "platform/ImageCanvas.h"

namespace wlg::bench {
namespace {

// A full DrawPolygon of a 19-sided star tile with sixteen 9-point ranks
// (608 drawn copies), on the designer's canvas.
void BM_DrawPolygonWorstTile(benchmark::State& state) {
  Session s;
  s.WorstCaseTile();
  for (auto _ : state) s.d.DrawPolygon();
}
BENCHMARK(BM_DrawPolygonWorstTile)->Unit(benchmark::kMillisecond);

// The same tile drawn through the renderer on a 600 x 600 canvas.
void BM_RenderWorstTile600(benchmark::State& state) {
  Session s;
  s.WorstCaseTile();
  ImageCanvas canvas(600, 600);
  const FPoint c{300, 300};
  for (auto _ : state) {
    canvas.Clear();
    s.d.renderer().DRP(canvas, 0, c.x, c.y, 0, 0, false, -1);
    s.d.renderer().CopyPolygon(canvas, 0, c.x, c.y, 0, 0, -1);
  }
}
BENCHMARK(BM_RenderWorstTile600)->Unit(benchmark::kMillisecond);

// Loading a pattern with 199 placed tiles and 1000 colour overrides.
void BM_LoadFullPattern(benchmark::State& state) {
  Session s;
  TessState& t = s.program.tess;
  for (int i = 1; i <= kClassicTiles; ++i) {
    t.TessItems[i].X = 10.0f + i;
    t.TessItems[i].Y = 20.0f + i;
    t.TessItems[i].Shape = 1 + i % 4;
  }
  t.TessCount = kClassicTiles;
  ColourOverrides& o = s.program.design.overrides;
  for (int i = 0; i < kClassicOverrides; ++i)
    o.entries[i] = {float(i % 12), float(1 + i % 199), i % 64, i % 16};
  o.OverrideCount = kClassicOverrides;
  QTemporaryDir dir;
  const std::string path = dir.filePath("full.wlg").toStdString();
  s.prompts.file = path;
  s.d.mnuFileSave_Click();
  for (auto _ : state) s.d.mnuFileLoad_Click();
}
BENCHMARK(BM_LoadFullPattern)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wlg::bench
