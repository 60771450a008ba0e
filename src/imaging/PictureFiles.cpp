#include "imaging/PictureFiles.h"

#include <algorithm>
#include <cstring>

#include "imaging/StreamedImage.h"

namespace wlg {

std::optional<PictureKind> PictureKindOf(const std::string& lowerExt) {
  if (lowerExt == "bmp") return PictureKind::BMP;
  if (lowerExt == "jpg") return PictureKind::JPG;
  if (lowerExt == "png") return PictureKind::PNG;
  if (lowerExt == "tif" || lowerExt == "tiff") return PictureKind::TIFF;
  return std::nullopt;
}

int BandRowsFor(int width, size_t budgetBytes) {
  const size_t row = static_cast<size_t>(std::max(width, 1)) * 4;
  return static_cast<int>(std::clamp<size_t>(budgetBytes / row, 16, 512));
}

int MaxPictureSide(PictureKind kind) { return kind == PictureKind::JPG ? 65500 : 1 << 30; }

bool PictureFits(PictureKind kind, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (width > MaxPictureSide(kind) || height > MaxPictureSide(kind)) return false;
  if (kind != PictureKind::BMP) return true;
  const uint64_t stride = (uint64_t(width) * 3 + 3) & ~uint64_t{3};
  return 54 + stride * uint64_t(height) <= UINT32_MAX;
}

bool WritePicture(const StreamedPicture& p, const std::string& path, PictureKind kind,
                  std::string* error, ReplacedTimes times) {
  auto fail = [&](const std::string& why) {
    if (error) *error = "Failed to save " + path + ": " + why;
    return false;
  };
  if (p.width <= 0 || p.height <= 0) return fail("the picture is empty");
  if (!PictureFits(kind, p.width, p.height))
    return fail(kind == PictureKind::JPG ? "a JPEG is at most 65500 pixels a side"
                                         : "a BMP file holds at most 4 GB");
  if (!CheckWritable(path, error)) return false;
  QImage band(p.width, std::clamp(p.bandRows, 1, p.height), kBandFormat);
  if (band.isNull()) {
    if (error) *error = WriteFailedText(path, ENOMEM);
    return false;
  }
  return WriteFileStreamed(
      path,
      [&](int fd) {
        PictureSink sink{fd};
        bool ok = false;
        switch (kind) {
          case PictureKind::BMP:
            ok = EncodeBmp(p, sink, band);
            break;
          case PictureKind::JPG:
            ok = EncodeJpeg(p, sink, band);
            break;
          case PictureKind::PNG:
            ok = EncodePng(p, sink, band);
            break;
          case PictureKind::TIFF:
            ok = EncodeTiff(p, sink, band);
            break;
        }
        if (!ok) errno = sink.err;
        return ok;
      },
      error, times);
}

StreamedPicture ImageBands(const QImage& image) {
  StreamedPicture p;
  p.width = image.width();
  p.height = image.height();
  p.bandRows = 64;
  p.dpi = image.dotsPerMeterX() * 0.0254;  // as the image says, as Qt's writers do
  p.render = [&image](int top, QImage& band) {
    const int rows = std::min(band.height(), image.height() - top);
    // Opaque 32-bit rows are already the band's bytes; others are
    // converted a band at a time, never the whole image at once.
    const bool same = image.format() == QImage::Format_RGB32 || image.format() == kBandFormat;
    const QImage part =
        same ? QImage() : image.copy(0, top, image.width(), rows).convertToFormat(kBandFormat);
    for (int y = 0; y < rows; ++y)
      std::memcpy(band.scanLine(y), same ? image.constScanLine(top + y) : part.constScanLine(y),
                  static_cast<size_t>(image.width()) * 4);
  };
  return p;
}

std::optional<std::string> PictureOutputName(const std::string& chosen, const std::string& ext) {
  const size_t slash = chosen.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = chosen.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return std::nullopt;  // dot only in a folder
  if (dot == nameStart) return std::nullopt;                             // ".x": no base
  if (dot + 1 <= 2) return std::nullopt;                                 // 1-based position
  return chosen.substr(0, dot) + "." + ext;
}

}  // namespace wlg
