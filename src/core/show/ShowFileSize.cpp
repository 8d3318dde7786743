#include "show/ShowFileSize.h"

#include "show/ShowFileFormat.h"

namespace tramino
{

uint64_t PictureBlockBytes(EEffect effect, int nWidth, int nHeight)
{
    // Counted from the records themselves, so that it follows the cutter wherever it goes.
    uint64_t nBytes = sizeof(g_nPictureEndMarker);
    ForEachEffectRecord(effect, nWidth, nHeight,
                        [&nBytes](const CRecordWindow& window)
                        { nBytes += g_nRecordHeadSize + 2 * static_cast<uint64_t>(window.Area()); });
    return nBytes;
}

uint64_t ShowFileBytes(EEffect effect, int nWidth, int nHeight, uint64_t nPictures)
{
    const uint64_t nPictureBytes = nPictures > 0 ? PictureBlockBytes(effect, nWidth, nHeight) : 0;
    return g_nShowHeaderSize + nPictures * nPictureBytes + sizeof(g_nFileEndMarker);
}

} // namespace tramino
