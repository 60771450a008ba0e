// Animations of the sample's solids at 600 x 600: the 72-frame turn as
// lossless WebP (at most 3 s) and as MP4 (at most 2 s), and the 96-frame
// fold-up of the snub icosidodecahedron (at most 5 s), each written whole.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "BenchSupport.h"
#include "animation/FoldUp.h"
#include "animation/SpinFrames.h"

namespace {

struct Shown {
  wlg::bench::Session s;
  explicit Shown(const char* key) {
    s.prompts.file = std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";
    s.d.mnuFileLoad_Click();
    s.windows.view3D.ResizePicture(600, 600);
    // The solid fills the larger picture as it fills the window's.
    s.windows.view3D.Entry("vsScale3D").SetValue("1.25");
    s.windows.builder.RunCommand(*wlg::FindSolid(key));
  }
  wlg::frm3D& view() { return s.windows.view3D; }
};

void Write(benchmark::State& state, wlg::FrameSource& frames, wlg::AnimationKind kind) {
  QTemporaryDir dir;
  wlg::AnimationOptions o;
  o.kind = kind;
  const std::string path =
      dir.filePath(QString("a.") + wlg::AnimationExtension(kind)).toStdString();
  std::string error;
  for (auto _ : state)
    if (!wlg::WriteAnimation(frames, o, path, &error)) state.SkipWithError(error.c_str());
  state.SetItemsProcessed(state.iterations() * frames.Count());
}

void BM_Spin72(benchmark::State& state) {
  Shown shown("Cube");
  wlg::SolidSpin spin(shown.view(), shown.s.program.design.solid, 72);
  Write(state, spin, static_cast<wlg::AnimationKind>(state.range(0)));
}
BENCHMARK(BM_Spin72)
    ->Arg(static_cast<int>(wlg::AnimationKind::WebP))
    ->Arg(static_cast<int>(wlg::AnimationKind::Mp4))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

void BM_FoldUpSIcos96(benchmark::State& state) {
  Shown shown("SIcos");
  std::string why;
  auto folding = wlg::FoldUp::Make(shown.view(), shown.s.program.design.solid, 96, &why);
  if (!folding) {
    state.SkipWithError(why.c_str());
    return;
  }
  Write(state, *folding, static_cast<wlg::AnimationKind>(state.range(0)));
}
BENCHMARK(BM_FoldUpSIcos96)
    ->Arg(static_cast<int>(wlg::AnimationKind::WebP))
    ->Arg(static_cast<int>(wlg::AnimationKind::Mp4))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
