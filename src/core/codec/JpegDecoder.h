#pragma once

#include "codec/ByteSource.h"
#include "codec/PictureDecoder.h"

namespace tramino
{

// Rows come straight from libjpeg, top-down, optionally scaled while decoding (CDecodeOptions).
CResult<std::unique_ptr<CRowReader>> OpenJpegRowReader(std::unique_ptr<CByteSource> pSource,
                                                       const CDecodeOptions& options);

CResult<CPicture> DecodeJpeg(CByteSource& source);

} // namespace tramino
