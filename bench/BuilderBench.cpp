// Building the largest solid with busy tiles: the snub icosidodecahedron
// (80 triangles, 12 pentagons) with fifteen 4-point ranks on both tiles,
// about 4,600 polygons and 18,300 corners, just inside the lists' limits.
// The designer rebuilds the shown solid after every edit, so the whole menu
// command (check, template, faces, winding, shaded redraw and the designer's
// own tile) has to stay within 20 ms.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "solids/PrintFiles.h"
#include "solids/SolidNet.h"

namespace {

void BusyTile(wlg::bench::Session& s, int tile) {
  wlg::DesignModel& m = s.program.design;
  for (int r = 0; r < 15; ++r) {
    const int k = wlg::RanksPerTile * tile + r;
    s.d.vs("vsN", k).SetValue("4");
    m.PointCount[k] = 4;
    for (int j = 0; j < 4; ++j) {
      const float a = j * 6.2831853f / 4 + 0.1f * r;
      m.X[k][j] = 240 + (3 + r % 5) * std::cos(a) + 2 * (r % 3);
      m.Y[k][j] = 232 + (3 + r % 5) * std::sin(a) + (r % 4);
    }
    m.PlacedCount[k] = 4;
  }
}

void BM_ArchiSnubIcosidodecahedron15Ranks(benchmark::State& state) {
  wlg::bench::Session s;
  const wlg::SolidInfo& solid = *wlg::FindSolid("SIcos");
  s.windows.builder.RunCommand(solid);  // the tiles are set up on the way (Yes)
  BusyTile(s, 0);
  BusyTile(s, 1);
  s.d.DrawPolygon();
  const wlg::SolidPolyList& list = s.program.design.solid;
  if (!s.windows.view3D.IsVisible() || list.PolyCount < 4000) {
    state.SkipWithError("the solid was not built");
    return;
  }
  for (auto _ : state) {
    s.windows.builder.RunCommand(solid);
    benchmark::DoNotOptimize(list.VertX[list.VertCount]);
  }
  state.counters["polygons"] = list.PolyCount + 1;
  state.counters["vertices"] = list.VertCount;
}
BENCHMARK(BM_ArchiSnubIcosidodecahedron15Ranks)->Unit(benchmark::kMillisecond);

// The printable net of the same solid, unfolded, decorated and written as a
// whole file (argument 0: PDF, 1: SVG): at most 200 ms.
void BM_NetSnubIcosidodecahedron15Ranks(benchmark::State& state) {
  wlg::bench::Session s;
  const wlg::SolidInfo& solid = *wlg::FindSolid("SIcos");
  s.windows.builder.RunCommand(solid);
  BusyTile(s, 0);
  BusyTile(s, 1);
  s.d.DrawPolygon();
  const wlg::SolidPolyList& list = s.program.design.solid;
  const std::string path =
      state.range(0) ? "/tmp/whirligons-bench-net.svg" : "/tmp/whirligons-bench-net.pdf";
  std::string error;
  for (auto _ : state)
    if (!wlg::SaveNetFile(list, wlg::NetOptions{}, path, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  std::remove(path.c_str());
  state.counters["polygons"] = list.PolyCount + 1;
}
BENCHMARK(BM_NetSnubIcosidodecahedron15Ranks)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same solid as a coloured 3MF for a printer, the decoration cut into
// the faces and the file written (argument: the relief in tenths of a mm):
// at most 300 ms flat, 600 ms raised.
void BM_Print3mfSnubIcosidodecahedron15Ranks(benchmark::State& state) {
  wlg::bench::Session s;
  s.windows.builder.RunCommand(*wlg::FindSolid("SIcos"));
  BusyTile(s, 0);
  BusyTile(s, 1);
  s.d.DrawPolygon();
  const wlg::SolidPolyList& list = s.program.design.solid;
  wlg::PrintFileOptions options;
  options.mesh.reliefMm = static_cast<double>(state.range(0)) / 10;
  const std::string path = "/tmp/whirligons-bench-print.3mf";
  std::string note, error;
  for (auto _ : state)
    if (!wlg::SavePrintFile(list, options, path, &note, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  std::remove(path.c_str());
  state.counters["polygons"] = list.PolyCount + 1;
}
BENCHMARK(BM_Print3mfSnubIcosidodecahedron15Ranks)
    ->Arg(0)
    ->Arg(6)
    ->ArgName("reliefTenthsMm")
    ->Unit(benchmark::kMillisecond);

// The truncated icosidodecahedron's net at 40 mm edges, cut where tabs need
// room and packed onto pages by the pieces' outlines: well under a second.
// Counters: the pages used and the pages the paper's area alone needs.
void BM_NetTruncatedIcosidodecahedron40mm(benchmark::State& state) {
  wlg::bench::Session s;
  s.windows.builder.RunCommand(*wlg::FindSolid("TIcosi"));
  const wlg::SolidPolyList& list = s.program.design.solid;
  wlg::SolidNet net;
  std::string error;
  for (auto _ : state)
    if (!wlg::BuildSolidNet(list, {40, wlg::PageSize::A4}, net, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  double area = 0;
  auto add = [&](const std::vector<wlg::DPoint>& p) {
    double twice = 0;
    for (size_t i = 0; i < p.size(); ++i)
      twice += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
    area += std::abs(twice) / 2;
  };
  for (const wlg::NetFace& f : net.faces) add(f.corners);
  for (const wlg::NetTab& t : net.tabs) add(t.outline);
  state.counters["pages"] = static_cast<double>(net.pages.size());
  state.counters["areaPages"] = std::ceil(area / (190.0 * 277.0));
}
BENCHMARK(BM_NetTruncatedIcosidodecahedron40mm)->Unit(benchmark::kMillisecond);

}  // namespace
