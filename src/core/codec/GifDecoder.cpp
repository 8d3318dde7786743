#include "codec/GifDecoder.h"

#include "codec/PictureRowReader.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

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
        return DecodeError(source.Name(), "GIF data ends too early", EReason::Truncated);
    const char* szText = GifErrorString(nCode);
    return DecodeError(source.Name(), szText ? szText : "GIF error " + std::to_string(nCode));
}

CResult<CGifPtr> OpenGif(CByteSource& source)
{
    int nError = 0;
    CGifPtr pGif(DGifOpen(&source, OnGifRead, &nError));
    if (!pGif)
        return GifError(source, nError);
    return pGif;
}

CStatus CheckScreenSize(CByteSource& source, int64_t nWidth, int64_t nHeight)
{
    if (CStatus status = CheckPictureSize(source.Name(), nWidth, nHeight); !status)
        return status;
    if (nWidth * nHeight > static_cast<int64_t>(source.Size()) * g_nMaxPixelsPerCompressedByte)
        return DecodeError(source.Name(),
                           "GIF file is too short for a picture of " + std::to_string(nWidth) + " x " +
                               std::to_string(nHeight) + " pixels",
                           EReason::Truncated);
    return {};
}

CStatus TooManyFrames(CByteSource& source)
{
    return DecodeError(source.Name(),
                       "GIF file has more than " + std::to_string(g_nMaxPictureFrames) + " frames");
}

CStatus NoImage(CByteSource& source)
{
    return DecodeError(source.Name(), "GIF file holds no image");
}

// Reads up to the next image descriptor and returns true there, with the graphic control that
// came before it; false at the end of the file.
CResult<bool> ReadToNextImage(CByteSource& source, GifFileType* pGif, GraphicsControlBlock& control)
{
    control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    for (;;)
    {
        GifRecordType eType = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(pGif, &eType) != GIF_OK)
            return GifError(source, pGif->Error);
        if (eType == IMAGE_DESC_RECORD_TYPE)
        {
            if (DGifGetImageDesc(pGif) != GIF_OK)
                return GifError(source, pGif->Error);
            // giflib keeps a descriptor of every image read, which a long animation would grow without end.
            GifFreeSavedImages(pGif);
            pGif->ImageCount = 0;
            return true;
        }
        if (eType == TERMINATE_RECORD_TYPE)
            return false;
        if (eType != EXTENSION_RECORD_TYPE)
            return DecodeError(source.Name(), "GIF file has an unknown record");
        int nCode = 0;
        GifByteType* pExtension = nullptr;
        if (DGifGetExtension(pGif, &nCode, &pExtension) != GIF_OK)
            return GifError(source, pGif->Error);
        // A control block of the wrong length is passed over, as browsers do.
        if (nCode == GRAPHICS_EXT_FUNC_CODE && pExtension)
            DGifExtensionToGCB(pExtension[0], pExtension + 1, &control);
        while (pExtension)
            if (DGifGetExtensionNext(pGif, &pExtension) != GIF_OK)
                return GifError(source, pGif->Error);
    }
}

// Hands the rows of the current image to fnRow(y, pIndices) in the order the file stores them.
CStatus ReadImageRows(CByteSource& source, GifFileType* pGif, std::vector<GifPixelType>& vecLine,
                      const std::function<void(int y, const GifPixelType* pIndices)>& fnRow)
{
    // Interlaced images come in four passes: every 8th row from 0, from 4, every 4th from 2, every 2nd
    // from 1.
    static constexpr int g_vecStart[4] = {0, 4, 2, 1};
    static constexpr int g_vecStep[4] = {8, 8, 4, 2};
    const GifImageDesc& image = pGif->Image;
    vecLine.resize(static_cast<size_t>(image.Width));
    const int nPasses = image.Interlace ? 4 : 1;
    for (int nPass = 0; nPass < nPasses; ++nPass)
    {
        const int nStep = image.Interlace ? g_vecStep[nPass] : 1;
        for (int y = image.Interlace ? g_vecStart[nPass] : 0; y < image.Height; y += nStep)
        {
            if (DGifGetLine(pGif, vecLine.data(), image.Width) != GIF_OK)
                return GifError(source, pGif->Error);
            fnRow(y, vecLine.data());
        }
    }
    return {};
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

void StoreRgb(CRgb cr, uint8_t* pRgb)
{
    pRgb[0] = cr.m_nRed;
    pRgb[1] = cr.m_nGreen;
    pRgb[2] = cr.m_nBlue;
}

void FillRect(CPicture& picture, int nLeft, int nTop, int nRight, int nBottom, CRgb cr)
{
    for (int y = nTop; y < nBottom; ++y)
        for (int x = nLeft; x < nRight; ++x)
            StoreRgb(cr, picture.Row(y) + 3 * static_cast<size_t>(x));
}

// The canvas a browser shows, one image after the other.
class CGifFrameReader final : public CFrameReader
{
public:
    CGifFrameReader(std::unique_ptr<CByteSource> pSource, CGifPtr pGif, CRgb crBackground)
        : m_pSource(std::move(pSource)), m_pGif(std::move(pGif)), m_crBackground(crBackground),
          m_canvas(m_pGif->SWidth, m_pGif->SHeight, 24)
    {
        FillRect(m_canvas, 0, 0, m_canvas.Width(), m_canvas.Height(), m_crBackground);
    }

    CResult<std::unique_ptr<CRowReader>> NextFrame() override;
    bool HasCanvas() const override { return true; }
    CResult<const CPicture*> NextCanvas(CFrameChange& change) override;

private:
    // The rectangle the last image's disposal changed, empty when it changed nothing.
    CFrameChange Dispose();
    CStatus Draw(const GraphicsControlBlock& control);

    std::unique_ptr<CByteSource> m_pSource;
    CGifPtr m_pGif;
    CRgb m_crBackground;
    CPicture m_canvas;
    CPicture m_previous; // the last image's rectangle of the canvas before it, when it restores that
    int m_nFrames = 0;
    bool m_bEnded = false;
    // The last image's disposal and its rectangle on the screen.
    int m_nDisposal = DISPOSAL_UNSPECIFIED;
    int m_nLeft = 0, m_nTop = 0, m_nRight = 0, m_nBottom = 0;
    std::vector<GifPixelType> m_vecLine;
};

CResult<std::unique_ptr<CRowReader>> CGifFrameReader::NextFrame()
{
    CFrameChange change;
    CResult<const CPicture*> canvas = NextCanvas(change);
    if (!canvas)
        return canvas.Status();
    if (!canvas.Value())
        return std::unique_ptr<CRowReader>();
    return std::unique_ptr<CRowReader>(new CPictureRowReader(*canvas.Value(), EPictureFormat::Gif, false, 8));
}

CResult<const CPicture*> CGifFrameReader::NextCanvas(CFrameChange& change)
{
    if (m_bEnded)
        return static_cast<const CPicture*>(nullptr);
    const CFrameChange disposed = Dispose();
    GraphicsControlBlock control;
    CResult<bool> image = ReadToNextImage(*m_pSource, m_pGif.get(), control);
    if (!image)
        return image.Status();
    if (!image.Value())
    {
        m_bEnded = true;
        if (m_nFrames == 0)
            return NoImage(*m_pSource);
        return static_cast<const CPicture*>(nullptr);
    }
    if (++m_nFrames > g_nMaxPictureFrames)
        return TooManyFrames(*m_pSource);
    if (CStatus status = Draw(control); !status)
        return status;
    if (m_nFrames == 1)
        change = {0, 0, m_canvas.Width(), m_canvas.Height()};
    else if (disposed.m_nLeft >= disposed.m_nRight || disposed.m_nTop >= disposed.m_nBottom)
        change = {m_nLeft, m_nTop, m_nRight, m_nBottom};
    else
        change = {std::min(disposed.m_nLeft, m_nLeft), std::min(disposed.m_nTop, m_nTop),
                  std::max(disposed.m_nRight, m_nRight), std::max(disposed.m_nBottom, m_nBottom)};
    return static_cast<const CPicture*>(&m_canvas);
}

CFrameChange CGifFrameReader::Dispose()
{
    const int nDisposal = std::exchange(m_nDisposal, DISPOSAL_UNSPECIFIED);
    if (nDisposal == DISPOSE_BACKGROUND)
        FillRect(m_canvas, m_nLeft, m_nTop, m_nRight, m_nBottom, m_crBackground);
    else if (nDisposal == DISPOSE_PREVIOUS && m_previous.Width() > 0)
        for (int y = 0; y < m_previous.Height(); ++y)
            std::copy_n(m_previous.Row(y), m_previous.RowBytes(),
                        m_canvas.Row(m_nTop + y) + 3 * static_cast<size_t>(m_nLeft));
    else
        return {};
    return {m_nLeft, m_nTop, m_nRight, m_nBottom};
}

CStatus CGifFrameReader::Draw(const GraphicsControlBlock& control)
{
    const GifImageDesc& image = m_pGif->Image;
    if (CStatus status = CheckPictureSize(m_pSource->Name(), image.Width, image.Height); !status)
        return status;
    m_nDisposal = control.DisposalMode;
    m_nLeft = std::min(image.Left, m_canvas.Width());
    m_nTop = std::min(image.Top, m_canvas.Height());
    m_nRight = static_cast<int>(std::min<int64_t>(int64_t{image.Left} + image.Width, m_canvas.Width()));
    m_nBottom = static_cast<int>(std::min<int64_t>(int64_t{image.Top} + image.Height, m_canvas.Height()));
    // Only the image's rectangle changes, so only it is kept for restoring.
    m_previous = CPicture();
    if (m_nDisposal == DISPOSE_PREVIOUS && m_nLeft < m_nRight && m_nTop < m_nBottom)
    {
        m_previous = CPicture::ForOverwrite(m_nRight - m_nLeft, m_nBottom - m_nTop, 24);
        for (int y = 0; y < m_previous.Height(); ++y)
            std::copy_n(m_canvas.Row(m_nTop + y) + 3 * static_cast<size_t>(m_nLeft), m_previous.RowBytes(),
                        m_previous.Row(y));
    }
    // Every index has a colour: those beyond the table are black.
    std::array<CRgb, 256> vecColours{};
    const std::vector<CRgb> vecPalette = GifPalette(image.ColorMap ? image.ColorMap : m_pGif->SColorMap);
    std::copy_n(vecPalette.begin(), std::min(vecPalette.size(), vecColours.size()), vecColours.begin());
    return ReadImageRows(*m_pSource, m_pGif.get(), m_vecLine,
                         [&](int y, const GifPixelType* pIndices)
                         {
                             if (image.Top + y >= m_nBottom || m_nLeft >= m_nRight)
                                 return;
                             uint8_t* pOut = m_canvas.Row(image.Top + y) + 3 * static_cast<size_t>(m_nLeft);
                             const GifPixelType* pIn = pIndices + (m_nLeft - image.Left);
                             for (int x = m_nLeft; x < m_nRight; ++x, ++pIn, pOut += 3)
                                 if (*pIn != control.TransparentColor)
                                     StoreRgb(vecColours[*pIn], pOut);
                         });
}

} // namespace

CResult<CPicture> DecodeGif(CByteSource& source)
{
    CResult<CGifPtr> gif = OpenGif(source);
    if (!gif)
        return gif.Status();
    GifFileType* pGif = gif.Value().get();
    GraphicsControlBlock control;
    CResult<bool> bImage = ReadToNextImage(source, pGif, control);
    if (!bImage)
        return bImage.Status();
    if (!bImage.Value())
        return NoImage(source);
    const GifImageDesc& image = pGif->Image;
    if (CStatus status = CheckPictureSize(source.Name(), image.Width, image.Height); !status)
        return status;
    // The screen grows to hold an image that does not fit on it.
    const int64_t nWidth = std::max<int64_t>(pGif->SWidth, int64_t{image.Left} + image.Width);
    const int64_t nHeight = std::max<int64_t>(pGif->SHeight, int64_t{image.Top} + image.Height);
    if (CStatus status = CheckScreenSize(source, nWidth, nHeight); !status)
        return status;

    CPicture picture(static_cast<int>(nWidth), static_cast<int>(nHeight), 8);
    picture.Palette() = GifPalette(image.ColorMap ? image.ColorMap : pGif->SColorMap);
    const uint8_t nBackground = pGif->SColorMap ? static_cast<uint8_t>(pGif->SBackGroundColor) : 0;
    for (int y = 0; y < picture.Height(); ++y)
        std::fill_n(picture.Row(y), picture.RowBytes(), nBackground);
    std::vector<GifPixelType> vecLine;
    if (CStatus status =
            ReadImageRows(source, pGif, vecLine,
                          [&](int y, const GifPixelType* pIndices)
                          { std::copy_n(pIndices, image.Width, picture.Row(image.Top + y) + image.Left); });
        !status)
        return status;
    return picture;
}

CResult<std::unique_ptr<CFrameReader>> OpenGifFrameReader(std::unique_ptr<CByteSource> pSource,
                                                          CRgb crBackground)
{
    CResult<CGifPtr> gif = OpenGif(*pSource);
    if (!gif)
        return gif.Status();
    if (CStatus status = CheckScreenSize(*pSource, gif.Value()->SWidth, gif.Value()->SHeight); !status)
        return status;
    return std::unique_ptr<CFrameReader>(
        new CGifFrameReader(std::move(pSource), std::move(gif).Value(), crBackground));
}

CResult<int> CountGifFrames(CByteSource& source)
{
    CResult<CGifPtr> gif = OpenGif(source);
    if (!gif)
        return gif.Status();
    GifFileType* pGif = gif.Value().get();
    int nFrames = 0;
    for (;;)
    {
        GraphicsControlBlock control;
        CResult<bool> bImage = ReadToNextImage(source, pGif, control);
        if (!bImage)
            return bImage.Status();
        if (!bImage.Value())
            break;
        if (++nFrames > g_nMaxPictureFrames)
            return TooManyFrames(source);
        int nCodeSize = 0;
        GifByteType* pBlock = nullptr;
        if (DGifGetCode(pGif, &nCodeSize, &pBlock) != GIF_OK)
            return GifError(source, pGif->Error);
        while (pBlock)
            if (DGifGetCodeNext(pGif, &pBlock) != GIF_OK)
                return GifError(source, pGif->Error);
    }
    if (nFrames == 0)
        return NoImage(source);
    return nFrames;
}

} // namespace tramino
