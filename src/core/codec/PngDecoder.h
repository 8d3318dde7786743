#pragma once

#include "codec/ByteSource.h"
#include "codec/PictureDecoder.h"

namespace tramino
{

// Rows come from libpng top-down, composited over the background (CDecodeOptions); interlaced
// files are decoded whole first, since their passes reach every row.
CResult<std::unique_ptr<CRowReader>> OpenPngRowReader(std::unique_ptr<CByteSource> pSource,
                                                      const CDecodeOptions& options);

// The whole picture, 24 bits, composited over black.
CResult<CPicture> DecodePng(CByteSource& source);

} // namespace tramino
