#include "SkinRegion.h"
#include "SkinDialog.h"

#include <QImage>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tramino
{
namespace
{

constexpr CRgb g_crKey{255, 0, 255};

// A background drawn as text rows: 'M' is the key colour, anything else a solid pixel.
struct CTextBackground
{
    std::vector<std::string> m_vecRows;

    CSkinBackground Get() const
    {
        return {[this](int x, int y) {
                    return m_vecRows[static_cast<size_t>(y)][static_cast<size_t>(x)] == 'M' ? g_crKey
                                                                                            : CRgb{1, 2, 3};
                },
                static_cast<int>(m_vecRows[0].size()), static_cast<int>(m_vecRows.size())};
    }
};

CWindowGeometry ClientOnly(int nWidth, int nHeight)
{
    return {nWidth, nHeight, 0, 0, nWidth, nHeight};
}

TEST(SkinRegion, WithoutShapeOrBackgroundTheWholeWindowIsVisible)
{
    const CTextBackground bg{{"MMM", "MMM"}};
    const CSkinBackground background = bg.Get();
    const CWindowGeometry geometry{40, 30, 4, 20, 32, 6};
    const std::vector<CRegionRect> vecWhole{{0, 0, 40, 30}};
    EXPECT_EQ(BuildWindowRegion(&background, false, g_crKey, geometry), vecWhole);
    EXPECT_EQ(BuildWindowRegion(nullptr, true, g_crKey, geometry), vecWhole);
}

TEST(SkinRegion, RunsOfEachRowBecomeOnePixelHighRectangles)
{
    // Magenta side columns, a lone hole in the middle row, a fully magenta row, a run that
    // reaches the right edge.
    const CTextBackground bg{{
        "MxxxxM",
        "MxxMxM",
        "MMMMMM",
        "xxMxxx",
    }};
    const CSkinBackground background = bg.Get();
    const std::vector<CRegionRect> vecExpected{
        {1, 0, 5, 1}, {1, 1, 3, 2}, {4, 1, 5, 2}, {0, 3, 2, 4}, {3, 3, 6, 4},
    };
    EXPECT_EQ(BuildWindowRegion(&background, true, g_crKey, ClientOnly(6, 4)), vecExpected);
}

TEST(SkinRegion, FrameStaysAndRunsAreOffsetByTheClientPosition)
{
    const CTextBackground bg{{"xMx"}};
    const CSkinBackground background = bg.Get();
    // A 3 x 1 client area at (2, 5) of a 7 x 8 window.
    const std::vector<CRegionRect> vecExpected{
        {0, 0, 7, 5}, {0, 6, 7, 8}, {0, 5, 2, 6}, {5, 5, 7, 6}, {2, 5, 3, 6}, {4, 5, 5, 6},
    };
    EXPECT_EQ(BuildWindowRegion(&background, true, g_crKey, {7, 8, 2, 5, 3, 1}), vecExpected);
}

TEST(SkinRegion, OnlyThePartOfTheBitmapOverTheClientAreaCounts)
{
    const CTextBackground bg{{"xxxx", "xxxx", "xxxx"}};
    const CSkinBackground background = bg.Get();
    // A smaller bitmap leaves the rest of the client area cut out; a larger one is clipped.
    EXPECT_EQ(BuildWindowRegion(&background, true, g_crKey, ClientOnly(10, 10)),
              (std::vector<CRegionRect>{{0, 0, 4, 1}, {0, 1, 4, 2}, {0, 2, 4, 3}}));
    EXPECT_EQ(BuildWindowRegion(&background, true, g_crKey, ClientOnly(2, 1)),
              (std::vector<CRegionRect>{{0, 0, 2, 1}}));
}

TEST(SkinDialog, KeyColouredPixelsAreCutOutOfTheWindow)
{
    QImage image(20, 10, QImage::Format_RGB888);
    image.fill(QColor(10, 120, 200));
    for (int y = 0; y < 10; ++y)
    {
        image.setPixelColor(0, y, QColor(255, 0, 255));
        image.setPixelColor(19, y, QColor(255, 0, 255));
    }
    image.setPixelColor(7, 4, QColor(255, 0, 255));
    image.setPixelColor(8, 4, QColor(255, 0, 254)); // not the key: no tolerance

    CSkinDialog dlg;
    dlg.setFixedSize(24, 12);
    dlg.SetBackground(image);
    EXPECT_TRUE(dlg.mask().isEmpty()) << "the shape is off until enabled";
    dlg.EnableShape(true);
    dlg.SetKeyColor(qRgb(255, 0, 255));

    const QRegion region = dlg.mask();
    EXPECT_FALSE(region.contains(QPoint(0, 5)));
    EXPECT_FALSE(region.contains(QPoint(19, 5)));
    EXPECT_FALSE(region.contains(QPoint(7, 4)));
    EXPECT_TRUE(region.contains(QPoint(8, 4)));
    EXPECT_TRUE(region.contains(QPoint(1, 0)));
    EXPECT_TRUE(region.contains(QPoint(18, 9)));
    EXPECT_FALSE(region.contains(QPoint(21, 5))) << "beyond the bitmap";
    EXPECT_FALSE(region.contains(QPoint(5, 11))) << "beyond the bitmap";

    dlg.EnableShape(false);
    EXPECT_TRUE(dlg.mask().isEmpty());
}

} // namespace
} // namespace tramino
