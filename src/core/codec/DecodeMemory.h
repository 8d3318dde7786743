#pragma once

#include <cstdint>
#include <string>

namespace tramino
{

// The most memory decoding the file takes, judged from its header alone, so that a conversion
// can reserve it before it starts. Pictures that stream row by row (uncompressed BMP, JPEG in
// one interleaved scan, PNG) need little beyond their buffers; those decoded whole (GIF, RLE BMP,
// interlaced PNG) or through a coefficient buffer (progressive or multi-scan JPEG) need memory
// in proportion to their pixels. A file whose header cannot be read costs only the buffers: its decoding
// fails before it allocates anything of its size.
uint64_t EstimateDecodeBytes(const std::string& strPath);
// Same for the frames of the file, one after the other (OpenFrameReader).
uint64_t EstimateFrameDecodeBytes(const std::string& strPath);

} // namespace tramino
