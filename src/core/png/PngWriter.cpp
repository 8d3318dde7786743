#include "png/PngWriter.h"

#include <cerrno>
#include <cstdio>
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

    // The simplified interface needs no longjmp; the file is ours so that errno names the reason.
    std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (pFile == nullptr)
        return ErrnoStatus("create", strPath, errno);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.Width());
    image.height = static_cast<png_uint_32>(picture.Height());
    image.format = PNG_FORMAT_RGB;
    CStatus status;
    if (png_image_write_to_stdio(&image, pFile, 0, vecRgb.data(), 0, nullptr) == 0)
        status = CStatus::Error("Cannot write '" + strPath + "': " + image.message);
    png_image_free(&image);
    // Closing flushes the last bytes, and a full disk shows only there.
    if (std::fclose(pFile) != 0 && status)
        status = ErrnoStatus("write", strPath, errno);
    if (!status)
        std::remove(strPath.c_str());
    return status;
}

} // namespace tramino
