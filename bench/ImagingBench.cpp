#include <benchmark/benchmark.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <string>

#include "imaging/DIBSection.h"
#include "imaging/SaveJPG.h"

namespace {

// A 1200 x 900 picture with some detail, written as a JPEG at quality 90.
void BM_SaveJPG(benchmark::State& state) {
  QImage img(1200, 900, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      img.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255));
  wlg::cDIBSection dib;
  if (!dib.Create(img.width(), img.height()) || !dib.CopyFrom(img)) {
    state.SkipWithError("no bitmap");
    return;
  }
  QTemporaryDir dir;
  const std::string path = dir.filePath("bench.jpg").toStdString();
  std::string error;
  for (auto _ : state) {
    if (!wlg::SaveJPG(dib, path, 90, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
}
BENCHMARK(BM_SaveJPG)->Unit(benchmark::kMillisecond);

}  // namespace
