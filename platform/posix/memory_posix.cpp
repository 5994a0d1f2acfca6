#include <cstdlib>  // defines __GLIBC__ with the C library's other headers

#include "platform/memory.h"
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void ReturnLargeBlocksToSystem() {
#if defined(__GLIBC__)
    // glibc raises its mapping threshold each time a mapped block is freed, after which blocks
    // of that size come from per-thread heaps that keep them; a fixed threshold keeps every
    // block over 256 KiB a mapping of its own, unmapped when freed.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

}  // namespace platform
