#include "QuitSignals.h"

#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tramino
{
namespace
{

constexpr std::array<int, 3> g_arrQuitSignals = {SIGTERM, SIGINT, SIGHUP};
volatile std::sig_atomic_t g_nQuitWriteFd = -1;

extern "C" void OnQuitSignal(int nSignal)
{
    const char chSignal = static_cast<char>(nSignal);
    // Nothing can be done about a full or closed pipe inside a signal handler.
    [[maybe_unused]] const ssize_t nWritten = ::write(g_nQuitWriteFd, &chSignal, 1);
}

void SetHandlers(void (*pHandler)(int))
{
    struct sigaction action = {};
    action.sa_handler = pHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int nSignal : g_arrQuitSignals)
        sigaction(nSignal, &action, nullptr);
}

} // namespace

CQuitSignals::CQuitSignals(std::function<void()> fnQuit) : m_fnQuit(std::move(fnQuit))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_arrFds) != 0)
        return;
    g_nQuitWriteFd = m_arrFds[0];
    m_pNotifier = std::make_unique<QSocketNotifier>(m_arrFds[1], QSocketNotifier::Read);
    connect(m_pNotifier.get(), &QSocketNotifier::activated, this, &CQuitSignals::OnSignalByte);
    SetHandlers(OnQuitSignal);
}

CQuitSignals::~CQuitSignals()
{
    if (m_pNotifier)
        SetHandlers(SIG_DFL);
    g_nQuitWriteFd = -1;
    m_pNotifier.reset();
    for (const int nFd : m_arrFds)
    {
        if (nFd >= 0)
            ::close(nFd);
    }
}

void CQuitSignals::OnSignalByte()
{
    char arrBytes[16];
    while (::read(m_arrFds[1], arrBytes, sizeof(arrBytes)) > 0)
    {
    }
    m_fnQuit();
}

} // namespace tramino
