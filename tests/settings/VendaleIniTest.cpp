#include "settings/VendaleIni.h"
#include "settings/PanelSize.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <sstream>
#include <string>

namespace tramino
{
namespace
{

CVendaleSettings Parse(const std::string& strText)
{
    std::istringstream input(strText);
    return ParseVendaleIni(input);
}

int PanelCode(const std::string& strText)
{
    return Parse(strText).m_nPanelSizeCode;
}

TEST(VendaleIni, KeysWithSpacesAndEqualsSigns)
{
    EXPECT_EQ(Parse("LanguageSelection = 1\nPanelSize = 9\nPanelType = 1\n"), (CVendaleSettings{1, 9}));
    EXPECT_EQ(PanelCode("PanelSize=9\n"), 9);
    EXPECT_EQ(PanelCode("PanelSize  ==  9\n"), 9);
    EXPECT_EQ(PanelCode("   PanelSize=9\n"), 9);
    EXPECT_EQ(Parse("\n\nLanguageSelection=3\n\n"), (CVendaleSettings{3, 0}));
    EXPECT_EQ(Parse(""), (CVendaleSettings{0, 0}));
}

TEST(VendaleIni, ValuesConvertLikeAtoi)
{
    EXPECT_EQ(PanelCode("PanelSize=9x\n"), 9);
    EXPECT_EQ(PanelCode("PanelSize=x9\n"), 0);
    EXPECT_EQ(PanelCode("PanelSize=-3\n"), -3);
    EXPECT_EQ(PanelCode("PanelSize=99999999999\n"), INT_MAX);
    EXPECT_EQ(PanelCode("PanelSize=-99999999999999999999\n"), INT_MIN);
    EXPECT_EQ(AtoiClamped(" \t+12abc"), 12);
    EXPECT_EQ(AtoiClamped("2147483647"), INT_MAX);
    EXPECT_EQ(AtoiClamped("2147483648"), INT_MAX);
    EXPECT_EQ(AtoiClamped("-2147483648"), INT_MIN);
    EXPECT_EQ(AtoiClamped("-2147483649"), INT_MIN);
    EXPECT_EQ(AtoiClamped("+-1"), 0);
    EXPECT_EQ(AtoiClamped(""), 0);
}

TEST(VendaleIni, KeysAreCaseSensitiveSubstrings)
{
    EXPECT_EQ(PanelCode("MaxPanelSize = 4\n"), 4);
    EXPECT_EQ(PanelCode("panelsize = 4\n"), 0);
    // The first token is whatever precedes the first delimiter, the key or not.
    EXPECT_EQ(PanelCode("My PanelSize = 4\n"), 0);
}

TEST(VendaleIni, PanelTypeEndsTheReading)
{
    EXPECT_EQ(Parse("PanelType=1\nLanguageSelection=1\nPanelSize=9\n"), (CVendaleSettings{0, 0}));
    EXPECT_EQ(Parse("PanelSize=3\nPanelType=1\nPanelSize=9\n"), (CVendaleSettings{0, 3}));
    // The PanelSize test runs first and takes the PanelType value.
    EXPECT_EQ(Parse("PanelType=9 PanelSize=2\nPanelSize=3\n"), (CVendaleSettings{0, 9}));
}

TEST(VendaleIni, AnEarlierTestCutsTheLineForLaterOnes)
{
    // The PanelSize split leaves "PanelSize", so PanelType is not seen and reading goes on.
    EXPECT_EQ(Parse("PanelSize=2 PanelType=1\nLanguageSelection=2\n"), (CVendaleSettings{2, 2}));
    EXPECT_EQ(Parse("LanguageSelection=1 PanelSize=4\n"), (CVendaleSettings{1, 0}));
    // LanguageSelection takes atoi("LanguageSelection") = 0; PanelSize then finds no second token.
    EXPECT_EQ(Parse("PanelSize=5\nPanelSize LanguageSelection=2\n"), (CVendaleSettings{0, 5}));
}

TEST(VendaleIni, KeyWithoutSecondTokenKeepsItsCode)
{
    EXPECT_EQ(PanelCode("PanelSize=4\nPanelSize =\n"), 4);
    EXPECT_EQ(PanelCode("PanelSize=4\nPanelSize\n"), 4);
    EXPECT_EQ(PanelCode("PanelSize=4\n= = PanelSize = =\n"), 4);
    // Tabs do not split: one token.
    EXPECT_EQ(PanelCode("PanelSize=4\nPanelSize\t9\n"), 4);
    EXPECT_EQ(PanelCode("PanelSize\t=9\n"), 9);
    EXPECT_EQ(PanelCode("PanelSize=\t9\n"), 9);
}

TEST(VendaleIni, LastLineWithoutLineFeedAndCrLf)
{
    EXPECT_EQ(Parse("LanguageSelection=2\nPanelSize=6"), (CVendaleSettings{2, 6}));
    EXPECT_EQ(Parse("LanguageSelection=1\r\nPanelSize=6\r\nPanelType=1\r\nPanelSize=2\r\n"),
              (CVendaleSettings{1, 6}));
    EXPECT_EQ(Parse("\r\n\r\nPanelSize 7\r\n"), (CVendaleSettings{0, 7}));
}

TEST(VendaleIni, LongLinesReadAsSeveralChunksOf258Bytes)
{
    const std::string strKey = "PanelSize=5";
    // 258 bytes before the line feed: one chunk.
    EXPECT_EQ(PanelCode(std::string(258 - strKey.size(), 'a') + strKey + "\n"), 5);
    // 259 bytes: the value falls into the next chunk, the key keeps its code.
    EXPECT_EQ(PanelCode(std::string(259 - strKey.size(), 'a') + strKey + "\n"), 0);
    // The key split across two chunks is found in neither.
    EXPECT_EQ(PanelCode(std::string(254, 'a') + strKey + "\n"), 0);
    // Text after 258 bytes is a line of its own.
    EXPECT_EQ(PanelCode(std::string(258, 'a') + strKey + "\n"), 5);
    EXPECT_EQ(PanelCode(std::string(258 * 3, '=') + "PanelType\nPanelSize=6\n"), 0);
}

TEST(VendaleIni, NulBytesEndWhatTheLineShows)
{
    EXPECT_EQ(PanelCode(std::string("PanelSize=4\0PanelSize=7\n", 24)), 4);
    EXPECT_EQ(PanelCode(std::string("\0PanelSize=4\nPanelSize=8\n", 25)), 8);
}

TEST(VendaleIni, GarbageIsHarmless)
{
    std::mt19937 random(7);
    std::string strGarbage(1 << 20, '\0');
    for (char& ch : strGarbage)
        ch = static_cast<char>(random());
    Parse(strGarbage);
    EXPECT_EQ(ReadVendaleIni("/nonexistent/Vendale.ini"), (CVendaleSettings{0, 0}));
    EXPECT_EQ(ReadVendaleIni("/"), (CVendaleSettings{0, 0}));
}

TEST(VendaleIni, LanguageSections)
{
    EXPECT_EQ(LanguageSection(1), "English");
    EXPECT_EQ(LanguageSection(2), "TraditionalChinese");
    EXPECT_EQ(LanguageSection(3), "SimplifiedChinese");
    EXPECT_EQ(LanguageSection(0), "SimplifiedChinese");
    EXPECT_EQ(LanguageSection(-1), "SimplifiedChinese");
}

TEST(PanelSize, CodesOutsideTheTableGiveTheSmallestPanel)
{
    for (int nCode : {0, -1, 10, INT_MAX, INT_MIN})
        EXPECT_EQ(PanelSizeFromCode(nCode), (CPanelSize{96, 64})) << nCode;
    EXPECT_EQ(PanelSizeFromCode(2), (CPanelSize{128, 96}));
    EXPECT_EQ(PanelSizeFromCode(8), (CPanelSize{220, 176}));
    EXPECT_EQ(PanelSizeFromCode(9), (CPanelSize{320, 240}));
}

} // namespace
} // namespace tramino
