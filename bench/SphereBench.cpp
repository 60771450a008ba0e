#include <benchmark/benchmark.h>

#include <QImage>

#include "spherewrap/SphereMapping.h"

namespace {

constexpr int TopQuality = 10;  // 1024 x 1024
constexpr int GreyIndex = 7;

// A stand-in for the tessellator canvas, with detail in every pixel.
QImage TessPicture() {
  QImage img(1200, 900, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      img.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255));
  return img;
}

// One animation frame by the per-pixel offset table, turning as the timer does.
void BM_SphereFrameTable(benchmark::State& state) {
  wlg::SphereWrap sphere;
  sphere.SqueezePIC(TessPicture(), TopQuality, GreyIndex);
  sphere.GetSpeed(15);
  for (auto _ : state) {
    sphere.SpinTick();
    benchmark::DoNotOptimize(sphere.Frame().constBits());
  }
}
BENCHMARK(BM_SphereFrameTable)->Unit(benchmark::kMillisecond);

// The same frame with the square root and arctangent evaluated per pixel.
void BM_SphereFramePerPixel(benchmark::State& state) {
  wlg::SphereWrap sphere;
  sphere.SqueezePIC(TessPicture(), TopQuality, GreyIndex);
  int shift = sphere.SpinShift();
  for (auto _ : state) {
    shift = shift <= 10 ? sphere.Width() : shift - 10;
    sphere.SetSpinShift(shift);
    sphere.RotateReference();
    benchmark::DoNotOptimize(sphere.Frame().constBits());
  }
}
BENCHMARK(BM_SphereFramePerPixel)->Unit(benchmark::kMillisecond);

// A full rebuild: squeeze the picture into the texture, background, tables.
void BM_SphereRebuild(benchmark::State& state) {
  const QImage picture = TessPicture();
  wlg::SphereWrap sphere;
  for (auto _ : state) {
    sphere.SqueezePIC(picture, TopQuality, GreyIndex);
    benchmark::DoNotOptimize(sphere.Texture().constBits());
  }
}
BENCHMARK(BM_SphereRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
