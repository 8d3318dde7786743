#include "cli/CommandIo.h"

namespace tramino::cli
{

namespace
{

void AppendEscaped(std::string& strOut, unsigned char nByte)
{
    static constexpr char s_szHex[] = "0123456789abcdef";
    strOut += {'\\', 'x', s_szHex[nByte >> 4], s_szHex[nByte & 15]};
}

} // namespace

std::string Printable(std::string_view str)
{
    std::string strOut;
    strOut.reserve(str.size());
    for (size_t i = 0; i < str.size(); ++i)
    {
        const auto nByte = static_cast<unsigned char>(str[i]);
        if (nByte == '\n')
            strOut += "\\n";
        else if (nByte == '\t')
            strOut += "\\t";
        else if (nByte == '\r')
            strOut += "\\r";
        else if (nByte < 0x20 || nByte == 0x7F)
            AppendEscaped(strOut, nByte);
        // U+0080 ... U+009F, the C1 controls, which some terminals obey as well.
        else if (nByte == 0xC2 && i + 1 < str.size() && static_cast<unsigned char>(str[i + 1]) < 0xA0)
        {
            AppendEscaped(strOut, nByte);
            AppendEscaped(strOut, static_cast<unsigned char>(str[++i]));
        }
        else
            strOut += str[i];
    }
    return strOut;
}

int CCommandIo::UsageError(std::string_view strMessage)
{
    m_err << "tramino-cli " << m_strCommand << ": " << Printable(strMessage) << "\n"
          << "Run 'tramino-cli " << m_strCommand << " --help' for its usage.\n";
    return kExitUsage;
}

int CCommandIo::Failure(std::string_view strMessage)
{
    if (!StopRequested())
        Warning(strMessage);
    return kExitFailure;
}

void CCommandIo::Warning(std::string_view strMessage)
{
    m_err << "tramino-cli " << m_strCommand << ": " << Printable(strMessage) << "\n";
}

const std::atomic<bool>* CCommandIo::StopFlag() const
{
    static const std::atomic<bool> s_bNever{false};
    return m_pStop != nullptr ? &m_pStop->m_bStop : &s_bNever;
}

} // namespace tramino::cli
