#include "imaging/PictureFiles.h"

#include <QBuffer>
#include <QImage>

#include "imaging/DIBSection.h"
#include "imaging/SaveJPG.h"
#include "imaging/StreamedImage.h"
#include "platform/SafeFile.h"

namespace wlg {

namespace {

bool SaveAtomically(const QImage& image, const std::string& fileName, const char* format,
                    std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = "Failed to save " + fileName + ": " + why;
    return false;
  };
  if (image.isNull()) return fail("the picture is empty");
  // Encoded in memory first: a picture that cannot be encoded touches no file,
  // and the file write reports its reason in words.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, format)) return fail("the picture could not be encoded");
  return WriteFileAtomically(fileName, std::string_view(bytes.constData(), bytes.size()), error);
}

}  // namespace

bool SaveBMP(const QImage& image, const std::string& fileName, std::string* error) {
  // Qt writes a BMP at the depth of the image it is given; RGB888 gives 24 bits.
  const QImage rgb = image.isNull() ? image : image.convertToFormat(QImage::Format_RGB888);
  return SaveAtomically(rgb, fileName, "BMP", error);
}

bool SavePNG(const QImage& image, const std::string& fileName, std::string* error) {
  if (image.isNull()) {
    if (error) *error = "Failed to save " + fileName + ": the picture is empty";
    return false;
  }
  // libpng straight to the file: quicker than Qt's encoder for the same
  // pixels and a file no larger.
  return SaveImageStreamed(image, fileName, StreamedKind::PNG, false, error);
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

bool SaveCanvasPicture(const QImage& canvas, const std::string& fileName, PictureKind kind,
                       std::string* error) {
  switch (kind) {
    case PictureKind::BMP:
      return SaveBMP(canvas, fileName, error);
    case PictureKind::PNG:
      return SavePNG(canvas, fileName, error);
    case PictureKind::JPG: {
      cDIBSection dib;
      // A bitmap that cannot be had is not written at all.
      if (dib.Create(canvas.width(), canvas.height())) dib.CopyFrom(canvas);
      return SaveJPG(dib, fileName, CanvasJpgQuality, error, ReplacedDates::Fresh);
    }
  }
  return false;
}

}  // namespace wlg
