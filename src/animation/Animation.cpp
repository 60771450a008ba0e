#include "animation/Animation.h"

#include <cmath>

#include "platform/SafeFile.h"

namespace wlg {

std::optional<AnimationKind> AnimationKindOf(const std::string& extension) {
  if (extension == "webp") return AnimationKind::WebP;
  if (extension == "gif") return AnimationKind::Gif;
  if (extension == "mp4") return AnimationKind::Mp4;
  if (extension == "webm") return AnimationKind::WebM;
  return std::nullopt;
}

const char* AnimationExtension(AnimationKind kind) {
  switch (kind) {
    case AnimationKind::WebP:
      return "webp";
    case AnimationKind::Gif:
      return "gif";
    case AnimationKind::Mp4:
      return "mp4";
    case AnimationKind::WebM:
      return "webm";
  }
  return "webp";
}

int FrameTimeMs(int i, double fps) { return static_cast<int>(std::lround(i * 1000.0 / fps)); }

QImage FrameIn(FrameSource& frames, int i, QImage::Format format) {
  QImage frame = frames.Frame(i);
  if (frame.width() != frames.Width() || frame.height() != frames.Height()) return {};
  return frame.convertToFormat(format);
}

bool WriteAnimation(FrameSource& frames, const AnimationOptions& options, const std::string& path,
                    std::string* error, const AnimationProgress& progress) {
  if (error) error->clear();
  // Refused before any frame is drawn: a long animation would otherwise
  // be made only to find the folder gone.
  if (!CheckWritable(path, error)) return false;
  if (frames.Count() < 1 || frames.Width() < 1 || frames.Height() < 1) {
    if (error) *error = "Failed to save " + path + ": there are no frames";
    return false;
  }
  switch (options.kind) {
    case AnimationKind::WebP:
      return WriteWebpAnimation(frames, options, path, error, progress);
    case AnimationKind::Gif:
      return WriteGifAnimation(frames, options, path, error, progress);
    case AnimationKind::Mp4:
    case AnimationKind::WebM:
      return WriteVideo(frames, options, path, error, progress);
  }
  return false;
}

}  // namespace wlg
