#include "show/ShowFileReader.h"

#include "common/InputFile.h"
#include "platform/Platform.h"
#include "settings/PanelSize.h"
#include "show/Rgb565.h"
#include "show/ShowFileFormat.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace tramino
{

// The bytes of a show file, read front to back; the size is known before reading starts.
class CShowFileReader::IInput
{
public:
    virtual ~IInput() = default;
    virtual uint64_t Size() const = 0;
    // Exactly nSize bytes, or an error.
    virtual CStatus Read(uint8_t* pData, size_t nSize) = 0;
    // Reading goes on at nOffset (at most Size()).
    virtual CStatus Seek(uint64_t nOffset) = 0;
};

namespace
{

constexpr size_t g_nPixelChunk = 16 * 1024;
constexpr int64_t g_nMaxPanelPixels = 4096 * 4096;

class CSpanInput final : public CShowFileReader::IInput
{
public:
    explicit CSpanInput(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    uint64_t Size() const override { return m_bytes.size(); }
    CStatus Read(uint8_t* pData, size_t nSize) override
    {
        if (nSize > 0) // an empty span may have no data pointer at all
            std::memcpy(pData, m_bytes.data() + m_nPos, nSize);
        m_nPos += nSize;
        return {};
    }
    CStatus Seek(uint64_t nOffset) override
    {
        m_nPos = static_cast<size_t>(nOffset);
        return {};
    }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_nPos = 0;
};

class CFileInput final : public CShowFileReader::IInput
{
public:
    ~CFileInput() override
    {
        if (m_hFile >= 0)
            platform::CloseFile(m_hFile);
    }

    CStatus Open(const std::string& strPath)
    {
        m_strPath = strPath;
        CResult<CInputFile> file = OpenRegularFile(strPath);
        if (!file)
            return file.Status();
        m_hFile = file.Value().m_hFile;
        m_nSize = file.Value().m_nSize;
        return {};
    }

    uint64_t Size() const override { return m_nSize; }

    CStatus Read(uint8_t* pData, size_t nSize) override
    {
        while (nSize > 0)
        {
            if (m_nBufferPos == m_nBufferEnd)
            {
                if (CStatus status = Refill(); !status)
                    return status;
            }
            const size_t nTake = std::min(nSize, m_nBufferEnd - m_nBufferPos);
            std::memcpy(pData, m_arrBuffer.data() + m_nBufferPos, nTake);
            m_nBufferPos += nTake;
            pData += nTake;
            nSize -= nTake;
        }
        return {};
    }

    CStatus Seek(uint64_t nOffset) override
    {
        m_nOffset = nOffset;
        m_nBufferPos = m_nBufferEnd = 0;
        return {};
    }

private:
    CStatus Refill()
    {
        const int64_t nDone = platform::ReadAt(m_hFile, m_arrBuffer.data(), m_arrBuffer.size(), m_nOffset);
        if (nDone < 0)
            return ErrnoStatus("read", m_strPath, static_cast<int>(-nDone));
        if (nDone == 0)
            return CStatus::Error("Cannot read '" + m_strPath +
                                  "': the file became shorter while it was read");
        m_nOffset += static_cast<uint64_t>(nDone);
        m_nBufferPos = 0;
        m_nBufferEnd = static_cast<size_t>(nDone);
        return {};
    }

    std::string m_strPath;
    int m_hFile = -1;
    uint64_t m_nSize = 0;
    uint64_t m_nOffset = 0; // where the next refill reads
    std::array<uint8_t, 64 * 1024> m_arrBuffer{};
    size_t m_nBufferPos = 0;
    size_t m_nBufferEnd = 0;
};

uint16_t Be16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
uint32_t Be32(const uint8_t* p)
{
    return static_cast<uint32_t>(Be16(p)) << 16 | Be16(p + 2);
}

std::string WindowText(const CRecordWindow& window)
{
    return '(' + std::to_string(window.m_nX0) + ", " + std::to_string(window.m_nX1) + ", " +
           std::to_string(window.m_nY0) + ", " + std::to_string(window.m_nY1) + ")";
}

// One pass over the file. Stops at the first violation; I/O errors end it too.
class CParser
{
public:
    CParser(CShowFileReader::IInput& input, int nWidth, int nHeight, bool bRebuild,
            CShowFileReader::PictureHandler handler)
        : m_input(input), m_nWidth(nWidth), m_nHeight(nHeight), m_bRebuild(bRebuild),
          m_handler(std::move(handler)),
          m_vecWritten(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight))
    {
        StartPicture();
    }

    // Ok unless reading failed; a violation, if any, is in Violation(). A start nStart past the
    // header is where a picture starts.
    CStatus Run(uint64_t nStart)
    {
        if (nStart == 0 && !ReadHeader())
            return m_ioStatus;
        if (nStart > 0)
        {
            if (m_ioStatus = m_input.Seek(nStart); !m_ioStatus)
                return m_ioStatus;
            m_nOffset = nStart;
        }
        while (ReadItem())
        {
        }
        return m_ioStatus;
    }

    const std::optional<CShowFileViolation>& Violation() const { return m_optViolation; }
    uint64_t Offset() const { return m_nOffset; }

private:
    uint64_t Remaining() const { return m_input.Size() - m_nOffset; }

    bool Take(uint8_t* pData, size_t nSize)
    {
        m_ioStatus = m_input.Read(pData, nSize);
        m_nOffset += nSize;
        return m_ioStatus.IsOk();
    }

    bool Violate(uint64_t nOffset, std::string strProblem)
    {
        m_optViolation = CShowFileViolation{nOffset, std::move(strProblem)};
        return false;
    }

    bool ReadHeader()
    {
        std::array<uint8_t, g_nShowHeaderSize> arrHeader{};
        const size_t nHave = static_cast<size_t>(std::min<uint64_t>(Remaining(), g_nShowHeaderSize));
        if (!Take(arrHeader.data(), nHave))
            return false;
        for (size_t i = 0; i < nHave; ++i)
        {
            if (i < g_nShowMagicSize && arrHeader[i] != static_cast<uint8_t>(g_szShowMagic[i]))
                return Violate(i, "the file does not start with \"NUVQRV\"");
            if (i >= g_nShowMagicSize && arrHeader[i] != 0)
                return Violate(i, "reserved header byte is not zero");
        }
        if (nHave < g_nShowHeaderSize)
            return Violate(0, "the file ends inside the " + std::to_string(g_nShowHeaderSize) +
                                  "-byte header (" + std::to_string(nHave) + " bytes)");
        return true;
    }

    // A record, a marker or the end; false when reading stops.
    bool ReadItem()
    {
        const uint64_t nAt = m_nOffset;
        if (Remaining() < 2)
            return Violate(nAt, Remaining() == 0 ? "the file ends without the end marker FF F8"
                                                 : "the file ends inside a record head");
        std::array<uint8_t, g_nRecordHeadSize> arrHead{};
        if (!Take(arrHead.data(), 2))
            return false;
        const uint16_t nLead = Be16(arrHead.data());
        if (nLead == g_nPictureEndMarker)
            return EndPicture(nAt);
        if (nLead == g_nFileEndMarker)
            return EndFile(nAt);
        if (Remaining() < g_nRecordHeadSize - 2)
            return Violate(nAt, "the file ends inside a record head (" + std::to_string(Remaining() + 2) +
                                    " of " + std::to_string(g_nRecordHeadSize) + " bytes)");
        if (!Take(arrHead.data() + 2, g_nRecordHeadSize - 2))
            return false;
        return ReadRecord(nAt, arrHead.data());
    }

    bool ReadRecord(uint64_t nAt, const uint8_t* pHead)
    {
        const CRecordWindow window{Be16(pHead), Be16(pHead + 2), Be16(pHead + 4), Be16(pHead + 6)};
        const uint32_t nCount = Be32(pHead + 8);
        if (!CheckWindow(nAt, window))
            return false;
        if (window.Area() != static_cast<int64_t>(nCount))
            return Violate(nAt + 8, "n = " + std::to_string(nCount) + " but window " + WindowText(window) +
                                        " has " + std::to_string(window.Area()) + " pixels");
        if (2 * static_cast<uint64_t>(nCount) > Remaining())
            return Violate(nAt + g_nRecordHeadSize,
                           "the file ends inside the pixels of a record (" + std::to_string(Remaining()) +
                               " of " + std::to_string(2 * static_cast<uint64_t>(nCount)) + " bytes)");
        if (!ReadPixels(window))
            return false;
        Recognise(nAt, window);
        return true;
    }

    bool CheckWindow(uint64_t nAt, const CRecordWindow& window)
    {
        const auto Columns = [&] { return " (columns 0 to " + std::to_string(m_nWidth - 1) + ")"; };
        const auto Rows = [&] { return " (rows 0 to " + std::to_string(m_nHeight - 1) + ")"; };
        if (window.m_nX0 >= m_nWidth)
            return Violate(nAt,
                           "x0 = " + std::to_string(window.m_nX0) + " lies outside the panel" + Columns());
        if (window.m_nX1 >= m_nWidth || window.m_nX1 < window.m_nX0 - 1)
            return Violate(nAt + 2, "x1 = " + std::to_string(window.m_nX1) +
                                        " does not fit x0 = " + std::to_string(window.m_nX0) + Columns());
        if (window.m_nY0 >= m_nHeight)
            return Violate(nAt + 4,
                           "y0 = " + std::to_string(window.m_nY0) + " lies outside the panel" + Rows());
        if (window.m_nY1 >= m_nHeight || window.m_nY1 < window.m_nY0)
            return Violate(nAt + 6, "y1 = " + std::to_string(window.m_nY1) +
                                        " does not fit y0 = " + std::to_string(window.m_nY0) + Rows());
        return true;
    }

    bool ReadPixels(const CRecordWindow& window)
    {
        int x = window.m_nX0;
        int y = window.m_nY0;
        for (int64_t nLeft = window.Area(); nLeft > 0;)
        {
            const size_t nChunk = static_cast<size_t>(std::min<int64_t>(nLeft, g_nPixelChunk));
            const uint64_t nChunkAt = m_nOffset;
            if (!Take(m_arrPixels.data(), 2 * nChunk))
                return false;
            // The chunk is taken a run along one row of the window at a time.
            for (size_t i = 0; i < nChunk;)
            {
                const size_t nRun = std::min(nChunk - i, static_cast<size_t>(window.m_nX1 - x + 1));
                if (!MarkWritten(nChunkAt + 2 * i, x, y, nRun))
                    return false;
                if (m_bRebuild)
                    Expand(m_arrPixels.data() + 2 * i, m_picture.Row(y) + static_cast<size_t>(x) * 3, nRun);
                i += nRun;
                x += static_cast<int>(nRun);
                if (x > window.m_nX1)
                    x = window.m_nX0, ++y;
            }
            nLeft -= static_cast<int64_t>(nChunk);
            m_nCovered += nChunk;
        }
        return true;
    }

    // Marks nRun pixels from (x, y) along the row as written, unless one of them already was.
    bool MarkWritten(uint64_t nAt, int x, int y, size_t nRun)
    {
        uint8_t* pWritten = m_vecWritten.data() + static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) +
                            static_cast<size_t>(x);
        const uint8_t* pAgain = std::find(pWritten, pWritten + nRun, uint8_t{1});
        if (pAgain != pWritten + nRun)
        {
            const auto nBefore = static_cast<int>(pAgain - pWritten);
            return Violate(nAt + 2 * static_cast<uint64_t>(nBefore),
                           "pixel (" + std::to_string(x + nBefore) + ", " + std::to_string(y) +
                               ") is written a second time in this picture");
        }
        std::fill(pWritten, pWritten + nRun, uint8_t{1});
        return true;
    }

    // nCount big-endian RGB565 values to red, green, blue triples.
    static void Expand(const uint8_t* pSource, uint8_t* pTarget, size_t nCount)
    {
        for (size_t i = 0; i < nCount; ++i, pSource += 2, pTarget += 3)
        {
            const CRgb cr = ExpandRgb565(Be16(pSource));
            pTarget[0] = cr.m_nRed, pTarget[1] = cr.m_nGreen, pTarget[2] = cr.m_nBlue;
        }
    }

    // Keeps the transitions whose windows agree with every record of the picture so far.
    void Recognise(uint64_t nAt, const CRecordWindow& window)
    {
        const int nIndex = m_nRecords++;
        if (nIndex == 0)
            m_nPictureOffset = nAt;
        bool bAnyAlive = false;
        for (size_t e = 0; e < g_arrEffects.size(); ++e)
        {
            const EEffect effect = g_arrEffects[e];
            m_arrAlive[e] = m_arrAlive[e] && nIndex < EffectRecordCount(effect, m_nWidth, m_nHeight) &&
                            EffectRecord(effect, m_nWidth, m_nHeight, nIndex) == window;
            bAnyAlive = bAnyAlive || m_arrAlive[e];
        }
        if (!bAnyAlive && !m_optDeviation)
            m_optDeviation = nAt;
    }

    bool EndPicture(uint64_t nAt)
    {
        const size_t nPanelPixels = m_vecWritten.size();
        if (m_nRecords == 0)
            return Violate(nAt, "picture end marker FF FF with no record before it");
        if (m_nCovered < nPanelPixels)
            return Violate(nAt, "the picture ends with " + std::to_string(m_nCovered) + " of its " +
                                    std::to_string(nPanelPixels) + " pixels written");
        CShowFilePicture picture;
        picture.m_nOffset = m_nPictureOffset;
        picture.m_nRecords = m_nRecords;
        for (size_t e = 0; e < g_arrEffects.size() && !picture.m_optEffect; ++e)
            if (m_arrAlive[e] && m_nRecords == EffectRecordCount(g_arrEffects[e], m_nWidth, m_nHeight))
                picture.m_optEffect = g_arrEffects[e];
        picture.m_nDeviationOffset = picture.m_optEffect ? 0 : m_optDeviation.value_or(nAt);
        picture.m_picture = std::move(m_picture);
        m_ioStatus = m_handler(picture);
        StartPicture();
        return m_ioStatus.IsOk();
    }

    bool EndFile(uint64_t nAt)
    {
        if (m_nRecords > 0)
            return Violate(nAt, "the end marker FF F8 comes inside a picture (FF FF is missing)");
        if (Remaining() > 0)
            Violate(m_nOffset, std::to_string(Remaining()) + " bytes follow the end marker FF F8");
        return false;
    }

    void StartPicture()
    {
        std::fill(m_vecWritten.begin(), m_vecWritten.end(), 0);
        m_nCovered = 0;
        m_nRecords = 0;
        m_arrAlive.fill(true);
        m_optDeviation.reset();
        m_picture = m_bRebuild ? CPicture(m_nWidth, m_nHeight, 24) : CPicture();
    }

    CShowFileReader::IInput& m_input;
    int m_nWidth;
    int m_nHeight;
    bool m_bRebuild;
    CShowFileReader::PictureHandler m_handler;
    uint64_t m_nOffset = 0;
    CStatus m_ioStatus;
    std::optional<CShowFileViolation> m_optViolation;

    std::array<uint8_t, 2 * g_nPixelChunk> m_arrPixels{};
    std::vector<uint8_t> m_vecWritten;
    size_t m_nCovered = 0;
    int m_nRecords = 0;
    uint64_t m_nPictureOffset = 0;
    std::array<bool, g_arrEffects.size()> m_arrAlive{};
    std::optional<uint64_t> m_optDeviation;
    CPicture m_picture;
};

} // namespace

CShowFileReader::CShowFileReader(int nWidth, int nHeight, bool bRebuildPictures)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_bRebuildPictures(bRebuildPictures)
{
}

CShowFileReader::PictureHandler CShowFileReader::Keeper()
{
    return [this](CShowFilePicture& picture)
    {
        m_vecPictures.push_back(std::move(picture));
        return CStatus();
    };
}

void CShowFileReader::Reset()
{
    m_vecPictures.clear();
    m_optViolation.reset();
    m_optUnrecognised.reset();
    m_nPictureCount = 0;
    m_nBytesRead = 0;
}

CStatus CShowFileReader::ReadFile(const std::string& strPath)
{
    return ReadFile(strPath, Keeper());
}

CStatus CShowFileReader::ReadFile(const std::string& strPath, const PictureHandler& handler,
                                  const CShowReadStart& start)
{
    CFileInput input;
    if (CStatus status = input.Open(strPath); !status)
    {
        Reset();
        return status;
    }
    return Read(input, strPath, handler, start);
}

CStatus CShowFileReader::Parse(std::span<const uint8_t> bytes, const std::string& strName)
{
    CSpanInput input(bytes);
    return Read(input, strName, Keeper());
}

CStatus CShowFileReader::Take(CShowFilePicture& picture, const PictureHandler& handler)
{
    ++m_nPictureCount;
    if (!picture.m_optEffect && !m_optUnrecognised)
        m_optUnrecognised = CShowFileViolation{picture.m_nDeviationOffset,
                                               "the records of picture " + std::to_string(m_nPictureCount) +
                                                   " follow none of the four transitions"};
    return handler(picture);
}

CStatus CShowFileReader::Read(IInput& input, const std::string& strName, const PictureHandler& handler,
                              const CShowReadStart& start)
{
    Reset();
    const std::string strPanel = PanelSizeText({m_nWidth, m_nHeight}, ESizeText::Spaced);
    // Checking a picture takes memory for each panel pixel; far beyond any real panel that is refused.
    if (m_nWidth <= 0 || m_nHeight <= 0 || m_nWidth >= g_nMinMarker || m_nHeight > 0xFFFF ||
        static_cast<int64_t>(m_nWidth) * m_nHeight > g_nMaxPanelPixels)
        return CStatus::Error("Cannot read '" + strName + "': " + strPanel +
                              " is not a panel size this program reads");
    if (start.m_nOffset > input.Size() || (start.m_nOffset > 0 && start.m_nOffset < g_nShowHeaderSize))
        return CStatus::Error("Cannot read '" + strName + "' from byte " + std::to_string(start.m_nOffset) +
                              ": no picture starts there");
    m_nPictureCount = start.m_nPicture;
    CParser parser(input, m_nWidth, m_nHeight, m_bRebuildPictures,
                   [&](CShowFilePicture& picture) { return Take(picture, handler); });
    CStatus status = parser.Run(start.m_nOffset);
    m_nBytesRead = parser.Offset();
    if (!status)
        return status;
    m_optViolation = parser.Violation();
    if (m_optViolation)
    {
        const std::string strByte = std::to_string(m_optViolation->m_nOffset);
        return CStatus::Error(
            "'" + strName + "' is not a valid show file for a " + strPanel + " panel: at byte " + strByte +
                ": " + m_optViolation->m_strProblem,
            {EReason::NotAShow, strName, {strPanel, strByte, m_optViolation->m_strProblem}});
    }
    return {};
}

std::optional<CShowFileViolation> CShowFileReader::FirstProblem() const
{
    return m_optUnrecognised ? m_optUnrecognised : m_optViolation;
}

namespace
{

// The largest panel a show is read back for.
constexpr int g_nMaxDetectedSide = 4096;

// The rectangle the windows of the first picture cover, read from their heads alone: the panel a
// show of a size outside the table was written for. None when the heads make no sense.
std::optional<CPanelSize> FirstPictureExtent(const std::string& strPath)
{
    CFileInput input;
    if (!input.Open(strPath) || input.Size() < g_nShowHeaderSize || !input.Seek(g_nShowHeaderSize))
        return std::nullopt;
    uint64_t nOffset = g_nShowHeaderSize;
    CPanelSize extent{0, 0};
    std::array<uint8_t, g_nRecordHeadSize> arrHead{};
    while (nOffset + 2 <= input.Size() && input.Read(arrHead.data(), 2) &&
           Be16(arrHead.data()) < g_nMinMarker)
    {
        if (nOffset + g_nRecordHeadSize > input.Size() ||
            !input.Read(arrHead.data() + 2, g_nRecordHeadSize - 2))
            return std::nullopt;
        const uint32_t nValues = Be32(arrHead.data() + 8);
        nOffset += g_nRecordHeadSize + 2 * uint64_t{nValues};
        if (nOffset > input.Size() || !input.Seek(nOffset))
            return std::nullopt;
        if (nValues > 0)
        {
            extent.m_nWidth = std::max(extent.m_nWidth, Be16(arrHead.data() + 2) + 1);
            extent.m_nHeight = std::max(extent.m_nHeight, Be16(arrHead.data() + 6) + 1);
        }
    }
    if (extent.m_nWidth <= 0 || extent.m_nHeight <= 0 || extent.m_nWidth > g_nMaxDetectedSide ||
        extent.m_nHeight > g_nMaxDetectedSide)
        return std::nullopt;
    return extent;
}

struct CDetection
{
    std::optional<CPanelSize> m_optFit;
    CPanelSize m_closest = g_arrPanelSizes[0];
    uint64_t m_nClosestOffset = 0;
};

// Reads the file strictly for the size and notes whether it fits, or how far it got. An error only
// when the file cannot be read.
CStatus TryPanel(const std::string& strPath, CPanelSize size, CDetection& detection)
{
    CShowFileReader reader(size.m_nWidth, size.m_nHeight, false);
    CStatus status = reader.ReadFile(strPath, [](CShowFilePicture&) { return CStatus(); });
    if (!status && !reader.Violation())
        return status;
    const std::optional<CShowFileViolation> optProblem = reader.FirstProblem();
    if (!optProblem)
        detection.m_optFit = size;
    else if (optProblem->m_nOffset > detection.m_nClosestOffset)
        detection.m_nClosestOffset = optProblem->m_nOffset, detection.m_closest = size;
    return {};
}

} // namespace

CResult<CPanelSize> DetectShowFilePanel(const std::string& strPath)
{
    CDetection detection;
    for (const CPanelSize& size : g_arrPanelSizes)
    {
        if (CStatus status = TryPanel(strPath, size, detection); !status)
            return status;
        if (detection.m_optFit)
            return *detection.m_optFit;
    }
    // A size of its own (build --size) is the one its first picture covers, if the file fits it.
    const std::optional<CPanelSize> optExtent = FirstPictureExtent(strPath);
    if (optExtent &&
        std::find(g_arrPanelSizes.begin(), g_arrPanelSizes.end(), *optExtent) == g_arrPanelSizes.end())
    {
        if (CStatus status = TryPanel(strPath, *optExtent, detection); !status)
            return status;
        if (detection.m_optFit)
            return *detection.m_optFit;
    }
    return detection.m_closest;
}

} // namespace tramino
