#pragma once

#include "picture/Picture.h"

#include <functional>
#include <vector>

namespace tramino
{

// A rectangle of a window region; right and bottom are exclusive.
struct CRegionRect
{
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0;
    int m_nBottom = 0;

    friend bool operator==(const CRegionRect&, const CRegionRect&) = default;
};

// Where the client area lies within the window, all relative to the window's top-left corner.
struct CWindowGeometry
{
    int m_nWindowWidth = 0;
    int m_nWindowHeight = 0;
    int m_nClientX = 0;
    int m_nClientY = 0;
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;
};

// Colour of the background pixel (x, y); only called inside the bitmap.
using FnBackgroundPixel = std::function<CRgb(int x, int y)>;

struct CSkinBackground
{
    FnBackgroundPixel m_fnPixel;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

// The rectangles whose union is the visible shape of a skinned window.
//   - Without a background, or with the shape off: the whole window.
//   - Otherwise the non-client part of the window (as up to four strips), then for each
//     scanned row, top to bottom, one rectangle one pixel high per run of pixels that are not
//     exactly the key colour. Only the part of the bitmap that covers the client area is
//     scanned; client pixels beyond the bitmap are cut out.
std::vector<CRegionRect> BuildWindowRegion(const CSkinBackground* pBackground, bool bShapeWindow, CRgb crKey,
                                           const CWindowGeometry& geometry);

} // namespace tramino
