#include "SkinRegion.h"

#include <algorithm>

namespace tramino
{
namespace
{

// The window rectangle minus the client rectangle: caption and borders stay visible.
void AddFrame(const CWindowGeometry& g, std::vector<CRegionRect>& vecRects)
{
    const int nClientRight = g.m_nClientX + g.m_nClientWidth;
    const int nClientBottom = g.m_nClientY + g.m_nClientHeight;
    const CRegionRect aStrips[] = {
        {0, 0, g.m_nWindowWidth, g.m_nClientY},
        {0, nClientBottom, g.m_nWindowWidth, g.m_nWindowHeight},
        {0, g.m_nClientY, g.m_nClientX, nClientBottom},
        {nClientRight, g.m_nClientY, g.m_nWindowWidth, nClientBottom},
    };
    for (const CRegionRect& rect : aStrips)
    {
        if (rect.m_nRight > rect.m_nLeft && rect.m_nBottom > rect.m_nTop)
        {
            vecRects.push_back(rect);
        }
    }
}

} // namespace

std::vector<CRegionRect> BuildWindowRegion(const CSkinBackground* pBackground, bool bShapeWindow, CRgb crKey,
                                           const CWindowGeometry& geometry)
{
    if (!bShapeWindow || pBackground == nullptr)
    {
        return {{0, 0, geometry.m_nWindowWidth, geometry.m_nWindowHeight}};
    }
    std::vector<CRegionRect> vecRects;
    AddFrame(geometry, vecRects);

    const int nWidth = std::min(pBackground->m_nWidth, geometry.m_nClientWidth);
    const int nHeight = std::min(pBackground->m_nHeight, geometry.m_nClientHeight);
    const int cx = geometry.m_nClientX;
    const int cy = geometry.m_nClientY;
    for (int y = 0; y < nHeight; ++y)
    {
        int nStart = 0;
        for (int x = 0; x < nWidth; ++x)
        {
            if (pBackground->m_fnPixel(x, y) != crKey)
            {
                continue;
            }
            if (nStart != x)
            {
                vecRects.push_back({cx + nStart, cy + y, cx + x, cy + y + 1});
            }
            nStart = x + 1;
        }
        if (nStart != nWidth)
        {
            vecRects.push_back({cx + nStart, cy + y, cx + nWidth, cy + y + 1});
        }
    }
    return vecRects;
}

} // namespace tramino
