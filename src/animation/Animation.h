#pragma once
// Animations written as files: a source draws the frames one at a time (a
// long animation never holds them all), and an encoder from a library made
// for the kind writes them: libwebp's animation encoder, giflib, or FFmpeg's
// H.264 (MP4) and VP9 (WebM). Every file goes through the atomic writer, so a
// failure or a cancel leaves nothing half-written.

#include <QImage>
#include <functional>
#include <optional>
#include <string>

namespace wlg {

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  virtual int Count() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Frame i (0 .. Count() - 1), Width() x Height(), opaque.
  virtual QImage Frame(int i) = 0;
};

enum class AnimationKind { WebP, Gif, Mp4, WebM };

struct AnimationOptions {
  AnimationKind kind = AnimationKind::WebP;
  double fps = 24;
  bool loop = true;      // WebP and GIF: play again and again (videos leave it to the player)
  bool lossless = true;  // WebP: lossless, else quality 90
};

inline constexpr int kDefaultAnimationFrames = 72;
inline constexpr double kDefaultAnimationFps = 24;
inline constexpr int kMaxAnimationFrames = 3600;
inline constexpr double kMinAnimationFps = 1, kMaxAnimationFps = 60;

// The kind a file name's extension asks for (webp, gif, mp4, webm).
std::optional<AnimationKind> AnimationKindOf(const std::string& extension);
const char* AnimationExtension(AnimationKind kind);

// Called after each frame with the share done (0..1); returning false
// cancels the save, which then writes nothing and leaves *error empty.
using AnimationProgress = std::function<bool(double done)>;

// Writes every frame of 'frames' to 'path'. False with *error set (naming
// the file and the reason) on failure, or with *error empty when cancelled.
bool WriteAnimation(FrameSource& frames, const AnimationOptions& options, const std::string& path,
                    std::string* error, const AnimationProgress& progress = {});

// The encoders behind WriteAnimation.
bool WriteWebpAnimation(FrameSource& frames, const AnimationOptions& options,
                        const std::string& path, std::string* error,
                        const AnimationProgress& progress);
bool WriteGifAnimation(FrameSource& frames, const AnimationOptions& options,
                       const std::string& path, std::string* error,
                       const AnimationProgress& progress);
bool WriteVideo(FrameSource& frames, const AnimationOptions& options, const std::string& path,
                std::string* error, const AnimationProgress& progress);

// Frame i in 'format', or a null picture when the source could not draw it
// at its size (the encoders then stop with a message).
QImage FrameIn(FrameSource& frames, int i, QImage::Format format);

// Milliseconds from the start to frame i at 'fps', rounded: the frames'
// durations then add up to the whole length without drifting.
int FrameTimeMs(int i, double fps);

}  // namespace wlg
