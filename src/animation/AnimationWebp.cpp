// Animated WebP through libwebp's WebPAnimEncoder, built whole in memory
// and then put in place atomically.

#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>

#include "animation/Animation.h"
#include "platform/SafeFile.h"

namespace wlg {

namespace {

struct EncoderDeleter {
  void operator()(WebPAnimEncoder* e) const { WebPAnimEncoderDelete(e); }
};

std::string Failed(const std::string& path, const std::string& why) {
  return "Failed to save " + path + ": " + why;
}

}  // namespace

bool WriteWebpAnimation(FrameSource& frames, const AnimationOptions& options,
                        const std::string& path, std::string* error,
                        const AnimationProgress& progress) {
  const int w = frames.Width(), h = frames.Height();
  WebPAnimEncoderOptions animOptions;
  WebPConfig config;
  if (!WebPAnimEncoderOptionsInit(&animOptions) || !WebPConfigInit(&config)) {
    if (error) *error = Failed(path, "the WebP library does not match its headers");
    return false;
  }
  animOptions.anim_params.loop_count = options.loop ? 0 : 1;
  animOptions.anim_params.bgcolor = 0xffffffffu;
  // Every frame is a key frame's worth of work otherwise; small sub-frames
  // keep the file small and the encoding quick.
  animOptions.minimize_size = 0;
  animOptions.allow_mixed = 0;
  if (options.lossless) {
    config.lossless = 1;
    // The quickest lossless effort: shaded solids are flat runs of colour,
    // which the quickest setting already packs well.
    config.quality = 0;
    config.method = 0;
  } else {
    config.quality = 90;
    config.method = 2;
  }
  std::unique_ptr<WebPAnimEncoder, EncoderDeleter> encoder(WebPAnimEncoderNew(w, h, &animOptions));
  if (!encoder) {
    if (error) *error = Failed(path, "the WebP encoder could not start");
    return false;
  }
  WebPPicture picture;
  if (!WebPPictureInit(&picture)) return false;
  picture.width = w;
  picture.height = h;
  picture.use_argb = 1;
  const int count = frames.Count();
  for (int i = 0; i < count; ++i) {
    const QImage frame = FrameIn(frames, i, QImage::Format_ARGB32);
    if (frame.isNull()) {
      if (error) *error = Failed(path, "a frame could not be drawn");
      return false;
    }
    // Qt's ARGB32 rows are the 0xAARRGGBB words WebP's ARGB planes hold.
    picture.argb = reinterpret_cast<uint32_t*>(const_cast<uchar*>(frame.constBits()));
    picture.argb_stride = static_cast<int>(frame.bytesPerLine() / 4);
    const bool added =
        WebPAnimEncoderAdd(encoder.get(), &picture, FrameTimeMs(i, options.fps), &config) != 0;
    picture.argb = nullptr;
    if (!added) {
      if (error) *error = Failed(path, WebPAnimEncoderGetError(encoder.get()));
      return false;
    }
    if (progress && !progress((i + 1.0) / (count + 1))) return false;
  }
  // The last frame's length: the time stamp where a next one would start.
  WebPAnimEncoderAdd(encoder.get(), nullptr, FrameTimeMs(count, options.fps), nullptr);
  WebPData data;
  WebPDataInit(&data);
  if (!WebPAnimEncoderAssemble(encoder.get(), &data)) {
    if (error) *error = Failed(path, WebPAnimEncoderGetError(encoder.get()));
    return false;
  }
  const std::string_view bytes(reinterpret_cast<const char*>(data.bytes), data.size);
  const bool ok = WriteFileAtomically(path, bytes, error);
  WebPDataClear(&data);
  if (ok && progress) progress(1);
  return ok;
}

}  // namespace wlg
