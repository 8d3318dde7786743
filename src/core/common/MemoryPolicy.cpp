#include "common/MemoryPolicy.h"

#include <cstdlib> // defines __GLIBC__ where it is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tramino
{

void KeepFreedPicturesForReuse()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);
#endif
}

} // namespace tramino
