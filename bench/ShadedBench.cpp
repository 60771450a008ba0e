// A full redraw of the 3D picture at the solid list's capacity: 10,000
// shaded polygons on a 600 x 600 picture, as every spin tick does. It has
// to fit in 16 ms to keep up with the timer with room to spare.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "BenchSupport.h"
#include "platform/ImageCanvas.h"
#include "solids/ShadedRenderer.h"

namespace {

// A sphere of radius 150 cut into 50 bands of 100 columns, each band a
// triangle strip: polygon k of a band uses vertices k..k+2 of that band, so
// 10,000 triangles need only 10,100 vertices.
std::unique_ptr<wlg::SolidPolyList> StripSphere() {
  auto s = std::make_unique<wlg::SolidPolyList>();
  int v = 0, f = 0;
  for (int b = 0; b < 50; ++b) {
    const int base = v;
    for (int j = 0; j <= 100; ++j) {
      wlg::bench::SphereVertex(*s, v++, b, j);
      wlg::bench::SphereVertex(*s, v++, b + 1, j);
    }
    for (int k = 0; k < 200; ++k, ++f) {
      s->PolyFirstPoint[f] = base + k;
      s->PolyLastPoint[f] = 2;
      s->PolyColour[f] = wlg::Palette16[9 + (b + k / 2) % 7];
    }
  }
  s->PolyCount = f - 1;
  s->VertCount = v;
  return s;
}

void BM_DrawData10000Polygons(benchmark::State& state) {
  wlg::bench::EnsureApp();
  const auto solid = StripSphere();
  wlg::ImageCanvas pic(600, 600);
  wlg::ShadedRenderer r;
  r.SolidCentre = {300, 300};
  wlg::M3Ops ops;
  ops.BuildViewFromAngles(r.ViewTransform, 1, 500, 0.4f, -1.1f, 0, 0, 0, 0, 1, 0);
  r.PsiRad = 0.3f;  // the roll costs a little more
  for (auto _ : state) {
    r.DrawData(pic, *solid);
    benchmark::DoNotOptimize(pic.Image().constBits());
  }
  state.SetItemsProcessed(state.iterations() * (solid->PolyCount + 1));
}
BENCHMARK(BM_DrawData10000Polygons)->Unit(benchmark::kMillisecond);

// The same redraw without pixels: the transform, light and sort alone, to
// tell the renderer's share from the painting.
class CountingCanvas : public wlg::Canvas {
 public:
  int Width() const override { return 600; }
  int Height() const override { return 600; }
  void Clear() override {}
  void Polygon(const wlg::IPoint* pts, int count) override {
    benchmark::DoNotOptimize(pts[count - 1]);
    ++polygons;
  }
  void Polyline(const wlg::IPoint*, int) override {}
  void Line(int, int, int, int, wlg::Colour) override {}
  void Dot(int, int, wlg::Colour) override {}
  wlg::Colour PointColour(int, int) const override { return 0; }
  void FloodFillSurface(int, int, wlg::Colour) override {}
  long polygons = 0;
};

void BM_DrawData10000PolygonsWithoutPainting(benchmark::State& state) {
  const auto solid = StripSphere();
  CountingCanvas pic;
  wlg::ShadedRenderer r;
  r.SolidCentre = {300, 300};
  wlg::M3Ops ops;
  ops.BuildViewFromAngles(r.ViewTransform, 1, 500, 0.4f, -1.1f, 0, 0, 0, 0, 1, 0);
  r.PsiRad = 0.3f;
  for (auto _ : state) r.DrawData(pic, *solid);
  // Polygons turned from the eye are not drawn.
  if (pic.polygons == 0) state.SkipWithError("nothing was drawn");
  state.SetItemsProcessed(pic.polygons);
}
BENCHMARK(BM_DrawData10000PolygonsWithoutPainting)->Unit(benchmark::kMillisecond);

}  // namespace
