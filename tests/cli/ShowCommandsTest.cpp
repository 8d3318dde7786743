#include "CliTestSupport.h"
#include "PortableTestSupport.h"
#include "codec/BmpWriter.h"
#include "codec/PictureDecoder.h"
#include "platform/Platform.h"
#include "png/PngWriter.h"
#include "resample/ConvertPicture.h"
#include "settings/PanelSize.h"
#include "show/RecordCutter.h"
#include "show/Rgb565.h"
#include "show/ShowFileReader.h"
#include "show/ShowFileWriter.h"
#include "show/Transition.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tramino;
using tramino::test::CRun;
using tramino::test::RunCli;

namespace
{

// Width and height from a PNG file's header.
std::pair<int, int> PngSize(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char arrHead[24] = {};
    file.read(reinterpret_cast<char*>(arrHead), sizeof arrHead);
    auto be32 = [&](int i)
    { return (arrHead[i] << 24) | (arrHead[i + 1] << 16) | (arrHead[i + 2] << 8) | arrHead[i + 3]; };
    return {be32(16), be32(20)};
}

// The picture as the panel shows it.
CPicture PanelColours(CPicture picture)
{
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
        {
            const CRgb cr = picture.GetPixel(x, y);
            picture.SetPixel(x, y, ExpandRgb565(PackRgb565(cr.m_nRed, cr.m_nGreen, cr.m_nBlue)));
        }
    return picture;
}

// Colour i of the animations' palette.
CRgb FrameColour(int i)
{
    return CRgb{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 5)};
}

// nFrames images over a whole 6 x 4 screen, frame k (from 1) in colour 1 + (k - 1) % 255 with
// its first column transparent (index 0). Frame nBadFrame has LZW data that ends too early.
std::vector<uint8_t> AnimatedGif(int nFrames, int nBadFrame = 0)
{
    std::vector<uint8_t> vecData;
    const auto fnWrite = [](GifFileType* pGif, const GifByteType* p, int n)
    {
        auto* pVec = static_cast<std::vector<uint8_t>*>(pGif->UserData);
        pVec->insert(pVec->end(), p, p + n);
        return n;
    };
    int nError = 0;
    GifFileType* pGif = EGifOpen(&vecData, fnWrite, &nError);
    std::vector<GifColorType> vecColours;
    for (int i = 0; i < 256; ++i)
    {
        const CRgb cr = FrameColour(i);
        vecColours.push_back({cr.m_nRed, cr.m_nGreen, cr.m_nBlue});
    }
    ColorMapObject* pMap = GifMakeMapObject(256, vecColours.data());
    EGifSetGifVersion(pGif, true);
    EGifPutScreenDesc(pGif, 6, 4, 8, 0, pMap);
    GifByteType arrControl[4];
    const GraphicsControlBlock control{DISPOSE_BACKGROUND, false, 0, 0};
    EGifGCBToExtension(&control, arrControl);
    for (int k = 1; k <= nFrames; ++k)
    {
        EGifPutExtension(pGif, GRAPHICS_EXT_FUNC_CODE, 4, arrControl);
        EGifPutImageDesc(pGif, 0, 0, 6, 4, false, nullptr);
        std::vector<GifPixelType> vecLine(6, static_cast<GifPixelType>(1 + (k - 1) % 255));
        vecLine[0] = 0;
        const GifByteType arrShort[2] = {1, 0};
        if (k == nBadFrame && EGifPutCode(pGif, 8, arrShort) == GIF_OK)
            EGifPutCodeNext(pGif, nullptr);
        for (int y = 0; k != nBadFrame && y < 4; ++y)
            EGifPutLine(pGif, vecLine.data(), 6);
    }
    EGifCloseFile(pGif, &nError);
    GifFreeMapObject(pMap);
    return vecData;
}

class ShowCommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("tramino-cli-show-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        // Tiny pictures keep every panel fast: one 24-bit, one indexed.
        CPicture direct(7, 5, 24);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                direct.SetPixel(x, y, CRgb{static_cast<uint8_t>(x * 36), static_cast<uint8_t>(y * 60), 90});
        CPicture indexed(4, 3, 8);
        indexed.Palette() = {CRgb{255, 255, 255}, CRgb{200, 10, 30}};
        indexed.Row(1)[2] = 1;
        ASSERT_TRUE(WriteBmpFile(direct, Path("direct.bmp")));
        ASSERT_TRUE(WriteBmpFile(indexed, Path("indexed.bmp")));
        std::ofstream(Path("garbage.jpg")) << "this is no picture";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& strName) const { return (m_dir / strName).string(); }
    std::string WriteGif(const std::string& strName, const std::vector<uint8_t>& vecData) const
    {
        std::ofstream(Path(strName), std::ios::binary)
            .write(reinterpret_cast<const char*>(vecData.data()),
                   static_cast<std::streamsize>(vecData.size()));
        return Path(strName);
    }

    fs::path m_dir;
};

TEST_F(ShowCommandsTest, BuildWritesShowsThatCheckAcceptsForEveryTransitionAndPanel)
{
    const std::vector<std::pair<std::string, EEffect>> vecModes = {
        {"normal", EEffect::Normal},
        {"shutter-lr", EEffect::ShutterLeftToRight},
        {"Shutter(Top to Bottom)", EEffect::ShutterTopToBottom},
        {"circle", EEffect::Circle}};
    for (int nCode = 1; nCode <= 9; ++nCode)
    {
        const CPanelSize size = g_arrPanelSizes[nCode - 1];
        const CResult<CPicture> expected = ConvertPictureToPanel(Path("direct.bmp"), size);
        ASSERT_TRUE(expected) << expected.Message();
        for (const auto& [strMode, effect] : vecModes)
        {
            SCOPED_TRACE("panel code " + std::to_string(nCode) + ", mode " + strMode);
            const std::string strShow = Path("show.qrv");
            const CRun build = RunCli({"build", "--panel-code", std::to_string(nCode), "--mode", strMode,
                                       "-j", "2", "-o", strShow, Path("direct.bmp"), Path("indexed.bmp")});
            ASSERT_EQ(build.m_nStatus, 0) << build.m_strErr;
            EXPECT_NE(build.m_strOut.find("2 pictures"), std::string::npos) << build.m_strOut;

            const CRun check = RunCli({"check", strShow, "--panel-code", std::to_string(nCode)});
            EXPECT_EQ(check.m_nStatus, 0) << check.m_strOut << check.m_strErr;

            const int nRecords = EffectRecordCount(effect, size.m_nWidth, size.m_nHeight);
            EXPECT_EQ(fs::file_size(strShow),
                      32u + 2u * (12u * nRecords + 2u * size.m_nWidth * size.m_nHeight + 2u) + 2u);
            CShowFileReader reader(size.m_nWidth, size.m_nHeight);
            ASSERT_TRUE(reader.ReadFile(strShow));
            ASSERT_EQ(reader.Pictures().size(), 2u);
            EXPECT_EQ(reader.Pictures()[1].m_optEffect, effect);
            // The pixels are the import's conversion, reduced to the panel's colours.
            const CPicture& shown = reader.Pictures()[0].m_picture;
            for (int y = 0; y < size.m_nHeight; y += 7)
                for (int x = 0; x < size.m_nWidth; x += 7)
                {
                    const CRgb cr = expected.Value().GetPixel(x, y);
                    ASSERT_EQ(shown.GetPixel(x, y),
                              ExpandRgb565(PackRgb565(cr.m_nRed, cr.m_nGreen, cr.m_nBlue)));
                }
        }
    }
}

TEST_F(ShowCommandsTest, UnreadablePicturesAreNamedAndStopTheBuildUnlessKeepGoing)
{
    const std::string strShow = Path("show.qrv");
    const std::vector<std::string> vecPictures = {Path("direct.bmp"), Path("garbage.jpg"),
                                                  Path("missing.gif")};
    std::vector<std::string> vecArgs = {"build", "--size", "16x16", "--output", strShow};
    vecArgs.insert(vecArgs.end(), vecPictures.begin(), vecPictures.end());

    CRun run = RunCli(vecArgs);
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find(Path("garbage.jpg")), std::string::npos) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find(Path("missing.gif")), std::string::npos) << run.m_strErr;
    EXPECT_EQ(run.m_strErr.find(Path("direct.bmp")), std::string::npos) << run.m_strErr;
    EXPECT_FALSE(fs::exists(strShow));

    vecArgs.insert(vecArgs.begin() + 1, "--keep-going");
    run = RunCli(vecArgs);
    EXPECT_EQ(run.m_nStatus, 1); // the show is there, but not every picture is in it
    EXPECT_NE(run.m_strErr.find(Path("garbage.jpg")), std::string::npos) << run.m_strErr;
    CShowFileReader reader(16, 16);
    ASSERT_TRUE(reader.ReadFile(strShow));
    EXPECT_EQ(reader.Pictures().size(), 1u);

    fs::remove(strShow);
    run = RunCli({"build", "--keep-going", "--size", "16x16", "-o", strShow, Path("garbage.jpg")});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_FALSE(fs::exists(strShow));
}

TEST_F(ShowCommandsTest, BuildRefusesBadUsageBeforeReadingAnything)
{
    const std::string strShow = Path("show.qrv");
    const std::string strPicture = Path("direct.bmp");
    for (const std::vector<std::string>& vecArgs : std::vector<std::vector<std::string>>{
             {"build", "-o", strShow},
             {"build", strPicture},
             {"build", "--mode", "wipe", "-o", strShow, strPicture},
             {"build", "-j", "0", "-o", strShow, strPicture},
             {"build", "-j", "40000", "-o", strShow, strPicture},
             {"build", "--size", "12x12", "--mode", "shutter-tb", "-o", strShow, strPicture},
             {"build", "--size", "12x", "-o", strShow, strPicture},
         })
    {
        const CRun run = RunCli(vecArgs);
        EXPECT_EQ(run.m_nStatus, 2) << vecArgs[1] << ": " << run.m_strErr;
        EXPECT_FALSE(run.m_strErr.empty());
    }
    EXPECT_FALSE(fs::exists(strShow));
}

TEST_F(ShowCommandsTest, ConvertWritesThePanelSize)
{
    CRun run = RunCli({"convert", "--size", "50x40", Path("direct.bmp"), Path("out.bmp")});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    CResult<CPicture> picture = DecodePictureFile(Path("out.bmp"));
    ASSERT_TRUE(picture) << picture.Message();
    EXPECT_EQ(picture.Value().Width(), 50);
    EXPECT_EQ(picture.Value().Height(), 40);

    run = RunCli({"convert", "--panel-code", "9", "--fast", Path("indexed.bmp"), Path("big.bmp")});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_NE(run.m_strOut.find("320x240"), std::string::npos);

    run = RunCli({"convert", "--size", "50x40", Path("garbage.jpg"), Path("none.bmp")});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find(Path("garbage.jpg")), std::string::npos) << run.m_strErr;
    EXPECT_FALSE(fs::exists(Path("none.bmp")));
}

TEST_F(ShowCommandsTest, PictureOptionsReachTheConversionOfConvertAndBuild)
{
    const CConvertOptions contain = {.m_eFit = EFit::Contain,
                                     .m_eGravity = EGravity::South,
                                     .m_crBackground = {255, 128, 0},
                                     .m_eDither = EDither::Ordered};
    const std::vector<std::string> vecContain = {"--size", "50x40",        "--fit",  "contain",  "--gravity",
                                                 "South",  "--background", "ff8000", "--dither", "ordered"};
    for (const char* szOut : {"out.bmp", "out.PNG"})
    {
        std::vector<std::string> vecArgs = {"convert"};
        vecArgs.insert(vecArgs.end(), vecContain.begin(), vecContain.end());
        vecArgs.insert(vecArgs.end(), {Path("direct.bmp"), Path(szOut)});
        const CRun run = RunCli(vecArgs);
        ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    }
    const CResult<CPicture> expected = ConvertPictureToPanel(Path("direct.bmp"), {50, 40}, contain);
    ASSERT_TRUE(expected);
    EXPECT_TRUE(DecodePictureFile(Path("out.bmp")).Value() == expected.Value());
    EXPECT_EQ(PngSize(m_dir / "out.PNG"), std::make_pair(50, 40));

    const CRun build = RunCli({"build", "--size", "50x40", "--fit", "cover", "--dither", "diffusion",
                               "--auto-orient", "-o", Path("show.qrv"), Path("direct.bmp")});
    ASSERT_EQ(build.m_nStatus, 0) << build.m_strErr;
    CShowFileReader reader(50, 40);
    ASSERT_TRUE(reader.ReadFile(Path("show.qrv")));
    const CResult<CPicture> covered = ConvertPictureToPanel(
        Path("direct.bmp"), {50, 40},
        {.m_eFit = EFit::Cover, .m_eDither = EDither::Diffusion, .m_bAutoOrient = true});
    ASSERT_TRUE(covered);
    EXPECT_TRUE(reader.Pictures()[0].m_picture == covered.Value()) << "dithered colours are packed exactly";

    for (const std::vector<std::string>& vecBad :
         std::vector<std::vector<std::string>>{{"--fit", "fill"},
                                               {"--gravity", "middle"},
                                               {"--background", "12345"},
                                               {"--background", "12345g"},
                                               {"--dither", "yes"},
                                               {"--auto-orient=1"}})
        for (const std::vector<std::string>& vecTail :
             std::vector<std::vector<std::string>>{{"build", "-o", Path("bad.qrv"), Path("direct.bmp")},
                                                   {"convert", Path("direct.bmp"), Path("bad.bmp")}})
        {
            std::vector<std::string> vecArgs = vecTail;
            vecArgs.insert(vecArgs.begin() + 1, vecBad.begin(), vecBad.end());
            EXPECT_EQ(RunCli(vecArgs).m_nStatus, 2) << vecTail[0] << " " << vecBad[0];
        }
}

TEST_F(ShowCommandsTest, FramesAllPutsEveryFrameOfAnAnimationInTheShowInOrder)
{
    const std::string strGif = WriteGif("anim.gif", AnimatedGif(5));
    const CRgb crGreen{0, 255, 0};
    const CRun build = RunCli({"build", "--size", "12x8", "--frames", "all", "--background", "00ff00", "-j",
                               "2", "-o", Path("show.qrv"), strGif, Path("direct.bmp"), strGif});
    ASSERT_EQ(build.m_nStatus, 0) << build.m_strErr;
    CShowFileReader reader(12, 8);
    ASSERT_TRUE(reader.ReadFile(Path("show.qrv")));
    ASSERT_EQ(reader.Pictures().size(), 11u); // a picture that is no animation is its one picture
    const CConvertOptions options{.m_crBackground = crGreen};
    for (int k = 1; k <= 5; ++k)
    {
        const CResult<CPicture> frame = ConvertFrameToPanel(strGif, k, {12, 8}, options);
        ASSERT_TRUE(frame) << frame.Message();
        EXPECT_EQ(frame.Value().GetPixel(0, 0), crGreen) << "transparent over the background";
        EXPECT_EQ(frame.Value().GetPixel(11, 7), FrameColour(k));
        for (const size_t nShown : {static_cast<size_t>(k - 1), static_cast<size_t>(k + 5)})
            EXPECT_TRUE(reader.Pictures()[nShown].m_picture == PanelColours(frame.Value())) << "frame " << k;
    }

    // convert takes one frame; without --frame the file's picture keeps its palette colours
    // under black, and only another background is composed under them.
    CRun convert = RunCli({"convert", "--size", "12x8", "--frame", "3", strGif, Path("f3.bmp")});
    ASSERT_EQ(convert.m_nStatus, 0) << convert.m_strErr;
    EXPECT_EQ(DecodePictureFile(Path("f3.bmp")).Value().GetPixel(0, 0), CRgb{});
    EXPECT_EQ(DecodePictureFile(Path("f3.bmp")).Value().GetPixel(11, 0), FrameColour(3));
    ASSERT_EQ(RunCli({"convert", "--size", "12x8", strGif, Path("plain.bmp")}).m_nStatus, 0);
    EXPECT_EQ(DecodePictureFile(Path("plain.bmp")).Value().GetPixel(0, 0), FrameColour(0));
    ASSERT_EQ(
        RunCli({"convert", "--size", "12x8", "--background", "00ff00", strGif, Path("over.bmp")}).m_nStatus,
        0);
    EXPECT_EQ(DecodePictureFile(Path("over.bmp")).Value().GetPixel(0, 0), crGreen);
    convert = RunCli({"convert", "--size", "12x8", "--frame", "6", strGif, Path("f6.bmp")});
    EXPECT_EQ(convert.m_nStatus, 1);
    EXPECT_NE(convert.m_strErr.find("it has 5 frames"), std::string::npos) << convert.m_strErr;
    for (const std::vector<std::string>& vecBad :
         std::vector<std::vector<std::string>>{{"build", "--frames", "some", "-o", Path("bad.qrv"), strGif},
                                               {"convert", "--frame", "0", strGif, Path("bad.bmp")},
                                               {"convert", "--frames", "all", strGif, Path("bad.bmp")}})
        EXPECT_EQ(RunCli(vecBad).m_nStatus, 2) << vecBad[1];
}

TEST_F(ShowCommandsTest, AnimationsBeyondTheLimitOrBrokenPartWayFollowKeepGoing)
{
    const std::string strMany = WriteGif("many.gif", AnimatedGif(g_nMaxPictureFrames + 1));
    const std::string strBroken = WriteGif("broken.gif", AnimatedGif(4, 3));
    const std::vector<std::string> vecArgs = {"build", "--size", "12x8",          "--frames",
                                              "all",   "-o",     Path("show.qrv")};
    for (const std::string& strGif : {strMany, strBroken})
    {
        std::vector<std::string> vecBuild = vecArgs;
        vecBuild.insert(vecBuild.end(), {strGif, Path("direct.bmp")});
        const CRun run = RunCli(vecBuild);
        EXPECT_EQ(run.m_nStatus, 1);
        EXPECT_NE(run.m_strErr.find(strGif), std::string::npos) << run.m_strErr;
        EXPECT_FALSE(fs::exists(Path("show.qrv")));
    }
    std::vector<std::string> vecBuild = vecArgs;
    vecBuild.insert(vecBuild.end(), {"--keep-going", strMany, strBroken, Path("direct.bmp")});
    const CRun run = RunCli(vecBuild);
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find("'" + strMany + "': GIF file has more than 10000 frames"), std::string::npos)
        << run.m_strErr;
    EXPECT_NE(run.m_strErr.find("frame 3 of 4 of '" + strBroken + "'"), std::string::npos) << run.m_strErr;
    // The too long animation gives nothing; the broken one the frames before its failure.
    CShowFileReader reader(12, 8);
    ASSERT_TRUE(reader.ReadFile(Path("show.qrv")));
    ASSERT_EQ(reader.Pictures().size(), 3u);
    EXPECT_EQ(reader.Pictures()[1].m_picture.GetPixel(5, 0), ExpandRgb565(PackRgb565(2, 253, 10)));
}

// Names are UTF-8 inside Tramino on every system: Chinese and accented names of folders,
// pictures, shows and render folders come out as they went in.
TEST_F(ShowCommandsTest, ChineseAndAccentedNamesBuildConvertCheckAndRender)
{
    const fs::path dir = m_dir / platform::PathFromUtf8("图片 été");
    fs::create_directories(dir);
    const auto name = [&](const char* szName)
    { return platform::Utf8FromPath(dir / platform::PathFromUtf8(szName)); };
    fs::copy_file(m_dir / "direct.bmp", platform::PathFromUtf8(name("照片é.bmp")));
    const std::string strShow = name("演示 Crème.qrv");
    CRun run = RunCli({"build", "--panel-code", "1", "-o", strShow, name("照片é.bmp"), name("照片é.bmp")});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_NE(run.m_strOut.find("演示 Crème.qrv"), std::string::npos) << run.m_strOut;
    run = RunCli({"check", "--panel-code", "1", strShow});
    EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
    run = RunCli({"convert", "--size", "20x10", name("照片é.bmp"), name("小ñ.bmp")});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    run = RunCli({"render", strShow, "-o", name("渲染 à")});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_EQ(PngSize(platform::PathFromUtf8(name("渲染 à")) / "picture-002.png"), std::make_pair(96, 64));

    std::set<std::string> setNames;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        setNames.insert(platform::Utf8FromPath(entry.path().filename()));
    EXPECT_EQ(setNames, (std::set<std::string>{"照片é.bmp", "演示 Crème.qrv", "小ñ.bmp", "渲染 à"}));
}

TEST_F(ShowCommandsTest, RenderWritesEveryPictureAndTheSheet)
{
    const std::string strShow = Path("show.qrv");
    ASSERT_EQ(RunCli({"build", "--panel-code", "1", "--mode", "circle", "-o", strShow, Path("direct.bmp"),
                      Path("indexed.bmp"), Path("direct.bmp")})
                  .m_nStatus,
              0);
    // No panel option: the file tells its own.
    const CRun run = RunCli({"render", strShow, "-o", Path("out")});
    ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    for (const char* szName : {"picture-001.png", "picture-002.png", "picture-003.png"})
        EXPECT_EQ(PngSize(m_dir / "out" / szName), std::make_pair(96, 64)) << szName;
    EXPECT_FALSE(fs::exists(m_dir / "out" / "picture-004.png"));
    // Margins of 8, the picture, a gap of 16, eight moments 4 apart; a row per picture.
    EXPECT_EQ(PngSize(m_dir / "out" / "sheet.png"),
              std::make_pair(8 + 96 + 16 + 8 * 96 + 7 * 4 + 8, 8 + 3 * (64 + 8)));

    // A broken show is refused with its name.
    std::ofstream(Path("broken.qrv"), std::ios::binary) << "NUVQRV";
    const CRun broken = RunCli({"render", Path("broken.qrv"), "--panel-code", "1", "-o", Path("out2")});
    EXPECT_EQ(broken.m_nStatus, 1);
    EXPECT_NE(broken.m_strErr.find("broken.qrv"), std::string::npos) << broken.m_strErr;
}

// A show of white pictures laid down by Normal, written directly: any panel size, fast.
void WriteWhiteShow(const std::string& strPath, int nWidth, int nHeight, int nPictures)
{
    CShowFileWriter writer;
    ASSERT_TRUE(writer.Create(strPath));
    for (int i = 0; i < nPictures; ++i)
        ASSERT_TRUE(WriteUnreadablePicture(writer, EEffect::Normal, nWidth, nHeight));
    ASSERT_TRUE(writer.Finish());
}

TEST_F(ShowCommandsTest, RenderPaginatesSheetsWithinFourThousandPixels)
{
    struct CCase
    {
        int m_nWidth, m_nHeight, m_nPictures;
        std::vector<std::string> m_vecExtra;
        std::vector<std::pair<std::string, std::pair<int, int>>> m_vecSheets;
    };
    const std::vector<CCase> vecCases = {
        // Rows of 244 + 8: pages of two and a last page of one.
        {320,
         240,
         5,
         {"--per-sheet", "2"},
         {{"sheet-001.png", {1004, 512}}, {"sheet-002.png", {1004, 512}}, {"sheet-003.png", {1004, 260}}}},
        // A wide panel's row is reduced to a quarter so the sheet stays within 4096.
        {4096, 32, 2, {}, {{"sheet.png", {3116, 48}}}},
        // A tall one to a half, and only one row fits a sheet whatever was asked.
        {32,
         4096,
         2,
         {"--per-sheet", "16"},
         {{"sheet-001.png", {204, 2064}}, {"sheet-002.png", {204, 2064}}}},
    };
    for (const CCase& c : vecCases)
    {
        const std::string strSize = std::to_string(c.m_nWidth) + "x" + std::to_string(c.m_nHeight);
        SCOPED_TRACE(strSize);
        const std::string strShow = Path("show-" + strSize + ".qrv");
        WriteWhiteShow(strShow, c.m_nWidth, c.m_nHeight, c.m_nPictures);
        std::vector<std::string> vecArgs = {"render", strShow, "--size",
                                            strSize,  "-o",    Path("out-" + strSize)};
        vecArgs.insert(vecArgs.end(), c.m_vecExtra.begin(), c.m_vecExtra.end());
        const CRun run = RunCli(vecArgs);
        ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
        EXPECT_NE(run.m_strOut.find(c.m_vecSheets.back().first), std::string::npos) << run.m_strOut;
        std::vector<std::string> vecNames;
        for (const auto& entry : fs::directory_iterator(m_dir / ("out-" + strSize)))
            vecNames.push_back(entry.path().filename().string());
        EXPECT_EQ(vecNames.size(), static_cast<size_t>(c.m_nPictures) + c.m_vecSheets.size());
        for (const auto& [strName, size] : c.m_vecSheets)
            EXPECT_EQ(PngSize(m_dir / ("out-" + strSize) / strName), size) << strName;
        EXPECT_EQ(PngSize(m_dir / ("out-" + strSize) / "picture-001.png"),
                  std::make_pair(c.m_nWidth, c.m_nHeight));
    }
    EXPECT_EQ(RunCli({"render", Path("x.qrv"), "--per-sheet", "0", "-o", Path("o")}).m_nStatus, 2);
    EXPECT_EQ(RunCli({"render", Path("x.qrv"), "--size", "4097x8", "-o", Path("o")}).m_nStatus, 2);
}

// Each sheet is drawn on its own, starting from the picture before its first: pages of any length
// show the same rows as one sheet of the whole show.
TEST_F(ShowCommandsTest, RenderPagesShowTheRowsOfOneSheet)
{
    const std::string strShow = Path("show.qrv");
    std::vector<std::string> vecBuild = {"build", "--panel-code", "1", "--mode", "circle", "-o", strShow};
    for (int i = 0; i < 7; ++i)
        vecBuild.push_back(Path(i % 3 == 1 ? "indexed.bmp" : "direct.bmp"));
    ASSERT_EQ(RunCli(vecBuild).m_nStatus, 0);
    ASSERT_EQ(RunCli({"render", strShow, "--per-sheet", "7", "-o", Path("one")}).m_nStatus, 0);
    const CResult<CPicture> whole = DecodePictureFile(Path("one/sheet.png"));
    ASSERT_TRUE(whole) << whole.Message();
    constexpr int nMargin = 8, nBand = 64 + 8;
    const size_t nRowBytes = static_cast<size_t>(whole.Value().Width()) * 3;
    for (const int nPerSheet : {1, 2, 3})
    {
        SCOPED_TRACE(nPerSheet);
        const std::string strDir = Path("pages-" + std::to_string(nPerSheet));
        ASSERT_EQ(
            RunCli({"render", strShow, "--per-sheet", std::to_string(nPerSheet), "-o", strDir}).m_nStatus, 0);
        for (int nPicture = 0; nPicture < 7; ++nPicture)
        {
            const std::string strNumber = std::to_string(nPicture / nPerSheet + 1);
            const CResult<CPicture> page = DecodePictureFile(
                strDir + "/sheet-" + std::string(3 - strNumber.size(), '0') + strNumber + ".png");
            ASSERT_TRUE(page) << page.Message();
            for (int y = 0; y < nBand; ++y)
                ASSERT_EQ(std::memcmp(page.Value().Row(nMargin + nPicture % nPerSheet * nBand + y),
                                      whole.Value().Row(nMargin + nPicture * nBand + y), nRowBytes),
                          0)
                    << "picture " << nPicture + 1 << ", row " << y;
        }
    }
}

TEST_F(ShowCommandsTest, RenderRefusesLinksInTheFolderBeforeWritingAnything)
{
    const std::string strShow = Path("show.qrv");
    WriteWhiteShow(strShow, 96, 64, 2);
    fs::create_directory(m_dir / "out");
    std::ofstream(Path("precious")) << "keep me";
    if (const std::string strWhy =
            test::MakeLinkOrWhyNot(Path("precious"), m_dir / "out" / "picture-002.png");
        !strWhy.empty())
        GTEST_SKIP() << strWhy;
    const CRun run = RunCli({"render", strShow, "--panel-code", "1", "-o", Path("out")});
    EXPECT_EQ(run.m_nStatus, 1);
    EXPECT_NE(run.m_strErr.find("picture-002.png': it is a symbolic link"), std::string::npos)
        << run.m_strErr;
    std::ifstream precious(Path("precious"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(precious), {}), "keep me");
    EXPECT_FALSE(fs::exists(m_dir / "out" / "picture-001.png"));
    EXPECT_FALSE(fs::exists(m_dir / "out" / "sheet.png"));
}

TEST_F(ShowCommandsTest, PngSizesBeyondTheLimitAreRefusedInPlainWords)
{
    const CStatus status = WritePngFile(CPicture(5000, 2, 24), Path("wide.png"));
    EXPECT_EQ(status.Message(),
              "Cannot write '" + Path("wide.png") +
                  "': 5000 x 2 pixels is not a size this program writes (1 to 4096 a side)");
    EXPECT_FALSE(fs::exists(Path("wide.png")));
}

} // namespace
