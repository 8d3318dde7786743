#include "settings/ProfileFile.h"
#include "settings/LangTable.h"
#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace tramino
{
namespace
{

std::string Get(const std::string& strFile, std::string_view strSection, std::string_view strKey)
{
    return CProfileFile::FromBytes(strFile).GetString(strSection, strKey);
}

// Little- or big-endian UTF-16 bytes with a byte-order mark.
std::string Utf16Bytes(std::u16string_view str, bool bBigEndian)
{
    std::string bytes = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t ch : str)
    {
        const char chHigh = static_cast<char>(ch >> 8);
        const char chLow = static_cast<char>(ch & 0xFF);
        bytes += bBigEndian ? std::string{chHigh, chLow} : std::string{chLow, chHigh};
    }
    return bytes;
}

const std::u16string g_strChinese = u"[SimplifiedChinese]\r\nTEXT0=图片列表\r\nTEXT9=转换完成 𠀀\r\n";

TEST(ProfileFile, EncodingsKeepChineseIntact)
{
    const std::string strPlain = "[SimplifiedChinese]\nTEXT0=图片列表\nTEXT9=转换完成 𠀀\n";
    for (const std::string& strFile : {strPlain, "\xEF\xBB\xBF" + strPlain, Utf16Bytes(g_strChinese, false),
                                       Utf16Bytes(g_strChinese, true)})
    {
        const CProfileFile file = CProfileFile::FromBytes(strFile);
        EXPECT_EQ(file.GetString("SimplifiedChinese", "TEXT0"), "图片列表");
        EXPECT_EQ(file.GetString("SimplifiedChinese", "TEXT9"), "转换完成 𠀀");
    }
}

TEST(ProfileFile, NamesIgnoreCaseAndBlanks)
{
    const std::string strFile = "  [ english ]  \n\t text1 \t=   Load   Image  \nTeXt2=Mode\n";
    EXPECT_EQ(Get(strFile, "English", "TEXT1"), "Load   Image");
    EXPECT_EQ(Get(strFile, "ENGLISH", "text2"), "Mode");
    EXPECT_EQ(Get(strFile, "English", "TEXT3"), "");
    EXPECT_EQ(Get(strFile, "TraditionalChinese", "TEXT1"), "");
}

TEST(ProfileFile, OnePairOfQuotesComesOff)
{
    EXPECT_EQ(Get("[s]\nk=\"  padded  \"\n", "s", "k"), "  padded  ");
    EXPECT_EQ(Get("[s]\nk=\"\"twice\"\"\n", "s", "k"), "\"twice\"");
    EXPECT_EQ(Get("[s]\nk=\"open\n", "s", "k"), "\"open");
    EXPECT_EQ(Get("[s]\nk=\"\n", "s", "k"), "\"");
    EXPECT_EQ(Get("[s]\nk=\"\"\n", "s", "k"), "");
}

TEST(ProfileFile, FirstOccurrenceWins)
{
    EXPECT_EQ(Get("[s]\nk=first\nK=second\n", "s", "k"), "first");
    EXPECT_EQ(Get("[s]\nk=first\n[S]\nk=second\nj=other\n", "s", "k"), "first");
    EXPECT_EQ(Get("[s]\nk=first\n[S]\nj=other\n", "s", "j"), "");
}

TEST(ProfileFile, CommentsOtherSectionsAndStrayLines)
{
    const std::string strFile = "k=before any section\n[a]\nk=of a\n[s]\n;k=comment\n  ; k=comment\n"
                                "no equals sign\nk=value = with = equals\n[b]\nk=of b\n";
    EXPECT_EQ(Get(strFile, "s", "k"), "value = with = equals");
    EXPECT_EQ(Get(strFile, "a", "k"), "of a");
    EXPECT_EQ(Get("[s\nk=open header\n[t]\nk=t\n", "s", "k"), "open header");
    EXPECT_EQ(Get("[s]\rk=cr only\r", "s", "k"), "cr only");
}

TEST(ProfileFile, ValuesAreCutTo259Units)
{
    EXPECT_EQ(Get("[s]\nk=" + std::string(300, 'a') + "\n", "s", "k"), std::string(259, 'a'));
    EXPECT_EQ(Get("[s]\nk=\"" + std::string(259, 'a') + "\"\n", "s", "k"), std::string(259, 'a'));
    std::string strChinese;
    for (int i = 0; i < 300; ++i)
        strChinese += "中";
    EXPECT_EQ(Get("[s]\nk=" + strChinese + "\n", "s", "k"), strChinese.substr(0, 259 * 3));
    // A pair of surrogates at units 259 and 260 goes as a whole.
    EXPECT_EQ(Get("[s]\nk=" + std::string(258, 'a') + "𠀀b\n", "s", "k"), std::string(258, 'a'));
    EXPECT_EQ(Get("[s]\nk=" + std::string(257, 'a') + "𠀀b\n", "s", "k"), std::string(257, 'a') + "𠀀");
}

TEST(ProfileFile, HostileBytesAreSafe)
{
    EXPECT_EQ(Get("[s]\nk=ab\xFF\xC0\x80"
                  "cd\n",
                  "s", "k"),
              "ab\uFFFD\uFFFD\uFFFDcd");
    EXPECT_EQ(Get(std::string("[s]\nk=ab\0cd\nj=ef\n", 17), "s", "j"), "ef");
    EXPECT_EQ(Get(std::string("[s]\nk=ab\0cd\n", 12), "s", "k"), "ab");
    // An unpaired surrogate from UTF-16 and an odd last byte.
    EXPECT_EQ(Get(Utf16Bytes(u"[s]\nk=a\xD800z\n", false) + "x", "s", "k"), "a\uFFFDz");
    EXPECT_EQ(Get("\xFF\xFE", "s", "k"), "");
}

TEST(ProfileFile, FilesAreReadUpToTheCap)
{
    const test::CTempDir dir;
    const std::string strPadding = "\n;" + std::string(CProfileFile::kMaxFileBytes, 'x') + "\n";
    const CProfileFile file =
        CProfileFile::Load(dir.Write("Lang.txt", "[s]\nk=early" + strPadding + "j=late\n"));
    EXPECT_EQ(file.GetString("s", "k"), "early");
    EXPECT_EQ(file.GetString("s", "j"), "");
    EXPECT_EQ(CProfileFile::Load(dir.Path() / "missing.txt").GetString("s", "k"), "");
    EXPECT_EQ(CProfileFile::Load(dir.Path()).GetString("s", "k"), "");
}

TEST(LangTable, ReadsTheTwentyTextsOfOneSection)
{
    std::string strFile =
        "[English]\nTEXT0=List\nTEXT19=Last\nTEXT20=Beyond\n[TraditionalChinese]\nTEXT0=清單\n";
    const CLangTable english = CLangTable::Read(CProfileFile::FromBytes(strFile), "English");
    EXPECT_EQ(english.Text(0), "List");
    EXPECT_EQ(english.Text(1), "");
    EXPECT_EQ(english.Text(19), "Last");
    EXPECT_EQ(english.Text(20), "");
    EXPECT_EQ(english.Text(-1), "");
    EXPECT_EQ(CLangTable::Read(CProfileFile::FromBytes(strFile), "TraditionalChinese").Text(0), "清單");
    EXPECT_EQ(CLangTable::Load("/nonexistent/Lang.txt", "English").Text(0), "");
}

} // namespace
} // namespace tramino
