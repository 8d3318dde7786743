#include "ResampleTestSupport.h"
#include "codec/BmpWriter.h"
#include "codec/PictureDecoder.h"
#include "resample/ConvertPicture.h"
#include "resample/ReducePicture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

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
    CResult<CPicture> result = ConvertPictureToPanel(strPath, {nWidth, nHeight}, options);
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
        const CResult<CPicture> result = ConvertPictureToPanel(strPath, {96, 64});
        EXPECT_FALSE(result);
        EXPECT_NE(result.Message().find(strPath), std::string::npos) << result.Message();
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

namespace tramino
{
namespace
{

// A GIF of frames with rectangles, disposals and transparency drawn from a seed; literal LZW codes.
std::vector<uint8_t> RandomAnimation(unsigned nSeed, int nWidth, int nHeight, int nFrames)
{
    uint32_t nState = nSeed * 2654435761u + 1;
    const auto next = [&](int n)
    {
        nState = nState * 1664525u + 1013904223u;
        return static_cast<int>((nState >> 8) % static_cast<uint32_t>(n));
    };
    const auto put16 = [](std::vector<uint8_t>& vec, int n) {
        vec.insert(vec.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)});
    };
    std::vector<uint8_t> vecGif = {'G', 'I', 'F', '8', '9', 'a'};
    put16(vecGif, nWidth);
    put16(vecGif, nHeight);
    vecGif.insert(vecGif.end(), {0xF7, 3, 0});
    for (int i = 0; i < 256; ++i)
        vecGif.insert(vecGif.end(), {static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                                     static_cast<uint8_t>(i * 73)});
    for (int f = 0; f < nFrames; ++f)
    {
        const int nDisposal = next(4);
        vecGif.insert(vecGif.end(), {0x21, 0xF9, 4, static_cast<uint8_t>((nDisposal << 2) | 1), 0, 0, 5, 0});
        const int nLeft = next(nWidth + 2), nTop = next(nHeight + 2);
        const int w = 1 + next(f == 0 ? nWidth : nWidth / 2), h = 1 + next(f == 0 ? nHeight : nHeight / 2);
        vecGif.push_back(0x2C);
        for (int n : {f == 0 ? 0 : nLeft, f == 0 ? 0 : nTop, w, h})
            put16(vecGif, n);
        vecGif.insert(vecGif.end(), {0, 8});
        std::vector<uint8_t> vecBytes;
        uint32_t nBits = 0;
        int nCount = 0, nSince = 0;
        const auto code = [&](uint32_t c)
        {
            nBits |= c << nCount;
            for (nCount += 9; nCount >= 8; nCount -= 8, nBits >>= 8)
                vecBytes.push_back(static_cast<uint8_t>(nBits));
        };
        code(256);
        for (int i = 0; i < w * h; ++i, ++nSince)
        {
            if (nSince == 253)
            {
                code(256);
                nSince = 0;
            }
            code(static_cast<uint32_t>(next(256)));
        }
        code(257);
        if (nCount > 0)
            vecBytes.push_back(static_cast<uint8_t>(nBits));
        for (size_t i = 0; i < vecBytes.size(); i += 255)
        {
            const size_t n = std::min<size_t>(255, vecBytes.size() - i);
            vecGif.push_back(static_cast<uint8_t>(n));
            vecGif.insert(vecGif.end(), vecBytes.begin() + static_cast<ptrdiff_t>(i),
                          vecBytes.begin() + static_cast<ptrdiff_t>(i + n));
        }
        vecGif.push_back(0);
    }
    vecGif.push_back(0x3B);
    return vecGif;
}

std::vector<std::vector<uint8_t>> FramesOf(bool bWhole, const std::string& strPath, int nWidth, int nHeight,
                                           const CConvertOptions& options)
{
    std::vector<std::vector<uint8_t>> vecFrames;
    const FnTakeFrame fnTake = [&](CPicture picture)
    {
        std::vector<uint8_t> vecRgb;
        for (int y = 0; y < picture.Height(); ++y)
            vecRgb.insert(vecRgb.end(), picture.Row(y), picture.Row(y) + picture.RowBytes());
        vecFrames.push_back(std::move(vecRgb));
        return true;
    };
    const CStatus status = bWhole ? ConvertFramesToPanelWhole(strPath, {nWidth, nHeight}, options, fnTake)
                                  : ConvertFramesToPanel(strPath, {nWidth, nHeight}, options, fnTake);
    EXPECT_TRUE(status) << status.Message();
    return vecFrames;
}

// Converting only what each frame changes gives every frame exactly as converting it whole does,
// over screens smaller and larger than the panel, every fit and every dither.
TEST(FrameChangesTest, ConvertedByChangeEqualsConvertedWhole)
{
    const fs::path dir = fs::temp_directory_path() / ("tramino-frames-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<std::pair<int, int>> vecScreens = {{97, 61}, {13, 9}, {200, 31}};
    const std::vector<std::pair<int, int>> vecPanels = {{16, 12}, {96, 64}, {13, 40}};
    for (unsigned nSeed = 0; nSeed < 3; ++nSeed)
    {
        const std::string strPath = (dir / "a.gif").string();
        const auto [nScreenWidth, nScreenHeight] = vecScreens[nSeed];
        const std::vector<uint8_t> vecGif = RandomAnimation(nSeed, nScreenWidth, nScreenHeight, 12);
        std::ofstream(strPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(vecGif.data()), static_cast<std::streamsize>(vecGif.size()));
        for (const auto& [nWidth, nHeight] : vecPanels)
            for (EFit eFit : {EFit::Stretch, EFit::Contain, EFit::Cover})
                for (EDither eDither : {EDither::None, EDither::Ordered, EDither::Diffusion})
                {
                    CConvertOptions options;
                    options.m_eFit = eFit;
                    options.m_eDither = eDither;
                    options.m_eGravity = nSeed == 1 ? EGravity::SouthEast : EGravity::North;
                    options.m_crBackground = CRgb{10, 200, 30};
                    const auto vecWhole = FramesOf(true, strPath, nWidth, nHeight, options);
                    ASSERT_EQ(vecWhole.size(), 12u);
                    EXPECT_TRUE(vecWhole == FramesOf(false, strPath, nWidth, nHeight, options))
                        << "seed " << nSeed << ", " << nWidth << "x" << nHeight << ", fit "
                        << static_cast<int>(eFit) << ", dither " << static_cast<int>(eDither);
                }
        // A frame alone is the one of the whole run.
        CResult<CPicture> frame = ConvertFrameToPanel(strPath, 7, {16, 12});
        ASSERT_TRUE(frame) << frame.Message();
        EXPECT_EQ(std::vector<uint8_t>(frame.Value().Row(0), frame.Value().Row(0) + 16 * 12 * 3),
                  FramesOf(true, strPath, 16, 12, {})[6]);
    }
    fs::remove_all(dir);
}

} // namespace
} // namespace tramino
