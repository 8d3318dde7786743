#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace tramino
{

// Width and height of the display panel in pixels.
struct CPanelSize
{
    int m_nWidth = 0;
    int m_nHeight = 0;

    friend bool operator==(const CPanelSize&, const CPanelSize&) = default;
};

// How a size is written: as it is typed ("220x176", options and file names), in a sentence
// ("220 x 176"), or as the window shows it ("220 × 176").
enum class ESizeText
{
    Typed,
    Spaced,
    Times,
};
std::string PanelSizeText(CPanelSize size, ESizeText eStyle);

// The largest side of a panel of its own size: larger panels are no device's, and a show file
// for one is read back nowhere.
inline constexpr int g_nMaxPanelSide = 4096;

// The panels the device comes with; the size of code k (1 ... 9) is g_arrPanelSizes[k - 1].
inline constexpr std::array<CPanelSize, 9> g_arrPanelSizes{{
    {96, 64},
    {128, 96},
    {160, 128},
    {128, 128},
    {160, 112},
    {176, 144},
    {208, 176},
    {220, 176},
    {320, 240},
}};

// The size of a `PanelSize` code; every code the table does not list gives 96 x 64.
constexpr CPanelSize PanelSizeFromCode(int nCode)
{
    if (nCode < 1 || nCode > static_cast<int>(g_arrPanelSizes.size()))
        return g_arrPanelSizes[0];
    return g_arrPanelSizes[static_cast<size_t>(nCode - 1)];
}

} // namespace tramino
