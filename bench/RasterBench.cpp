// A print-sized picture of the worst tessellation, redrawn a band at a
// time into a streamed PNG, JPEG or BMP: its time and the process's peak
// memory (a high-water mark: run one kind per process for its own figure,
// e.g. --benchmark_filter=BandedPicture20000/2).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QDir>
#include <cstdio>

#include "BenchSupport.h"
#include "imaging/BandedRaster.h"
#include "imaging/PictureFiles.h"

namespace wlg::bench {
namespace {

double PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;  // kilobytes on Linux
}

// 1000 x 1000 canvas units at scale 20: 20,000 x 20,000 pixels.
void BandedPicture20000(benchmark::State& state, bool smooth) {
  const PictureKind kind = static_cast<PictureKind>(state.range(0));
  const char* ext[] = {"bmp", "jpg", "png", "tif"};
  Session s;
  WorstTessellation(s);
  s.t.picT().canvas.Resize(1000, 1000);
  VectorRecorder recorder(1000, 1000, s.t.TessBackColour());
  s.t.RecordRedraw(recorder);
  const BandedRaster raster(recorder.Drawing(), {20, false, false, smooth});
  StreamedPicture p;
  p.width = raster.Width();
  p.height = raster.Height();
  p.bandRows = BandRowsFor(p.width);
  p.render = [&raster](int top, QImage& band) { raster.RenderBand(top, band); };
  const std::string path =
      QDir::tempPath().toStdString() + "/whirligons-bench-20000." + ext[state.range(0)];
  for (auto _ : state) {
    std::string error;
    if (!WritePicture(p, path, kind, &error)) state.SkipWithError(error.c_str());
  }
  state.counters["figures"] = static_cast<double>(recorder.Drawing().figures.size());
  state.counters["peak_rss_mb"] = PeakRssMb();
  std::remove(path.c_str());
}
void BM_BandedPicture20000(benchmark::State& state) { BandedPicture20000(state, false); }
void BM_BandedPicture20000Smooth(benchmark::State& state) { BandedPicture20000(state, true); }
BENCHMARK(BM_BandedPicture20000Smooth)
    ->Arg(static_cast<int>(PictureKind::PNG))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_BandedPicture20000)
    ->Arg(static_cast<int>(PictureKind::PNG))
    ->Arg(static_cast<int>(PictureKind::JPG))
    ->Arg(static_cast<int>(PictureKind::BMP))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace wlg::bench
