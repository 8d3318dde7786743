#pragma once

#include <QRect>
#include <QSize>

namespace tramino
{

// The dialog templates are laid out in dialog units. With the classic base units of the
// dialog font (6 x 13 pixels for 4 x 8 units) the client area, and so BG.bmp, has a known
// size. Each coordinate is converted on its own and truncated.
constexpr int DluToPixelsX(int nX)
{
    return nX * 6 / 4;
}
constexpr int DluToPixelsY(int nY)
{
    return nY * 13 / 8;
}

inline QRect DluRect(int nX, int nY, int nWidth, int nHeight)
{
    return QRect(DluToPixelsX(nX), DluToPixelsY(nY), DluToPixelsX(nWidth), DluToPixelsY(nHeight));
}

inline QSize DluSize(int nWidth, int nHeight)
{
    return QSize(DluToPixelsX(nWidth), DluToPixelsY(nHeight));
}

// The pixel size of the dialog font that these base units belong to (8 points at 96 dpi).
inline constexpr int g_nDialogFontPixels = 11;

} // namespace tramino
