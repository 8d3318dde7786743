#include "codec/CodecTestSupport.h"

#include <png.h>

#include <fstream>
#include <iterator>

namespace tramino::test
{

bool ReadPng(const std::filesystem::path& path, SRgbaImage& image)
{
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return false;
    png.format = PNG_FORMAT_RGBA;
    image.nWidth = static_cast<int>(png.width);
    image.nHeight = static_cast<int>(png.height);
    image.vecRgba.resize(PNG_IMAGE_SIZE(png));
    return png_image_finish_read(&png, nullptr, image.vecRgba.data(), 0, nullptr) != 0;
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
