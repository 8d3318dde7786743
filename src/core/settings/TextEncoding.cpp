#include "settings/TextEncoding.h"

#include <cstdint>

namespace tramino
{
namespace
{

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t ch)
{
    return ch >= 0xD800 && ch <= 0xDBFF;
}

bool IsLowSurrogate(char32_t ch)
{
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

void AppendUtf16(std::u16string& strOut, char32_t ch)
{
    if (ch < 0x10000)
    {
        strOut.push_back(static_cast<char16_t>(ch));
        return;
    }
    ch -= 0x10000;
    strOut.push_back(static_cast<char16_t>(0xD800 + (ch >> 10)));
    strOut.push_back(static_cast<char16_t>(0xDC00 + (ch & 0x3FF)));
}

void AppendUtf8(std::string& strOut, char32_t ch)
{
    if (ch < 0x80)
    {
        strOut.push_back(static_cast<char>(ch));
    }
    else if (ch < 0x800)
    {
        strOut.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        strOut.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
    else if (ch < 0x10000)
    {
        strOut.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        strOut.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        strOut.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
    else
    {
        strOut.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        strOut.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        strOut.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        strOut.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

// One code point from bytes[nPos...]; advances nPos. Overlong forms, surrogates and values
// beyond U+10FFFF are invalid; an invalid sequence consumes one byte.
char32_t DecodeUtf8(std::string_view bytes, size_t& nPos)
{
    const auto nLead = static_cast<uint8_t>(bytes[nPos++]);
    if (nLead < 0x80)
        return nLead;
    // Lead bytes C0, C1 and F5 ... FF never start a valid sequence.
    int nTrail = 0;
    char32_t ch = 0;
    if (nLead >= 0xC2 && nLead <= 0xDF)
    {
        nTrail = 1;
        ch = nLead & 0x1F;
    }
    else if (nLead >= 0xE0 && nLead <= 0xEF)
    {
        nTrail = 2;
        ch = nLead & 0x0F;
    }
    else if (nLead >= 0xF0 && nLead <= 0xF4)
    {
        nTrail = 3;
        ch = nLead & 0x07;
    }
    else
    {
        return kReplacement;
    }
    if (bytes.size() - nPos < static_cast<size_t>(nTrail))
        return kReplacement;
    for (int i = 0; i < nTrail; ++i)
    {
        const auto nByte = static_cast<uint8_t>(bytes[nPos + static_cast<size_t>(i)]);
        if ((nByte & 0xC0) != 0x80)
            return kReplacement;
        ch = (ch << 6) | (nByte & 0x3F);
    }
    constexpr char32_t arrMin[] = {0, 0x80, 0x800, 0x10000};
    if (ch < arrMin[nTrail] || ch > 0x10FFFF || IsHighSurrogate(ch) || IsLowSurrogate(ch))
        return kReplacement;
    nPos += static_cast<size_t>(nTrail);
    return ch;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bBigEndian)
{
    std::u16string strOut;
    strOut.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const auto nFirst = static_cast<uint8_t>(bytes[i]);
        const auto nSecond = static_cast<uint8_t>(bytes[i + 1]);
        strOut.push_back(
            static_cast<char16_t>(bBigEndian ? (nFirst << 8) | nSecond : (nSecond << 8) | nFirst));
    }
    return strOut;
}

} // namespace

std::u16string DecodeTextFile(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    std::u16string strOut;
    strOut.reserve(bytes.size());
    for (size_t nPos = 0; nPos < bytes.size();)
        AppendUtf16(strOut, DecodeUtf8(bytes, nPos));
    return strOut;
}

std::string Utf16ToUtf8(std::u16string_view str)
{
    std::string strOut;
    strOut.reserve(str.size());
    for (size_t i = 0; i < str.size(); ++i)
    {
        char32_t ch = str[i];
        if (IsHighSurrogate(ch) && i + 1 < str.size() && IsLowSurrogate(str[i + 1]))
            ch = 0x10000 + ((ch - 0xD800) << 10) + (str[++i] - 0xDC00);
        else if (IsHighSurrogate(ch) || IsLowSurrogate(ch))
            ch = kReplacement;
        AppendUtf8(strOut, ch);
    }
    return strOut;
}

} // namespace tramino
