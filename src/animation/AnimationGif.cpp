// Animated GIF through giflib. Shaded solids use few colours (the palette's
// sixteen at a handful of light levels), so a first pass gathers them: when
// every frame's colours fit one table of 256 that table is the file's, and
// each pixel keeps its exact colour. Otherwise (smooth edges, the sphere's
// texture) each frame carries a table of its own, quantised by giflib where
// it holds more than 256 colours.

#include <gif_lib.h>

#include <cmath>
#include <unordered_map>
#include <vector>

#include "animation/Animation.h"
#include "platform/SafeFile.h"

namespace wlg {

namespace {

constexpr size_t kMaxColours = 256;

int Append(GifFileType* gif, const GifByteType* data, int length) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
  return length;
}

struct Table {
  std::unordered_map<QRgb, GifByteType> index;
  std::vector<QRgb> colours;
  // False once the colours no longer fit.
  bool Add(const QImage& frame) {
    for (int y = 0; y < frame.height(); ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
      QRgb last = ~row[0];
      for (int x = 0; x < frame.width(); ++x) {
        const QRgb c = row[x] | 0xff000000u;
        if (c == last) continue;
        last = c;
        if (index.count(c)) continue;
        if (colours.size() == kMaxColours) return false;
        index.emplace(c, static_cast<GifByteType>(colours.size()));
        colours.push_back(c);
      }
    }
    return true;
  }
  ColorMapObject* Map() const {
    const int size = 1 << GifBitSize(static_cast<int>(std::max<size_t>(colours.size(), 2)));
    std::vector<GifColorType> entries(size, GifColorType{0, 0, 0});
    for (size_t i = 0; i < colours.size(); ++i)
      entries[i] = {static_cast<GifByteType>(qRed(colours[i])),
                    static_cast<GifByteType>(qGreen(colours[i])),
                    static_cast<GifByteType>(qBlue(colours[i]))};
    return GifMakeMapObject(size, entries.data());
  }
  // False when the frame holds a colour the table lacks.
  bool Indices(const QImage& frame, std::vector<GifByteType>& out) const {
    out.resize(static_cast<size_t>(frame.width()) * frame.height());
    GifByteType* o = out.data();
    for (int y = 0; y < frame.height(); ++y) {
      const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
      for (int x = 0; x < frame.width(); ++x) {
        const auto at = index.find(row[x] | 0xff000000u);
        if (at == index.end()) return false;
        *o++ = at->second;
      }
    }
    return true;
  }
};

// More than 256 colours: giflib's median cut picks the frame's own table.
ColorMapObject* Quantised(const QImage& frame, std::vector<GifByteType>& out) {
  const size_t n = static_cast<size_t>(frame.width()) * frame.height();
  std::vector<GifByteType> r(n), g(n), b(n);
  size_t k = 0;
  for (int y = 0; y < frame.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
    for (int x = 0; x < frame.width(); ++x, ++k) {
      r[k] = static_cast<GifByteType>(qRed(row[x]));
      g[k] = static_cast<GifByteType>(qGreen(row[x]));
      b[k] = static_cast<GifByteType>(qBlue(row[x]));
    }
  }
  out.resize(n);
  int size = static_cast<int>(kMaxColours);
  std::vector<GifColorType> entries(kMaxColours);
  if (GifQuantizeBuffer(frame.width(), frame.height(), &size, r.data(), g.data(), b.data(),
                        out.data(), entries.data()) != GIF_OK)
    return nullptr;
  return GifMakeMapObject(static_cast<int>(kMaxColours), entries.data());
}

// The frame's length in hundredths of a second, from rounded start times so
// that the whole keeps its length.
int DelayCs(int i, double fps) {
  return static_cast<int>(std::lround((i + 1) * 100.0 / fps) - std::lround(i * 100.0 / fps));
}

}  // namespace

bool WriteGifAnimation(FrameSource& frames, const AnimationOptions& options,
                       const std::string& path, std::string* error,
                       const AnimationProgress& progress) {
  const int w = frames.Width(), h = frames.Height(), count = frames.Count();
  auto failed = [&](const char* why) {
    if (error) *error = "Failed to save " + path + ": " + why;
    return false;
  };
  bool drawn = true;
  auto frame = [&](int i) {
    QImage f = FrameIn(frames, i, QImage::Format_RGB32);
    drawn = drawn && !f.isNull();
    return f;
  };
  Table global;
  bool shared = true;
  for (int i = 0; i < count && shared && drawn; ++i) {
    shared = global.Add(frame(i));
    if (progress && !progress(0.5 * (i + 1) / count)) return false;
  }

  if (!drawn) return failed("a frame could not be drawn");
  std::string bytes;
  int code = 0;
  GifFileType* gif = EGifOpen(&bytes, Append, &code);
  if (!gif) return failed(GifErrorString(code));
  bool ok = true;
  EGifSetGifVersion(gif, true);
  ColorMapObject* globalMap = shared ? global.Map() : nullptr;
  ok = EGifPutScreenDesc(gif, w, h, 8, 0, globalMap) == GIF_OK;
  GifFreeMapObject(globalMap);
  if (ok && options.loop) {
    // The application block browsers read as "play forever".
    static const GifByteType kLoop[] = {1, 0, 0};
    ok = EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, kLoop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
  }
  std::vector<GifByteType> pixels;
  for (int i = 0; i < count && ok; ++i) {
    const QImage f = frame(i);
    if (!drawn) break;
    ColorMapObject* local = nullptr;
    // A frame drawn again need not come out as it did in the first pass:
    // one with a colour the shared table lacks carries a table of its own.
    if (!shared || !global.Indices(f, pixels)) {
      if (Table own; own.Add(f)) {
        own.Indices(f, pixels);
        local = own.Map();
      } else {
        local = Quantised(f, pixels);
        if (!local) ok = false;
      }
    }
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSE_DO_NOT;
    gcb.DelayTime = DelayCs(i, options.fps);
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType ext[4];
    const size_t extLength = EGifGCBToExtension(&gcb, ext);
    ok = ok &&
         EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extLength), ext) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, w, h, false, local) == GIF_OK;
    GifFreeMapObject(local);
    for (int y = 0; y < h && ok; ++y)
      ok = EGifPutLine(gif, pixels.data() + static_cast<size_t>(y) * w, w) == GIF_OK;
    if (ok && progress && !progress(0.5 + 0.5 * (i + 1) / (count + 1))) {
      EGifCloseFile(gif, &code);
      return false;
    }
  }
  const int lastError = gif->Error;
  if (EGifCloseFile(gif, &code) != GIF_OK) ok = false;
  if (!drawn) return failed("a frame could not be drawn");
  if (!ok) return failed(GifErrorString(lastError ? lastError : code));
  if (!WriteFileAtomically(path, bytes, error)) return false;
  if (progress) progress(1);
  return true;
}

}  // namespace wlg
