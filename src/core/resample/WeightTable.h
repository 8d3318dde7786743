#pragma once

#include <cstdint>
#include <vector>

namespace tramino
{

// Share of one input pixel along one direction, in units of 1/4096 of an output pixel.
struct CWeightEntry
{
    int32_t m_nWeight = 0; // share in the current output pixel
    // 0: inside the current output pixel; -1: ends it, nothing carried over;
    // > 0: straddles its far edge, and this is the share in the next output pixel.
    int32_t m_nCarry = 0;

    friend bool operator==(const CWeightEntry&, const CWeightEntry&) = default;
};

// Widths and heights the reduction accepts (its 12-bit shares and 32-bit sums rely on it).
inline constexpr int g_nMaxReduceSide = 65535;

// n input pixels onto m output pixels, 1 <= m <= n <= g_nMaxReduceSide; one entry per input pixel.
// Shares truncate and are never renormalised. A pixel that reaches or crosses the edge of its
// output pixel always ends it: where its carried share truncates to 0 (possible only above 4096
// input pixels) it gets carry -1, so exactly m entries end an output pixel, the last one included.
std::vector<CWeightEntry> BuildWeightTable(int n, int m);

} // namespace tramino
