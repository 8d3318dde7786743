#include "show/PanelColours.h"

#include "show/Rgb565.h"

#include <algorithm>
#include <cstring>

namespace tramino
{

CPicture PanelColours(const CPicture& picture)
{
    CPicture panel(picture.Width(), picture.Height(), 24);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
        {
            const CRgb cr = picture.GetPixel(x, y);
            panel.SetPixel(x, y, ExpandRgb565(PackRgb565(cr.m_nRed, cr.m_nGreen, cr.m_nBlue)));
        }
    return panel;
}

CPicture ZoomPicture(const CPicture& picture, int nZoom)
{
    nZoom = std::clamp(nZoom, g_nMinZoom, g_nMaxZoom);
    const bool bGrid = nZoom >= g_nGridFromZoom;
    CPicture zoomed(picture.Width() * nZoom, picture.Height() * nZoom, 24);
    for (int y = 0; y < picture.Height(); ++y)
    {
        // One enlarged row is built pixel by pixel, the other rows of its cell are copies of it.
        uint8_t* pFirst = zoomed.Row(y * nZoom + (bGrid ? 1 : 0));
        for (int x = 0; x < picture.Width(); ++x)
        {
            const CRgb cr = picture.GetPixel(x, y);
            for (int i = 0; i < nZoom; ++i)
            {
                const CRgb crOut = bGrid && i == 0 ? g_crZoomGrid : cr;
                uint8_t* pPixel = pFirst + 3 * static_cast<size_t>(x * nZoom + i);
                pPixel[0] = crOut.m_nRed;
                pPixel[1] = crOut.m_nGreen;
                pPixel[2] = crOut.m_nBlue;
            }
        }
        for (int i = bGrid ? 2 : 1; i < nZoom; ++i)
            std::memcpy(zoomed.Row(y * nZoom + i), pFirst, zoomed.RowBytes());
        if (bGrid)
            for (int x = 0; x < zoomed.Width(); ++x)
                zoomed.SetPixel(x, y * nZoom, g_crZoomGrid);
    }
    return zoomed;
}

} // namespace tramino
