#include "codec/BmpWriter.h"
#include "codec/CodecTestSupport.h"

#include <gif_lib.h>

#include <random>

namespace tramino::test
{
namespace
{

std::filesystem::path Photos()
{
    return TestData() / "photos";
}

class PhotoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(Photos() / "mate_FreshFlower.jpg"))
            GTEST_SKIP() << "photos not found under " << TestData();
    }
};

void ExpectError(const CStatus& status, const std::string& strName)
{
    EXPECT_FALSE(status.IsOk()) << strName;
    EXPECT_NE(status.Message().find("'" + strName + "'"), std::string::npos) << status.Message();
}

TEST_F(PhotoTest, DepthClassesFollowTheFormat)
{
    struct SCase
    {
        const char* szFile;
        int nBits;
    };
    for (const SCase& c :
         {SCase{"mate_FreshFlower.jpg", 24}, SCase{"plasma_Grey_2560x1600.jpg", 8},
          SCase{"edge/wx_cmyk.jpg", 32}, SCase{"tk_earth.gif", 8}, SCase{"edge/wx_throbber_animated.gif", 8}})
    {
        const std::string strPath = (Photos() / c.szFile).string();
        CResult<CPicture> picture = DecodePictureFile(strPath);
        ASSERT_TRUE(picture) << picture.Message();
        EXPECT_EQ(picture.Value().BitsPerPixel(), c.nBits) << c.szFile;
        // Whole and streamed decoding give the same pixels, whatever the conversion path.
        CResult<CPicture> streamed = StreamToPicture(strPath);
        ASSERT_TRUE(streamed) << streamed.Message();
        EXPECT_EQ(RgbPixels(streamed.Value()), RgbPixels(picture.Value())) << c.szFile;
    }
    CResult<CPicture> grey = DecodePictureFile((Photos() / "plasma_Grey_2560x1600.jpg").string());
    ASSERT_EQ(grey.Value().Palette().size(), 256u);
    EXPECT_EQ(grey.Value().Palette()[77], (CRgb{77, 77, 77}));
}

TEST_F(PhotoTest, AdobeCmykIsInverted)
{
    // The logo's background is nearly white paper; read without the inversion it would be nearly black.
    CResult<CPicture> picture = DecodePictureFile((Photos() / "edge/wx_cmyk.jpg").string());
    ASSERT_TRUE(picture) << picture.Message();
    const CRgb cr = picture.Value().GetPixel(0, 0);
    EXPECT_GT(cr.m_nRed + cr.m_nGreen + cr.m_nBlue, 740) << int{cr.m_nRed} << " " << int{cr.m_nGreen};
    EXPECT_EQ(picture.Value().Row(0)[3], 255);
}

TEST_F(PhotoTest, ScalesToTheSmallestSizeStillAboveTheTarget)
{
    const std::string strPath = (Photos() / "mate_FreshFlower.jpg").string(); // 1600 x 1203
    struct SCase
    {
        int nAboveWidth, nAboveHeight, nWidth, nHeight;
    };
    // 1/8 gives 200 x 151: not strictly wider than 200, so 2/8 is taken.
    for (const SCase& c :
         {SCase{320, 240, 400, 301}, SCase{199, 150, 200, 151}, SCase{200, 150, 400, 301},
          SCase{1599, 1202, 1600, 1203}, SCase{4000, 4000, 1600, 1203}, SCase{0, 0, 1600, 1203}})
    {
        CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader(strPath, {c.nAboveWidth, c.nAboveHeight});
        ASSERT_TRUE(reader) << reader.Message();
        const CPictureInfo& info = reader.Value()->Info();
        EXPECT_EQ(info.m_nWidth, c.nWidth) << c.nAboveWidth;
        EXPECT_EQ(info.m_nHeight, c.nHeight) << c.nAboveWidth;
        EXPECT_EQ(info.m_nFileWidth, 1600);
        EXPECT_EQ(info.m_nFileHeight, 1203);
    }
    CResult<CPicture> scaled = StreamToPicture(strPath, {320, 240});
    ASSERT_TRUE(scaled) << scaled.Message();
    EXPECT_EQ(scaled.Value().Height(), 301);
}

TEST_F(PhotoTest, StopsEarlyWithoutError)
{
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader((Photos() / "mate_FreshFlower.jpg").string());
    ASSERT_TRUE(reader) << reader.Message();
    int nRows = 0;
    EXPECT_TRUE(reader.Value()->ReadRows([&](int, const uint8_t*) { return ++nRows < 10; }));
    EXPECT_EQ(nRows, 10);
}

// Cut files are errors (libjpeg alone would pad them with grey), for baseline and progressive data.
TEST_F(PhotoTest, TruncatedFilesAreRefused)
{
    for (const char* szFile : {"mate_FreshFlower.jpg", "Picture_1A_by_freespace.jpg", "tk_earth.gif"})
    {
        const std::vector<uint8_t> vecData = ReadBytes(Photos() / szFile);
        for (size_t nCut : {size_t{1}, size_t{8}, size_t{300}, vecData.size() / 2, vecData.size() - 100})
        {
            EXPECT_FALSE(DecodePictureMemory(vecData.data(), nCut, szFile)) << szFile << " cut at " << nCut;
            CResult<std::unique_ptr<CRowReader>> reader = OpenRowReaderMemory(vecData.data(), nCut, szFile);
            if (reader)
                ExpectError(reader.Value()->ReadRows([](int, const uint8_t*) { return true; }), szFile);
            else
                ExpectError(reader.Status(), szFile);
        }
    }
}

// Flipped bytes must never crash or hang; a result, if any, keeps the announced size.
TEST_F(PhotoTest, CorruptFilesFailCleanly)
{
    std::mt19937 random(7);
    for (const char* szFile : {"mate_FreshFlower.jpg", "tk_earthris.gif", "edge/wx_cmyk.jpg"})
    {
        const std::vector<uint8_t> vecOriginal = ReadBytes(Photos() / szFile);
        for (int nRound = 0; nRound < 12; ++nRound)
        {
            std::vector<uint8_t> vecData = vecOriginal;
            // Headers are where the damage is most interesting.
            const size_t nSpan = nRound % 2 ? vecData.size() : std::min<size_t>(vecData.size(), 700);
            for (int i = 0; i < 6; ++i)
                vecData[random() % nSpan] ^= static_cast<uint8_t>(1 + random() % 255);
            CResult<CPicture> picture = DecodePictureMemory(vecData.data(), vecData.size(), szFile);
            if (!picture)
                ExpectError(picture.Status(), szFile);
            else
                EXPECT_FALSE(picture.Value().IsEmpty());
        }
    }
}

TEST(PictureFormatTest, ContentDecidesNotTheName)
{
    CTempDir dir;
    CPicture picture(3, 2, 24);
    picture.SetPixel(2, 1, CRgb{10, 20, 30});
    const std::string strBmpAsJpg = (dir / "really-a-bmp.jpg").string();
    ASSERT_TRUE(WriteBmpFile(picture, strBmpAsJpg));
    CResult<CPicture> decoded = DecodePictureFile(strBmpAsJpg);
    ASSERT_TRUE(decoded) << decoded.Message();
    EXPECT_EQ(decoded.Value().GetPixel(2, 1), (CRgb{10, 20, 30}));

    const std::string strText = (dir / "notes.bmp").string();
    WriteBytes(strText, {'h', 'e', 'l', 'l', 'o'});
    ExpectError(DecodePictureFile(strText).Status(), strText);
    const std::string strEmpty = (dir / "empty.gif").string();
    WriteBytes(strEmpty, {});
    ExpectError(DecodePictureFile(strEmpty).Status(), strEmpty);
    const std::string strMissing = (dir / "missing.jpg").string();
    ExpectError(OpenRowReader(strMissing).Status(), strMissing);
}

// A GIF of our own making: one image of w x h on a screen, pixel (x, y) = (x + 2y) % 4.
std::vector<uint8_t> MakeGif(int nScreenWidth, int nScreenHeight, int nLeft, int nTop, int nWidth,
                             int nHeight, bool bInterlaced, bool bLocalTable)
{
    std::vector<uint8_t> vecData;
    auto fnWrite = [](GifFileType* pGif, const GifByteType* p, int n)
    {
        auto* pVec = static_cast<std::vector<uint8_t>*>(pGif->UserData);
        pVec->insert(pVec->end(), p, p + n);
        return n;
    };
    int nError = 0;
    GifFileType* pGif = EGifOpen(&vecData, fnWrite, &nError);
    const GifColorType globalColours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {9, 9, 9}};
    const GifColorType localColours[4] = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}};
    ColorMapObject* pGlobal = GifMakeMapObject(4, globalColours);
    ColorMapObject* pLocal = GifMakeMapObject(4, localColours);
    EGifPutScreenDesc(pGif, nScreenWidth, nScreenHeight, 2, 3, pGlobal);
    EGifPutImageDesc(pGif, nLeft, nTop, nWidth, nHeight, bInterlaced, bLocalTable ? pLocal : nullptr);
    static constexpr int g_vecStart[4] = {0, 4, 2, 1};
    static constexpr int g_vecStep[4] = {8, 8, 4, 2};
    std::vector<int> vecOrder;
    for (int nPass = 0; nPass < (bInterlaced ? 4 : 1); ++nPass)
        for (int y = bInterlaced ? g_vecStart[nPass] : 0; y < nHeight;
             y += bInterlaced ? g_vecStep[nPass] : 1)
            vecOrder.push_back(y);
    std::vector<GifPixelType> vecLine(static_cast<size_t>(nWidth));
    for (int y : vecOrder)
    {
        for (int x = 0; x < nWidth; ++x)
            vecLine[static_cast<size_t>(x)] = static_cast<GifPixelType>((x + 2 * y) % 4);
        EGifPutLine(pGif, vecLine.data(), nWidth);
    }
    EGifCloseFile(pGif, &nError);
    GifFreeMapObject(pGlobal);
    GifFreeMapObject(pLocal);
    return vecData;
}

TEST(GifTest, FirstImageSitsAtItsOffsetOnTheScreen)
{
    for (bool bInterlaced : {false, true})
    {
        const std::vector<uint8_t> vecGif = MakeGif(12, 20, 3, 5, 6, 13, bInterlaced, false);
        CResult<CPicture> picture = DecodePictureMemory(vecGif.data(), vecGif.size(), "made.gif");
        ASSERT_TRUE(picture) << picture.Message();
        const CPicture& p = picture.Value();
        ASSERT_EQ(p.Width(), 12);
        ASSERT_EQ(p.Height(), 20);
        EXPECT_EQ(p.BitsPerPixel(), 8);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 12; ++x)
            {
                const bool bInside = x >= 3 && x < 9 && y >= 5 && y < 18;
                const int nExpected = bInside ? (x - 3 + 2 * (y - 5)) % 4 : 3; // 3: the background index
                ASSERT_EQ(p.Row(y)[x], nExpected) << x << "," << y << " interlaced " << bInterlaced;
            }
    }
}

TEST(GifTest, LocalColourTableWinsAndScreenGrowsToHoldTheImage)
{
    const std::vector<uint8_t> vecGif = MakeGif(4, 4, 2, 1, 5, 5, false, true);
    CResult<CPicture> picture = DecodePictureMemory(vecGif.data(), vecGif.size(), "made.gif");
    ASSERT_TRUE(picture) << picture.Message();
    EXPECT_EQ(picture.Value().Width(), 7);
    EXPECT_EQ(picture.Value().Height(), 6);
    EXPECT_EQ(picture.Value().GetPixel(2, 1), (CRgb{1, 1, 1}));
}

TEST(GifTest, TinyFileClaimingAHugeScreenIsRefused)
{
    const std::vector<uint8_t> vecGif = MakeGif(30000, 30000, 0, 0, 2, 2, false, false);
    ExpectError(DecodePictureMemory(vecGif.data(), vecGif.size(), "huge.gif").Status(), "huge.gif");
}

} // namespace
} // namespace tramino::test
