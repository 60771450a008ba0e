#pragma once
// Picture files of the windows and the exporter. Every picture, whatever
// kind and wherever its pixels come from (a canvas, a whole image, a banded
// redraw), is written by WritePicture from bands of rows, so memory stays
// small at any size. The rule that turns a chosen name into the name
// written lives here too.
//
// Every file is put in place atomically: a failure leaves no partial file,
// and an earlier file of that name stays as it was.

#include <QImage>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/SafeFile.h"

namespace wlg {

enum class PictureKind { BMP, JPG, PNG, TIFF };

// By the extension, lower case: "bmp", "jpg", "png", "tif" or "tiff".
std::optional<PictureKind> PictureKindOf(const std::string& lowerExt);

inline constexpr int CanvasJpgQuality = 90;

struct StreamedPicture {
  int width = 0, height = 0;
  bool alpha = false;  // an alpha channel is written (PNG and TIFF; a see-through background)
  int bandRows = 512;
  double dpi = 96;                 // written in the file, so print programs know its size
  int quality = CanvasJpgQuality;  // JPEG only, 1..100
  // Fills 'band' (width x up to bandRows rows, Format_ARGB32_Premultiplied
  // holding opaque or fully clear pixels) with the rows from 'top' down.
  // Bands may be asked for in any order (a BMP is stored bottom row first).
  std::function<void(int top, QImage& band)> render;
  // Told the share done (0..1) after each band; may be empty.
  std::function<void(double)> progress;
};

// Rows for a band of about 'budgetBytes' at this width (16..512).
int BandRowsFor(int width, size_t budgetBytes = size_t{48} << 20);

// The largest side a file of this kind can hold: a JPEG's own 65,500.
int MaxPictureSide(PictureKind kind);
// Whether a width x height picture fits the kind's file at all: a BMP
// records its size in 32 bits, so it stays below 4 GB.
bool PictureFits(PictureKind kind, int width, int height);

// The one picture writer. False with *error ("Failed to save PATH: REASON")
// on failure, leaving any earlier file of that name as it was.
bool WritePicture(const StreamedPicture& picture, const std::string& path, PictureKind kind,
                  std::string* error, ReplacedTimes times = ReplacedTimes::Fresh);
// An image in memory, handed over in bands; it must outlive the picture.
StreamedPicture ImageBands(const QImage& image);
inline bool WritePicture(const QImage& image, const std::string& path, PictureKind kind,
                         std::string* error) {
  return WritePicture(ImageBands(image), path, kind, error);
}

// The name a picture is written under: the chosen name up to its last "."
// followed by "." + ext, whatever extension was typed. Nothing (nullopt)
// when the name has no "." or its last "." is at position 1 or 2 (a base
// name of at most one character). Only a "." in the last path component
// counts, and a file name that starts with its only "." has no base either.
std::optional<std::string> PictureOutputName(const std::string& chosen, const std::string& ext);

}  // namespace wlg
