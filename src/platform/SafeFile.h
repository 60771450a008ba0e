#pragma once
// Writing a whole file so that a failure never leaves a half-written file
// where a good one was: every writer builds its file in memory and puts it
// in place through WriteFileAtomically.

#include <functional>
#include <string>
#include <string_view>

namespace wlg {

// What a replaced file's modification and access times become.
enum class ReplacedTimes {
  Fresh,  // dated now
  Keep,   // the dates of the file it replaces
};

// Writes, flushes and syncs the whole of 'bytes' to a file beside the target,
// then renames it over the target; a replaced file keeps its permissions. A
// symbolic link is followed (a dangling one creates the file it names). On
// failure the target is untouched, no temporary file is left, and the result
// is false with WriteFailedText(path, ...) in 'error'.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         ReplacedTimes times = ReplacedTimes::Fresh);

// For a file too big to build in memory: 'write' is handed the descriptor
// of a new file beside the target and writes it whole, returning false with
// errno set on failure; then it is put in place as WriteFileAtomically does.
bool WriteFileStreamed(const std::string& path, const std::function<bool(int fd)>& write,
                       std::string* error, ReplacedTimes times = ReplacedTimes::Fresh);
// All of 'bytes' to 'fd', through short writes and interruptions; false with
// errno set otherwise.
bool WriteToDescriptor(int fd, std::string_view bytes);

// A file that names another beside it (a scene and its texture, a mesh and
// its materials): 'writeCompanion' first puts the named file in place
// (atomically), then 'bytes' go to 'path'. When 'path' cannot be written the
// companion's earlier bytes come back, or a companion this call made is
// removed, so nothing looks like a complete save. False with the reason in
// 'error'; 'writeCompanion' reports its own failures the same way.
bool WriteWithCompanion(const std::string& companion,
                        const std::function<bool(std::string*)>& writeCompanion,
                        const std::string& path, std::string_view bytes, std::string* error);

// False with WriteFailedText(path, ...) in 'error' when a save to 'path'
// cannot succeed whatever is written (missing or locked folder, a folder of
// that name...): lets a writer refuse before the work of drawing.
bool CheckWritable(const std::string& path, std::string* error);

// Why 'path' could not be written, in plain words: "no such folder",
// "permission denied", "the disk is full", ... 'err' is the errno seen at
// the failure (0 when unknown). The path itself is examined first, since a
// library's own error text ("Unknown error") and errno often say nothing.
std::string WriteFailureReason(const std::string& path, int err);
// "Failed to save PATH: REASON", the text every writer reports.
std::string WriteFailedText(const std::string& path, int err);

}  // namespace wlg
