// The language file comes in any encoding a text editor may save: every look-up must give
// valid UTF-8 within the platform's buffer, whatever the bytes.
#include "FuzzCheck.h"

#include "settings/LangTable.h"
#include "settings/ProfileFile.h"
#include "settings/TextEncoding.h"

#include <string>
#include <string_view>

using namespace tramino;

namespace
{

// Decodes UTF-8 strictly; false on any malformed, overlong or surrogate sequence.
bool CountUtf16Units(std::string_view str, size_t& nUnits)
{
    nUnits = 0;
    for (size_t i = 0; i < str.size();)
    {
        const unsigned char ch = static_cast<unsigned char>(str[i]);
        const size_t nLength = ch < 0x80         ? 1
                               : (ch >> 5) == 6  ? 2
                               : (ch >> 4) == 14 ? 3
                               : (ch >> 3) == 30 ? 4
                                                 : 0;
        if (nLength == 0 || i + nLength > str.size())
            return false;
        uint32_t nCode = nLength == 1 ? ch : ch & (0x7F >> nLength);
        for (size_t k = 1; k < nLength; ++k)
        {
            const unsigned char chNext = static_cast<unsigned char>(str[i + k]);
            if ((chNext & 0xC0) != 0x80)
                return false;
            nCode = nCode << 6 | (chNext & 0x3F);
        }
        static constexpr uint32_t g_arrMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (nCode < g_arrMinimum[nLength] || nCode > 0x10FFFF || (nCode >= 0xD800 && nCode <= 0xDFFF))
            return false;
        nUnits += nCode >= 0x10000 ? 2 : 1;
        i += nLength;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string_view bytes(reinterpret_cast<const char*>(pData), nSize);
    const CProfileFile file = CProfileFile::FromBytes(bytes);
    for (const std::string_view strSection : {"English", "TraditionalChinese", "SimplifiedChinese"})
    {
        const CLangTable table = CLangTable::Read(file, strSection);
        for (int i = 0; i < CLangTable::kTextCount; ++i)
        {
            const std::string& strText = table.Text(i);
            size_t nUnits = 0;
            FUZZ_CHECK(CountUtf16Units(strText, nUnits), "a text is not valid UTF-8");
            FUZZ_CHECK(nUnits <= CProfileFile::kMaxValueUnits, "a text is longer than the platform's buffer");
            FUZZ_CHECK(strText == file.GetString(strSection, "TEXT" + std::to_string(i)),
                       "one look-up and several at once disagree");
        }
    }

    // The decoder on its own: UTF-8 out of any UTF-16 it gives.
    size_t nUnits = 0;
    const std::u16string strText = DecodeTextFile(bytes);
    FUZZ_CHECK(CountUtf16Units(Utf16ToUtf8(strText), nUnits), "the text does not convert to valid UTF-8");
    return 0;
}
