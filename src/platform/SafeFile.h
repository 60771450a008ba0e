#pragma once
// Writing a whole file so that a failure never leaves a half-written file
// where a good one was: the bytes go to a temporary file beside the target,
// which replaces the target only once everything was written.

#include <string>
#include <string_view>

namespace wlg {

// On failure returns false with the system's reason in 'error'.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

}  // namespace wlg
