#include "resample/FitGeometry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace tramino
{
namespace
{

// Hand-worked on a 96 x 64 panel; ".5" marks where exact rounding halves go up.
TEST(FitGeometry, ContainAndCoverFollowTheAspectRatioRoundedToNearest)
{
    const struct
    {
        int m_nWidth, m_nHeight;
        EGravity m_eGravity;
        CRect m_rcContain, m_rcCover;
    } aCases[] = {
        {64, 19, EGravity::Center, {0, 17, 96, 29}, {17, 0, 29, 19}},   // 28.5 and 28.5
        {64, 19, EGravity::South, {0, 35, 96, 29}, {17, 0, 29, 19}},    // gravity moves only the free side
        {64, 19, EGravity::NorthEast, {0, 0, 96, 29}, {35, 0, 29, 19}}, //
        {19, 64, EGravity::Center, {38, 0, 19, 64}, {0, 25, 19, 13}},   // 19.0 and 12.67
        {19, 64, EGravity::SouthWest, {0, 0, 19, 64}, {0, 51, 19, 13}}, //
        {3, 128, EGravity::Center, {47, 0, 2, 64}, {0, 63, 3, 2}},      // 1.5 and 2.0
        {100, 200, EGravity::East, {64, 0, 32, 64}, {0, 66, 100, 67}},  // 32 and 66.67
        {1000, 1, EGravity::Center, {0, 31, 96, 1}, {499, 0, 2, 1}},    // 0.096 and 1.5
        {1, 1000, EGravity::West, {0, 0, 1, 64}, {0, 499, 1, 1}},       // 0.064 and 0.67
        {3, 2, EGravity::SouthEast, {0, 0, 96, 64}, {0, 0, 3, 2}},      // the panel's own shape
        {65535, 65535, EGravity::Center, {16, 0, 64, 64}, {0, 10922, 65535, 43690}}, // no overflow
    };
    for (const auto& c : aCases)
    {
        SCOPED_TRACE(std::to_string(c.m_nWidth) + " x " + std::to_string(c.m_nHeight));
        EXPECT_EQ(ContainRect(c.m_nWidth, c.m_nHeight, 96, 64, c.m_eGravity), c.m_rcContain);
        EXPECT_EQ(CoverCrop(c.m_nWidth, c.m_nHeight, 96, 64, c.m_eGravity), c.m_rcCover);
    }
    EXPECT_EQ(ParseGravity("NorthWest"), EGravity::NorthWest);
    EXPECT_FALSE(ParseGravity("middle"));
}

// vips' thumbnail, asked for 96 x 64 either way, keeps the aspect ratio with the same rounding
// to nearest: wide, tall, the .5 ties and 1-pixel sides.
TEST(FitGeometry, ContainSizeIsThatOfVipsThumbnail)
{
    if (std::system("command -v vipsthumbnail >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "vipsthumbnail (libvips-tools) is missing";
    const std::vector<std::pair<int, int>> vecSizes = {
        {64, 19},  {65, 19}, {63, 19},   {19, 64},   {21, 64},   {3, 128},   {100, 200}, {1000, 1},
        {1, 1000}, {3, 2},   {400, 300}, {302, 200}, {640, 190}, {190, 640}, {97, 65},   {95, 63}};
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      std::string("tramino-fit-").append(std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string strInputs, strOutputs;
    for (size_t i = 0; i < vecSizes.size(); ++i)
    {
        const auto [nWidth, nHeight] = vecSizes[i];
        const std::string strName = (dir / std::string("p").append(std::to_string(i))).string();
        std::ofstream(strName + ".pgm", std::ios::binary)
            << "P5\n"
            << nWidth << " " << nHeight << "\n255\n"
            << std::string(static_cast<size_t>(nWidth * nHeight), '\x80');
        strInputs += " " + strName + ".pgm";
        strOutputs += " " + strName + "-t.v";
    }
    const std::string strScript =
        "vipsthumbnail --size 96x64 -o %s-t.v" + strInputs + " && vipsheader" + strOutputs;
    const std::unique_ptr<FILE, int (*)(FILE*)> pPipe(::popen(strScript.c_str(), "r"), ::pclose);
    ASSERT_TRUE(pPipe);
    for (size_t i = 0; i < vecSizes.size(); ++i)
    {
        const auto [nWidth, nHeight] = vecSizes[i];
        int nVipsWidth = 0, nVipsHeight = 0;
        ASSERT_EQ(std::fscanf(pPipe.get(), "%*s %dx%d %*[^\n]", &nVipsWidth, &nVipsHeight), 2);
        const CRect rc = ContainRect(nWidth, nHeight, 96, 64, EGravity::Center);
        EXPECT_EQ(std::make_pair(rc.m_nWidth, rc.m_nHeight), std::make_pair(nVipsWidth, nVipsHeight))
            << nWidth << " x " << nHeight;
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace tramino
