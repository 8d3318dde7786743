#include "ResampleTestSupport.h"
#include "resample/ReducePicture.h"
#include "resample/StreamingReducer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

namespace tramino
{
namespace
{

using test::RandomPicture;
using test::UniformPicture;

// The plain reduction and the streaming one (in both row orders) must agree on every case.
using FnReduce = std::function<CResult<CPicture>(const CPicture&, int, int)>;

CResult<CPicture> StreamTopDown(const CPicture& source, int nWidth, int nHeight)
{
    test::CInMemoryRowReader reader(source);
    return ReduceRows(reader, nWidth, nHeight);
}

CResult<CPicture> StreamBottomUp(const CPicture& source, int nWidth, int nHeight)
{
    test::CInMemoryRowReader reader(source, true);
    return ReduceRows(reader, nWidth, nHeight);
}

class ReduceExamples : public ::testing::TestWithParam<std::tuple<std::string, FnReduce>>
{
protected:
    CPicture Reduce(const CPicture& source, int nWidth, int nHeight)
    {
        CResult<CPicture> result = std::get<1>(GetParam())(source, nWidth, nHeight);
        EXPECT_TRUE(result) << result.Message();
        return result ? std::move(result).Value() : CPicture();
    }
};

void ExpectUniform(const CPicture& picture, int nWidth, int nHeight, CRgb cr)
{
    ASSERT_EQ(picture.Width(), nWidth);
    ASSERT_EQ(picture.Height(), nHeight);
    ASSERT_EQ(picture.BitsPerPixel(), 24);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            ASSERT_EQ(picture.GetPixel(x, y), cr) << "at " << x << ", " << y;
}

TEST_P(ReduceExamples, UniformFiveToOneLosesOneLevelExceptAtZero)
{
    for (int v : {0, 1, 2, 100, 254, 255})
    {
        const uint8_t n = static_cast<uint8_t>(v);
        const uint8_t nOut = static_cast<uint8_t>(v == 0 ? 0 : v - 1);
        ExpectUniform(Reduce(UniformPicture(640, 480, {n, n, n}), 128, 96), 128, 96, {nOut, nOut, nOut});
    }
}

TEST_P(ReduceExamples, SharesThatAddUpExactlyKeepTheLevel)
{
    ExpectUniform(Reduce(UniformPicture(1024, 768, {0, 77, 255}), 320, 240), 320, 240, {0, 77, 255});
}

TEST_P(ReduceExamples, OnePixelMoreThanThePanelLosesOneLevel)
{
    ExpectUniform(Reduce(UniformPicture(129, 97, {50, 100, 200}), 128, 96), 128, 96, {49, 99, 199});
}

TEST_P(ReduceExamples, HalvingGivesTheTruncatedMeanOfEachBlock)
{
    CPicture source = RandomPicture(256, 192, 7);
    source.SetPixel(0, 0, {0, 0, 0});
    source.SetPixel(1, 0, {0, 0, 0});
    source.SetPixel(0, 1, {0, 0, 0});
    source.SetPixel(1, 1, {255, 255, 255});
    const CPicture output = Reduce(source, 128, 96);
    EXPECT_EQ(output.GetPixel(0, 0), (CRgb{63, 63, 63}));
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x)
        {
            int aSums[3] = {};
            for (int i = 0; i < 4; ++i)
            {
                const CRgb cr = source.GetPixel(2 * x + i % 2, 2 * y + i / 2);
                aSums[0] += cr.m_nRed;
                aSums[1] += cr.m_nGreen;
                aSums[2] += cr.m_nBlue;
            }
            const CRgb crMean{static_cast<uint8_t>(aSums[0] / 4), static_cast<uint8_t>(aSums[1] / 4),
                              static_cast<uint8_t>(aSums[2] / 4)};
            ASSERT_EQ(output.GetPixel(x, y), crMean) << "at " << x << ", " << y;
        }
}

// Rows are counted from the bottom and written back the right way up: a bright edge row goes
// into the output row at the same edge, with its share only.
TEST_P(ReduceExamples, RowsStayTheRightWayUp)
{
    CPicture bottom = UniformPicture(3, 3, {});
    CPicture top = UniformPicture(3, 3, {});
    for (int x = 0; x < 3; ++x)
    {
        bottom.SetPixel(x, 2, {255, 255, 255});
        top.SetPixel(x, 0, {255, 255, 255});
    }
    // 3 -> 2 shares from the bottom: (2730, 0), (1365, 1365), (2730, -1).
    const CPicture fromBottom = Reduce(bottom, 3, 2);
    EXPECT_EQ(fromBottom.GetPixel(0, 1).m_nRed, 2730u * 4096u * 255u >> 24);
    EXPECT_EQ(fromBottom.GetPixel(0, 0).m_nRed, 0);
    const CPicture fromTop = Reduce(top, 3, 2);
    EXPECT_EQ(fromTop.GetPixel(0, 0).m_nRed, 2730u * 4096u * 255u >> 24);
    EXPECT_EQ(fromTop.GetPixel(0, 1).m_nRed, 0);
}

TEST_P(ReduceExamples, SizesTheReductionCannotTakeAreRefused)
{
    const CPicture small = UniformPicture(10, 10, {});
    for (const auto& [nWidth, nHeight] : {std::pair{11, 5}, {5, 11}, {0, 5}, {5, 0}})
    {
        CResult<CPicture> result = std::get<1>(GetParam())(small, nWidth, nHeight);
        EXPECT_FALSE(result) << nWidth << " x " << nHeight;
        EXPECT_NE(result.Message().find("10 x 10"), std::string::npos) << result.Message();
    }
    EXPECT_FALSE(CStreamingReducer::Create(65536, 100, 320, 240));
    EXPECT_FALSE(CStreamingReducer::Create(100, 65536, 96, 64));
    EXPECT_TRUE(CStreamingReducer::Create(65535, 65535, 96, 64));
}

INSTANTIATE_TEST_SUITE_P(Reduce, ReduceExamples,
                         ::testing::Values(std::tuple{"Plain", FnReduce(ReducePicture)},
                                           std::tuple{"StreamedTopDown", FnReduce(StreamTopDown)},
                                           std::tuple{"StreamedBottomUp", FnReduce(StreamBottomUp)}),
                         [](const auto& testInfo) { return std::get<0>(testInfo.param); });

TEST(ReducePicture, RefusesPicturesOfOtherDepths)
{
    const CResult<CPicture> result = ReducePicture(CPicture(200, 200, 32), 96, 64);
    EXPECT_FALSE(result);
    EXPECT_NE(result.Message().find("32 bits"), std::string::npos) << result.Message();
}

// The streaming reducer against the plain one, bit for bit, on random pixels.
struct CSizeCase
{
    int m_nSourceWidth, m_nSourceHeight, m_nWidth, m_nHeight;
};

class ReduceAgreement : public ::testing::TestWithParam<CSizeCase>
{
};

TEST_P(ReduceAgreement, StreamingMatchesPlainInBothRowOrders)
{
    const CSizeCase sizes = GetParam();
    const CPicture source = RandomPicture(sizes.m_nSourceWidth, sizes.m_nSourceHeight,
                                          static_cast<uint32_t>(sizes.m_nSourceWidth * 31 + sizes.m_nHeight));
    const CResult<CPicture> plain = ReducePicture(source, sizes.m_nWidth, sizes.m_nHeight);
    ASSERT_TRUE(plain) << plain.Message();
    for (bool bBottomUp : {false, true})
    {
        test::CInMemoryRowReader reader(source, bBottomUp);
        const CResult<CPicture> streamed = ReduceRows(reader, sizes.m_nWidth, sizes.m_nHeight);
        ASSERT_TRUE(streamed) << streamed.Message();
        EXPECT_TRUE(streamed.Value() == plain.Value()) << (bBottomUp ? "bottom-up" : "top-down");
    }
}

// All nine panel sizes, from barely larger to many times larger, plus odd and extreme shapes.
INSTANTIATE_TEST_SUITE_P(PanelSizes, ReduceAgreement,
                         ::testing::Values(CSizeCase{97, 65, 96, 64}, CSizeCase{640, 480, 96, 64},
                                           CSizeCase{129, 97, 128, 96}, CSizeCase{1001, 777, 128, 96},
                                           CSizeCase{161, 129, 160, 128}, CSizeCase{1283, 1281, 160, 128},
                                           CSizeCase{129, 129, 128, 128}, CSizeCase{999, 500, 128, 128},
                                           CSizeCase{161, 113, 160, 112}, CSizeCase{1600, 1203, 160, 112},
                                           CSizeCase{177, 145, 176, 144}, CSizeCase{700, 333, 176, 144},
                                           CSizeCase{209, 177, 208, 176}, CSizeCase{1365, 1074, 208, 176},
                                           CSizeCase{221, 177, 220, 176}, CSizeCase{443, 355, 220, 176},
                                           CSizeCase{321, 241, 320, 240}, CSizeCase{1024, 768, 320, 240},
                                           CSizeCase{1280, 721, 320, 240}, CSizeCase{320, 240, 320, 240}));

INSTANTIATE_TEST_SUITE_P(OddShapes, ReduceAgreement,
                         ::testing::Values(CSizeCase{1, 1, 1, 1}, CSizeCase{3, 3, 2, 2},
                                           CSizeCase{7, 1000, 3, 13}, CSizeCase{1000, 7, 999, 1},
                                           CSizeCase{4097, 30, 96, 29}, CSizeCase{9001, 5, 4096, 4},
                                           CSizeCase{20, 5000, 19, 97}));

} // namespace
} // namespace tramino
