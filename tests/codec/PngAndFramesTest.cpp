#include "codec/CodecTestSupport.h"

#include "codec/DecodeMemory.h"

#include <gif_lib.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tramino::test
{
namespace
{

// One picture of make_references.py and the frames it must decode to.
struct SReference
{
    std::string strKind; // png or gif
    std::string strName;
    int nWidth = 0;
    int nHeight = 0;
    int nFrames = 0;
};

// The pictures and their references, made once by Pillow and ImageMagick.
class ReferenceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        g_pDir = std::make_unique<CTempDir>();
        const std::string strPython = TRAMINO_REFERENCE_PYTHON;
        if (strPython.empty())
            return;
        const std::string strCommand =
            strPython + " " + TRAMINO_SOURCE_DIR "/tests/codec/make_references.py " + (*g_pDir / "").string();
        const int nStatus = std::system(strCommand.c_str());
#ifdef _WIN32
        g_nExit = nStatus;
#else
        g_nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
#endif
        std::ifstream manifest(*g_pDir / "manifest.txt");
        std::string strLine;
        std::getline(manifest, strLine);
        std::istringstream(strLine.substr(strLine.find(' ') + 1)) >> g_nRed >> g_nGreen >> g_nBlue;
        for (SReference ref;
             manifest >> ref.strKind >> ref.strName >> ref.nWidth >> ref.nHeight >> ref.nFrames;)
            g_vecReferences.push_back(ref);
    }
    static void TearDownTestSuite()
    {
        g_pDir.reset();
    }

    void SetUp() override
    {
        if (std::string(TRAMINO_REFERENCE_PYTHON).empty() || g_nExit == 77)
            GTEST_SKIP() << "Pillow or ImageMagick is missing (or the tests were cross-built)";
        ASSERT_EQ(g_nExit, 0) << "make_references.py failed";
        ASSERT_FALSE(g_vecReferences.empty());
    }

    static std::string PathOf(const SReference& ref)
    {
        return (*g_pDir / ref.strName).string();
    }
    static std::vector<uint8_t> Expected(const SReference& ref, int nFrame)
    {
        return ReadBytes(*g_pDir / (ref.strName + "." + std::to_string(nFrame) + ".rgb"));
    }
    static CDecodeOptions OverBackground()
    {
        CDecodeOptions options;
        options.m_crBackground =
            CRgb{static_cast<uint8_t>(g_nRed), static_cast<uint8_t>(g_nGreen), static_cast<uint8_t>(g_nBlue)};
        return options;
    }

    static inline std::unique_ptr<CTempDir> g_pDir;
    static inline int g_nExit = -1;
    static inline int g_nRed = 0, g_nGreen = 0, g_nBlue = 0;
    static inline std::vector<SReference> g_vecReferences;
};

// The rows a reader hands out, as one packed RGB buffer.
std::vector<uint8_t> RowsOf(CRowReader& reader)
{
    const CPictureInfo& info = reader.Info();
    const size_t nRowBytes = static_cast<size_t>(info.m_nWidth) * 3;
    std::vector<uint8_t> vecRgb(nRowBytes * static_cast<size_t>(info.m_nHeight));
    EXPECT_TRUE(reader.ReadRows(
        [&](int y, const uint8_t* pRgb)
        {
            std::copy_n(pRgb, nRowBytes, vecRgb.data() + static_cast<size_t>(y) * nRowBytes);
            return true;
        }));
    return vecRgb;
}

TEST_F(ReferenceTest, PngOfEveryColourTypeAndDepthMatchesPillowsComposite)
{
    int nPngs = 0;
    for (const SReference& ref : g_vecReferences)
    {
        if (ref.strKind != "png")
            continue;
        ++nPngs;
        CResult<CPicture> picture = StreamToPicture(PathOf(ref), OverBackground());
        ASSERT_TRUE(picture) << picture.Message();
        EXPECT_EQ(RgbPixels(picture.Value()), Expected(ref, 0)) << ref.strName;
        // The whole picture is the streamed one over black, and truecolour-like.
        CResult<CPicture> whole = DecodePictureFile(PathOf(ref));
        ASSERT_TRUE(whole) << whole.Message();
        EXPECT_EQ(whole.Value().BitsPerPixel(), 24);
        EXPECT_EQ(RgbPixels(whole.Value()), RgbPixels(StreamToPicture(PathOf(ref)).Value())) << ref.strName;
    }
    EXPECT_EQ(nPngs, 38);
}

// Cut or damaged files are errors that name the file, never a half-decoded picture.
TEST_F(ReferenceTest, TruncatedAndDamagedPngsAreRefused)
{
    for (const char* szName : {"rgba16.png", "pal4-interlaced.png"})
    {
        const std::vector<uint8_t> vecData = ReadBytes(*g_pDir / szName);
        std::vector<uint8_t> vecDamaged = vecData;
        vecDamaged[vecDamaged.size() - 20] ^= 0x55; // inside the picture data: its CRC no longer holds
        for (const std::vector<uint8_t>& vec :
             {std::vector<uint8_t>(vecData.begin(), vecData.begin() + 8),
              std::vector<uint8_t>(vecData.begin(), vecData.begin() + 40),
              std::vector<uint8_t>(vecData.begin(), vecData.end() - 20), vecDamaged})
        {
            CResult<std::unique_ptr<CRowReader>> reader = OpenRowReaderMemory(vec.data(), vec.size(), szName);
            const CStatus status =
                reader ? reader.Value()->ReadRows([](int, const uint8_t*) { return true; }) : reader.Status();
            EXPECT_FALSE(status.IsOk()) << szName << " of " << vec.size() << " bytes";
            EXPECT_NE(status.Message().find(std::string("'") + szName + "': PNG"), std::string::npos)
                << status.Message();
        }
    }
}

TEST_F(ReferenceTest, GifFramesMatchImageMagicksCoalesce)
{
    int nGifs = 0;
    for (const SReference& ref : g_vecReferences)
    {
        if (ref.strKind != "gif")
            continue;
        ++nGifs;
        CResult<int> count = CountPictureFrames(PathOf(ref));
        ASSERT_TRUE(count) << count.Message();
        EXPECT_EQ(count.Value(), ref.nFrames) << ref.strName;
        CResult<std::unique_ptr<CFrameReader>> frames = OpenFrameReader(PathOf(ref), OverBackground());
        ASSERT_TRUE(frames) << frames.Message();
        for (int k = 0; k < ref.nFrames; ++k)
        {
            CResult<std::unique_ptr<CRowReader>> frame = frames.Value()->NextFrame();
            ASSERT_TRUE(frame && frame.Value()) << ref.strName << " frame " << k;
            EXPECT_EQ(frame.Value()->Info().m_nWidth, ref.nWidth);
            EXPECT_EQ(frame.Value()->Info().m_nBitsPerPixel, 8);
            EXPECT_EQ(RowsOf(*frame.Value()), Expected(ref, k)) << ref.strName << " frame " << k;
        }
        CResult<std::unique_ptr<CRowReader>> end = frames.Value()->NextFrame();
        EXPECT_TRUE(end && !end.Value()) << ref.strName;
        // With a background chosen, the picture of the file is its first frame so composed.
        CResult<std::unique_ptr<CRowReader>> first = OpenRowReader(PathOf(ref), OverBackground());
        ASSERT_TRUE(first) << first.Message();
        EXPECT_EQ(RowsOf(*first.Value()), Expected(ref, 0)) << ref.strName;
    }
    EXPECT_EQ(nGifs, 2);

    // Any other picture is one frame.
    const std::string strPng = (*g_pDir / "rgb8.png").string();
    EXPECT_EQ(CountPictureFrames(strPng).Value(), 1);
    CResult<std::unique_ptr<CFrameReader>> frames = OpenFrameReader(strPng);
    ASSERT_TRUE(frames) << frames.Message();
    EXPECT_EQ(frames.Value()->NextFrame().Value()->Info().m_eFormat, EPictureFormat::Png);
    EXPECT_EQ(frames.Value()->NextFrame().Value(), nullptr);
}

void AppendBigEndian(std::vector<uint8_t>& vec, uint32_t n)
{
    for (int nShift = 24; nShift >= 0; nShift -= 8)
        vec.push_back(static_cast<uint8_t>(n >> nShift));
}

// One chunk whose length field says nLength (its data's size unless given).
void AppendChunk(std::vector<uint8_t>& vecPng, const char* szType, const std::vector<uint8_t>& vecData,
                 std::optional<uint32_t> optLength = std::nullopt)
{
    AppendBigEndian(vecPng, optLength.value_or(static_cast<uint32_t>(vecData.size())));
    std::vector<uint8_t> vecTyped(szType, szType + 4);
    vecTyped.insert(vecTyped.end(), vecData.begin(), vecData.end());
    vecPng.insert(vecPng.end(), vecTyped.begin(), vecTyped.end());
    AppendBigEndian(vecPng,
                    static_cast<uint32_t>(crc32(0, vecTyped.data(), static_cast<uInt>(vecTyped.size()))));
}

// The signature and the header of an 8-bit RGB picture.
std::vector<uint8_t> PngHead(uint32_t nWidth, uint32_t nHeight, bool bInterlaced)
{
    std::vector<uint8_t> vecPng = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> vecHeader;
    AppendBigEndian(vecHeader, nWidth);
    AppendBigEndian(vecHeader, nHeight);
    vecHeader.insert(vecHeader.end(), {8, 2, 0, 0, static_cast<uint8_t>(bInterlaced ? 1 : 0)});
    AppendChunk(vecPng, "IHDR", vecHeader);
    return vecPng;
}

// A 2 x 2 picture with the chunks vecExtra before its data.
std::vector<uint8_t> SmallPng(const std::vector<std::pair<const char*, std::vector<uint8_t>>>& vecExtra)
{
    std::vector<uint8_t> vecPng = PngHead(2, 2, false);
    for (const auto& [szType, vecData] : vecExtra)
        AppendChunk(vecPng, szType, vecData);
    const std::vector<uint8_t> vecRaw = {0, 10, 200, 30, 40, 50, 250, 0, 1, 2, 3, 128, 255, 7};
    std::vector<uint8_t> vecPacked(compressBound(vecRaw.size()));
    uLongf nPacked = vecPacked.size();
    compress(vecPacked.data(), &nPacked, vecRaw.data(), vecRaw.size());
    vecPacked.resize(nPacked);
    AppendChunk(vecPng, "IDAT", vecPacked);
    AppendChunk(vecPng, "IEND", {});
    return vecPng;
}

CStatus DecodeAll(const std::vector<uint8_t>& vecPng, std::vector<uint8_t>* pRgb = nullptr)
{
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReaderMemory(vecPng.data(), vecPng.size(), "x.png");
    if (!reader)
        return reader.Status();
    if (pRgb)
        *pRgb = RowsOf(*reader.Value());
    return pRgb ? CStatus() : reader.Value()->ReadRows([](int, const uint8_t*) { return true; });
}

#ifndef _WIN32
// The peak memory fn adds, measured in a child process of its own.
long PeakGrowthKiB(const std::function<void()>& fn)
{
    int arrPipe[2];
    if (::pipe(arrPipe) != 0)
        return -1;
    const pid_t nPid = ::fork();
    if (nPid == 0)
    {
        struct rusage before
        {
        }, after{};
        ::getrusage(RUSAGE_SELF, &before);
        fn();
        ::getrusage(RUSAGE_SELF, &after);
        const long nGrowth = after.ru_maxrss - before.ru_maxrss;
        _exit(::write(arrPipe[1], &nGrowth, sizeof nGrowth) == sizeof nGrowth ? 0 : 1);
    }
    ::close(arrPipe[1]);
    long nGrowth = -1;
    if (::read(arrPipe[0], &nGrowth, sizeof nGrowth) != sizeof nGrowth)
        nGrowth = -1;
    ::close(arrPipe[0]);
    int nStatus = 0;
    ::waitpid(nPid, &nStatus, 0);
    return nGrowth;
}
#endif

// A PNG whose chunk szType claims 2 GB, with no more than a few bytes of it.
std::vector<uint8_t> ClaimingPng(const char* szType)
{
    std::vector<uint8_t> vecPng = PngHead(1, 1, false);
    AppendChunk(vecPng, szType, std::vector<uint8_t>(40, 'k'), 0x7FFFFFF0);
    vecPng.resize(vecPng.size() - 4);
    return vecPng;
}

constexpr const char* g_arrChunkTypes[] = {"tEXt", "zTXt", "iTXt", "sPLT", "pCAL", "sCAL", "iCCP", "quUX"};

// Such a chunk costs no memory, whichever chunk it is.
TEST(PngChunksTest, ClaimedChunksCostNothing)
{
#ifdef _WIN32
    GTEST_SKIP() << "the peak memory is measured in a forked child, and Windows cannot fork";
#else
    for (const char* szType : g_arrChunkTypes)
    {
        const std::vector<uint8_t> vecPng = ClaimingPng(szType);
        const long nGrowthKiB = PeakGrowthKiB([&] { static_cast<void>(DecodeAll(vecPng)); });
        EXPECT_LT(nGrowthKiB, 32 * 1024) << szType;
        EXPECT_GE(nGrowthKiB, 0) << szType;
    }
#endif
}

// A claimed chunk is data that ends too early; the chunks that change no pixel are passed over,
// so the pictures stay as they were.
TEST(PngChunksTest, ClaimedChunksAreRefusedAndUnusedOnesChangeNoPixel)
{
    for (const char* szType : g_arrChunkTypes)
        EXPECT_EQ(DecodeAll(ClaimingPng(szType)).Message(), "'x.png': PNG data ends too early") << szType;

    std::vector<uint8_t> vecPlain;
    ASSERT_TRUE(DecodeAll(SmallPng({}), &vecPlain));
    const std::vector<uint8_t> vecProfile(300, 'p');
    std::vector<uint8_t> vecPacked(compressBound(vecProfile.size()));
    uLongf nPacked = vecPacked.size();
    compress(vecPacked.data(), &nPacked, vecProfile.data(), vecProfile.size());
    vecPacked.resize(nPacked);
    std::vector<uint8_t> vecIcc = {'p', 0, 0};
    vecIcc.insert(vecIcc.end(), vecPacked.begin(), vecPacked.end());
    std::vector<uint8_t> vecDressed;
    ASSERT_TRUE(DecodeAll(SmallPng({{"gAMA", {0, 0, 0x3A, 0x98}},
                                    {"cHRM", std::vector<uint8_t>(32, 1)},
                                    {"sRGB", {0}},
                                    {"iCCP", vecIcc},
                                    {"sBIT", {3, 4, 5}},
                                    {"bKGD", {0, 9, 0, 9, 0, 9}},
                                    {"pHYs", {0, 0, 0, 1, 0, 0, 0, 2, 0}},
                                    {"tEXt", {'a', 0, 'b'}}}),
                          &vecDressed));
    EXPECT_EQ(vecDressed, vecPlain);
    EXPECT_EQ(vecPlain, (std::vector<uint8_t>{10, 200, 30, 40, 50, 250, 1, 2, 3, 128, 255, 7}));
}

// An interlaced picture is decoded whole, so the memory reserved for it counts every pixel; one that
// streams costs its rows only.
TEST(PngChunksTest, InterlacedPicturesReserveTheirWholeSize)
{
    const CTempDir dir;
    for (bool bInterlaced : {false, true})
    {
        const std::string strPath = (dir / "big.png").string();
        WriteBytes(strPath, PngHead(16000, 16000, bInterlaced));
        const uint64_t nBytes = EstimateDecodeBytes(strPath);
        if (bInterlaced)
            EXPECT_GE(nBytes, 4ULL * 16000 * 16000);
        else
            EXPECT_LT(nBytes, 4ULL * 16000 * 64);
        EXPECT_EQ(EstimateFrameDecodeBytes(strPath), nBytes);
    }
}

// nFrames images of w x h at (1, 0) on a 4 x 3 screen whose background index is 1; index 3
// is transparent and everything but the first column is 3.
std::vector<uint8_t> MakeTransparentGif(int nFrames, int nWidth, int nHeight)
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
    const GifColorType colours[4] = {{0, 0, 0}, {200, 0, 0}, {0, 200, 0}, {9, 9, 9}};
    ColorMapObject* pMap = GifMakeMapObject(4, colours);
    EGifSetGifVersion(pGif, true);
    EGifPutScreenDesc(pGif, 4, 3, 2, 1, pMap);
    const GraphicsControlBlock control{DISPOSE_DO_NOT, false, 0, 3};
    GifByteType vecControl[4];
    EGifGCBToExtension(&control, vecControl);
    std::vector<GifPixelType> vecLine(static_cast<size_t>(nWidth), 3);
    vecLine[0] = 2;
    for (int i = 0; i < nFrames; ++i)
    {
        EGifPutExtension(pGif, GRAPHICS_EXT_FUNC_CODE, 4, vecControl);
        EGifPutImageDesc(pGif, 1, 0, nWidth, nHeight, false, nullptr);
        for (int y = 0; y < nHeight; ++y)
            EGifPutLine(pGif, vecLine.data(), nWidth);
    }
    EGifCloseFile(pGif, &nError);
    GifFreeMapObject(pMap);
    return vecData;
}

TEST(GifFramesTest, TransparencyIsCompositedOnlyOverAChosenBackground)
{
    const std::vector<uint8_t> vecGif = MakeTransparentGif(1, 2, 2);
    // Default: the first image as it always decoded, transparent pixels in their palette colour and
    // the screen around it in the background index.
    CResult<std::unique_ptr<CRowReader>> plain = OpenRowReaderMemory(vecGif.data(), vecGif.size(), "t.gif");
    ASSERT_TRUE(plain) << plain.Message();
    const std::vector<uint8_t> vecPlain = RowsOf(*plain.Value());
    const std::vector<uint8_t> vecPlainRow0 = {200, 0, 0, 0, 200, 0, 9, 9, 9, 200, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(vecPlain.begin(), vecPlain.begin() + 12), vecPlainRow0);

    CDecodeOptions options;
    options.m_crBackground = CRgb{5, 6, 7};
    CResult<std::unique_ptr<CRowReader>> over =
        OpenRowReaderMemory(vecGif.data(), vecGif.size(), "t.gif", options);
    ASSERT_TRUE(over) << over.Message();
    const std::vector<uint8_t> vecOver = RowsOf(*over.Value());
    const std::vector<uint8_t> vecOverRow0 = {5, 6, 7, 0, 200, 0, 5, 6, 7, 5, 6, 7};
    EXPECT_EQ(std::vector<uint8_t>(vecOver.begin(), vecOver.begin() + 12), vecOverRow0);
}

TEST(GifFramesTest, AnimationsBeyondTheFrameLimitAreRefused)
{
    const std::vector<uint8_t> vecAtLimit = MakeTransparentGif(g_nMaxPictureFrames, 1, 1);
    CResult<int> count = CountPictureFramesMemory(vecAtLimit.data(), vecAtLimit.size(), "many.gif");
    ASSERT_TRUE(count) << count.Message();
    EXPECT_EQ(count.Value(), g_nMaxPictureFrames);

    const std::vector<uint8_t> vecBeyond = MakeTransparentGif(g_nMaxPictureFrames + 1, 1, 1);
    const std::string strWhy = "'many.gif': GIF file has more than 10000 frames";
    EXPECT_EQ(CountPictureFramesMemory(vecBeyond.data(), vecBeyond.size(), "many.gif").Message(), strWhy);
    CResult<std::unique_ptr<CFrameReader>> frames =
        OpenFrameReaderMemory(vecBeyond.data(), vecBeyond.size(), "many.gif");
    ASSERT_TRUE(frames) << frames.Message();
    for (int i = 0; i < g_nMaxPictureFrames; ++i)
        ASSERT_TRUE(frames.Value()->NextFrame()) << "frame " << i;
    EXPECT_EQ(frames.Value()->NextFrame().Message(), strWhy);
}

} // namespace
} // namespace tramino::test
