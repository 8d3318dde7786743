#pragma once

#include "codec/ByteSource.h"
#include "codec/PictureDecoder.h"

namespace tramino
{

// The first image of the file on its logical screen, 8-bit indexed.
CResult<CPicture> DecodeGif(CByteSource& source);

} // namespace tramino
