#include "codec/CodecTestSupport.h"

#include <fstream>
#include <set>
#include <sstream>

namespace tramino::test
{
namespace
{

struct SSuiteFile
{
    std::string strFile; // relative to the suite, e.g. "g/pal8.bmp"
    int nWidth = 0;
    int nHeight = 0;
    std::vector<std::string> vecReferences;
};

std::filesystem::path SuiteDir()
{
    return TestData() / "bmpsuite";
}

std::vector<SSuiteFile> ReadManifest(const std::string& strFolder)
{
    std::vector<SSuiteFile> vecFiles;
    std::ifstream manifest(SuiteDir() / "MANIFEST.tsv");
    std::string strLine;
    std::getline(manifest, strLine); // column names
    while (std::getline(manifest, strLine))
    {
        std::vector<std::string> vecColumns;
        std::stringstream stream(strLine);
        for (std::string strColumn; std::getline(stream, strColumn, '\t');)
            vecColumns.push_back(strColumn);
        if (vecColumns.size() < 10 || vecColumns[0].rfind(strFolder + "/", 0) != 0)
            continue;
        SSuiteFile file;
        file.strFile = vecColumns[0];
        file.nWidth = std::abs(std::stoi(vecColumns[4]));
        file.nHeight = std::abs(std::stoi(vecColumns[5]));
        std::stringstream references(vecColumns[9]);
        for (std::string strRef; std::getline(references, strRef, ',');)
            if (strRef.ends_with(".png"))
                file.vecReferences.push_back(strRef);
        vecFiles.push_back(file);
    }
    return vecFiles;
}

// Largest channel difference to the reference; alpha counts only for pictures that carry it.
int DifferenceTo(const CPicture& picture, const SRgbaImage& reference)
{
    if (picture.Width() != reference.nWidth || picture.Height() != reference.nHeight)
        return 256;
    int nMax = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
        {
            const uint8_t* pRef = &reference.vecRgba[(static_cast<size_t>(y) * picture.Width() + x) * 4];
            const CRgb cr = picture.GetPixel(x, y);
            if (picture.BitsPerPixel() == 32)
                nMax = std::max(nMax, std::abs(picture.Row(y)[4 * x + 3] - pRef[3]));
            if (pRef[3] == 0)
                continue; // colour of a fully transparent pixel is undefined
            nMax = std::max({nMax, std::abs(cr.m_nRed - pRef[0]), std::abs(cr.m_nGreen - pRef[1]),
                             std::abs(cr.m_nBlue - pRef[2])});
        }
    return nMax;
}

// The smallest difference to any acceptable reference.
int BestDifference(const CPicture& picture, const SSuiteFile& file)
{
    int nBest = 256;
    for (const std::string& strRef : file.vecReferences)
    {
        SRgbaImage reference;
        if (ReadPng(SuiteDir() / strRef, reference))
            nBest = std::min(nBest, DifferenceTo(picture, reference));
    }
    return nBest;
}

class BmpSuiteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(SuiteDir() / "MANIFEST.tsv"))
            GTEST_SKIP() << "bmpsuite not found under " << TestData();
    }
};

// Whole and streamed decoding must agree pixel for pixel.
void ExpectStreamMatches(const std::string& strPath, const CPicture& picture)
{
    CResult<CPicture> streamed = StreamToPicture(strPath);
    ASSERT_TRUE(streamed) << streamed.Message();
    EXPECT_EQ(RgbPixels(streamed.Value()), RgbPixels(picture)) << strPath;
}

void ExpectCleanRefusal(const CStatus& status, const std::string& strPath)
{
    EXPECT_FALSE(status.IsOk());
    EXPECT_NE(status.Message().find("'" + strPath + "'"), std::string::npos) << status.Message();
}

TEST_F(BmpSuiteTest, GoodFilesMatchTheirReferences)
{
    const std::vector<SSuiteFile> vecFiles = ReadManifest("g");
    ASSERT_FALSE(vecFiles.empty());
    for (const SSuiteFile& file : vecFiles)
    {
        const std::string strPath = (SuiteDir() / file.strFile).string();
        CResult<CPicture> picture = DecodePictureFile(strPath);
        ASSERT_TRUE(picture) << picture.Message();
        EXPECT_EQ(BestDifference(picture.Value(), file), 0) << file.strFile;
        ExpectStreamMatches(strPath, picture.Value());
    }
}

TEST_F(BmpSuiteTest, QuestionableFilesDecodeSensiblyOrAreRefused)
{
    // What we claim to read must also look right.
    const std::set<std::string> setMustDecode = {
        "q/pal1p1.bmp",         "q/pal2.bmp",           "q/pal2color.bmp",     "q/pal8offs.bmp",
        "q/pal8os2-hs.bmp",     "q/pal8os2-sz.bmp",     "q/pal8os2sp.bmp",     "q/pal8os2v2-16.bmp",
        "q/pal8os2v2-40sz.bmp", "q/pal8os2v2-sz.bmp",   "q/pal8os2v2.bmp",     "q/pal8oversizepal.bmp",
        "q/rgb16-231.bmp",      "q/rgb16-3103.bmp",     "q/rgb24largepal.bmp", "q/rgb24lprof.bmp",
        "q/rgb24prof.bmp",      "q/rgb32-111110.bmp",   "q/rgb32-7187.bmp",    "q/rgb32-xbgr.bmp",
        "q/rgb32h52.bmp",       "q/rgba16-1924.bmp",    "q/rgba16-4444.bmp",   "q/rgba16-5551.bmp",
        "q/rgba32-1.bmp",       "q/rgba32-1010102.bmp", "q/rgba32-2.bmp",      "q/rgba32-61754.bmp",
        "q/rgba32-81284.bmp",   "q/rgba32abf.bmp",      "q/rgba32h56.bmp",     "q/pal4rletrns.bmp",
        "q/pal8rletrns.bmp",    "q/pal4rlecut.bmp",     "q/pal8rlecut.bmp",
    };
    const std::vector<SSuiteFile> vecFiles = ReadManifest("q");
    ASSERT_FALSE(vecFiles.empty());
    for (const SSuiteFile& file : vecFiles)
    {
        const std::string strPath = (SuiteDir() / file.strFile).string();
        CResult<CPicture> picture = DecodePictureFile(strPath);
        if (!picture)
        {
            EXPECT_FALSE(setMustDecode.contains(file.strFile)) << picture.Message();
            ExpectCleanRefusal(picture.Status(), strPath);
            continue;
        }
        EXPECT_EQ(picture.Value().Width(), file.nWidth) << file.strFile;
        EXPECT_EQ(picture.Value().Height(), file.nHeight) << file.strFile;
        if (setMustDecode.contains(file.strFile))
        {
            // Channels wider than 8 bits (rgb32-111110) round to within 1 of the 8-bit original.
            EXPECT_LE(BestDifference(picture.Value(), file), 1) << file.strFile;
        }
        ExpectStreamMatches(strPath, picture.Value());
    }
}

TEST_F(BmpSuiteTest, BadFilesAreRefusedOrDecodeSensibly)
{
    // Sizes, depths and headers that cannot be made sense of must be refused.
    const std::set<std::string> setMustRefuse = {"b/badbitcount.bmp", "b/badheadersize.bmp",
                                                 "b/badwidth.bmp",    "b/reallybig.bmp",
                                                 "b/shortfile.bmp",   "b/rletopdown.bmp"};
    const std::vector<SSuiteFile> vecFiles = ReadManifest("b");
    ASSERT_FALSE(vecFiles.empty());
    for (const SSuiteFile& file : vecFiles)
    {
        const std::string strPath = (SuiteDir() / file.strFile).string();
        CResult<CPicture> picture = DecodePictureFile(strPath);
        CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader(strPath);
        EXPECT_EQ(picture.IsOk(), reader.IsOk()) << file.strFile;
        if (!picture)
        {
            ExpectCleanRefusal(picture.Status(), strPath);
            continue;
        }
        EXPECT_FALSE(setMustRefuse.contains(file.strFile)) << file.strFile;
        EXPECT_EQ(picture.Value().Width(), file.nWidth) << file.strFile;
        EXPECT_EQ(picture.Value().Height(), file.nHeight) << file.strFile;
        if (!file.vecReferences.empty())
        {
            EXPECT_EQ(BestDifference(picture.Value(), file), 0) << file.strFile;
        }
        ExpectStreamMatches(strPath, picture.Value());
    }
}

TEST_F(BmpSuiteTest, BitmapArrayIsNotTakenForABmp)
{
    const std::string strPath = (SuiteDir() / "x/ba-bm.bmp").string();
    ExpectCleanRefusal(DecodePictureFile(strPath).Status(), strPath);
}

} // namespace
} // namespace tramino::test
