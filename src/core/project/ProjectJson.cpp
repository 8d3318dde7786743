#include "project/ProjectJson.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace tramino
{

namespace
{

constexpr size_t g_nMaxQuotedBytes = 40;

// Walks the text for the parser and keeps count of the bytes it has taken, which is where a
// fault found by the handler below lies.
class CCountingIterator
{
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CCountingIterator(const char* pChar, size_t* pnTaken) : m_pChar(pChar), m_pnTaken(pnTaken) {}

    reference operator*() const { return *m_pChar; }
    CCountingIterator& operator++()
    {
        ++m_pChar;
        ++*m_pnTaken;
        return *this;
    }
    CCountingIterator operator++(int)
    {
        CCountingIterator before = *this;
        ++*this;
        return before;
    }
    friend bool operator==(const CCountingIterator& a, const CCountingIterator& b)
    {
        return a.m_pChar == b.m_pChar;
    }

private:
    const char* m_pChar;
    size_t* m_pnTaken;
};

std::string PlaceOf(std::string_view strText, size_t nOffset)
{
    nOffset = std::min(nOffset, strText.size());
    const std::string_view strBefore = strText.substr(0, nOffset);
    const size_t nLine = static_cast<size_t>(std::count(strBefore.begin(), strBefore.end(), '\n')) + 1;
    const size_t nLineStart = strBefore.rfind('\n');
    const size_t nColumn = nLineStart == std::string_view::npos ? nOffset : nOffset - nLineStart - 1;
    return "line " + std::to_string(nLine) + ", column " + std::to_string(nColumn);
}

// nlohmann's own text after its "[json.exception...] " tag, without the echo of the bytes read.
std::string SyntaxReason(std::string strReason)
{
    if (const size_t nStart = strReason.find("parse error"); nStart != std::string::npos)
        strReason.erase(0, nStart);
    const size_t nEcho = strReason.find("; last read:");
    if (nEcho != std::string::npos)
    {
        const size_t nNext = strReason.find("; ", nEcho + 2);
        strReason.erase(nEcho, nNext == std::string::npos ? std::string::npos : nNext - nEcho);
    }
    return strReason;
}

// Builds the document as nlohmann's own parser does, refusing on the way what no project holds.
class CProjectSax
{
public:
    CProjectSax(std::string_view strText, const size_t& nTaken, const std::atomic<bool>* pbStop)
        : m_strText(strText), m_nTaken(nTaken), m_pbStop(pbStop)
    {
    }

    bool null() { return Value(nullptr); }
    bool boolean(bool bValue) { return Value(bValue); }
    bool number_integer(CProjectJson::number_integer_t nValue) { return Value(nValue); }
    bool number_unsigned(CProjectJson::number_unsigned_t nValue) { return Value(nValue); }
    bool number_float(CProjectJson::number_float_t dValue, const std::string&) { return Value(dValue); }
    bool string(std::string& strValue) { return Value(std::move(strValue)); }
    bool binary(CProjectJson::binary_t& value) { return Value(std::move(value)); }
    bool start_object(size_t) { return Open(CProjectJson::object()); }
    bool start_array(size_t) { return Open(CProjectJson::array()); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }

    bool key(std::string& strKey)
    {
        CProjectJson& object = *m_vecOpen.back();
        if (object.contains(strKey))
            return Refuse("the key " + QuotedPiece(strKey) + " is given twice in one object");
        if (object.size() >= g_nMaxProjectJsonKeys)
            return Refuse("an object of more than " + std::to_string(g_nMaxProjectJsonKeys) +
                          " keys, far more than any object of a project");
        m_strKey = std::move(strKey);
        return true;
    }

    bool parse_error(size_t nPosition, const std::string& strToken, const nlohmann::detail::exception& error)
    {
        if (dynamic_cast<const nlohmann::detail::parse_error*>(&error) != nullptr)
            m_strFault = SyntaxReason(error.what());
        else // a number out of range, the only other fault the parser reports
            m_strFault = PlaceOf(m_strText, nPosition - std::min(nPosition, strToken.size())) +
                         ": the number " + QuotedPiece(strToken) + " is beyond any value a project holds";
        return false;
    }

    CProjectJson& Root() { return m_root; }
    const std::string& Fault() const { return m_strFault; }

private:
    template <class T> bool Value(T&& value)
    {
        if (Stopped())
            return false;
        Place(std::forward<T>(value));
        return true;
    }

    bool Stopped()
    {
        if (m_pbStop == nullptr || !m_pbStop->load(std::memory_order_relaxed))
            return false;
        m_strFault = "stopped";
        return true;
    }

    // Where the next value goes: the root, the end of the open list, or the open object's key.
    template <class T> CProjectJson* Place(T&& value)
    {
        if (m_vecOpen.empty())
        {
            m_root = CProjectJson(std::forward<T>(value));
            return &m_root;
        }
        CProjectJson& container = *m_vecOpen.back();
        if (container.is_array())
        {
            container.emplace_back(std::forward<T>(value));
            return &container.back();
        }
        return &(container[m_strKey] = CProjectJson(std::forward<T>(value)));
    }

    bool Open(CProjectJson value)
    {
        if (m_vecOpen.size() >= g_nMaxProjectJsonDepth)
            return Refuse("lists and objects nest more than " + std::to_string(g_nMaxProjectJsonDepth) +
                          " deep here, far deeper than a project goes");
        if (Stopped())
            return false;
        m_vecOpen.push_back(Place(std::move(value)));
        return true;
    }

    bool Close()
    {
        m_vecOpen.pop_back();
        return true;
    }

    bool Refuse(const std::string& strReason)
    {
        // The parser has just taken the token at fault: a bracket, or a key and its colon.
        m_strFault = PlaceOf(m_strText, m_nTaken) + ": " + strReason;
        return false;
    }

    std::string_view m_strText;
    const size_t& m_nTaken;
    const std::atomic<bool>* m_pbStop;
    CProjectJson m_root;
    std::vector<CProjectJson*> m_vecOpen; // the lists and objects not closed yet, outermost first
    std::string m_strKey;                 // the key of the open object's next value
    std::string m_strFault;
};

} // namespace

CResult<CProjectJson> ParseProjectJson(std::string_view strText, const std::atomic<bool>* pbStop)
{
    size_t nTaken = 0;
    CProjectSax sax(strText, nTaken, pbStop);
    const CCountingIterator itBegin(strText.data(), &nTaken);
    const CCountingIterator itEnd(strText.data() + strText.size(), &nTaken);
    if (!CProjectJson::sax_parse(itBegin, itEnd, &sax))
        return CStatus::Error(sax.Fault().empty() ? "the text is no JSON" : sax.Fault());
    return std::move(sax.Root());
}

std::string QuotedPiece(std::string_view str)
{
    if (str.size() <= g_nMaxQuotedBytes)
        return "'" + std::string(str) + "'";
    size_t nCut = g_nMaxQuotedBytes;
    // Not inside a UTF-8 character.
    while (nCut > 0 && (static_cast<unsigned char>(str[nCut]) & 0xC0) == 0x80)
        --nCut;
    return "'" + std::string(str.substr(0, nCut)) + "...' (" + std::to_string(str.size()) + " bytes)";
}

} // namespace tramino
