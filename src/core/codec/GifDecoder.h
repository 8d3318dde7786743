#pragma once

#include "codec/ByteSource.h"
#include "codec/PictureDecoder.h"

namespace tramino
{

// The first image of the file on its logical screen, 8-bit indexed.
CResult<CPicture> DecodeGif(CByteSource& source);

// Every image of the file, composed as CFrameReader describes over crBackground.
CResult<std::unique_ptr<CFrameReader>> OpenGifFrameReader(std::unique_ptr<CByteSource> pSource,
                                                          CRgb crBackground);

// The images of the file, their data skipped without decoding.
CResult<int> CountGifFrames(CByteSource& source);

} // namespace tramino
