// The benchmarks run with the memory settings both programs start with.

#include "platform/FreedMemory.h"

namespace {
[[maybe_unused]] const bool kKept = (wlg::KeepFreedMemoryForReuse(), true);
}  // namespace
