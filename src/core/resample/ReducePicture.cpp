#include "resample/ReducePicture.h"

#include "resample/WeightTable.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tramino
{

CStatus CheckReductionSizes(int nSourceWidth, int nSourceHeight, int nWidth, int nHeight)
{
    const auto strSizes = [&]
    {
        return std::to_string(nSourceWidth) + " x " + std::to_string(nSourceHeight) + " to " +
               std::to_string(nWidth) + " x " + std::to_string(nHeight);
    };
    if (nWidth < 1 || nHeight < 1 || nWidth > nSourceWidth || nHeight > nSourceHeight)
        return CStatus::Error("Cannot reduce " + strSizes() + ": the target must be within the source");
    if (nSourceWidth > g_nMaxReduceSide || nSourceHeight > g_nMaxReduceSide)
        return CStatus::Error("Cannot reduce " + strSizes() + ": a side above " +
                              std::to_string(g_nMaxReduceSide) + " pixels");
    return {};
}

CResult<CPicture> ReducePicture(const CPicture& source, int nWidth, int nHeight)
{
    if (source.BitsPerPixel() != 24)
        return CStatus::Error("Cannot reduce a picture of " + std::to_string(source.BitsPerPixel()) +
                              " bits per pixel: only 24 bits are reduced");
    if (CStatus status = CheckReductionSizes(source.Width(), source.Height(), nWidth, nHeight); !status)
        return status;

    const size_t nRowSums = 3 * static_cast<size_t>(nWidth);
    std::vector<uint32_t> vecCurrent(nRowSums), vecNext(nRowSums);
    const std::vector<CWeightEntry> vecX = BuildWeightTable(source.Width(), nWidth);
    const std::vector<CWeightEntry> vecY = BuildWeightTable(source.Height(), nHeight);
    CPicture output(nWidth, nHeight, 24);

    // y and r count from the bottom; pictures keep their rows top-down.
    int r = 0;
    for (int y = 0; y < source.Height() && r < nHeight; ++y)
    {
        const auto [wy, cy] = vecY[static_cast<size_t>(y)];
        const uint8_t* pRow = source.Row(source.Height() - 1 - y);
        int j = 0;
        for (int x = 0; x < source.Width() && j < nWidth; ++x)
        {
            const auto [wx, cx] = vecX[static_cast<size_t>(x)];
            for (size_t c = 0; c < 3; ++c)
            {
                const uint32_t v = pRow[3 * static_cast<size_t>(x) + c];
                const size_t k = 3 * static_cast<size_t>(j) + c;
                vecCurrent[k] += static_cast<uint32_t>(wy * wx) * v;
                if (cx > 0)
                    vecCurrent[k + 3] += static_cast<uint32_t>(wy * cx) * v;
                if (cy > 0)
                    vecNext[k] += static_cast<uint32_t>(cy * wx) * v;
                if (cy > 0 && cx > 0)
                    vecNext[k + 3] += static_cast<uint32_t>(cy * cx) * v;
            }
            if (cx != 0)
                ++j;
        }
        if (cy != 0)
        {
            uint8_t* pOut = output.Row(nHeight - 1 - r);
            for (size_t k = 0; k < nRowSums; ++k)
                pOut[k] = static_cast<uint8_t>(vecCurrent[k] >> 24);
            std::swap(vecCurrent, vecNext);
            vecNext.assign(nRowSums, 0);
            ++r;
        }
    }
    return output;
}

} // namespace tramino
