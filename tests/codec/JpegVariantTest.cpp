#include "codec/CodecTestSupport.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

namespace tramino::test
{
namespace
{

struct SJpegRecipe
{
    J_COLOR_SPACE eInput = JCS_RGB; // what the samples are
    J_COLOR_SPACE eStored = JCS_YCbCr;
    bool bProgressive = false;
    unsigned nRestartRows = 0;
};

// Encodes w x h samples of one flat colour per 16-pixel block; quality 100 keeps it near exact.
std::vector<uint8_t> MakeJpeg(int nWidth, int nHeight, const SJpegRecipe& recipe,
                              const std::vector<uint8_t>& vecColour)
{
    jpeg_compress_struct cinfo = {};
    jpeg_error_mgr err = {};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* pOut = nullptr;
    unsigned long nOut = 0;
    jpeg_mem_dest(&cinfo, &pOut, &nOut);
    cinfo.image_width = static_cast<JDIMENSION>(nWidth);
    cinfo.image_height = static_cast<JDIMENSION>(nHeight);
    cinfo.input_components = static_cast<int>(vecColour.size());
    cinfo.in_color_space = recipe.eInput;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, recipe.eStored);
    jpeg_set_quality(&cinfo, 100, TRUE);
    cinfo.restart_in_rows = static_cast<int>(recipe.nRestartRows);
    if (recipe.bProgressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> vecRow(static_cast<size_t>(nWidth) * vecColour.size());
    for (size_t i = 0; i < vecRow.size(); ++i)
        vecRow[i] = vecColour[i % vecColour.size()];
    while (cinfo.next_scanline < cinfo.image_height)
    {
        JSAMPROW pRow = vecRow.data();
        jpeg_write_scanlines(&cinfo, &pRow, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> vecData(pOut, pOut + nOut);
    std::free(pOut);
    return vecData;
}

void ExpectFlat(const CPicture& picture, CRgb crExpected, int nTolerance)
{
    for (int y = 0; y < picture.Height(); y += 7)
        for (int x = 0; x < picture.Width(); x += 5)
        {
            const CRgb cr = picture.GetPixel(x, y);
            ASSERT_NEAR(cr.m_nRed, crExpected.m_nRed, nTolerance) << x << "," << y;
            ASSERT_NEAR(cr.m_nGreen, crExpected.m_nGreen, nTolerance) << x << "," << y;
            ASSERT_NEAR(cr.m_nBlue, crExpected.m_nBlue, nTolerance) << x << "," << y;
        }
}

TEST(JpegVariantTest, EveryColourModelAndCodingDecodes)
{
    struct SCase
    {
        const char* szName;
        SJpegRecipe recipe;
        std::vector<uint8_t> vecColour;
        int nBits;
        CRgb crExpected;
    };
    // Adobe CMYK is stored inverted: 255 means no ink. Here: full magenta ink only.
    const std::vector<SCase> vecCases = {
        {"baseline", {JCS_RGB, JCS_YCbCr, false, 0}, {200, 100, 50}, 24, {200, 100, 50}},
        {"progressive", {JCS_RGB, JCS_YCbCr, true, 0}, {200, 100, 50}, 24, {200, 100, 50}},
        {"restarts", {JCS_RGB, JCS_YCbCr, false, 1}, {200, 100, 50}, 24, {200, 100, 50}},
        {"rgb", {JCS_RGB, JCS_RGB, false, 0}, {10, 220, 130}, 24, {10, 220, 130}},
        {"grey", {JCS_GRAYSCALE, JCS_GRAYSCALE, false, 2}, {77}, 8, {77, 77, 77}},
        {"cmyk", {JCS_CMYK, JCS_CMYK, false, 0}, {255, 0, 255, 255}, 32, {255, 0, 255}},
        {"ycck", {JCS_CMYK, JCS_YCCK, true, 0}, {255, 0, 255, 255}, 32, {255, 0, 255}},
    };
    for (const SCase& c : vecCases)
    {
        SCOPED_TRACE(c.szName);
        const std::vector<uint8_t> vecJpeg = MakeJpeg(61, 45, c.recipe, c.vecColour);
        CResult<CPicture> picture = DecodePictureMemory(vecJpeg.data(), vecJpeg.size(), c.szName);
        ASSERT_TRUE(picture) << picture.Message();
        EXPECT_EQ(picture.Value().BitsPerPixel(), c.nBits);
        ExpectFlat(picture.Value(), c.crExpected, 2);
        CResult<std::unique_ptr<CRowReader>> reader =
            OpenRowReaderMemory(vecJpeg.data(), vecJpeg.size(), c.szName);
        ASSERT_TRUE(reader) << reader.Message();
        int nRows = 0;
        EXPECT_TRUE(reader.Value()->ReadRows([&](int y, const uint8_t*) { return y == nRows++; }));
        EXPECT_EQ(nRows, 45);
    }
}

// A progressive file needs a coefficient buffer of its whole size; a small file may not claim a huge one.
TEST(JpegVariantTest, SmallProgressiveFileClaimingAHugePictureIsRefused)
{
    std::vector<uint8_t> vecJpeg = MakeJpeg(16, 16, {JCS_RGB, JCS_YCbCr, true, 0}, {1, 2, 3});
    // Patch the frame header (SOF2) to claim 16000 x 16000.
    for (size_t i = 0; i + 8 < vecJpeg.size(); ++i)
        if (vecJpeg[i] == 0xFF && vecJpeg[i + 1] == 0xC2)
        {
            vecJpeg[i + 5] = vecJpeg[i + 7] = 16000 >> 8;
            vecJpeg[i + 6] = vecJpeg[i + 8] = 16000 & 0xFF;
            break;
        }
    CResult<CPicture> picture = DecodePictureMemory(vecJpeg.data(), vecJpeg.size(), "claim.jpg");
    ASSERT_FALSE(picture);
    EXPECT_EQ(picture.Message().rfind("'claim.jpg': ", 0), 0u) << picture.Message();
    EXPECT_NE(picture.Message().find("memory"), std::string::npos) << picture.Message();
}

} // namespace
} // namespace tramino::test
