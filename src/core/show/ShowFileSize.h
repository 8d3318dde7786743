#pragma once

#include "show/Transition.h"

#include <cstdint>

namespace tramino
{

// Bytes of one picture block: the effect's records with their pixels, then FF FF.
uint64_t PictureBlockBytes(EEffect effect, int nWidth, int nHeight);

// The exact size of the show file that holds nPictures pictures with the effect on a W x H panel:
// the header, the picture blocks and FF F8.
uint64_t ShowFileBytes(EEffect effect, int nWidth, int nHeight, uint64_t nPictures);

} // namespace tramino
