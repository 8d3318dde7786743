#pragma once

#include "common/Status.h"
#include "picture/Picture.h"

#include <string>
#include <vector>

namespace tramino
{

// Uncompressed BMP of the picture's own size: indexed pictures keep their palette
// and depth, 16 and 24-bit pictures are written with 24 bits, 32-bit ones with 32.
// Decoding the file again gives the same size and the same pixels.
std::vector<uint8_t> EncodeBmp(const CPicture& picture);

// Writes through a CReplacingFile (bSync as there).
CStatus WriteBmpFile(const CPicture& picture, const std::string& strPath, bool bSync = true);

} // namespace tramino
