#include "platform/FreedMemory.h"

#include <cstdlib>  // says whether this is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace wlg {

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
  // Setting either fixes both, so both are set: blocks under 16 MB come
  // from the heap, and up to 64 MB free at its top stays there.
  mallopt(M_MMAP_THRESHOLD, 16 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

}  // namespace wlg
