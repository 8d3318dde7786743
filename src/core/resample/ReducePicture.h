#pragma once

#include "common/Status.h"
#include "picture/Picture.h"

namespace tramino
{

// The reduction accepts a source at least as large as its target in both directions and at
// most g_nMaxReduceSide in each; anything else is refused with the sizes in the message.
CStatus CheckReductionSizes(int nSourceWidth, int nSourceHeight, int nWidth, int nHeight);

// The integer area-averaging reduction of a 24-bit picture to nWidth x nHeight, written as
// plainly as possible: it is the yardstick the streaming reducer is tested against. Counting
// starts at the bottom row and the left column, every pixel adds weight products of its
// 12-bit shares, and each result is the top byte of its 32-bit sum.
CResult<CPicture> ReducePicture(const CPicture& source, int nWidth, int nHeight);

} // namespace tramino
