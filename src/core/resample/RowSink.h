#pragma once

#include "codec/PictureDecoder.h"
#include "common/Status.h"
#include "picture/Picture.h"

#include <cstdint>

namespace tramino
{

// Takes the rows of a picture one at a time (packed red, green, blue) and builds a new
// picture from them, so that the source never has to be in memory as a whole.
class CRowSink
{
public:
    virtual ~CRowSink() = default;

    // y counts from the top, 0 <= y < the source height; every row exactly once, in any order.
    virtual void AddRow(int y, const uint8_t* pRgb) = 0;
    // The result, once every row has been added.
    virtual CPicture TakePicture() = 0;
};

// Feeds every row of the reader into the sink, which must have been made for the reader's
// width and height. Decoding errors are returned as they are; a reader that hands out a row
// twice, out of range or too few rows is an error too, never a half-made picture.
CResult<CPicture> ResampleRows(CRowReader& reader, CRowSink& sink);

} // namespace tramino
