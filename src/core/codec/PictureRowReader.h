#pragma once

#include "codec/PictureDecoder.h"

#include <vector>

namespace tramino
{

// One row of a picture in its depth class (indices, RGB or RGBA) as packed RGB.
void DepthRowToRgb(int nBitsPerPixel, const std::vector<CRgb>& vecPalette, const uint8_t* pRow, int nWidth,
                   uint8_t* pRgb);

// Hands out the rows of a picture decoded whole, for formats that cannot stream sensibly
// (GIF with its interlacing, RLE-compressed BMP). nDepthClass, when not 0, is the class the
// reader announces instead of the picture's own (a GIF frame composed in RGB is still a GIF).
class CPictureRowReader : public CRowReader
{
public:
    CPictureRowReader(CPicture picture, EPictureFormat eFormat, bool bBottomUp, int nDepthClass = 0);

    bool IsBottomUp() const override { return m_bBottomUp; }
    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override;

private:
    CPicture m_picture;
    bool m_bBottomUp;
};

} // namespace tramino
