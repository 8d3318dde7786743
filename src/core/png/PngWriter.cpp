#include "png/PngWriter.h"

#include "common/ReplacingFile.h"

#include <png.h>
#include <vector>

namespace tramino
{

namespace
{

std::vector<uint8_t> RgbBytes(const CPicture& picture)
{
    std::vector<uint8_t> vecRgb;
    vecRgb.reserve(static_cast<size_t>(picture.Width()) * static_cast<size_t>(picture.Height()) * 3);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
        {
            const CRgb cr = picture.GetPixel(x, y);
            vecRgb.insert(vecRgb.end(), {cr.m_nRed, cr.m_nGreen, cr.m_nBlue});
        }
    return vecRgb;
}

} // namespace

CStatus WritePngFile(const CPicture& picture, const std::string& strPath)
{
    if (picture.IsEmpty())
        return CStatus::Error("Cannot write '" + strPath + "': the picture is empty");
    const std::vector<uint8_t> vecRgb = RgbBytes(picture);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.Width());
    image.height = static_cast<png_uint_32>(picture.Height());
    image.format = PNG_FORMAT_RGB;
    // The simplified interface needs no longjmp. The first call only measures.
    png_alloc_size_t nBytes = 0;
    std::vector<uint8_t> vecPng;
    bool bEncoded = png_image_write_to_memory(&image, nullptr, &nBytes, 0, vecRgb.data(), 0, nullptr) != 0;
    if (bEncoded)
    {
        vecPng.resize(nBytes);
        bEncoded =
            png_image_write_to_memory(&image, vecPng.data(), &nBytes, 0, vecRgb.data(), 0, nullptr) != 0;
        vecPng.resize(nBytes);
    }
    const std::string strReason = image.message;
    png_image_free(&image);
    if (!bEncoded)
        return CStatus::Error("Cannot write '" + strPath + "': " + strReason);
    return ReplaceFileContent(strPath, vecPng);
}

} // namespace tramino
