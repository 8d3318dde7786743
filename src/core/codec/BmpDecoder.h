#pragma once

#include "codec/ByteSource.h"
#include "codec/PictureDecoder.h"

namespace tramino
{

// Uncompressed BMP files stream row by row in their storage order (bottom-up files
// bottom-up); RLE files are decoded whole first, since their runs may skip anywhere.
CResult<std::unique_ptr<CRowReader>> OpenBmpRowReader(std::unique_ptr<CByteSource> pSource);

CResult<CPicture> DecodeBmp(CByteSource& source);

} // namespace tramino
