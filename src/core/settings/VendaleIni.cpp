#include "settings/VendaleIni.h"

#include "common/InputFile.h"
#include "platform/Platform.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

namespace tramino
{
namespace
{

// The original read lines with fgets into a 259-byte buffer: 258 bytes and a terminator.
constexpr size_t kChunkBytes = 258;
constexpr std::string_view kDelimiters = " =";

// Bytes of a stream through a block buffer: a byte-wise stream read would cost seconds on a
// (hostile) file of a gigabyte. The stream's read() turns a failed read into an end of input,
// where its buffer's functions would throw. Input ends after nMaxBytes.
class CByteReader
{
public:
    CByteReader(std::istream& input, size_t nMaxBytes) : m_input(input), m_nLeft(nMaxBytes) {}

    // The next byte, or -1 at the end.
    int Peek()
    {
        if (m_nPos == m_nEnd && !Fill())
            return -1;
        return static_cast<unsigned char>(m_arrBuffer[m_nPos]);
    }
    int Get()
    {
        const int nByte = Peek();
        m_nPos += nByte >= 0 ? 1 : 0;
        return nByte;
    }

private:
    bool Fill()
    {
        m_nPos = 0;
        m_nEnd = 0;
        const size_t nWant = std::min(m_arrBuffer.size(), m_nLeft);
        if (nWant > 0 &&
            (m_input.read(m_arrBuffer.data(), static_cast<std::streamsize>(nWant)) || m_input.gcount() > 0))
            m_nEnd = static_cast<size_t>(m_input.gcount());
        m_nLeft -= m_nEnd;
        return m_nEnd > 0;
    }

    std::istream& m_input;
    size_t m_nLeft;
    std::array<char, 16384> m_arrBuffer{};
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
};

// The next chunk as fgets would deliver it: up to and including a line feed, at most
// kChunkBytes bytes. False at the end of the input.
bool ReadChunk(CByteReader& reader, std::string& strChunk)
{
    strChunk.clear();
    while (strChunk.size() < kChunkBytes)
    {
        int nByte = reader.Get();
        if (nByte < 0)
            break;
        if (nByte == '\r' && reader.Peek() == '\n')
            nByte = reader.Get();
        strChunk.push_back(static_cast<char>(nByte));
        if (nByte == '\n')
            break;
    }
    return !strChunk.empty();
}

struct CSplit
{
    std::string_view m_strRemaining;          // what later tests of the line still see
    std::optional<std::string_view> m_second; // the second token, if there is one
};

// strtok(line, " =") then strtok(NULL, " ="): the first call ends the line's visible text
// after the first token.
CSplit SplitLikeStrtok(std::string_view strLine)
{
    const size_t nFirst = strLine.find_first_not_of(kDelimiters);
    const size_t nFirstEnd =
        nFirst == std::string_view::npos ? nFirst : strLine.find_first_of(kDelimiters, nFirst);
    if (nFirstEnd == std::string_view::npos)
        return {strLine, std::nullopt};
    const size_t nSecond = strLine.find_first_not_of(kDelimiters, nFirstEnd + 1);
    if (nSecond == std::string_view::npos)
        return {strLine.substr(0, nFirstEnd), std::nullopt};
    const size_t nSecondEnd = strLine.find_first_of(kDelimiters, nSecond);
    return {strLine.substr(0, nFirstEnd), strLine.substr(nSecond, nSecondEnd - nSecond)};
}

// One substring test. A key without a second token leaves the code as it was.
bool TestKey(std::string_view& strLine, std::string_view strKey, int* pnCode)
{
    if (strLine.find(strKey) == std::string_view::npos)
        return false;
    const CSplit split = SplitLikeStrtok(strLine);
    strLine = split.m_strRemaining;
    if (split.m_second && pnCode != nullptr)
        *pnCode = AtoiClamped(*split.m_second);
    return true;
}

// Examines one chunk; false when it holds "PanelType" and the reading ends.
bool ExamineChunk(const std::string& strChunk, CVendaleSettings& settings)
{
    // The C string functions saw the chunk only up to its first NUL byte.
    std::string_view strLine(strChunk.c_str());
    if (!strLine.empty() && strLine.front() == '\n')
        return true;
    if (!strLine.empty() && strLine.back() == '\n')
        strLine.remove_suffix(1);
    TestKey(strLine, "LanguageSelection", &settings.m_nLanguageCode);
    TestKey(strLine, "PanelSize", &settings.m_nPanelSizeCode);
    return !TestKey(strLine, "PanelType", nullptr);
}

bool IsCSpace(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

} // namespace

int AtoiClamped(std::string_view str)
{
    size_t nPos = 0;
    while (nPos < str.size() && IsCSpace(str[nPos]))
        ++nPos;
    bool bNegative = false;
    if (nPos < str.size() && (str[nPos] == '+' || str[nPos] == '-'))
        bNegative = str[nPos++] == '-';
    // Saturates one past INT_MAX so that -2147483648 still fits.
    constexpr int64_t kLimit = static_cast<int64_t>(INT_MAX) + 1;
    int64_t nValue = 0;
    for (; nPos < str.size() && str[nPos] >= '0' && str[nPos] <= '9'; ++nPos)
    {
        nValue = nValue * 10 + (str[nPos] - '0');
        if (nValue > kLimit)
            nValue = kLimit;
    }
    if (bNegative)
        return static_cast<int>(-nValue);
    return nValue > INT_MAX ? INT_MAX : static_cast<int>(nValue);
}

CVendaleSettings ParseVendaleIni(std::istream& input)
{
    CVendaleSettings settings;
    CByteReader reader(input, kMaxVendaleIniBytes);
    std::string strChunk;
    while (ReadChunk(reader, strChunk))
    {
        if (!ExamineChunk(strChunk, settings))
            break;
    }
    return settings;
}

CResult<CVendaleSettings> TryReadVendaleIni(const std::filesystem::path& path)
{
    const std::string strPath = platform::Utf8FromPath(path);
    const CResult<CInputFile> file = OpenRegularFile(strPath);
    if (!file)
        return file.Status();
    // The file's beginning is all that is ever read, so it is read at once.
    std::string strBytes(std::min<uint64_t>(file.Value().m_nSize, kMaxVendaleIniBytes), '\0');
    size_t nRead = 0;
    CStatus status;
    while (status && nRead < strBytes.size())
    {
        const int64_t n =
            platform::ReadAt(file.Value().m_hFile, strBytes.data() + nRead, strBytes.size() - nRead, nRead);
        if (n < 0)
            status = ErrnoStatus("read", strPath, static_cast<int>(-n));
        else if (n == 0)
            break; // the file shrank
        else
            nRead += static_cast<size_t>(n);
    }
    platform::CloseFile(file.Value().m_hFile);
    if (!status)
        return status;
    strBytes.resize(nRead);
    std::istringstream input(strBytes);
    return ParseVendaleIni(input);
}

std::string VendaleIniProblem(const CStatus& status)
{
    return status.Message() + "; its settings are taken as absent";
}

CVendaleSettings ReadVendaleIni(const std::filesystem::path& path)
{
    CResult<CVendaleSettings> settings = TryReadVendaleIni(path);
    return settings ? settings.Value() : CVendaleSettings{};
}

std::string_view LanguageSection(int nLanguageCode)
{
    switch (nLanguageCode)
    {
    case 1:
        return "English";
    case 2:
        return "TraditionalChinese";
    default:
        return "SimplifiedChinese";
    }
}

} // namespace tramino
