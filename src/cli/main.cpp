#include "cli/CommandLine.h"
#include "common/MemoryPolicy.h"
#include "platform/Platform.h"

#include <iostream>

namespace
{

tramino::cli::CStopRequest g_stopRequest;

// A second request ends the program at once, for a user who will not wait.
bool OnStopRequest(int nCode)
{
    if (g_stopRequest.m_nSignal.exchange(nCode) != 0)
        return false;
    g_stopRequest.m_bStop.store(true);
    return true;
}

} // namespace

// Interrupting, terminating and hanging up stop the command in order, so that it removes its
// temporary files.
int main(int argc, char** argv)
{
    tramino::platform::InstallStopHandlers(OnStopRequest);
    tramino::KeepFreedPicturesForReuse();
    const std::vector<std::string> vecArgs = tramino::platform::ProgramArguments(argc, argv);
    const int nStatus = tramino::cli::RunCommandLine(vecArgs, std::cout, std::cerr, &g_stopRequest);
    // Output that never arrived (a full disk, a closed pipe) is a failure, whatever the command said.
    if (!std::cout.flush())
    {
        std::cerr << "tramino-cli: cannot write the output\n";
        return nStatus == 0 ? 1 : nStatus;
    }
    return nStatus;
}
