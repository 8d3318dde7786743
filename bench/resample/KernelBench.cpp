#include "KernelBench.h"

#include "resample/StreamingReducer.h"
#include "resample/WeightTable.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

namespace tramino::bench
{

namespace
{

// The plain separable version: each pixel adds its share (and carry) into the row sums,
// each row adds its row sums into two accumulator rows.
CPicture ReducePlainSeparable(const CPicture& source, int nWidth, int nHeight)
{
    const std::vector<CWeightEntry> vecX = BuildWeightTable(source.Width(), nWidth);
    const std::vector<CWeightEntry> vecY = BuildWeightTable(source.Height(), nHeight);
    const size_t nRowSize = 3 * static_cast<size_t>(nWidth);
    std::vector<uint32_t> vecRow(nRowSize + 3), vecCurrent(nRowSize), vecNext(nRowSize);
    CPicture output(nWidth, nHeight, 24);
    int r = 0;
    for (int y = 0; y < source.Height(); ++y)
    {
        const uint8_t* pRow = source.Row(source.Height() - 1 - y);
        std::fill(vecRow.begin(), vecRow.end(), 0);
        size_t j = 0;
        for (int x = 0; x < source.Width(); ++x, pRow += 3)
        {
            const auto [wx, cx] = vecX[static_cast<size_t>(x)];
            for (size_t c = 0; c < 3; ++c)
            {
                vecRow[j + c] += static_cast<uint32_t>(wx) * pRow[c];
                if (cx > 0)
                    vecRow[j + 3 + c] += static_cast<uint32_t>(cx) * pRow[c];
            }
            if (cx != 0)
                j += 3;
        }
        const auto [wy, cy] = vecY[static_cast<size_t>(y)];
        for (size_t k = 0; k < nRowSize; ++k)
        {
            vecCurrent[k] += static_cast<uint32_t>(wy) * vecRow[k];
            if (cy > 0)
                vecNext[k] += static_cast<uint32_t>(cy) * vecRow[k];
        }
        if (cy != 0)
        {
            uint8_t* pOut = output.Row(nHeight - 1 - r++);
            for (size_t k = 0; k < nRowSize; ++k)
                pOut[k] = static_cast<uint8_t>(vecCurrent[k] >> 24);
            std::swap(vecCurrent, vecNext);
            std::fill(vecNext.begin(), vecNext.end(), 0);
        }
    }
    return output;
}

CPicture ReduceStreaming(const CPicture& source, int nWidth, int nHeight)
{
    CResult<CStreamingReducer> reducer =
        CStreamingReducer::Create(source.Width(), source.Height(), nWidth, nHeight);
    for (int y = 0; y < source.Height(); ++y)
        reducer.Value().AddRow(y, source.Row(y));
    return reducer.Value().TakePicture();
}

// Best of a few runs of each, taken in turns so that a busy moment hits both alike; seconds.
template <class FnA, class FnB> std::pair<double, double> BestTimes(FnA fnA, FnB fnB, int nRuns)
{
    const auto time = [](auto fn)
    {
        const auto start = std::chrono::steady_clock::now();
        fn();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::pair<double, double> best{1e30, 1e30};
    for (int i = 0; i < nRuns; ++i)
    {
        best.first = std::min(best.first, time(fnA));
        best.second = std::min(best.second, time(fnB));
    }
    return best;
}

} // namespace

void RunKernelBench()
{
    std::printf("\n== Reduction kernel, one core, pictures in memory (best of 5) ==\n");
    std::printf("%-24s %12s %12s %8s %6s\n", "size", "ours MP/s", "plain MP/s", "ratio", "same");
    const int aCases[][4] = {{6028, 3391, 320, 240}, {4224, 3168, 320, 240}, {2560, 1920, 320, 240},
                             {1365, 1074, 320, 240}, {6028, 3391, 96, 64},   {400, 300, 320, 240}};
    for (const auto& aCase : aCases)
    {
        CPicture source(aCase[0], aCase[1], 24);
        std::mt19937 random(1);
        for (int y = 0; y < source.Height(); ++y)
            for (size_t k = 0; k < source.RowBytes(); ++k)
                source.Row(y)[k] = static_cast<uint8_t>(random());
        const double fPixels = static_cast<double>(source.Width()) * source.Height() / 1e6;
        CPicture ours, plain;
        const auto [fOurs, fPlain] =
            BestTimes([&] { ours = ReduceStreaming(source, aCase[2], aCase[3]); },
                      [&] { plain = ReducePlainSeparable(source, aCase[2], aCase[3]); }, 5);
        char szSize[64];
        std::snprintf(szSize, sizeof szSize, "%dx%d->%dx%d", aCase[0], aCase[1], aCase[2], aCase[3]);
        std::printf("%-24s %12.0f %12.0f %7.2fx %6s\n", szSize, fPixels / fOurs, fPixels / fPlain,
                    fPlain / fOurs, ours == plain ? "yes" : "NO");
    }
}

} // namespace tramino::bench
