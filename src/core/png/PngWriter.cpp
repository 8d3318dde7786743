#include "png/PngWriter.h"

#include "common/ReplacingFile.h"

#include <csetjmp>
#include <png.h>
#include <vector>

namespace tramino
{

namespace
{

constexpr size_t g_nOutputBuffer = 64 * 1024;

} // namespace

// libpng's structures, the file and the bytes not yet written to it. libpng reports failures by
// a long jump; everything it jumps over here is trivially destructible.
class CPngWriter::CState
{
public:
    CState(CReplacingFile file, std::string strPath, int nWidth)
        : m_file(std::move(file)), m_strPath(std::move(strPath)), m_nWidth(nWidth)
    {
        m_vecBuffer.reserve(g_nOutputBuffer);
    }
    ~CState() { png_destroy_write_struct(&m_pPng, &m_pInfo); }
    CState(const CState&) = delete;
    CState& operator=(const CState&) = delete;

    CStatus Start(int nHeight, int nZlibLevel)
    {
        m_pPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
        if (m_pPng != nullptr)
            m_pInfo = png_create_info_struct(m_pPng);
        if (m_pInfo == nullptr)
            return Failed("there is not enough memory");
        png_set_write_fn(m_pPng, this, OnWrite, OnFlush);
        return Guarded(
            [&]
            {
                png_set_compression_level(m_pPng, nZlibLevel);
                png_set_filter(m_pPng, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
                png_set_IHDR(m_pPng, m_pInfo, static_cast<png_uint_32>(m_nWidth),
                             static_cast<png_uint_32>(nHeight), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                             PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
                png_set_sRGB(m_pPng, m_pInfo, PNG_sRGB_INTENT_PERCEPTUAL);
                png_write_info(m_pPng, m_pInfo);
            });
    }

    CStatus Row(const uint8_t* pRgb)
    {
        // libpng takes a non-const row but only reads it.
        return Guarded([&] { png_write_row(m_pPng, const_cast<png_bytep>(pRgb)); });
    }

    CStatus End()
    {
        if (CStatus status = Guarded([&] { png_write_end(m_pPng, nullptr); }); !status)
            return status;
        if (CStatus status = Flush(); !status)
            return status;
        return m_file.Commit();
    }

private:
    // Runs libpng calls; a long jump out of them lands here and becomes the failure's status.
    template <class TFn> CStatus Guarded(TFn&& fn)
    {
        if (setjmp(png_jmpbuf(m_pPng)) != 0)
            return m_fileStatus ? Failed("the PNG encoder failed") : m_fileStatus;
        fn();
        return {};
    }

    CStatus Failed(const std::string& strReason) const
    {
        return CStatus::Error("Cannot write '" + m_strPath + "': " + strReason);
    }

    CStatus Flush()
    {
        if (m_vecBuffer.empty())
            return {};
        CStatus status = m_file.Write(m_vecBuffer.data(), m_vecBuffer.size());
        m_vecBuffer.clear();
        return status;
    }

    // False when the file failed; m_fileStatus then says why.
    bool Append(const uint8_t* pData, size_t nSize)
    {
        if (m_vecBuffer.size() + nSize > g_nOutputBuffer)
        {
            m_fileStatus = Flush();
            if (!m_fileStatus)
                return false;
        }
        if (nSize > g_nOutputBuffer)
        {
            m_fileStatus = m_file.Write(pData, nSize);
            return m_fileStatus.IsOk();
        }
        m_vecBuffer.insert(m_vecBuffer.end(), pData, pData + nSize);
        return true;
    }

    static void OnWrite(png_structp pPng, png_bytep pData, size_t nSize)
    {
        if (!static_cast<CState*>(png_get_io_ptr(pPng))->Append(pData, nSize))
            png_error(pPng, "write failed");
    }
    static void OnFlush(png_structp) {}
    // The encoder's own texts mean nothing to the people who see ours.
    static void OnError(png_structp pPng, png_const_charp) { png_longjmp(pPng, 1); }
    static void OnWarning(png_structp, png_const_charp) {}

    CReplacingFile m_file; // discarded unless committed
    std::string m_strPath;
    int m_nWidth;
    png_structp m_pPng = nullptr;
    png_infop m_pInfo = nullptr;
    std::vector<uint8_t> m_vecBuffer;
    CStatus m_fileStatus;
};

CPngWriter::CPngWriter(const CPngOptions& options) : m_options(options) {}

CPngWriter::~CPngWriter() = default;

CStatus CPngWriter::Begin(const std::string& strPath, int nWidth, int nHeight)
{
    m_pState.reset();
    const auto fits = [](int nSide) { return nSide >= 1 && nSide <= g_nMaxPngSide; };
    if (!fits(nWidth) || !fits(nHeight))
        return CStatus::Error("Cannot write '" + strPath + "': " + std::to_string(nWidth) + " x " +
                              std::to_string(nHeight) + " pixels is not a size this program writes (1 to " +
                              std::to_string(g_nMaxPngSide) + " a side)");
    CResult<CReplacingFile> file = CReplacingFile::Open(strPath, true, !m_options.m_bRefuseLinks);
    if (!file)
        return file.Status();
    m_pState = std::make_unique<CState>(std::move(file).Value(), strPath, nWidth);
    CStatus status = m_pState->Start(nHeight, m_options.m_nZlibLevel);
    if (!status)
        m_pState.reset();
    return status;
}

CStatus CPngWriter::WriteRow(const uint8_t* pRgb)
{
    if (!m_pState)
        return CStatus::Error("Cannot write a PNG row: no file is open");
    CStatus status = m_pState->Row(pRgb);
    if (!status)
        m_pState.reset();
    return status;
}

CStatus CPngWriter::Finish()
{
    if (!m_pState)
        return CStatus::Error("Cannot finish a PNG file: no file is open");
    CStatus status = m_pState->End();
    m_pState.reset();
    return status;
}

void CPngWriter::Abandon()
{
    m_pState.reset();
}

CStatus WritePngFile(const CPicture& picture, const std::string& strPath, const CPngOptions& options)
{
    CPngWriter writer(options);
    CStatus status = writer.Begin(strPath, picture.Width(), picture.Height());
    // Pictures of other depth classes are widened a row at a time.
    std::vector<uint8_t> vecRow(picture.BitsPerPixel() == 24 ? 0 : static_cast<size_t>(picture.Width()) * 3);
    for (int y = 0; status && y < picture.Height(); ++y)
    {
        const uint8_t* pRow = picture.Row(y);
        if (!vecRow.empty())
        {
            for (int x = 0; x < picture.Width(); ++x)
            {
                const CRgb cr = picture.GetPixel(x, y);
                uint8_t* pPixel = &vecRow[static_cast<size_t>(x) * 3];
                pPixel[0] = cr.m_nRed, pPixel[1] = cr.m_nGreen, pPixel[2] = cr.m_nBlue;
            }
            pRow = vecRow.data();
        }
        status = writer.WriteRow(pRow);
    }
    return status ? writer.Finish() : status;
}

} // namespace tramino
