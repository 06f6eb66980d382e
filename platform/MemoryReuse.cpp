#include "platform/MemoryReuse.h"

#include <cstdlib> // names the C library (__GLIBC__)

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepFreedMemoryForReuse()
{
#if defined(__GLIBC__)
    // Blocks up to the allocator's largest threshold (32 MiB) come from the
    // heap, where a freed block is reused, rather than from a mapping of
    // their own, unmapped when freed; and up to 64 MiB freed at the top of a
    // heap stays with the program. Setting either also stops the allocator
    // from moving the thresholds by itself.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}
