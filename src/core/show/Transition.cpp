#include "show/Transition.h"

namespace tramino
{

namespace
{

// A 220-pixel panel opens in 4 bands of 55 columns, every other width in 8.
int ColumnBandCount(int nWidth)
{
    return nWidth == 220 ? 4 : 8;
}

constexpr int g_nRowBandCount = 8;

CRecordWindow ColumnWindow(int x, int nHeight)
{
    return {x, x, 0, nHeight - 1};
}
CRecordWindow RowWindow(int y, int nWidth)
{
    return {0, nWidth - 1, y, y};
}

// Ring r, side 0 ... 3: left column, bottom row, top row, right column. The left column and the
// bottom row take three corners, the right column the top-right one.
CRecordWindow RingSide(int r, int nSide, int nWidth, int nHeight)
{
    const int nRight = nWidth - 1 - r;
    const int nBottom = nHeight - 1 - r;
    switch (nSide)
    {
    case 0:
        return {r, r, r, nBottom};
    case 1:
        return {r + 1, nRight, nBottom, nBottom};
    case 2:
        return {r + 1, nRight - 1, r, r};
    default:
        return {nRight, nRight, r, nBottom - 1};
    }
}

} // namespace

const char* EffectName(EEffect effect)
{
    switch (effect)
    {
    case EEffect::Normal:
        return "Normal";
    case EEffect::ShutterLeftToRight:
        return "Shutter(Left to Right)";
    case EEffect::ShutterTopToBottom:
        return "Shutter(Top to Bottom)";
    case EEffect::Circle:
        return "Circle";
    }
    return "";
}

std::optional<EEffect> SelectEffect(std::string_view strName)
{
    for (EEffect effect : g_arrEffects)
        if (strName == EffectName(effect))
            return effect;
    return std::nullopt;
}

int64_t CRecordWindow::Area() const
{
    const int64_t nColumns = static_cast<int64_t>(m_nX1) - m_nX0 + 1;
    const int64_t nRows = static_cast<int64_t>(m_nY1) - m_nY0 + 1;
    return nColumns <= 0 || nRows <= 0 ? 0 : nColumns * nRows;
}

int EffectRecordCount(EEffect effect, int nWidth, int nHeight)
{
    if (nWidth <= 0 || nHeight <= 0)
        return 0;
    switch (effect)
    {
    case EEffect::Normal:
        return 1;
    case EEffect::ShutterLeftToRight:
        return nWidth / ColumnBandCount(nWidth) * ColumnBandCount(nWidth);
    case EEffect::ShutterTopToBottom:
        return nHeight / g_nRowBandCount * g_nRowBandCount;
    case EEffect::Circle:
        return nHeight / 2 * 4;
    }
    return 0;
}

CRecordWindow EffectRecord(EEffect effect, int nWidth, int nHeight, int nIndex)
{
    switch (effect)
    {
    case EEffect::Normal:
        break;
    case EEffect::ShutterLeftToRight:
    {
        // One column of each band in turn: step e of band k is column k * bandwidth + e.
        const int nBands = ColumnBandCount(nWidth);
        return ColumnWindow(nIndex % nBands * (nWidth / nBands) + nIndex / nBands, nHeight);
    }
    case EEffect::ShutterTopToBottom:
        return RowWindow(nIndex % g_nRowBandCount * (nHeight / g_nRowBandCount) + nIndex / g_nRowBandCount,
                         nWidth);
    case EEffect::Circle:
        return RingSide(nIndex / 4, nIndex % 4, nWidth, nHeight);
    }
    return {0, nWidth - 1, 0, nHeight - 1};
}

bool EffectCoversPanel(EEffect effect, int nWidth, int nHeight)
{
    if (nWidth <= 0 || nHeight <= 0)
        return false;
    switch (effect)
    {
    case EEffect::Normal:
        return true;
    case EEffect::ShutterLeftToRight:
        return nWidth % ColumnBandCount(nWidth) == 0;
    case EEffect::ShutterTopToBottom:
        return nHeight % g_nRowBandCount == 0;
    case EEffect::Circle:
        return nWidth >= nHeight && nHeight % 2 == 0;
    }
    return false;
}

} // namespace tramino
