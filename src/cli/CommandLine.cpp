#include "cli/CommandLine.h"

#include "common/Version.h"
#include "platform/Platform.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <system_error>

namespace tramino::cli
{
namespace
{

bool IsHelp(const std::string& strArg)
{
    return strArg == "--help" || strArg == "-h";
}

void PrintProgramHelp(const std::vector<std::unique_ptr<CCommand>>& vecCommands, std::ostream& out)
{
    out << "Usage: tramino-cli COMMAND [options]\n"
           "       tramino-cli --help | --version\n"
           "\n"
           "Makes and inspects .qrv show files for small colour panels without a window.\n"
           "\n"
           "Commands:\n";
    size_t nWidth = 0;
    for (const auto& pCommand : vecCommands)
        nWidth = std::max(nWidth, pCommand->Name().size());
    for (const auto& pCommand : vecCommands)
        out << "  " << pCommand->Name() << std::string(nWidth + 3 - pCommand->Name().size(), ' ')
            << pCommand->Summary() << "\n";
    out << "\n"
           "Options:\n"
           "  --help, -h   show this help; after a command, show that command's help\n"
           "  --version    show the version\n"
           "\n"
           "Exit status: 0 done, 1 failed (or the file checked is invalid), 2 bad usage,\n"
           "128 + N stopped by signal N ("
        << platform::StopStatusesText() << ").\n";
}

int ProgramUsageError(std::ostream& err, const std::string& strMessage)
{
    err << "tramino-cli: " << Printable(strMessage) << "\n"
        << "Run 'tramino-cli --help' for its usage.\n";
    return kExitUsage;
}

// --help anywhere before a "--" asks for the command's help instead of running it.
bool AsksForHelp(const std::vector<std::string>& vecArgs)
{
    const auto itEnd = std::find(vecArgs.begin(), vecArgs.end(), "--");
    return std::any_of(vecArgs.begin(), itEnd, IsHelp);
}

// The temporary files are gone with the objects that held them by the time this is said.
int NoMemory(CCommandIo& io)
{
    return io.Failure(io.Subject().empty() ? std::string("not enough memory")
                                           : "'" + io.Subject() + "': not enough memory");
}

// Exceptions are failures the command did not foresee. The standard ones' texts name C++
// internals, so they get a reason a person understands.
int RunGuarded(CCommand& command, const CArguments& args, CCommandIo& io)
{
    try
    {
        return command.Run(args, io);
    }
    catch (const std::bad_alloc&)
    {
        return NoMemory(io);
    }
    catch (const std::length_error&)
    {
        return NoMemory(io);
    }
    catch (const std::system_error& error)
    {
        return io.Failure("unexpected failure: " + error.code().message());
    }
    catch (const std::exception& exception)
    {
        return io.Failure(std::string("unexpected failure: ") + exception.what());
    }
}

int RunCommand(CCommand& command, const std::vector<std::string>& vecArgs, std::ostream& out,
               std::ostream& err, const CStopRequest* pStop)
{
    CCommandIo io(out, err, std::string(command.Name()), pStop);
    if (AsksForHelp(vecArgs))
    {
        out << command.Help();
        return kExitOk;
    }
    CResult<CArguments> args = ParseArguments(vecArgs, command.Options());
    if (!args)
        return io.UsageError(args.Message());
    const int nStatus = RunGuarded(command, args.Value(), io);
    // Unless the command's change was made before it could stop, the run ends as the signal asked.
    if (const int nSignal = io.StopSignal(); nSignal != 0 && !io.IsDone())
    {
        io.Warning(std::string("stopped by ") + platform::StopName(nSignal));
        return 128 + nSignal;
    }
    return nStatus;
}

} // namespace

int RunCommandLine(const std::vector<std::string>& vecArgs,
                   const std::vector<std::unique_ptr<CCommand>>& vecCommands, std::ostream& out,
                   std::ostream& err, const CStopRequest* pStop)
{
    if (vecArgs.empty())
    {
        PrintProgramHelp(vecCommands, err);
        return kExitUsage;
    }
    const std::string& strFirst = vecArgs[0];
    if (IsHelp(strFirst))
    {
        PrintProgramHelp(vecCommands, out);
        return kExitOk;
    }
    if (strFirst == "--version")
    {
        if (vecArgs.size() != 1)
            return ProgramUsageError(err, "--version takes no arguments");
        out << "tramino-cli " TRAMINO_VERSION "\n";
        return kExitOk;
    }
    if (strFirst.starts_with('-'))
        return ProgramUsageError(err, "unknown option '" + strFirst + "'");
    const auto it = std::find_if(vecCommands.begin(), vecCommands.end(),
                                 [&](const auto& pCommand) { return pCommand->Name() == strFirst; });
    if (it == vecCommands.end())
        return ProgramUsageError(err, "unknown command '" + strFirst + "'");
    return RunCommand(**it, std::vector<std::string>(vecArgs.begin() + 1, vecArgs.end()), out, err, pStop);
}

int RunCommandLine(const std::vector<std::string>& vecArgs, std::ostream& out, std::ostream& err,
                   const CStopRequest* pStop)
{
    return RunCommandLine(vecArgs, MakeCommands(), out, err, pStop);
}

} // namespace tramino::cli
