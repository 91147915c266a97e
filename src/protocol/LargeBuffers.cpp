#include "protocol/LargeBuffers.h"

// Included first: it is what tells which C library this is.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void keepLargeBuffersResident()
{
#if defined(__GLIBC__)
    constexpr int kMiB = 1024 * 1024;
    // The largest buffer the library lets come from the heap; the text of a
    // 10 MB protocol needs 20 MB.
    mallopt(M_MMAP_THRESHOLD, 32 * kMiB);
    // Room for the text and the file bytes of such a protocol, kept when the
    // heap shrinks.
    mallopt(M_TOP_PAD, 64 * kMiB);
    mallopt(M_TRIM_THRESHOLD, 128 * kMiB);
#endif
}
