#pragma once

#include "common/Status.h"
#include "picture/Picture.h"
#include "show/Rgb565.h"
#include "show/ShowFileSink.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tramino
{

// Writes a show file: the header, then per picture its window records and FF FF, then FF F8.
//
// Calls go Create, then per record WriteRecordHead and exactly n WritePixel, EndPicture after each
// picture, and Finish. Output is buffered. The file appears under its name only when Finish
// succeeds; until then an existing file of that name is untouched. The first failure (system
// error or a call out of order) is returned by that call and by every later one, the partial
// file is removed at once, and nothing afterwards reports success.
class CShowFileWriter
{
public:
    // Writes real files.
    CShowFileWriter();
    // Writes through sinks the opener makes (tests use it to make the file system fail).
    explicit CShowFileWriter(ShowFileSinkOpener opener);
    // Abandons an unfinished file.
    ~CShowFileWriter();
    CShowFileWriter(const CShowFileWriter&) = delete;
    CShowFileWriter& operator=(const CShowFileWriter&) = delete;

    // Starts a new file for strPath (abandoning any unfinished one) and writes the header.
    CStatus Create(const std::string& strPath);
    CStatus WriteRecordHead(uint16_t nX0, uint16_t nX1, uint16_t nY0, uint16_t nY1, uint32_t nCount);
    CStatus WritePixel(uint8_t nRed, uint8_t nGreen, uint8_t nBlue);
    CStatus WritePixel(CRgb cr) { return WritePixel(cr.m_nRed, cr.m_nGreen, cr.m_nBlue); }
    // nCount pixels packed red, green, blue: the same bytes as as many WritePixel calls.
    CStatus WritePixels(const uint8_t* pRgb, size_t nCount);
    CStatus EndPicture();
    // Writes FF F8 and puts the file under its name.
    CStatus Finish();
    // Drops the unfinished file; the target stays as it was.
    void Abandon();

    // The first failure since Create, or ok.
    const CStatus& Status() const { return m_status; }
    const std::string& Path() const { return m_strPath; }
    bool IsOpen() const { return m_pSink != nullptr; }

private:
    CStatus Fail(const std::string& strReason);
    CStatus Fail(CStatus status);
    // Ok when a file is open and nothing failed; otherwise the reason.
    CStatus CheckWritable();
    void Put16(uint16_t nValue);
    CStatus FlushBuffer();

    ShowFileSinkOpener m_opener;
    std::unique_ptr<IShowFileSink> m_pSink;
    std::string m_strPath;
    CStatus m_status;
    std::vector<uint8_t> m_vecBuffer;
    size_t m_nBuffered = 0;
    uint32_t m_nPixelsLeft = 0;
    bool m_bPictureHasRecords = false;
};

} // namespace tramino
