#pragma once
// Writes a cDIBSection as a JPEG file through the one picture writer.

#include <string>

#include "imaging/DIBSection.h"
#include "platform/SafeFile.h"

namespace wlg {

// Compresses the bitmap at 'quality' (0..100; 0 is taken as 1) and puts the
// file in place atomically: on failure no partial file is left and an
// earlier file of that name is untouched. By default a replaced file's dates
// (and permissions) carry over to the new one. False with *error set to
// "Failed to save to JPG <name>: the picture is empty" for an empty bitmap,
// or WriteFailedText when the file cannot be written.
bool SaveJPG(const cDIBSection& dib, const std::string& fileName, int quality, std::string* error,
             ReplacedTimes dates = ReplacedTimes::Keep);

}  // namespace wlg
