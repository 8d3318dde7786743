#include "show/ShowFileWriter.h"

#include "show/ShowFileFormat.h"
#include "show/Transition.h"

#include <algorithm>
#include <cstring>

namespace tramino
{

namespace
{
// A show of 1,000 panel pictures is 150 MB; written 64 KiB at a time it took 15% more CPU time.
constexpr size_t g_nBufferSize = 256 * 1024;
} // namespace

CShowFileWriter::CShowFileWriter() : CShowFileWriter(OpenReplacingFile) {}

CShowFileWriter::CShowFileWriter(ShowFileSinkOpener opener)
    : m_opener(std::move(opener)), m_vecBuffer(g_nBufferSize)
{
}

CShowFileWriter::~CShowFileWriter()
{
    Abandon();
}

CStatus CShowFileWriter::Create(const std::string& strPath)
{
    Abandon();
    m_strPath = strPath;
    m_status = {};
    m_nPixelsLeft = 0;
    m_bPictureHasRecords = false;
    CResult<std::unique_ptr<IShowFileSink>> sink = m_opener(strPath);
    if (!sink)
        return Fail(sink.Status());
    m_pSink = std::move(sink).Value();
    // The reserved bytes after the magic are zero.
    std::fill_n(m_vecBuffer.begin(), g_nShowHeaderSize, 0);
    std::memcpy(m_vecBuffer.data(), g_szShowMagic, g_nShowMagicSize);
    m_nBuffered = g_nShowHeaderSize;
    return {};
}

CStatus CShowFileWriter::WriteRecordHead(uint16_t nX0, uint16_t nX1, uint16_t nY0, uint16_t nY1,
                                         uint32_t nCount)
{
    if (CStatus status = CheckWritable(); !status)
        return status;
    if (m_nPixelsLeft > 0)
        return Fail("a record started before the previous one had all its pixels");
    // A reader tells markers from records by the leading value only.
    if (nX0 >= g_nMinMarker)
        return Fail("a record cannot start at column " + std::to_string(nX0));
    const CRecordWindow window{nX0, nX1, nY0, nY1};
    const bool bShapeOk = nX1 + 1 >= nX0 && nY1 + 1 >= nY0;
    if (!bShapeOk || window.Area() != static_cast<int64_t>(nCount))
        return Fail("record (" + std::to_string(nX0) + ", " + std::to_string(nX1) + ", " +
                    std::to_string(nY0) + ", " + std::to_string(nY1) + ") cannot hold " +
                    std::to_string(nCount) + " pixels");
    Put16(nX0);
    Put16(nX1);
    Put16(nY0);
    Put16(nY1);
    Put16(static_cast<uint16_t>(nCount >> 16));
    Put16(static_cast<uint16_t>(nCount));
    m_nPixelsLeft = nCount;
    m_bPictureHasRecords = true;
    return FlushBuffer();
}

CStatus CShowFileWriter::WritePixel(uint8_t nRed, uint8_t nGreen, uint8_t nBlue)
{
    if (m_nPixelsLeft == 0 || !m_status || !m_pSink)
    {
        if (CStatus status = CheckWritable(); !status)
            return status;
        return Fail("a pixel was written outside a record");
    }
    --m_nPixelsLeft;
    Put16(PackRgb565(nRed, nGreen, nBlue));
    return FlushBuffer();
}

CStatus CShowFileWriter::WritePixels(const uint8_t* pRgb, size_t nCount)
{
    if (nCount > m_nPixelsLeft || !m_status || !m_pSink)
    {
        if (CStatus status = CheckWritable(); !status)
            return status;
        return Fail("a pixel was written outside a record");
    }
    m_nPixelsLeft -= static_cast<uint32_t>(nCount);
    while (nCount > 0)
    {
        // Up to the room FlushBuffer keeps free, at least one pixel.
        const size_t nRoom = (m_vecBuffer.size() - g_nRecordHeadSize - m_nBuffered) / 2;
        const size_t nBatch = std::min(nCount, std::max<size_t>(nRoom, 1));
        PackRgb565Row(pRgb, nBatch, m_vecBuffer.data() + m_nBuffered);
        pRgb += 3 * nBatch;
        m_nBuffered += 2 * nBatch;
        nCount -= nBatch;
        if (CStatus status = FlushBuffer(); !status)
            return status;
    }
    return {};
}

CStatus CShowFileWriter::EndPicture()
{
    if (CStatus status = CheckWritable(); !status)
        return status;
    if (m_nPixelsLeft > 0 || !m_bPictureHasRecords)
        return Fail(m_nPixelsLeft > 0 ? "a picture ended inside a record"
                                      : "a picture ended without records");
    Put16(g_nPictureEndMarker);
    m_bPictureHasRecords = false;
    return FlushBuffer();
}

CStatus CShowFileWriter::Finish()
{
    if (CStatus status = CheckWritable(); !status)
        return status;
    if (m_nPixelsLeft > 0 || m_bPictureHasRecords)
        return Fail("the file was finished inside a picture");
    Put16(g_nFileEndMarker);
    if (CStatus status = m_pSink->Write(m_vecBuffer.data(), m_nBuffered); !status)
        return Fail(std::move(status));
    m_nBuffered = 0;
    if (CStatus status = m_pSink->Commit(); !status)
        return Fail(std::move(status));
    m_pSink.reset();
    return {};
}

void CShowFileWriter::Abandon()
{
    if (m_pSink)
        m_pSink->Discard();
    m_pSink.reset();
    m_nBuffered = 0;
}

CStatus CShowFileWriter::Fail(const std::string& strReason)
{
    return Fail(CStatus::Error("Cannot write '" + m_strPath + "': " + strReason));
}

CStatus CShowFileWriter::Fail(CStatus status)
{
    Abandon();
    m_status = std::move(status);
    return m_status;
}

CStatus CShowFileWriter::CheckWritable()
{
    if (!m_status)
        return m_status;
    if (!m_pSink)
        return CStatus::Error("Cannot write '" + m_strPath + "': the file is not open");
    return {};
}

void CShowFileWriter::Put16(uint16_t nValue)
{
    m_vecBuffer[m_nBuffered++] = static_cast<uint8_t>(nValue >> 8);
    m_vecBuffer[m_nBuffered++] = static_cast<uint8_t>(nValue);
}

CStatus CShowFileWriter::FlushBuffer()
{
    // Room is always left for one record head or marker.
    if (m_nBuffered + g_nRecordHeadSize <= m_vecBuffer.size())
        return {};
    if (CStatus status = m_pSink->Write(m_vecBuffer.data(), m_nBuffered); !status)
        return Fail(std::move(status));
    m_nBuffered = 0;
    return {};
}

} // namespace tramino
