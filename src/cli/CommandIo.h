#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace tramino::cli
{

// Exit statuses of tramino-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Where a command writes: results to Out(), every error and warning to Err(), each error
// line naming the program and the command.
class CCommandIo
{
public:
    CCommandIo(std::ostream& out, std::ostream& err, std::string strCommand)
        : m_out(out), m_err(err), m_strCommand(std::move(strCommand))
    {
    }

    std::ostream& Out() { return m_out; }
    std::ostream& Err() { return m_err; }

    // "tramino-cli COMMAND: message" and where to find the usage; returns kExitUsage.
    int UsageError(std::string_view strMessage);
    // "tramino-cli COMMAND: message"; returns kExitFailure.
    int Failure(std::string_view strMessage);

private:
    std::ostream& m_out;
    std::ostream& m_err;
    std::string m_strCommand;
};

} // namespace tramino::cli
