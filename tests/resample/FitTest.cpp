#include "resample/FitGeometry.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tramino
