#include "codec/JpegDecoder.h"

#include "codec/ExifOrientation.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace tramino
{

namespace
{

constexpr size_t g_nJpegInputBytes = 64 * 1024;
// Progressive files need a coefficient buffer of the whole picture; a small file must not
// claim a huge one. Legitimate files stay far below this many bytes per file byte.
constexpr long g_nJpegBaseMemory = 256L * 1024 * 1024;
constexpr long g_nJpegMemoryPerFileByte = 64;
// Files with absurd numbers of scans take very long for what they hold.
constexpr int g_nMaxJpegScans = 1000;
constexpr int g_nExifMarker = JPEG_APP0 + 1;

// Everything libjpeg's callbacks reach, found again through client_data.
struct SJpegContext
{
    jpeg_decompress_struct cinfo = {};
    jpeg_error_mgr err = {};
    jpeg_source_mgr src = {};
    jpeg_progress_mgr progress = {};
    std::jmp_buf jmp = {};
    char szMessage[JMSG_LENGTH_MAX] = {};
    CByteSource* pSource = nullptr;
    std::vector<JOCTET> vecInput;
    bool bCreated = false;
};

struct SJpegContextDeleter
{
    void operator()(SJpegContext* p) const
    {
        if (p->bCreated)
            jpeg_destroy_decompress(&p->cinfo);
        delete p;
    }
};

SJpegContext* Context(j_common_ptr cinfo)
{
    return static_cast<SJpegContext*>(cinfo->client_data);
}

[[noreturn]] void Fail(SJpegContext* p, const char* szMessage)
{
    std::snprintf(p->szMessage, sizeof(p->szMessage), "%s", szMessage);
    std::longjmp(p->jmp, 1);
}

[[noreturn]] void OnErrorExit(j_common_ptr cinfo)
{
    SJpegContext* p = Context(cinfo);
    // Beyond max_memory_to_use libjpeg would want a backing store, which it does not have.
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE)
        Fail(p, "JPEG picture needs more memory than its file size justifies");
    (*cinfo->err->format_message)(cinfo, p->szMessage);
    std::longjmp(p->jmp, 1);
}

// libjpeg pads a truncated file with grey and only warns; a cut-off picture is an error to us.
void OnEmitMessage(j_common_ptr cinfo, int nLevel)
{
    if (nLevel < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        OnErrorExit(cinfo);
    if (nLevel < 0)
        ++cinfo->err->num_warnings;
}

void OnProgress(j_common_ptr cinfo)
{
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > g_nMaxJpegScans)
        Fail(Context(cinfo), "JPEG file has too many scans");
}

void OnInitSource(j_decompress_ptr) {}
void OnTermSource(j_decompress_ptr) {}

boolean OnFillInput(j_decompress_ptr cinfo)
{
    static const JOCTET g_fakeEoi[2] = {0xFF, JPEG_EOI};
    SJpegContext* p = Context(reinterpret_cast<j_common_ptr>(cinfo));
    const size_t nGot = p->pSource->Read(p->vecInput.data(), p->vecInput.size());
    if (!p->pSource->ReadError().IsOk())
        Fail(p, p->pSource->ReadError().Message().c_str());
    if (nGot == 0)
    {
        WARNMS(cinfo, JWRN_JPEG_EOF);
        cinfo->src->next_input_byte = g_fakeEoi;
        cinfo->src->bytes_in_buffer = 2;
        return TRUE;
    }
    cinfo->src->next_input_byte = p->vecInput.data();
    cinfo->src->bytes_in_buffer = nGot;
    return TRUE;
}

void OnSkipInput(j_decompress_ptr cinfo, long nBytes)
{
    jpeg_source_mgr* src = cinfo->src;
    if (nBytes <= 0)
        return;
    if (static_cast<size_t>(nBytes) <= src->bytes_in_buffer)
    {
        src->next_input_byte += nBytes;
        src->bytes_in_buffer -= static_cast<size_t>(nBytes);
        return;
    }
    CByteSource* pSource = Context(reinterpret_cast<j_common_ptr>(cinfo))->pSource;
    const uint64_t nBeyond = static_cast<uint64_t>(nBytes) - src->bytes_in_buffer;
    src->bytes_in_buffer = 0;
    if (!pSource->Seek(pSource->Tell() + nBeyond))
        pSource->Seek(pSource->Size());
    OnFillInput(cinfo);
}

// Each stage of libjpeg runs in its own small function, so that longjmp never crosses C++ objects.
bool JpegCreate(SJpegContext* p)
{
    p->cinfo.err = jpeg_std_error(&p->err);
    p->err.error_exit = OnErrorExit;
    p->err.emit_message = OnEmitMessage;
    p->cinfo.client_data = p;
    if (setjmp(p->jmp))
        return false;
    jpeg_create_decompress(&p->cinfo);
    p->bCreated = true;
    return true;
}

bool JpegReadHeader(SJpegContext* p)
{
    if (setjmp(p->jmp))
        return false;
    jpeg_save_markers(&p->cinfo, g_nExifMarker, 0xFFFF);
    jpeg_read_header(&p->cinfo, TRUE);
    return true;
}

bool JpegCalcOutputDimensions(SJpegContext* p)
{
    if (setjmp(p->jmp))
        return false;
    jpeg_calc_output_dimensions(&p->cinfo);
    return true;
}

bool JpegStart(SJpegContext* p)
{
    if (setjmp(p->jmp))
        return false;
    jpeg_start_decompress(&p->cinfo);
    return true;
}

bool JpegReadScanlines(SJpegContext* p, JSAMPARRAY ppRows, JDIMENSION nMax, JDIMENSION* pGot)
{
    if (setjmp(p->jmp))
        return false;
    *pGot = jpeg_read_scanlines(&p->cinfo, ppRows, nMax);
    return true;
}

using CJpegContextPtr = std::unique_ptr<SJpegContext, SJpegContextDeleter>;

// An open decompressor, past jpeg_start_decompress.
class CJpegDecoder
{
public:
    CStatus Open(CByteSource& source, const CDecodeOptions& options);

    int DepthClass() const { return m_nDepthClass; }
    const CPictureInfo& Info() const { return m_info; }
    int Components() const { return m_p->cinfo.output_components; }
    bool IsAdobeInverted() const { return m_p->cinfo.saw_Adobe_marker != 0; }
    int NextRow() const { return static_cast<int>(m_p->cinfo.output_scanline); }
    int RowsPerRead() const { return m_p->cinfo.rec_outbuf_height; }
    // Reads up to nMax rows (at least one unless an error is returned).
    CStatus Read(uint8_t** ppRows, int nMax, int& nGot);

private:
    CStatus LibError() const { return DecodeError(m_p->pSource->Name(), m_p->szMessage); }
    bool ChooseScale(const CDecodeOptions& options);

    CJpegContextPtr m_p;
    int m_nDepthClass = 24;
    CPictureInfo m_info;
};

// The smallest M/8 whose output is still strictly larger than the given size both ways.
bool CJpegDecoder::ChooseScale(const CDecodeOptions& options)
{
    jpeg_decompress_struct& cinfo = m_p->cinfo;
    cinfo.scale_denom = 8;
    if (options.m_nScaleAboveWidth > 0 && options.m_nScaleAboveHeight > 0)
        for (unsigned m = 1; m < 8; ++m)
        {
            cinfo.scale_num = m;
            if (!JpegCalcOutputDimensions(m_p.get()))
                return false;
            if (cinfo.output_width > static_cast<JDIMENSION>(options.m_nScaleAboveWidth) &&
                cinfo.output_height > static_cast<JDIMENSION>(options.m_nScaleAboveHeight))
                return true;
        }
    cinfo.scale_num = 8;
    return JpegCalcOutputDimensions(m_p.get());
}

CStatus CJpegDecoder::Open(CByteSource& source, const CDecodeOptions& options)
{
    m_p.reset(new SJpegContext);
    m_p->pSource = &source;
    if (!JpegCreate(m_p.get()))
        return LibError();
    jpeg_decompress_struct& cinfo = m_p->cinfo;
    cinfo.mem->max_memory_to_use =
        g_nJpegBaseMemory +
        static_cast<long>(std::min<uint64_t>(source.Size(), 1 << 24)) * g_nJpegMemoryPerFileByte;
    m_p->progress.progress_monitor = OnProgress;
    cinfo.progress = &m_p->progress;
    m_p->src.init_source = OnInitSource;
    m_p->src.fill_input_buffer = OnFillInput;
    m_p->src.skip_input_data = OnSkipInput;
    m_p->src.resync_to_restart = jpeg_resync_to_restart;
    m_p->src.term_source = OnTermSource;
    if (source.Memory())
    {
        // The whole file is at hand: no copying.
        m_p->src.next_input_byte = source.Memory() + source.Tell();
        m_p->src.bytes_in_buffer = static_cast<size_t>(source.Size() - source.Tell());
        source.Seek(source.Size());
    }
    m_p->vecInput.resize(source.Memory() ? 0 : g_nJpegInputBytes);
    cinfo.src = &m_p->src;

    if (!JpegReadHeader(m_p.get()))
        return LibError();
    if (CStatus status = CheckPictureSize(source.Name(), cinfo.image_width, cinfo.image_height); !status)
        return status;
    // A header of a few hundred bytes can claim 65500 x 4096 pixels; the picture (and a progressive
    // file's coefficients) would be allocated before the missing data is noticed.
    if (int64_t{cinfo.image_width} * cinfo.image_height >
        static_cast<int64_t>(source.Size()) * g_nMaxPixelsPerCompressedByte)
        return DecodeError(source.Name(), "JPEG picture of " + std::to_string(cinfo.image_width) + " x " +
                                              std::to_string(cinfo.image_height) +
                                              " pixels needs more memory than a file of " +
                                              std::to_string(source.Size()) + " bytes justifies");
    switch (cinfo.jpeg_color_space)
    {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        m_nDepthClass = 8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        m_nDepthClass = 32;
        break;
    default:
        cinfo.out_color_space = JCS_RGB;
        m_nDepthClass = 24;
        break;
    }
    if (!ChooseScale(options) || !JpegStart(m_p.get()))
        return LibError();
    m_info.m_eFormat = EPictureFormat::Jpeg;
    m_info.m_nWidth = static_cast<int>(cinfo.output_width);
    m_info.m_nHeight = static_cast<int>(cinfo.output_height);
    m_info.m_nFileWidth = static_cast<int>(cinfo.image_width);
    m_info.m_nFileHeight = static_cast<int>(cinfo.image_height);
    m_info.m_nBitsPerPixel = m_nDepthClass;
    for (jpeg_saved_marker_ptr pMarker = cinfo.marker_list; pMarker != nullptr; pMarker = pMarker->next)
        if (pMarker->marker == g_nExifMarker && m_info.m_nOrientation == 1)
            m_info.m_nOrientation = ParseExifOrientation(pMarker->data, pMarker->data_length);
    return {};
}

CStatus CJpegDecoder::Read(uint8_t** ppRows, int nMax, int& nGot)
{
    JDIMENSION nRead = 0;
    if (!JpegReadScanlines(m_p.get(), ppRows, static_cast<JDIMENSION>(nMax), &nRead))
        return LibError();
    if (nRead == 0)
        return DecodeError(m_p->pSource->Name(), "JPEG decoder gave no rows");
    nGot = static_cast<int>(nRead);
    return {};
}

// Adobe writes CMYK inverted (0 = full ink); YCCK comes out of libjpeg the same way.
void CmykToRgb(const uint8_t* pCmyk, int nWidth, bool bInverted, uint8_t* pOut, int nOutBytes)
{
    for (int x = 0; x < nWidth; ++x, pCmyk += 4, pOut += nOutBytes)
    {
        const unsigned k = bInverted ? pCmyk[3] : 255u - pCmyk[3];
        for (int c = 0; c < 3; ++c)
        {
            const unsigned v = bInverted ? pCmyk[c] : 255u - pCmyk[c];
            pOut[c] = static_cast<uint8_t>((v * k + 127) / 255);
        }
        if (nOutBytes == 4)
            pOut[3] = 255;
    }
}

class CJpegRowReader : public CRowReader
{
public:
    explicit CJpegRowReader(std::unique_ptr<CByteSource> pSource) : m_pSource(std::move(pSource)) {}

    CStatus Open(const CDecodeOptions& options)
    {
        CStatus status = m_decoder.Open(*m_pSource, options);
        m_info = m_decoder.Info();
        return status;
    }

    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override;

private:
    std::unique_ptr<CByteSource> m_pSource;
    CJpegDecoder m_decoder;
};

CStatus CJpegRowReader::ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow)
{
    const size_t nWidth = static_cast<size_t>(m_info.m_nWidth);
    const int nBatch = m_decoder.RowsPerRead();
    const size_t nRowBytes = nWidth * static_cast<size_t>(m_decoder.Components());
    std::vector<uint8_t> vecRows(nRowBytes * static_cast<size_t>(nBatch));
    std::vector<uint8_t*> vecRowPtrs(static_cast<size_t>(nBatch));
    for (int i = 0; i < nBatch; ++i)
        vecRowPtrs[static_cast<size_t>(i)] = vecRows.data() + nRowBytes * static_cast<size_t>(i);
    std::vector<uint8_t> vecRgb(m_decoder.DepthClass() == 24 ? 0 : nWidth * 3);
    while (m_decoder.NextRow() < m_info.m_nHeight)
    {
        const int y0 = m_decoder.NextRow();
        int nGot = 0;
        if (CStatus status = m_decoder.Read(vecRowPtrs.data(), nBatch, nGot); !status)
            return status;
        for (int i = 0; i < nGot; ++i)
        {
            const uint8_t* pRow = vecRowPtrs[static_cast<size_t>(i)];
            if (m_decoder.DepthClass() == 8)
            {
                for (size_t x = 0; x < nWidth; ++x)
                    vecRgb[3 * x] = vecRgb[3 * x + 1] = vecRgb[3 * x + 2] = pRow[x];
                pRow = vecRgb.data();
            }
            else if (m_decoder.DepthClass() == 32)
            {
                CmykToRgb(pRow, m_info.m_nWidth, m_decoder.IsAdobeInverted(), vecRgb.data(), 3);
                pRow = vecRgb.data();
            }
            if (!fnRow(y0 + i, pRow))
                return {};
        }
    }
    return {};
}

} // namespace

CResult<std::unique_ptr<CRowReader>> OpenJpegRowReader(std::unique_ptr<CByteSource> pSource,
                                                       const CDecodeOptions& options)
{
    auto pReader = std::make_unique<CJpegRowReader>(std::move(pSource));
    if (CStatus status = pReader->Open(options); !status)
        return status;
    return std::unique_ptr<CRowReader>(std::move(pReader));
}

CResult<CPicture> DecodeJpeg(CByteSource& source)
{
    CJpegDecoder decoder;
    if (CStatus status = decoder.Open(source, {}); !status)
        return status;
    const CPictureInfo& info = decoder.Info();
    CPicture picture(info.m_nWidth, info.m_nHeight, decoder.DepthClass());
    if (decoder.DepthClass() == 8)
        for (int i = 0; i < 256; ++i)
            picture.Palette().push_back(
                CRgb{static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
    // Grey and RGB rows land in the picture directly; CMYK goes through one row of its own.
    const bool bCmyk = decoder.DepthClass() == 32;
    std::vector<uint8_t> vecCmyk(bCmyk ? static_cast<size_t>(info.m_nWidth) * 4 : 0);
    while (decoder.NextRow() < info.m_nHeight)
    {
        const int y = decoder.NextRow();
        uint8_t* pRow = bCmyk ? vecCmyk.data() : picture.Row(y);
        int nGot = 0;
        if (CStatus status = decoder.Read(&pRow, 1, nGot); !status)
            return status;
        if (bCmyk)
            CmykToRgb(pRow, info.m_nWidth, decoder.IsAdobeInverted(), picture.Row(y), 4);
    }
    return picture;
}

} // namespace tramino
