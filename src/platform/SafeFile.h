#pragma once
// Writing a whole file so that a failure never leaves a half-written file
// where a good one was: the bytes go to a temporary file beside the target,
// which replaces the target only once everything was written.

#include <string>
#include <string_view>

namespace wlg {

// On failure returns false with WriteFailedText(path, ...) in 'error'.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// Why 'path' could not be written, in plain words: "no such folder",
// "permission denied", "the disk is full", ... 'err' is the errno seen at
// the failure (0 when unknown). The path itself is examined first, since a
// library's own error text ("Unknown error") and errno often say nothing.
std::string WriteFailureReason(const std::string& path, int err);
// "Failed to save PATH: REASON", the text every writer reports.
std::string WriteFailedText(const std::string& path, int err);

}  // namespace wlg
