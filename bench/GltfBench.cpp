// Saving a glTF file of a solid at the polygon capacity: 10,000 triangles
// round a sphere, each band of them a strip whose corner ranges overlap, so
// they fit in the vertex arrays. Half of them are listed the wrong way round
// and must be turned. The whole save has to stay within 100 ms.

#include <benchmark/benchmark.h>

#include <memory>

#include "BenchSupport.h"
#include "designer/DesignModel.h"
#include "solids/SolidGltf.h"

namespace {

std::unique_ptr<wlg::SolidPolyList> TriangleSphere() {
  auto s = std::make_unique<wlg::SolidPolyList>();
  int v = 0, f = 0;
  for (int b = 0; b < 50; ++b) {
    const int first = v;
    for (int j = 0; j <= 100; ++j) {
      wlg::bench::SphereVertex(*s, v++, b, j);
      wlg::bench::SphereVertex(*s, v++, b + 1, j);
    }
    for (int k = 0; k < 200; ++k, ++f) {
      s->PolyFirstPoint[f] = first + k;
      s->PolyLastPoint[f] = 2;
      s->PolyColour[f] = wlg::Palette16[9 + (b + k) % 7];
    }
  }
  s->PolyCount = f - 1;
  s->VertCount = v;
  return s;
}

void BM_GltfBytes10000Polygons(benchmark::State& state) {
  const auto solid = TriangleSphere();
  for (auto _ : state) benchmark::DoNotOptimize(wlg::GltfBytes(*solid, state.range(0) != 0));
}
BENCHMARK(BM_GltfBytes10000Polygons)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("binary")
    ->Unit(benchmark::kMillisecond);

}  // namespace
