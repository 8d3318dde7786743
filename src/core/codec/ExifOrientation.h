#pragma once

#include <cstddef>
#include <cstdint>

namespace tramino
{

// The orientation (1-8) that the EXIF block of a JPEG APP1 segment gives, pData pointing at
// its "Exif\0\0" signature. A segment that is not EXIF, has no orientation or is broken in any
// way gives 1, the picture as stored.
int ParseExifOrientation(const uint8_t* pData, size_t nSize);

} // namespace tramino
