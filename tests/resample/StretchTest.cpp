#include "ResampleTestSupport.h"
#include "resample/Stretcher.h"

#include <gtest/gtest.h>

#include <vector>

namespace tramino
{
namespace
{

using test::RandomPicture;
using test::UniformPicture;

CPicture Stretch(const CPicture& source, int nWidth, int nHeight, bool bBottomUp = false)
{
    test::CInMemoryRowReader reader(source, bBottomUp);
    CResult<CPicture> result = StretchRows(reader, nWidth, nHeight);
    EXPECT_TRUE(result) << result.Message();
    return result ? std::move(result).Value() : CPicture();
}

CPicture Row(std::vector<uint8_t> vecLevels)
{
    CPicture picture(static_cast<int>(vecLevels.size()), 1, 24);
    for (size_t x = 0; x < vecLevels.size(); ++x)
        picture.SetPixel(static_cast<int>(x), 0, {vecLevels[x], vecLevels[x], vecLevels[x]});
    return picture;
}

std::vector<uint8_t> Levels(const CPicture& picture)
{
    std::vector<uint8_t> vecLevels;
    for (int x = 0; x < picture.Width(); ++x)
        vecLevels.push_back(picture.GetPixel(x, 0).m_nRed);
    return vecLevels;
}

TEST(Stretch, AtThePanelSizeEveryPixelIsKept)
{
    const CPicture source = RandomPicture(128, 96, 3);
    EXPECT_TRUE(Stretch(source, 128, 96) == source);
    EXPECT_TRUE(Stretch(source, 128, 96, true) == source);
}

TEST(Stretch, GrowingInterpolatesBetweenPixelCentres)
{
    EXPECT_EQ(Levels(Stretch(Row({0, 255}), 4, 1)), (std::vector<uint8_t>{0, 64, 191, 255}));
    EXPECT_EQ(Levels(Stretch(Row({90}), 3, 1)), (std::vector<uint8_t>{90, 90, 90}));
}

TEST(Stretch, ShrinkingAveragesTheCoveredArea)
{
    EXPECT_EQ(Levels(Stretch(Row({0, 0, 255, 255}), 2, 1)), (std::vector<uint8_t>{0, 255}));
    // Three onto two: the middle pixel is split half and half.
    EXPECT_EQ(Levels(Stretch(Row({30, 60, 90}), 2, 1)), (std::vector<uint8_t>{40, 80}));
    EXPECT_EQ(Levels(Stretch(Row({10, 20, 30, 40, 50}), 1, 1)), (std::vector<uint8_t>{30}));
}

// A picture lower than the panel but wider: width reduced, height enlarged, every edge kept.
TEST(Stretch, FillsThePanelWithoutBarsOrCropping)
{
    CPicture source = UniformPicture(400, 50, {100, 100, 100});
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 4; ++x)
        {
            source.SetPixel(x, y, {255, 0, 0});
            source.SetPixel(399 - x, y, {0, 0, 255});
        }
    for (int x = 0; x < 400; ++x)
        source.SetPixel(x, 0, {0, 255, 0});
    const CPicture output = Stretch(source, 128, 96);
    ASSERT_EQ(output.Width(), 128);
    ASSERT_EQ(output.Height(), 96);
    EXPECT_EQ(output.GetPixel(0, 50), (CRgb{255, 0, 0})) << "the left edge survives";
    EXPECT_EQ(output.GetPixel(127, 50), (CRgb{0, 0, 255})) << "the right edge survives";
    EXPECT_EQ(output.GetPixel(64, 0), (CRgb{0, 255, 0})) << "the top row survives";
    EXPECT_EQ(output.GetPixel(64, 95), (CRgb{100, 100, 100})) << "no bar at the bottom";
}

TEST(Stretch, UniformPicturesStayExactAtEverySize)
{
    for (const auto& [nWidth, nHeight] : {std::pair{1, 1}, {7, 300}, {333, 5}, {96, 64}, {1000, 1}})
    {
        const CPicture output = Stretch(UniformPicture(nWidth, nHeight, {1, 128, 255}), 220, 176);
        ASSERT_EQ(output.Width(), 220);
        ASSERT_EQ(output.Height(), 176);
        for (int y = 0; y < 176; ++y)
            for (int x = 0; x < 220; ++x)
                ASSERT_EQ(output.GetPixel(x, y), (CRgb{1, 128, 255})) << nWidth << " x " << nHeight;
    }
}

TEST(Stretch, BothRowOrdersGiveTheSamePicture)
{
    const CPicture source = RandomPicture(301, 77, 5);
    EXPECT_TRUE(Stretch(source, 160, 112) == Stretch(source, 160, 112, true));
}

TEST(Stretch, IndexedPicturesArriveAsTheirColours)
{
    CPicture source(300, 200, 8);
    source.Palette() = {CRgb{10, 20, 30}, CRgb{200, 100, 0}};
    for (int y = 0; y < 200; ++y)
        for (int x = 150; x < 300; ++x)
            source.Row(y)[x] = 1;
    const CPicture output = Stretch(source, 96, 64);
    EXPECT_EQ(output.BitsPerPixel(), 24);
    EXPECT_EQ(output.GetPixel(0, 0), (CRgb{10, 20, 30}));
    EXPECT_EQ(output.GetPixel(95, 63), (CRgb{200, 100, 0}));
}

TEST(Stretch, EmptySizesAreRefused)
{
    EXPECT_FALSE(CStretcher::Create(0, 10, 96, 64));
    EXPECT_FALSE(CStretcher::Create(10, 10, 0, 64));
}

} // namespace
} // namespace tramino
