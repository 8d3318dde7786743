#include "codec/BmpWriter.h"
#include "codec/CodecTestSupport.h"

namespace tramino::test
{
namespace
{

// A picture of the depth class whose every pixel differs from its neighbours.
CPicture MakePicture(int nWidth, int nHeight, int nBits)
{
    CPicture picture(nWidth, nHeight, nBits);
    if (picture.IsIndexed())
    {
        const int nColours = std::min(1 << nBits, 256);
        for (int i = 0; i < nColours; ++i)
            picture.Palette().push_back(
                CRgb{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7)});
    }
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < static_cast<int>(picture.RowBytes()); ++x)
            picture.Row(y)[x] = static_cast<uint8_t>(
                picture.IsIndexed() ? (x + 3 * y) % (1 << std::min(nBits, 8)) : x * 31 + y * 17);
    return picture;
}

TEST(BmpWriterTest, RoundTripKeepsSizeDepthAndPixels)
{
    for (int nBits : {1, 2, 4, 8, 24, 32})
        for (int nWidth : {1, 2, 3, 5, 8, 13}) // every row padding
        {
            const CPicture picture = MakePicture(nWidth, 3, nBits);
            const std::vector<uint8_t> vecBmp = EncodeBmp(picture);
            CResult<CPicture> decoded = DecodePictureMemory(vecBmp.data(), vecBmp.size(), "mem.bmp");
            ASSERT_TRUE(decoded) << decoded.Message();
            EXPECT_EQ(decoded.Value(), picture) << nBits << " bits, width " << nWidth;
        }
}

TEST(BmpWriterTest, SixteenBitPicturesComeBackAsTwentyFourWithTheSamePixels)
{
    const CPicture picture = MakePicture(7, 4, 16);
    const std::vector<uint8_t> vecBmp = EncodeBmp(picture);
    CResult<CPicture> decoded = DecodePictureMemory(vecBmp.data(), vecBmp.size(), "mem.bmp");
    ASSERT_TRUE(decoded) << decoded.Message();
    EXPECT_EQ(decoded.Value().BitsPerPixel(), 24);
    EXPECT_EQ(RgbPixels(decoded.Value()), RgbPixels(picture));
}

TEST(BmpWriterTest, ShortPalettesStayShort)
{
    CPicture picture(4, 2, 8);
    picture.Palette() = {CRgb{1, 2, 3}, CRgb{4, 5, 6}, CRgb{7, 8, 9}};
    picture.Row(1)[3] = 2;
    const std::vector<uint8_t> vecBmp = EncodeBmp(picture);
    CResult<CPicture> decoded = DecodePictureMemory(vecBmp.data(), vecBmp.size(), "mem.bmp");
    ASSERT_TRUE(decoded) << decoded.Message();
    EXPECT_EQ(decoded.Value(), picture);
}

TEST(BmpWriterTest, WrittenFileStreamsBottomUpAndReplacesTheOldOne)
{
    CTempDir dir;
    const std::string strPath = (dir / "Qrv0.bmp").string();
    ASSERT_TRUE(WriteBmpFile(MakePicture(9, 9, 8), strPath));
    const CPicture picture = MakePicture(5, 4, 24);
    ASSERT_TRUE(WriteBmpFile(picture, strPath));
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader(strPath);
    ASSERT_TRUE(reader) << reader.Message();
    EXPECT_TRUE(reader.Value()->IsBottomUp());
    EXPECT_EQ(reader.Value()->Info().m_nBitsPerPixel, 24);
    CResult<CPicture> streamed = StreamToPicture(strPath);
    ASSERT_TRUE(streamed) << streamed.Message();
    EXPECT_EQ(streamed.Value(), picture);
    // Nothing but the picture is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / ""), {}), 1);
}

TEST(BmpWriterTest, FailuresNameTheFile)
{
    CTempDir dir;
    const std::string strPath = (dir / "no-such-folder" / "x.bmp").string();
    CStatus status = WriteBmpFile(MakePicture(2, 2, 24), strPath);
    EXPECT_FALSE(status);
    EXPECT_NE(status.Message().find(strPath), std::string::npos) << status.Message();
    EXPECT_FALSE(WriteBmpFile(CPicture(), (dir / "empty.bmp").string()));
}

// Hand-made headers that lie about their size.
std::vector<uint8_t> BmpHeader(int32_t nWidth, int32_t nHeight, uint16_t nBits, uint32_t nCompression,
                               size_t nPixelBytes)
{
    CPicture picture(1, 1, 24);
    std::vector<uint8_t> vec = EncodeBmp(picture);
    auto fnPut32 = [&](size_t nAt, uint32_t n)
    {
        for (int i = 0; i < 4; ++i)
            vec[nAt + static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
    };
    fnPut32(18, static_cast<uint32_t>(nWidth));
    fnPut32(22, static_cast<uint32_t>(nHeight));
    vec[28] = static_cast<uint8_t>(nBits);
    fnPut32(30, nCompression);
    vec.resize(54 + nPixelBytes, 0);
    return vec;
}

TEST(BmpDecoderTest, SizesTheFileCannotHoldAreRefusedBeforeAllocating)
{
    struct SCase
    {
        int32_t nWidth, nHeight;
        uint16_t nBits;
        uint32_t nCompression;
        size_t nPixelBytes;
    };
    // 24 bits of 16000 x 16000 in 100 bytes; RLE8 of 16000 x 16000 in 4 bytes; height of INT_MIN.
    for (const SCase& c : {SCase{16000, 16000, 24, 0, 100}, SCase{16000, 16000, 8, 1, 4},
                           SCase{10, INT32_MIN, 24, 0, 4000}, SCase{70000, 1, 24, 0, 210000}})
    {
        const std::vector<uint8_t> vecBmp =
            BmpHeader(c.nWidth, c.nHeight, c.nBits, c.nCompression, c.nPixelBytes);
        CResult<CPicture> picture = DecodePictureMemory(vecBmp.data(), vecBmp.size(), "liar.bmp");
        EXPECT_FALSE(picture) << c.nWidth << " x " << c.nHeight;
        EXPECT_EQ(picture.Message().rfind("'liar.bmp': ", 0), 0u) << picture.Message();
    }
}

TEST(BmpDecoderTest, TopDownFilesStreamTopDown)
{
    std::vector<uint8_t> vecBmp = EncodeBmp(MakePicture(3, 4, 24));
    // Negate the height and reverse the rows: the same picture stored top-down.
    const std::vector<uint8_t> vecBottomUp = vecBmp;
    for (int i = 0; i < 4; ++i)
        vecBmp[22 + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(-4) >> (8 * i));
    for (size_t r = 0; r < 4; ++r)
        std::copy_n(vecBottomUp.begin() + 54 + static_cast<std::ptrdiff_t>(12 * (3 - r)), 12,
                    vecBmp.begin() + 54 + static_cast<std::ptrdiff_t>(12 * r));
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReaderMemory(vecBmp.data(), vecBmp.size(), "td.bmp");
    ASSERT_TRUE(reader) << reader.Message();
    EXPECT_FALSE(reader.Value()->IsBottomUp());
    std::vector<int> vecRows;
    std::vector<uint8_t> vecRgb;
    ASSERT_TRUE(reader.Value()->ReadRows(
        [&](int y, const uint8_t* pRgb)
        {
            vecRows.push_back(y);
            vecRgb.insert(vecRgb.end(), pRgb, pRgb + 9);
            return true;
        }));
    EXPECT_EQ(vecRows, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(vecRgb, RgbPixels(MakePicture(3, 4, 24)));
}

} // namespace
} // namespace tramino::test
