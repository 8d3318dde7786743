#pragma once

#include "codec/PictureDecoder.h"

#include <memory>

namespace tramino
{

// Hands out the rows of the reader's picture as EXIF orientation nOrientation (1-8) says it is
// meant to be seen; sizes (also the file's) are swapped for 5-8. Orientations 1-4 stream; 5-8
// turn rows into columns and so hold the decoded picture once. Any other value is 1.
std::unique_ptr<CRowReader> OrientRows(std::unique_ptr<CRowReader> pReader, int nOrientation);

} // namespace tramino
