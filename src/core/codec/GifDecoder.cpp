#include "codec/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>

namespace tramino
{

namespace
{

int OnGifRead(GifFileType* pGif, GifByteType* pTarget, int nBytes)
{
    auto* pSource = static_cast<CByteSource*>(pGif->UserData);
    return static_cast<int>(pSource->Read(pTarget, static_cast<size_t>(nBytes)));
}

struct SGifCloser
{
    void operator()(GifFileType* pGif) const
    {
        int nError = 0;
        DGifCloseFile(pGif, &nError);
    }
};

using CGifPtr = std::unique_ptr<GifFileType, SGifCloser>;

CStatus GifError(CByteSource& source, int nCode)
{
    if (!source.ReadError().IsOk())
        return source.ReadError();
    if (nCode == D_GIF_ERR_READ_FAILED)
        return DecodeError(source.Name(), "GIF data ends too early");
    const char* szText = GifErrorString(nCode);
    return DecodeError(source.Name(), szText ? szText : "GIF error " + std::to_string(nCode));
}

// Skips extensions up to the first image descriptor.
CStatus ReadToFirstImage(CByteSource& source, GifFileType* pGif)
{
    for (;;)
    {
        GifRecordType eType = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(pGif, &eType) != GIF_OK)
            return GifError(source, pGif->Error);
        if (eType == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(pGif) == GIF_OK ? CStatus{} : GifError(source, pGif->Error);
        if (eType == TERMINATE_RECORD_TYPE)
            return DecodeError(source.Name(), "GIF file holds no image");
        if (eType != EXTENSION_RECORD_TYPE)
            return DecodeError(source.Name(), "GIF file has an unknown record");
        int nCode = 0;
        GifByteType* pExtension = nullptr;
        if (DGifGetExtension(pGif, &nCode, &pExtension) != GIF_OK)
            return GifError(source, pGif->Error);
        while (pExtension)
            if (DGifGetExtensionNext(pGif, &pExtension) != GIF_OK)
                return GifError(source, pGif->Error);
    }
}

std::vector<CRgb> GifPalette(const ColorMapObject* pMap)
{
    std::vector<CRgb> vecPalette;
    if (!pMap)
    {
        // No colour table at all: the format's suggestion is a grey ramp.
        for (int i = 0; i < 256; ++i)
            vecPalette.push_back(
                CRgb{static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
        return vecPalette;
    }
    for (int i = 0; i < pMap->ColorCount; ++i)
        vecPalette.push_back(CRgb{pMap->Colors[i].Red, pMap->Colors[i].Green, pMap->Colors[i].Blue});
    return vecPalette;
}

} // namespace

CResult<CPicture> DecodeGif(CByteSource& source)
{
    int nError = 0;
    CGifPtr pGif(DGifOpen(&source, OnGifRead, &nError));
    if (!pGif)
        return GifError(source, nError);
    if (CStatus status = ReadToFirstImage(source, pGif.get()); !status)
        return status;
    const GifImageDesc& image = pGif->Image;
    if (CStatus status = CheckPictureSize(source.Name(), image.Width, image.Height); !status)
        return status;
    // The screen grows to hold an image that does not fit on it.
    const int64_t nWidth = std::max<int64_t>(pGif->SWidth, int64_t{image.Left} + image.Width);
    const int64_t nHeight = std::max<int64_t>(pGif->SHeight, int64_t{image.Top} + image.Height);
    if (CStatus status = CheckPictureSize(source.Name(), nWidth, nHeight); !status)
        return status;
    if (nWidth * nHeight > static_cast<int64_t>(source.Size()) * g_nMaxPixelsPerCompressedByte)
        return DecodeError(source.Name(), "GIF file is too short for a picture of " + std::to_string(nWidth) +
                                              " x " + std::to_string(nHeight) + " pixels");

    CPicture picture(static_cast<int>(nWidth), static_cast<int>(nHeight), 8);
    picture.Palette() = GifPalette(image.ColorMap ? image.ColorMap : pGif->SColorMap);
    const uint8_t nBackground = pGif->SColorMap ? static_cast<uint8_t>(pGif->SBackGroundColor) : 0;
    for (int y = 0; y < picture.Height(); ++y)
        std::fill_n(picture.Row(y), picture.RowBytes(), nBackground);

    // Interlaced images come in four passes: every 8th row from 0, from 4, every 4th from 2, every 2nd
    // from 1.
    static constexpr int g_vecStart[4] = {0, 4, 2, 1};
    static constexpr int g_vecStep[4] = {8, 8, 4, 2};
    const int nPasses = image.Interlace ? 4 : 1;
    for (int nPass = 0; nPass < nPasses; ++nPass)
    {
        const int nStep = image.Interlace ? g_vecStep[nPass] : 1;
        for (int y = image.Interlace ? g_vecStart[nPass] : 0; y < image.Height; y += nStep)
            if (DGifGetLine(pGif.get(), picture.Row(image.Top + y) + image.Left, image.Width) != GIF_OK)
                return GifError(source, pGif->Error);
    }
    return picture;
}

} // namespace tramino
