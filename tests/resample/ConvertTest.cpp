#include "ResampleTestSupport.h"
#include "codec/BmpWriter.h"
#include "codec/PictureDecoder.h"
#include "resample/ConvertPicture.h"
#include "resample/ReducePicture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tramino
{
namespace
{

namespace fs = std::filesystem;
using test::UniformPicture;

class Convert : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("tramino_resample_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const CPicture& picture, const std::string& strName)
    {
        const std::string strPath = (m_dir / strName).string();
        const CStatus status = WriteBmpFile(picture, strPath);
        EXPECT_TRUE(status) << status.Message();
        return strPath;
    }

    fs::path m_dir;
};

CPicture ConvertOrNothing(const std::string& strPath, int nWidth, int nHeight, CConvertOptions options = {})
{
    CResult<CPicture> result = ConvertPictureToPanel(strPath, nWidth, nHeight, options);
    EXPECT_TRUE(result) << result.Message();
    return result ? std::move(result).Value() : CPicture();
}

CPicture Crop(const CPicture& picture, const CRect& rc)
{
    CPicture part(rc.m_nWidth, rc.m_nHeight, 24);
    for (int y = 0; y < rc.m_nHeight; ++y)
        for (int x = 0; x < rc.m_nWidth; ++x)
            part.SetPixel(x, y, picture.GetPixel(rc.m_nX + x, rc.m_nY + y));
    return part;
}

// A uniform picture keeps its level when stretched and loses one when reduced on 128 x 96.
TEST_F(Convert, OnlyTrueColourPicturesLargerInBothDirectionsAreReduced)
{
    const CRgb cr{50, 100, 200};
    const CRgb crReduced{49, 99, 199};
    const struct
    {
        int m_nWidth, m_nHeight;
        CRgb m_crExpected;
    } aCases[] = {{129, 97, crReduced}, {128, 96, cr}, {128, 200, cr}, {400, 50, cr}, {100, 80, cr}};
    for (const auto& c : aCases)
    {
        const std::string strPath =
            Write(UniformPicture(c.m_nWidth, c.m_nHeight, cr), std::to_string(c.m_nWidth) + ".bmp");
        const CPicture output = ConvertOrNothing(strPath, 128, 96);
        ASSERT_EQ(output.Width(), 128);
        ASSERT_EQ(output.Height(), 96);
        EXPECT_EQ(output.BitsPerPixel(), 24);
        EXPECT_EQ(output.GetPixel(0, 0), c.m_crExpected) << c.m_nWidth << " x " << c.m_nHeight;
        EXPECT_EQ(output.GetPixel(127, 95), c.m_crExpected) << c.m_nWidth << " x " << c.m_nHeight;
    }
}

TEST_F(Convert, PicturesOfOtherDepthsAreStretchedWhateverTheirSize)
{
    CPicture indexed(300, 200, 8);
    indexed.Palette() = {CRgb{50, 100, 200}};
    CPicture withAlpha(300, 200, 32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            withAlpha.SetPixel(x, y, {50, 100, 200});
    for (const std::string& strPath : {Write(indexed, "indexed.bmp"), Write(withAlpha, "alpha.bmp")})
        EXPECT_EQ(ConvertOrNothing(strPath, 128, 96).GetPixel(64, 48), (CRgb{50, 100, 200})) << strPath;
}

TEST_F(Convert, TheReductionOfAFileIsThatOfItsPicture)
{
    const CPicture source = test::RandomPicture(701, 333, 11);
    const std::string strPath = Write(source, "random.bmp");
    const CResult<CPicture> expected = ReducePicture(source, 220, 176);
    ASSERT_TRUE(expected);
    EXPECT_TRUE(ConvertOrNothing(strPath, 220, 176) == expected.Value());
    EXPECT_TRUE(ConvertOrNothing(strPath, 220, 176, {.m_bFast = true}) == expected.Value())
        << "BMP files cannot scale while decoding, so fast mode changes nothing";
}

TEST_F(Convert, FilesThatCannotBeDecodedAreErrorsNamingThem)
{
    const std::string strBroken = (m_dir / "broken.jpg").string();
    std::ofstream(strBroken) << "not a picture at all";
    const std::string strMissing = (m_dir / "missing.bmp").string();
    for (const std::string& strPath : {strBroken, strMissing})
    {
        const CResult<CPicture> result = ConvertPictureToPanel(strPath, 96, 64);
        EXPECT_FALSE(result);
        EXPECT_NE(result.Message().find(strPath), std::string::npos) << result.Message();
    }
}

TEST_F(Convert, BatchKeepsTheInputOrderAndReportsEveryPicture)
{
    std::vector<std::string> vecPaths;
    for (int i = 0; i < 6; ++i)
        vecPaths.push_back(Write(UniformPicture(60 + i, 50, {static_cast<uint8_t>(i), 0, 0}),
                                 'p' + std::to_string(i) + ".bmp"));
    vecPaths.insert(vecPaths.begin() + 2, (m_dir / "missing.bmp").string());
    std::vector<size_t> vecDone;
    const std::vector<CResult<CPicture>> vecResults =
        ConvertPicturesToPanel(vecPaths, 96, 64, {.m_nThreads = 3},
                               [&](size_t nDone, size_t nTotal)
                               {
                                   EXPECT_EQ(nTotal, 7u);
                                   vecDone.push_back(nDone);
                               });
    ASSERT_EQ(vecResults.size(), 7u);
    EXPECT_FALSE(vecResults[2]);
    EXPECT_NE(vecResults[2].Message().find("missing.bmp"), std::string::npos);
    for (size_t i = 0; i < 7; ++i)
        if (i != 2)
        {
            ASSERT_TRUE(vecResults[i]) << vecResults[i].Message();
            EXPECT_EQ(vecResults[i].Value().GetPixel(5, 5).m_nRed, i < 2 ? i : i - 1);
        }
    EXPECT_EQ(vecDone, (std::vector<size_t>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(Convert, CancelledBatchStartsNoFurtherPicture)
{
    const std::string strPath = Write(UniformPicture(100, 90, {}), "p.bmp");
    const std::atomic<bool> bCancel = true;
    const std::vector<CResult<CPicture>> vecResults =
        ConvertPicturesToPanel({strPath, strPath}, 96, 64, {}, {}, &bCancel);
    ASSERT_EQ(vecResults.size(), 2u);
    for (const CResult<CPicture>& result : vecResults)
    {
        EXPECT_FALSE(result);
        EXPECT_NE(result.Message().find("cancelled"), std::string::npos) << result.Message();
    }
}

// Reduced (larger than the target both ways) and stretched (smaller, or only one way larger).
TEST_F(Convert, ContainedPictureIsThePlainConversionToItsRectangleOnTheBackground)
{
    const CRgb crBackground{10, 200, 30};
    for (const auto& [nWidth, nHeight, eGravity] :
         {std::tuple{300, 137, EGravity::South}, {40, 30, EGravity::East}, {50, 300, EGravity::NorthWest}})
    {
        SCOPED_TRACE(std::to_string(nWidth) + " x " + std::to_string(nHeight));
        const std::string strPath = Write(test::RandomPicture(nWidth, nHeight, 7), "source.bmp");
        const CRect rc = ContainRect(nWidth, nHeight, 96, 64, eGravity);
        const CPicture panel = ConvertOrNothing(
            strPath, 96, 64,
            {.m_eFit = EFit::Contain, .m_eGravity = eGravity, .m_crBackground = crBackground});
        EXPECT_TRUE(Crop(panel, rc) == ConvertOrNothing(strPath, rc.m_nWidth, rc.m_nHeight));
        int nBackground = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x)
                nBackground += panel.GetPixel(x, y) == crBackground;
        EXPECT_EQ(nBackground, 96 * 64 - rc.m_nWidth * rc.m_nHeight);
    }
}

// Cropped rows of a bottom-up BMP and of a top-down JPEG, reduced and stretched.
TEST_F(Convert, CoverIsTheConversionOfTheCropSavedAsItsOwnFile)
{
    std::vector<std::pair<std::string, CPicture>> vecSources;
    for (const auto& [nWidth, nHeight] : {std::pair{300, 137}, {50, 200}})
    {
        CPicture source = test::RandomPicture(nWidth, nHeight, 3);
        vecSources.emplace_back(Write(source, "source" + std::to_string(nWidth) + ".bmp"), std::move(source));
    }
    const std::string strJpeg = TRAMINO_SOURCE_DIR "/res/samples/lake-progressive.jpg";
    CResult<CPicture> jpeg = DecodePictureFile(strJpeg);
    ASSERT_TRUE(jpeg) << jpeg.Message();
    vecSources.emplace_back(strJpeg, std::move(jpeg).Value());
    for (const auto& [strPath, source] : vecSources)
        for (EGravity eGravity : {EGravity::North, EGravity::Center, EGravity::SouthEast})
        {
            SCOPED_TRACE(strPath + ", gravity " + std::to_string(static_cast<int>(eGravity)));
            const CRect rc = CoverCrop(source.Width(), source.Height(), 96, 64, eGravity);
            const std::string strCrop = Write(Crop(source, rc), "crop.bmp");
            EXPECT_TRUE(ConvertOrNothing(strPath, 96, 64, {.m_eFit = EFit::Cover, .m_eGravity = eGravity}) ==
                        ConvertOrNothing(strCrop, 96, 64));
        }
}

// Rows streamed from a real JPEG reduce exactly as the whole decoded picture does.
TEST(ConvertPhotos, StreamedJpegRowsReduceAsTheWholePicture)
{
    const std::string strPath = std::string(TRAMINO_TESTDATA) + "/photos/mate_FreshFlower.jpg";
    if (!fs::exists(strPath))
        GTEST_SKIP() << strPath << " is absent";
    const CResult<CPicture> decoded = DecodePictureFile(strPath);
    ASSERT_TRUE(decoded) << decoded.Message();
    ASSERT_EQ(decoded.Value().BitsPerPixel(), 24);
    const CResult<CPicture> expected = ReducePicture(decoded.Value(), 320, 240);
    ASSERT_TRUE(expected);
    EXPECT_TRUE(ConvertOrNothing(strPath, 320, 240) == expected.Value());
}

// Greyscale and CMYK JPEG, interlaced and animated GIF: every depth class reaches the panel.
TEST(ConvertPhotos, PicturesOfEveryKindComeOutAtThePanelSize)
{
    const std::string strDir = std::string(TRAMINO_TESTDATA) + "/photos/";
    if (!fs::exists(strDir))
        GTEST_SKIP() << strDir << " is absent";
    for (const char* szName : {"plasma_Grey_2560x1600.jpg", "tk_earth.gif", "tk_earthris.gif",
                               "edge/wx_cmyk.jpg", "edge/wx_throbber_animated.gif"})
    {
        const CPicture output = ConvertOrNothing(strDir + szName, 176, 144, {.m_bFast = true});
        EXPECT_EQ(output.Width(), 176) << szName;
        EXPECT_EQ(output.Height(), 144) << szName;
    }
}

} // namespace
} // namespace tramino
