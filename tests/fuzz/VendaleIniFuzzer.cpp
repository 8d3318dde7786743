// The settings file is edited by hand: any bytes must read as some settings, and the result
// must not depend on how the stream hands the bytes out.
#include "FuzzCheck.h"

#include "settings/PanelSize.h"
#include "settings/VendaleIni.h"

#include <climits>
#include <sstream>
#include <streambuf>
#include <string>

using namespace tramino;

namespace
{

// Hands the bytes out a few at a time, as a slow file or pipe would.
class CTrickleBuffer : public std::streambuf
{
public:
    CTrickleBuffer(const char* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}

protected:
    int_type underflow() override
    {
        if (m_nPos >= m_nSize)
            return traits_type::eof();
        const size_t nTake = std::min<size_t>(m_nSize - m_nPos, 1 + m_nPos % 7);
        char* pStart = const_cast<char*>(m_pData + m_nPos);
        setg(pStart, pStart, pStart + nTake);
        m_nPos += nTake;
        return traits_type::to_int_type(*pStart);
    }

private:
    const char* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string strBytes(reinterpret_cast<const char*>(pData), nSize);
    std::istringstream input(strBytes);
    const CVendaleSettings settings = ParseVendaleIni(input);

    CTrickleBuffer trickle(strBytes.data(), strBytes.size());
    std::istream trickled(&trickle);
    FUZZ_CHECK(ParseVendaleIni(trickled) == settings, "the result depends on how the stream is read");

    const CPanelSize size = PanelSizeFromCode(settings.m_nPanelSizeCode);
    FUZZ_CHECK(size.m_nWidth >= 96 && size.m_nHeight >= 64, "panel size outside the table");
    FUZZ_CHECK(!LanguageSection(settings.m_nLanguageCode).empty(), "no language section");

    // The number reader on its own, against the text it was given.
    const int nValue = AtoiClamped(strBytes);
    const size_t nDigit = strBytes.find_first_of("0123456789");
    if (nValue != 0)
        FUZZ_CHECK(nDigit != std::string::npos, "a number read from text without digits");
    return 0;
}
