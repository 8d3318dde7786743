#include "cli/CommandLine.h"
#include "common/MemoryPolicy.h"

#include <csignal>
#include <iostream>

namespace
{

tramino::cli::CStopRequest g_stopRequest;

extern "C" void OnStopSignal(int nSignal)
{
    // A second signal ends the program at once, for a user who will not wait.
    if (g_stopRequest.m_nSignal.exchange(nSignal) != 0)
    {
        std::signal(nSignal, SIG_DFL);
        std::raise(nSignal);
        return;
    }
    g_stopRequest.m_bStop.store(true);
}

// Interrupting, terminating and hanging up stop the command in order, so that it removes its
// temporary files. A file size limit makes the write fail (EFBIG) and be reported, instead of
// killing the program on the spot.
void InstallSignalHandlers()
{
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(nSignal, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace

int main(int argc, char** argv)
{
    InstallSignalHandlers();
    tramino::KeepFreedPicturesForReuse();
    const std::vector<std::string> vecArgs(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int nStatus = tramino::cli::RunCommandLine(vecArgs, std::cout, std::cerr, &g_stopRequest);
    // Output that never arrived (a full disk, a closed pipe) is a failure, whatever the command said.
    if (!std::cout.flush())
    {
        std::cerr << "tramino-cli: cannot write the output\n";
        return nStatus == 0 ? 1 : nStatus;
    }
    return nStatus;
}
