#include "codec/CodecTestSupport.h"
#include "PortableTestSupport.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tramino::test
{

// The low-level interface, because the simplified one treats 16-bit files as linear light
// and would re-encode them; the references want a plain rounding to 8 bits.
bool ReadPng(const std::filesystem::path& path, SRgbaImage& image)
{
    FILE* pFile = std::fopen(path.string().c_str(), "rb");
    if (!pFile)
        return false;
    png_structp pPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop pInfo = png_create_info_struct(pPng);
    std::vector<png_bytep> vecRows;
    bool bOk = false;
    if (setjmp(png_jmpbuf(pPng)) == 0)
    {
        png_init_io(pPng, pFile);
        png_read_info(pPng, pInfo);
        png_set_expand(pPng);
        png_set_scale_16(pPng);
        png_set_gray_to_rgb(pPng);
        png_set_add_alpha(pPng, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(pPng, pInfo);
        image.nWidth = static_cast<int>(png_get_image_width(pPng, pInfo));
        image.nHeight = static_cast<int>(png_get_image_height(pPng, pInfo));
        image.vecRgba.resize(static_cast<size_t>(image.nWidth) * static_cast<size_t>(image.nHeight) * 4);
        for (int y = 0; y < image.nHeight; ++y)
            vecRows.push_back(image.vecRgba.data() +
                              static_cast<size_t>(y) * static_cast<size_t>(image.nWidth) * 4);
        png_read_image(pPng, vecRows.data());
        bOk = true;
    }
    png_destroy_read_struct(&pPng, &pInfo, nullptr);
    std::fclose(pFile);
    return bOk;
}

CTempDir::CTempDir()
{
    m_path = MakeTempFolder("tramino-codec-");
}

CTempDir::~CTempDir()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& vecData)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(vecData.data()), static_cast<std::streamsize>(vecData.size()));
}

CResult<CPicture> StreamToPicture(const std::string& strPath, const CDecodeOptions& options)
{
    CResult<std::unique_ptr<CRowReader>> reader = OpenRowReader(strPath, options);
    if (!reader)
        return reader.Status();
    CRowReader& rows = *reader.Value();
    const CPictureInfo& info = rows.Info();
    CPicture picture(info.m_nWidth, info.m_nHeight, 24);
    int nCount = 0;
    bool bOrderOk = true;
    const CStatus status = rows.ReadRows(
        [&](int y, const uint8_t* pRgb)
        {
            const int nExpected = rows.IsBottomUp() ? info.m_nHeight - 1 - nCount : nCount;
            bOrderOk = bOrderOk && y == nExpected;
            if (y >= 0 && y < info.m_nHeight)
                std::copy_n(pRgb, picture.RowBytes(), picture.Row(y));
            ++nCount;
            return true;
        });
    if (!status)
        return status;
    EXPECT_TRUE(bOrderOk) << strPath;
    EXPECT_EQ(nCount, info.m_nHeight) << strPath;
    return picture;
}

std::vector<uint8_t> RgbPixels(const CPicture& picture)
{
    std::vector<uint8_t> vec;
    vec.reserve(static_cast<size_t>(picture.Width()) * static_cast<size_t>(picture.Height()) * 3);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
        {
            const CRgb cr = picture.GetPixel(x, y);
            vec.insert(vec.end(), {cr.m_nRed, cr.m_nGreen, cr.m_nBlue});
        }
    return vec;
}

} // namespace tramino::test
