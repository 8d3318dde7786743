#include "codec/PngDecoder.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <functional>
#include <string>
#include <vector>

namespace tramino
{

namespace
{

// A palette and its tRNS take 1 KB; a profile or text would be far larger, but none is read.
constexpr png_alloc_size_t g_nMaxPngChunkBytes = 64 * 1024;
constexpr png_uint_32 g_nMaxPngChunks = 64;

// An open libpng reader, past png_read_update_info: rows come out as 8-bit RGBA.
class CPngDecoder
{
public:
    CPngDecoder() = default;
    CPngDecoder(const CPngDecoder&) = delete;
    CPngDecoder& operator=(const CPngDecoder&) = delete;
    ~CPngDecoder() { png_destroy_read_struct(&m_pPng, &m_pInfo, nullptr); }

    CStatus Open(CByteSource& source, CRgb crBackground);
    const CPictureInfo& Info() const { return m_info; }
    // Composited RGB rows, top-down; fnRow returns false to stop.
    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow);

private:
    static void OnError(png_structp pPng, png_const_charp szMessage);
    static void OnWarning(png_structp, png_const_charp) {}
    static void OnRead(png_structp pPng, png_bytep pTarget, size_t nBytes);

    template <class FnStep> CStatus Step(FnStep&& fnStep);
    void LimitChunks();
    void CompositeRow(const uint8_t* pRgba, uint8_t* pRgb) const;

    CByteSource* m_pSource = nullptr;
    png_structp m_pPng = nullptr;
    png_infop m_pInfo = nullptr;
    std::string m_strError;
    CRgb m_crBackground;
    int m_nPasses = 1;
    CPictureInfo m_info;
};

void CPngDecoder::OnError(png_structp pPng, png_const_charp szMessage)
{
    static_cast<CPngDecoder*>(png_get_error_ptr(pPng))->m_strError = szMessage;
    png_longjmp(pPng, 1);
}

void CPngDecoder::OnRead(png_structp pPng, png_bytep pTarget, size_t nBytes)
{
    auto* pSelf = static_cast<CPngDecoder*>(png_get_io_ptr(pPng));
    if (pSelf->m_pSource->Read(pTarget, nBytes) != nBytes)
        png_error(pPng, "PNG data ends too early");
}

// libpng reports an error by a longjmp to the last setjmp. Every call into it goes through
// here, so that the jump only ever crosses fnStep and libpng, never a C++ object.
template <class FnStep> CStatus CPngDecoder::Step(FnStep&& fnStep)
{
    if (setjmp(png_jmpbuf(m_pPng)))
    {
        if (!m_pSource->ReadError().IsOk())
            return m_pSource->ReadError();
        return DecodeError(m_pSource->Name(), m_strError.rfind("PNG", 0) == 0
                                                  ? m_strError
                                                  : "PNG file is damaged (" + m_strError + ")");
    }
    fnStep();
    return {};
}

// Of the ancillary chunks only tRNS changes a pixel here (no gamma or colour space is applied, and
// transparency goes over Tramino's own background, not bKGD): every other one is passed over
// unread, so that a length it claims costs no memory. What libpng still keeps (a palette,
// tRNS, the header) is small; a chunk that claims more is an error before it is allocated.
void CPngDecoder::LimitChunks()
{
    static constexpr png_byte g_arrUnused[] = {
        'b',  'K',  'G',  'D',  '\0', 'c',  'H',  'R',  'M',  '\0', 'e',  'X',  'I',  'f',  '\0', 'g',  'A',
        'M',  'A',  '\0', 'h',  'I',  'S',  'T',  '\0', 'i',  'C',  'C',  'P',  '\0', 'i',  'T',  'X',  't',
        '\0', 'o',  'F',  'F',  's',  '\0', 'p',  'C',  'A',  'L',  '\0', 'p',  'H',  'Y',  's',  '\0', 's',
        'B',  'I',  'T',  '\0', 's',  'C',  'A',  'L',  '\0', 's',  'P',  'L',  'T',  '\0', 's',  'R',  'G',
        'B',  '\0', 't',  'E',  'X',  't',  '\0', 't',  'I',  'M',  'E',  '\0', 'z',  'T',  'X',  't',  '\0'};
    // Chunks libpng does not know are never kept either.
    png_set_keep_unknown_chunks(m_pPng, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(m_pPng, PNG_HANDLE_CHUNK_NEVER, g_arrUnused, sizeof g_arrUnused / 5);
    png_set_user_limits(m_pPng, g_nMaxPictureSide, g_nMaxPictureSide);
    png_set_chunk_cache_max(m_pPng, g_nMaxPngChunks);
    png_set_chunk_malloc_max(m_pPng, g_nMaxPngChunkBytes);
}

CStatus CPngDecoder::Open(CByteSource& source, CRgb crBackground)
{
    m_pSource = &source;
    m_crBackground = crBackground;
    m_pPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
    m_pInfo = m_pPng ? png_create_info_struct(m_pPng) : nullptr;
    if (!m_pInfo)
        return DecodeError(source.Name(), "not enough memory to read the PNG file");
    png_set_read_fn(m_pPng, this, OnRead);
    LimitChunks();
    if (CStatus status = Step([this] { png_read_info(m_pPng, m_pInfo); }); !status)
        return status;

    const int64_t nWidth = png_get_image_width(m_pPng, m_pInfo);
    const int64_t nHeight = png_get_image_height(m_pPng, m_pInfo);
    if (CStatus status = CheckPictureSize(source.Name(), nWidth, nHeight); !status)
        return status;
    if (nWidth * nHeight > static_cast<int64_t>(source.Size()) * g_nMaxPixelsPerCompressedByte)
        return DecodeError(source.Name(), "PNG picture of " + std::to_string(nWidth) + " x " +
                                              std::to_string(nHeight) +
                                              " pixels needs more memory than a file of " +
                                              std::to_string(source.Size()) + " bytes justifies");
    // Every colour type and depth becomes 8-bit RGBA: palettes and tRNS expand to colours and
    // alpha, grey to RGB, and 16-bit values scale as round(v / 257).
    if (CStatus status = Step(
            [this]
            {
                png_set_expand(m_pPng);
                png_set_scale_16(m_pPng);
                png_set_gray_to_rgb(m_pPng);
                png_set_add_alpha(m_pPng, 0xFF, PNG_FILLER_AFTER);
                m_nPasses = png_set_interlace_handling(m_pPng);
                png_read_update_info(m_pPng, m_pInfo);
            });
        !status)
        return status;
    if (png_get_rowbytes(m_pPng, m_pInfo) != static_cast<size_t>(nWidth) * 4)
        return DecodeError(source.Name(), "PNG file has a pixel layout that cannot be read");

    m_info.m_eFormat = EPictureFormat::Png;
    m_info.m_nWidth = m_info.m_nFileWidth = static_cast<int>(nWidth);
    m_info.m_nHeight = m_info.m_nFileHeight = static_cast<int>(nHeight);
    // Truecolour-like whatever the file stores: the rows are composited RGB, so a large PNG takes the
    // exact reduction as a colour photo does, and one picture gives one panel whether it was saved with
    // a palette or without.
    m_info.m_nBitsPerPixel = 24;
    return {};
}

// round((c * a + bg * (255 - a)) / 255) per channel.
void CPngDecoder::CompositeRow(const uint8_t* pRgba, uint8_t* pRgb) const
{
    const unsigned vecBackground[3] = {m_crBackground.m_nRed, m_crBackground.m_nGreen,
                                       m_crBackground.m_nBlue};
    for (int x = 0; x < m_info.m_nWidth; ++x, pRgba += 4, pRgb += 3)
    {
        const unsigned a = pRgba[3];
        for (int c = 0; c < 3; ++c)
            pRgb[c] = static_cast<uint8_t>((pRgba[c] * a + vecBackground[c] * (255 - a) + 127) / 255);
    }
}

CStatus CPngDecoder::ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow)
{
    const size_t nRowBytes = static_cast<size_t>(m_info.m_nWidth) * 4;
    const size_t nHeight = static_cast<size_t>(m_info.m_nHeight);
    // Interlaced passes each reach every row, so the picture is gathered whole first.
    std::vector<uint8_t> vecRgba(nRowBytes * (m_nPasses > 1 ? nHeight : 1));
    for (int nPass = 1; nPass < m_nPasses; ++nPass)
        for (size_t y = 0; y < nHeight; ++y)
            if (CStatus status = Step([&] { png_read_row(m_pPng, vecRgba.data() + y * nRowBytes, nullptr); });
                !status)
                return status;
    std::vector<uint8_t> vecRgb(static_cast<size_t>(m_info.m_nWidth) * 3);
    for (size_t y = 0; y < nHeight; ++y)
    {
        uint8_t* pRow = vecRgba.data() + (m_nPasses > 1 ? y * nRowBytes : 0);
        if (CStatus status = Step([&] { png_read_row(m_pPng, pRow, nullptr); }); !status)
            return status;
        CompositeRow(pRow, vecRgb.data());
        if (!fnRow(static_cast<int>(y), vecRgb.data()))
            break;
    }
    return {};
}

class CPngRowReader : public CRowReader
{
public:
    explicit CPngRowReader(std::unique_ptr<CByteSource> pSource) : m_pSource(std::move(pSource)) {}

    CStatus Open(const CDecodeOptions& options)
    {
        CStatus status = m_decoder.Open(*m_pSource, options.m_crBackground);
        m_info = m_decoder.Info();
        return status;
    }

    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override
    {
        return m_decoder.ReadRows(fnRow);
    }

private:
    std::unique_ptr<CByteSource> m_pSource;
    CPngDecoder m_decoder;
};

} // namespace

CResult<std::unique_ptr<CRowReader>> OpenPngRowReader(std::unique_ptr<CByteSource> pSource,
                                                      const CDecodeOptions& options)
{
    auto pReader = std::make_unique<CPngRowReader>(std::move(pSource));
    if (CStatus status = pReader->Open(options); !status)
        return status;
    return std::unique_ptr<CRowReader>(std::move(pReader));
}

CResult<CPicture> DecodePng(CByteSource& source)
{
    CPngDecoder decoder;
    if (CStatus status = decoder.Open(source, CRgb{}); !status)
        return status;
    CPicture picture(decoder.Info().m_nWidth, decoder.Info().m_nHeight, 24);
    if (CStatus status = decoder.ReadRows(
            [&](int y, const uint8_t* pRgb)
            {
                std::copy_n(pRgb, picture.RowBytes(), picture.Row(y));
                return true;
            });
        !status)
        return status;
    return picture;
}

} // namespace tramino
