#include "codec/BmpWriter.h"
#include "codec/ExifOrientation.h"
#include "codec/PictureDecoder.h"
#include "resample/ConvertPicture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tramino
{
namespace
{

namespace fs = std::filesystem;

struct CExifEntry
{
    uint16_t m_nTag = 0x0112;
    uint16_t m_nType = 3; // SHORT
    uint32_t m_nCount = 1;
    uint16_t m_nValue = 1;
};

// An APP1 payload: the signature, a TIFF header and a first directory of one entry.
std::vector<uint8_t> ExifPayload(const CExifEntry& entry, bool bLittle = true)
{
    std::vector<uint8_t> vec = {'E', 'x', 'i', 'f', 0, 0};
    const auto put = [&](uint32_t nValue, int nBytes)
    {
        for (int i = 0; i < nBytes; ++i)
            vec.push_back(static_cast<uint8_t>(nValue >> 8 * (bLittle ? i : nBytes - 1 - i)));
    };
    vec.push_back(bLittle ? 'I' : 'M');
    vec.push_back(bLittle ? 'I' : 'M');
    put(42, 2);
    put(8, 4);
    put(1, 2);
    put(entry.m_nTag, 2);
    put(entry.m_nType, 2);
    put(entry.m_nCount, 4);
    put(entry.m_nValue, 2);
    put(0, 2);
    put(0, 4);
    return vec;
}

TEST(ExifOrientation, ValidTagsInEitherByteOrderAndAnythingElseIsOne)
{
    for (uint16_t n = 1; n <= 8; ++n)
        for (bool bLittle : {true, false})
        {
            const std::vector<uint8_t> vec = ExifPayload({.m_nValue = n}, bLittle);
            EXPECT_EQ(ParseExifOrientation(vec.data(), vec.size()), n) << bLittle;
        }
    std::vector<std::vector<uint8_t>> vecBroken = {ExifPayload({.m_nValue = 0}),
                                                   ExifPayload({.m_nValue = 9}),
                                                   ExifPayload({.m_nType = 4, .m_nValue = 6}),
                                                   ExifPayload({.m_nCount = 2, .m_nValue = 6}),
                                                   ExifPayload({.m_nTag = 0x0110, .m_nValue = 6}),
                                                   {}};
    std::vector<uint8_t> vec = ExifPayload({.m_nValue = 6});
    vecBroken.emplace_back(vec.begin(), vec.begin() + 25); // cut inside the entry
    vec[10] = 43;                                          // not TIFF
    vecBroken.push_back(vec);
    vec = ExifPayload({.m_nValue = 6});
    vec[12] = 0xF0; // the directory beyond the end
    vecBroken.push_back(vec);
    vec = ExifPayload({.m_nValue = 6});
    vec[4] = 'X';
    vecBroken.push_back(vec);
    for (size_t i = 0; i < vecBroken.size(); ++i)
        EXPECT_EQ(ParseExifOrientation(vecBroken[i].data(), vecBroken[i].size()), 1) << "case " << i;
}

// Where the stored picture's x and y axes point when it is shown, by EXIF's meaning of 1-8.
struct CAxes
{
    int m_nXx, m_nXy, m_nYx, m_nYy;
};
constexpr CAxes g_arrAxes[9] = {{},
                                {1, 0, 0, 1},   // as stored
                                {-1, 0, 0, 1},  // mirrored left to right
                                {-1, 0, 0, -1}, // turned half round
                                {1, 0, 0, -1},  // mirrored top to bottom
                                {0, 1, 1, 0},   // mirrored along the main diagonal
                                {0, 1, -1, 0},  // turned a quarter clockwise
                                {0, -1, -1, 0}, // mirrored along the other diagonal
                                {0, -1, 1, 0}}; // turned a quarter anticlockwise

CPicture Shown(const CPicture& stored, int nOrientation)
{
    const CAxes axes = g_arrAxes[nOrientation];
    const bool bTurned = axes.m_nXx == 0;
    const int nWidth = bTurned ? stored.Height() : stored.Width();
    const int nHeight = bTurned ? stored.Width() : stored.Height();
    const int nX0 = axes.m_nXx < 0 || axes.m_nYx < 0 ? nWidth - 1 : 0;
    const int nY0 = axes.m_nXy < 0 || axes.m_nYy < 0 ? nHeight - 1 : 0;
    CPicture shown(nWidth, nHeight, 24);
    for (int y = 0; y < stored.Height(); ++y)
        for (int x = 0; x < stored.Width(); ++x)
            shown.SetPixel(nX0 + x * axes.m_nXx + y * axes.m_nYx, nY0 + x * axes.m_nXy + y * axes.m_nYy,
                           stored.GetPixel(x, y));
    return shown;
}

// The sample photo with an EXIF segment put in after its start marker.
TEST(AutoOrient, EveryOrientationTurnsThePhotoBeforeTheFit)
{
    const std::string strJpeg = TRAMINO_SOURCE_DIR "/res/samples/hills-baseline.jpg";
    std::ifstream in(strJpeg, std::ios::binary);
    const std::vector<uint8_t> vecJpeg{std::istreambuf_iterator<char>(in), {}};
    const CResult<CPicture> stored = DecodePictureFile(strJpeg);
    ASSERT_TRUE(stored) << stored.Message();
    const fs::path path =
        fs::temp_directory_path() / ("tramino_orient_" + std::to_string(::getpid()) + ".jpg");
    for (uint16_t n = 1; n <= 8; ++n)
    {
        SCOPED_TRACE("orientation " + std::to_string(n));
        const std::vector<uint8_t> vecPayload = ExifPayload({.m_nValue = n}, n % 2 == 0);
        std::vector<uint8_t> vecFile(vecJpeg.begin(), vecJpeg.begin() + 2);
        const size_t nLength = vecPayload.size() + 2;
        vecFile.insert(vecFile.end(),
                       {0xFF, 0xE1, static_cast<uint8_t>(nLength >> 8), static_cast<uint8_t>(nLength)});
        vecFile.insert(vecFile.end(), vecPayload.begin(), vecPayload.end());
        vecFile.insert(vecFile.end(), vecJpeg.begin() + 2, vecJpeg.end());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(vecFile.data()),
                   static_cast<std::streamsize>(vecFile.size()));

        // At the shown size the stretch copies, so the turned photo comes out as it is.
        const CPicture expected = Shown(stored.Value(), n);
        const CResult<CPicture> turned = ConvertPictureToPanel(
            path.string(), {expected.Width(), expected.Height()}, {.m_bAutoOrient = true});
        ASSERT_TRUE(turned) << turned.Message();
        EXPECT_TRUE(turned.Value() == expected);
        const CResult<CPicture> plain = ConvertPictureToPanel(path.string(), {640, 480});
        ASSERT_TRUE(plain) << plain.Message();
        EXPECT_TRUE(plain.Value() == stored.Value()) << "without --auto-orient the tag is ignored";
    }
    fs::remove(path);
}

} // namespace
} // namespace tramino
