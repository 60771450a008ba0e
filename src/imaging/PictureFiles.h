#pragma once
// Picture files of the windows and the exporter: BMP and PNG writers, the
// rule that turns a chosen name into the name written, and the one save
// routine every window's "Save BMP" / "Save JPG" goes through.
//
// Every writer puts its file in place atomically: a failure leaves no
// partial file, and an earlier file of that name stays as it was.

#include <optional>
#include <string>

class QImage;

namespace wlg {

// 24-bit BMP.
bool SaveBMP(const QImage& image, const std::string& fileName, std::string* error);
bool SavePNG(const QImage& image, const std::string& fileName, std::string* error);

// The name a picture is written under: the chosen name up to its last "."
// followed by "." + ext, whatever extension was typed. Nothing (nullopt)
// when the name has no "." or its last "." is at position 1 or 2 (a base
// name of at most one character). Only a "." in the last path component
// counts, and a file name that starts with its only "." has no base either.
std::optional<std::string> PictureOutputName(const std::string& chosen, const std::string& ext);

enum class PictureKind { BMP, JPG, PNG };

// Saves a canvas image as the given kind. A JPEG is copied into a
// cDIBSection and written at quality 90 with fresh dates, as a save from a
// window replaces any earlier file outright.
bool SaveCanvasPicture(const QImage& canvas, const std::string& fileName, PictureKind kind,
                       std::string* error);

inline constexpr int CanvasJpgQuality = 90;

}  // namespace wlg
