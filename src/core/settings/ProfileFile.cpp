#include "settings/ProfileFile.h"

#include "settings/TextEncoding.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace tramino
{
namespace
{

bool IsBlank(char16_t ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\v' || ch == u'\f';
}

std::u16string_view Trim(std::u16string_view str)
{
    while (!str.empty() && IsBlank(str.front()))
        str.remove_prefix(1);
    while (!str.empty() && IsBlank(str.back()))
        str.remove_suffix(1);
    return str;
}

char16_t FoldAscii(char16_t ch)
{
    return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch - u'A' + u'a') : ch;
}

bool EqualsNoCase(std::u16string_view strText, std::string_view strName)
{
    return strText.size() == strName.size() &&
           std::equal(strText.begin(), strText.end(), strName.begin(),
                      [](char16_t chText, char chName) {
                          return FoldAscii(chText) ==
                                 FoldAscii(static_cast<char16_t>(static_cast<unsigned char>(chName)));
                      });
}

// The value as the platform reader hands it out: quotes off, then cut to the buffer.
std::string FinishValue(std::u16string_view strValue)
{
    if (strValue.size() >= 2 && strValue.front() == u'"' && strValue.back() == u'"')
        strValue = strValue.substr(1, strValue.size() - 2);
    if (strValue.size() > CProfileFile::kMaxValueUnits)
    {
        size_t nCut = CProfileFile::kMaxValueUnits;
        const char16_t chLast = strValue[nCut - 1];
        if (chLast >= 0xD800 && chLast <= 0xDBFF)
            --nCut;
        strValue = strValue.substr(0, nCut);
    }
    return Utf16ToUtf8(strValue);
}

// Calls onLine(line) for each line, with a NUL ending the line's text.
template <class F> void ForEachLine(std::u16string_view strText, F onLine)
{
    while (!strText.empty())
    {
        const size_t nEnd = strText.find_first_of(u"\r\n");
        std::u16string_view strLine = strText.substr(0, nEnd);
        strText.remove_prefix(nEnd == std::u16string_view::npos ? strText.size() : nEnd + 1);
        const size_t nNul = strLine.find(u'\0');
        if (!onLine(Trim(strLine.substr(0, nNul))))
            return;
    }
}

} // namespace

CProfileFile CProfileFile::Load(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    // Read in chunks: a small file should not cost the whole cap.
    std::string bytes;
    std::array<char, size_t{1} << 16> arrChunk;
    while (bytes.size() < kMaxFileBytes)
    {
        const size_t nWant = std::min(arrChunk.size(), kMaxFileBytes - bytes.size());
        file.read(arrChunk.data(), static_cast<std::streamsize>(nWant));
        bytes.append(arrChunk.data(), static_cast<size_t>(file.gcount()));
        if (!file)
            break;
    }
    return FromBytes(bytes);
}

CProfileFile CProfileFile::FromBytes(std::string_view bytes)
{
    CProfileFile profile;
    profile.m_strText = DecodeTextFile(bytes.substr(0, kMaxFileBytes));
    return profile;
}

std::vector<std::string> CProfileFile::GetStrings(std::string_view strSection,
                                                  std::span<const std::string> vecKeys) const
{
    std::vector<std::string> vecValues(vecKeys.size());
    std::vector<bool> vecFound(vecKeys.size(), false);
    size_t nMissing = vecKeys.size();
    enum class EState
    {
        kBefore,
        kInside,
        kAfter
    } eState = EState::kBefore;

    ForEachLine(m_strText,
                [&](std::u16string_view strLine)
                {
                    if (strLine.empty() || strLine.front() == u';')
                        return true;
                    if (strLine.front() == u'[')
                    {
                        // A header without ']' still starts a section, so its keys never join the one before.
                        const std::u16string_view strName = Trim(strLine.substr(1, strLine.find(u']') - 1));
                        if (eState == EState::kInside)
                            eState = EState::kAfter;
                        else if (eState == EState::kBefore && EqualsNoCase(strName, strSection))
                            eState = EState::kInside;
                        return eState != EState::kAfter;
                    }
                    const size_t nEquals = strLine.find(u'=');
                    if (eState != EState::kInside || nEquals == std::u16string_view::npos)
                        return true;
                    const std::u16string_view strKey = Trim(strLine.substr(0, nEquals));
                    for (size_t i = 0; i < vecKeys.size(); ++i)
                    {
                        if (!vecFound[i] && EqualsNoCase(strKey, vecKeys[i]))
                        {
                            vecValues[i] = FinishValue(Trim(strLine.substr(nEquals + 1)));
                            vecFound[i] = true;
                            --nMissing;
                        }
                    }
                    return nMissing > 0;
                });
    return vecValues;
}

std::string CProfileFile::GetString(std::string_view strSection, std::string_view strKey) const
{
    const std::string arrKeys[] = {std::string(strKey)};
    return GetStrings(strSection, arrKeys).front();
}

} // namespace tramino
