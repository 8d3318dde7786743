#pragma once

#include <atomic>
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

// Set by a signal handler when the user asks the running command to stop (lock-free atomics,
// which a handler may touch).
struct CStopRequest
{
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nSignal{0};
};

// The text with its control characters escaped (\n, \t, \x1b, ...), so that a file name in a
// message can neither move the terminal's cursor nor fake a line of its own.
std::string Printable(std::string_view str);

// Where a command writes: results to Out(), every error and warning to Err(), each error
// line naming the program and the command.
class CCommandIo
{
public:
    CCommandIo(std::ostream& out, std::ostream& err, std::string strCommand,
               const CStopRequest* pStop = nullptr)
        : m_out(out), m_err(err), m_strCommand(std::move(strCommand)), m_pStop(pStop)
    {
    }

    std::ostream& Out() { return m_out; }
    std::ostream& Err() { return m_err; }

    // "tramino-cli COMMAND: message" and where to find the usage; returns kExitUsage.
    int UsageError(std::string_view strMessage);
    // "tramino-cli COMMAND: message"; returns kExitFailure. Prints nothing once a stop was
    // requested: the failure is the stop's doing, and the command line reports the stop.
    int Failure(std::string_view strMessage);
    // "tramino-cli COMMAND: message", and the command goes on.
    void Warning(std::string_view strMessage);

    // Whether the user asked to stop; a command that sees it ends at once (its temporary files
    // removed), and the command line ends with the signal's status.
    bool StopRequested() const { return StopFlag()->load(); }
    // The same as a flag for the core's long loops; never null.
    const std::atomic<bool>* StopFlag() const;
    // The signal that asked to stop, 0 when none did.
    int StopSignal() const { return m_pStop != nullptr ? m_pStop->m_nSignal.load() : 0; }

    // The file the command works on, which a failure it could not foresee (no memory left) names.
    void SetSubject(std::string strFile) { m_strSubject = std::move(strFile); }
    const std::string& Subject() const { return m_strSubject; }
    // The command's change is made and reported: a stop that came too late to keep it from
    // happening no longer ends the run as stopped.
    void MarkDone() { m_bDone = true; }
    bool IsDone() const { return m_bDone; }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    std::string m_strCommand;
    const CStopRequest* m_pStop;
    std::string m_strSubject;
    bool m_bDone = false;
};

} // namespace tramino::cli
