#include "show/Transition.h"
#include "settings/PanelSize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tramino
{
namespace
{

std::vector<CRecordWindow> Records(EEffect effect, int nWidth, int nHeight)
{
    std::vector<CRecordWindow> vecRecords;
    ForEachEffectRecord(effect, nWidth, nHeight,
                        [&](const CRecordWindow& window) { vecRecords.push_back(window); });
    return vecRecords;
}

std::vector<int> ColumnsOf(const std::vector<CRecordWindow>& vecRecords)
{
    std::vector<int> vecColumns;
    for (const CRecordWindow& window : vecRecords)
        vecColumns.push_back(window.m_nX0);
    return vecColumns;
}

TEST(Transition, EveryEffectVisitsEveryPixelOfEveryPanelExactlyOnce)
{
    for (const CPanelSize& size : g_arrPanelSizes)
        for (EEffect effect : g_arrEffects)
        {
            SCOPED_TRACE(std::string(EffectName(effect)) + " " + std::to_string(size.m_nWidth));
            EXPECT_TRUE(EffectCoversPanel(effect, size.m_nWidth, size.m_nHeight));
            std::vector<int> vecVisits(static_cast<size_t>(size.m_nWidth * size.m_nHeight));
            int nCount = 0;
            ForEachEffectPosition(effect, size.m_nWidth, size.m_nHeight,
                                  [&](int x, int y)
                                  {
                                      ASSERT_TRUE(x >= 0 && x < size.m_nWidth && y >= 0 &&
                                                  y < size.m_nHeight);
                                      ++vecVisits[static_cast<size_t>(y * size.m_nWidth + x)];
                                      ++nCount;
                                  });
            EXPECT_EQ(nCount, size.m_nWidth * size.m_nHeight);
            EXPECT_EQ(std::count(vecVisits.begin(), vecVisits.end(), 1), nCount);
        }
}

TEST(Transition, ShutterLeftToRightOpensFourBandsOn220AndEightElsewhere)
{
    const std::vector<int> vec220 = ColumnsOf(Records(EEffect::ShutterLeftToRight, 220, 176));
    ASSERT_EQ(vec220.size(), 220u);
    EXPECT_EQ(std::vector<int>(vec220.begin(), vec220.begin() + 8),
              (std::vector<int>{0, 55, 110, 165, 1, 56, 111, 166}));
    EXPECT_EQ(vec220.back(), 219);

    const std::vector<CRecordWindow> vec160 = Records(EEffect::ShutterLeftToRight, 160, 128);
    ASSERT_EQ(vec160.size(), 160u);
    EXPECT_EQ(vec160[0], (CRecordWindow{0, 0, 0, 127}));
    const std::vector<int> vecColumns = ColumnsOf(vec160);
    EXPECT_EQ(std::vector<int>(vecColumns.begin(), vecColumns.begin() + 10),
              (std::vector<int>{0, 20, 40, 60, 80, 100, 120, 140, 1, 21}));
    EXPECT_EQ(vec160.back().m_nX0, 159);
}

TEST(Transition, ShutterTopToBottomOpensEightRowBands)
{
    const std::vector<CRecordWindow> vecRecords = Records(EEffect::ShutterTopToBottom, 128, 96);
    ASSERT_EQ(vecRecords.size(), 96u);
    std::vector<int> vecRows;
    for (const CRecordWindow& window : vecRecords)
        vecRows.push_back(window.m_nY0);
    EXPECT_EQ(std::vector<int>(vecRows.begin(), vecRows.begin() + 10),
              (std::vector<int>{0, 12, 24, 36, 48, 60, 72, 84, 1, 13}));
    EXPECT_EQ(vecRows.back(), 95);
    EXPECT_EQ(vecRecords[0], (CRecordWindow{0, 127, 0, 0}));
}

TEST(Transition, CircleRingsRunFromTheBorderInwards)
{
    const std::vector<CRecordWindow> vec96 = Records(EEffect::Circle, 96, 64);
    ASSERT_EQ(vec96.size(), 128u);
    EXPECT_EQ(std::vector<CRecordWindow>(vec96.begin(), vec96.begin() + 4),
              (std::vector<CRecordWindow>{{0, 0, 0, 63}, {1, 95, 63, 63}, {1, 94, 0, 0}, {95, 95, 0, 62}}));

    // The square panel's last ring is a 2 x 2 block with an empty top row.
    const std::vector<CRecordWindow> vec128 = Records(EEffect::Circle, 128, 128);
    ASSERT_EQ(vec128.size(), 256u);
    EXPECT_EQ(
        std::vector<CRecordWindow>(vec128.end() - 4, vec128.end()),
        (std::vector<CRecordWindow>{{63, 63, 63, 64}, {64, 64, 64, 64}, {64, 63, 63, 63}, {64, 64, 63, 63}}));
    EXPECT_EQ(vec128[254].Area(), 0);
    using CPositions = std::vector<std::pair<int, int>>;
    CPositions vecLast;
    ForEachEffectPosition(EEffect::Circle, 128, 128, [&](int x, int y) { vecLast.emplace_back(x, y); });
    EXPECT_EQ(CPositions(vecLast.end() - 4, vecLast.end()),
              (CPositions{{63, 63}, {63, 64}, {64, 64}, {64, 63}}));

    const std::vector<CRecordWindow> vec320 = Records(EEffect::Circle, 320, 240);
    ASSERT_EQ(vec320.size(), 480u);
    EXPECT_EQ(vec320[476], (CRecordWindow{119, 119, 119, 120}));
    EXPECT_EQ(vec320[477], (CRecordWindow{120, 200, 120, 120}));
}

TEST(Transition, PositionWalkStopsWhenTheCallbackSaysSo)
{
    int nSeen = 0;
    EXPECT_FALSE(ForEachEffectPosition(EEffect::Circle, 96, 64, [&](int, int) { return ++nSeen < 10; }));
    EXPECT_EQ(nSeen, 10);
}

TEST(Transition, SizesAnEffectCannotCoverAreRecognised)
{
    EXPECT_FALSE(EffectCoversPanel(EEffect::Circle, 64, 96));
    EXPECT_FALSE(EffectCoversPanel(EEffect::Circle, 96, 63));
    EXPECT_FALSE(EffectCoversPanel(EEffect::ShutterLeftToRight, 100, 64));
    EXPECT_FALSE(EffectCoversPanel(EEffect::ShutterTopToBottom, 96, 60));
    EXPECT_FALSE(EffectCoversPanel(EEffect::Normal, 0, 64));
    EXPECT_EQ(EffectRecordCount(EEffect::Normal, 0, 64), 0);
}

TEST(Transition, ModeResolutionTakesTheFirstEqualTextThenTheCanonicalName)
{
    const std::array<std::string, 4> arrTexts{"Plain", "Blinds", "Blinds", "Ring"};
    EXPECT_EQ(ResolveEffect("Plain", arrTexts), EEffect::Normal);
    EXPECT_EQ(ResolveEffect("Blinds", arrTexts), EEffect::ShutterLeftToRight);
    EXPECT_EQ(ResolveEffect("Ring", arrTexts), EEffect::Circle);
    EXPECT_EQ(ResolveEffect("ring", arrTexts), std::nullopt);
    EXPECT_EQ(ResolveEffect("Circle", arrTexts), EEffect::Circle);
    EXPECT_EQ(ResolveEffect("shutter-tb", g_arrEffectAliases), EEffect::ShutterTopToBottom);
    EXPECT_EQ(ResolveEffect("Normal", g_arrEffectAliases), EEffect::Normal);
    // Empty language texts match an empty combo text only.
    EXPECT_EQ(ResolveEffect("", std::array<std::string, 4>{"", "", "", ""}), EEffect::Normal);
}

TEST(Transition, EffectSelectionNeedsTheExactCanonicalName)
{
    for (EEffect effect : g_arrEffects)
        EXPECT_EQ(SelectEffect(EffectName(effect)), effect);
    EXPECT_EQ(SelectEffect("Shutter(Top to Bottom)"), EEffect::ShutterTopToBottom);
    EXPECT_FALSE(SelectEffect("normal"));
    EXPECT_FALSE(SelectEffect("Circle "));
    EXPECT_FALSE(SelectEffect(""));
}

} // namespace
} // namespace tramino
