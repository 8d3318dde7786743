#include "resample/WeightTable.h"

#include <gtest/gtest.h>

#include <utility>

namespace tramino
{
namespace
{

TEST(WeightTable, FiveToOneGivesEqualSharesThatFallShortByOne)
{
    const std::vector<CWeightEntry> vecTable = BuildWeightTable(640, 128);
    ASSERT_EQ(vecTable.size(), 640u);
    for (size_t i = 0; i < vecTable.size(); ++i)
        EXPECT_EQ(vecTable[i], (CWeightEntry{819, i % 5 == 4 ? -1 : 0})) << "entry " << i;
}

TEST(WeightTable, StraddlingPixelsSplitTheirShare)
{
    const std::vector<CWeightEntry> vecTable = BuildWeightTable(1024, 320);
    EXPECT_EQ(vecTable[0], (CWeightEntry{1280, 0}));
    EXPECT_EQ(vecTable[3], (CWeightEntry{256, 1024}));
    EXPECT_EQ(vecTable[6], (CWeightEntry{512, 768}));
    EXPECT_EQ(BuildWeightTable(3, 2), (std::vector<CWeightEntry>{{2730, 0}, {1365, 1365}, {2730, -1}}));
    EXPECT_EQ(BuildWeightTable(5, 5), std::vector<CWeightEntry>(5, CWeightEntry{4096, -1}));
}

TEST(WeightTable, ACarryThatTruncatesToZeroStillEndsTheOutputPixel)
{
    const std::vector<CWeightEntry> vecTable = BuildWeightTable(4097, 96);
    EXPECT_EQ(vecTable[1322], (CWeightEntry{94, -1}));
    EXPECT_EQ(vecTable[1323], (CWeightEntry{95, 0})) << "the next output pixel starts afresh";
}

// Every output pixel must be ended exactly once, or a reduction runs off its tables; the
// shares of one output pixel never exceed 4096 and fall short by at most one per pixel.
TEST(WeightTable, EveryOutputPixelIsEndedOnceAndItsSharesStayBelowOne)
{
    const std::pair<int, int> aSizes[] = {{1, 1},       {7, 3},        {640, 128},  {4096, 4095},
                                          {4097, 96},   {4097, 4096},  {5000, 97},  {6028, 320},
                                          {8191, 4095}, {65535, 240},  {65535, 64}, {65535, 65534},
                                          {12289, 4},   {30001, 7777}, {20000, 1}};
    for (const auto& [n, m] : aSizes)
    {
        const std::vector<CWeightEntry> vecTable = BuildWeightTable(n, m);
        int nEnded = 0, nShare = 0, nPixels = 0;
        for (const CWeightEntry& entry : vecTable)
        {
            nShare += entry.m_nWeight;
            ++nPixels;
            if (entry.m_nCarry == 0)
                continue;
            ++nEnded;
            EXPECT_LE(nShare, 4096) << n << " -> " << m;
            EXPECT_GE(nShare, 4096 - nPixels) << n << " -> " << m;
            nShare = entry.m_nCarry > 0 ? entry.m_nCarry : 0;
            nPixels = entry.m_nCarry > 0 ? 1 : 0;
        }
        EXPECT_EQ(nEnded, m) << n << " -> " << m;
        EXPECT_EQ(vecTable.back().m_nCarry, -1) << n << " -> " << m;
    }
}

} // namespace
} // namespace tramino
