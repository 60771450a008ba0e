#include "animation/AnimationSave.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "controls/Progress.h"
#include "designer/frmS.h"
#include "imaging/PictureFiles.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"

namespace wlg {

namespace {

struct KindText {
  AnimationKind kind;
  const char* choice;
  const char* filter;
};
constexpr KindText kKinds[] = {
    {AnimationKind::WebP, "Animated WebP", "WebP animations|*.webp"},
    {AnimationKind::Gif, "Animated GIF", "GIF animations|*.gif"},
    {AnimationKind::Mp4, "MP4 video (H.264)", "MP4 videos|*.mp4"},
    {AnimationKind::WebM, "WebM video (VP9)", "WebM videos|*.webm"},
};
constexpr const char* kOn = "On";
constexpr const char* kOff = "Off";

const KindText& TextOf(AnimationKind kind) {
  for (const KindText& k : kKinds)
    if (k.kind == kind) return k;
  return kKinds[0];
}

bool ReadNumber(const std::string& text, double lo, double hi, bool whole, double& out) {
  const std::string t = TrimSpaces(text);
  char* end = nullptr;
  out = std::strtod(t.c_str(), &end);
  return !t.empty() && end == t.c_str() + t.size() && std::isfinite(out) && out >= lo &&
         out <= hi && (!whole || out == std::floor(out));
}

}  // namespace

bool AskAnimation(Prompts& prompts, AnimationChoice& last) {
  std::vector<std::string> kinds;
  for (const KindText& k : kKinds) kinds.emplace_back(k.choice);
  std::vector<FormField> fields{
      {"&Kind:", TextOf(last.options.kind).choice, kinds},
      {"&Frames:", std::to_string(last.frames), {}},
      {"Frames per &second:", FormatSingle(static_cast<float>(last.options.fps)), {}},
      {"&Loop:", last.options.loop ? kOn : kOff, {kOn, kOff}},
  };
  for (;;) {
    if (!prompts.EditForm(kAnimationTitle, fields)) return false;
    double frames = 0, fps = 0;
    if (!ReadNumber(fields[1].value, 1, kMaxAnimationFrames, true, frames) ||
        !ReadNumber(fields[2].value, kMinAnimationFps, kMaxAnimationFps, false, fps)) {
      prompts.Tell(kAnimationNumbers);
      continue;
    }
    for (const KindText& k : kKinds)
      if (fields[0].value == k.choice) last.options.kind = k.kind;
    last.frames = static_cast<int>(frames);
    last.options.fps = fps;
    last.options.loop = fields[3].value != kOff;
    return true;
  }
}

void SaveAnimationCommand(frmS& designer, const char* dialogTitle, AnimationChoice& last,
                          std::string& lastName, const void* owner,
                          const std::function<std::unique_ptr<FrameSource>(int frames)>& frames) {
  Prompts& prompts = designer.program().prompts;
  if (!AskAnimation(prompts, last)) return;
  const KindText& kind = TextOf(last.options.kind);
  const char* ext = AnimationExtension(kind.kind);
  FileDialogRequest request{dialogTitle, kind.filter, ext, {}, true};
  const auto chosen = designer.AskSaveName(request, lastName);
  if (!chosen) return;
  const auto name = PictureOutputName(*chosen, ext);
  if (!name) return;
  std::unique_ptr<FrameSource> source = frames(last.frames);
  if (!source) return;

  ProgressReporter& progress = designer.Progress();
  progress.state = {kAnimationProgress, owner};
  const auto start = std::chrono::steady_clock::now();
  bool shown = false;
  auto report = [&](double done) {
    if (!shown && std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) return true;
    if (!shown) progress.ShowProgress(0);
    shown = true;
    // Below 100 until the file is in place: 100 hides the window.
    progress.ShowProgress(std::clamp(static_cast<int>(done * 100), 1, 99));
    return !progress.Form().CancelPressed();
  };
  std::string error;
  const bool ok = WriteAnimation(*source, last.options, *name, &error, report);
  if (shown) progress.ShowProgress(100);
  if (!ok && !error.empty()) prompts.Tell(std::string(kAnimationFailed) + "\r\n" + error);
}

}  // namespace wlg
