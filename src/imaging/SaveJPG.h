#pragma once
// Writes a cDIBSection as a JPEG file through TurboJPEG.

#include <string>

#include "imaging/DIBSection.h"

namespace wlg {

// What a replaced JPEG's modification and access times become.
enum class ReplacedDates {
  Keep,   // the new file carries the dates (and permissions) of the one it replaces
  Fresh,  // the new file is dated now, as if the old one had been deleted first
};

// Compresses the bitmap at 'quality' (0..100; 0 is taken as 1) and puts the
// file in place atomically: on failure no partial file is left and an
// earlier file of that name is untouched. False with *error set to
// "Failed to initialise the IJL library: <code>", "Failed to save to JPG
// <name>: <why>" when the picture cannot be encoded (an empty bitmap), or
// WriteFailedText when the file cannot be written.
bool SaveJPG(const cDIBSection& dib, const std::string& fileName, int quality, std::string* error,
             ReplacedDates dates = ReplacedDates::Keep);

// The code in the error text when the encoder cannot be started.
inline constexpr int JpgFailureCode = -1;

}  // namespace wlg
