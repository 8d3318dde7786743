#include "resample/Dither.h"

#include "show/Rgb565.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace tramino
{

namespace
{

// For one component: the nearest level the panel shows at or below each value, and the one
// above it (the same where the value is a level).
struct CLevels
{
    std::array<uint8_t, 256> m_arrLower{};
    std::array<uint8_t, 256> m_arrUpper{};
};

CLevels BuildLevels(int nBits)
{
    CLevels levels;
    std::array<bool, 256> arrIsLevel{};
    for (int nCode = 0; nCode < (1 << nBits); ++nCode)
    {
        // Through the panel's own expansion, one component at a time.
        const int nShift = nBits == 6 ? 5 : 11;
        const CRgb cr = ExpandRgb565(static_cast<uint16_t>(nCode << nShift));
        arrIsLevel[nBits == 6 ? cr.m_nGreen : cr.m_nRed] = true;
    }
    int nLower = 0;
    for (int v = 0; v < 256; ++v)
    {
        nLower = arrIsLevel[v] ? v : nLower;
        levels.m_arrLower[v] = static_cast<uint8_t>(nLower);
    }
    int nUpper = 255;
    for (int v = 255; v >= 0; --v)
    {
        nUpper = arrIsLevel[v] ? v : nUpper;
        levels.m_arrUpper[v] = static_cast<uint8_t>(nUpper);
    }
    return levels;
}

// Red and blue have 5 bits, green 6.
const std::array<CLevels, 3>& ComponentLevels()
{
    static const std::array<CLevels, 3> s_arrLevels = {BuildLevels(5), BuildLevels(6), BuildLevels(5)};
    return s_arrLevels;
}

constexpr uint8_t g_arrBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},    {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},   {63, 31, 55, 23, 61, 29, 53, 21},
};

// The upper level where the value's distance above the lower one, as a share of the step,
// exceeds the threshold (t + 1/2) / 64 of its cell.
void DitherOrdered(CPicture& picture)
{
    const std::array<CLevels, 3>& arrLevels = ComponentLevels();
    for (int y = 0; y < picture.Height(); ++y)
    {
        uint8_t* p = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x)
            for (int c = 0; c < 3; ++c, ++p)
            {
                const int nLower = arrLevels[c].m_arrLower[*p];
                const int nUpper = arrLevels[c].m_arrUpper[*p];
                const int nThreshold = 2 * g_arrBayer[y & 7][x & 7] + 1;
                *p = static_cast<uint8_t>(128 * (*p - nLower) > nThreshold * (nUpper - nLower) ? nUpper
                                                                                               : nLower);
            }
    }
}

// Errors are kept in sixteenths of a level. Each pixel's error is shared out 7, 3, 5 and 1
// sixteenths, the last part taking what the truncated others leave, so none is lost inside
// the picture. A component at a level the panel shows keeps it and passes its incoming error on.
class CDiffuser
{
public:
    explicit CDiffuser(int nWidth)
        : m_nWidth(nWidth), m_vecThis(3 * (static_cast<size_t>(nWidth) + 2)), m_vecNext(m_vecThis.size())
    {
    }

    void Row(uint8_t* pRow, bool bLeftToRight)
    {
        const int nStep = bLeftToRight ? 1 : -1;
        for (int i = 0; i < m_nWidth; ++i)
        {
            const int x = bLeftToRight ? i : m_nWidth - 1 - i;
            for (int c = 0; c < 3; ++c)
                Pixel(pRow + 3 * x + c, x, nStep, c);
        }
        m_vecThis.swap(m_vecNext);
        std::fill(m_vecNext.begin(), m_vecNext.end(), 0);
    }

private:
    // Column x of the error rows; one spare column each side takes what leaves the picture.
    size_t At(int x, int c) const { return 3 * static_cast<size_t>(x + 1) + static_cast<size_t>(c); }

    void Pixel(uint8_t* p, int x, int nStep, int c)
    {
        const CLevels& levels = ComponentLevels()[static_cast<size_t>(c)];
        const int nWanted = 16 * *p + m_vecThis[At(x, c)];
        int nChosen = *p;
        if (levels.m_arrLower[*p] != *p)
        {
            const int nClamped = std::clamp(nWanted, 0, 16 * 255);
            const int nLower = levels.m_arrLower[static_cast<size_t>(nClamped / 16)];
            const int nUpper = levels.m_arrUpper[static_cast<size_t>(nClamped / 16)];
            nChosen = 2 * nClamped > 16 * (nLower + nUpper) ? nUpper : nLower;
        }
        *p = static_cast<uint8_t>(nChosen);
        const int nError = nWanted - 16 * nChosen;
        const int nAhead = nError * 7 / 16;
        const int nBehindBelow = nError * 3 / 16;
        const int nBelow = nError * 5 / 16;
        m_vecThis[At(x + nStep, c)] += nAhead;
        m_vecNext[At(x - nStep, c)] += nBehindBelow;
        m_vecNext[At(x, c)] += nBelow;
        m_vecNext[At(x + nStep, c)] += nError - nAhead - nBehindBelow - nBelow;
    }

    int m_nWidth;
    std::vector<int> m_vecThis;
    std::vector<int> m_vecNext;
};

void DitherDiffusion(CPicture& picture)
{
    CDiffuser diffuser(picture.Width());
    for (int y = 0; y < picture.Height(); ++y)
        diffuser.Row(picture.Row(y), y % 2 == 0);
}

} // namespace

std::optional<EDither> ParseDither(std::string_view strName)
{
    if (strName == "none")
        return EDither::None;
    if (strName == "ordered")
        return EDither::Ordered;
    if (strName == "diffusion")
        return EDither::Diffusion;
    return std::nullopt;
}

void DitherToPanel(CPicture& picture, EDither eDither)
{
    if (eDither == EDither::Ordered)
        DitherOrdered(picture);
    else if (eDither == EDither::Diffusion)
        DitherDiffusion(picture);
}

} // namespace tramino
