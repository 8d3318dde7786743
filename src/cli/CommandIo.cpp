#include "cli/CommandIo.h"

namespace tramino::cli
{

int CCommandIo::UsageError(std::string_view strMessage)
{
    m_err << "tramino-cli " << m_strCommand << ": " << strMessage << "\n"
          << "Run 'tramino-cli " << m_strCommand << " --help' for its usage.\n";
    return kExitUsage;
}

int CCommandIo::Failure(std::string_view strMessage)
{
    m_err << "tramino-cli " << m_strCommand << ": " << strMessage << "\n";
    return kExitFailure;
}

} // namespace tramino::cli
