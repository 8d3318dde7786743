#include "QuitSignals.h"

#include <QSocketNotifier>

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

// The handlers only write a byte to a socket pair; everything else happens in the event loop.
class CQuitSignals::CListener
{
public:
    CListener(int hRead, int hWrite)
        : m_hRead(hRead), m_hWrite(hWrite), m_notifier(hRead, QSocketNotifier::Read)
    {
        g_nQuitWriteFd = m_hWrite;
        SetHandlers(OnQuitSignal);
    }

    ~CListener()
    {
        SetHandlers(SIG_DFL);
        g_nQuitWriteFd = -1;
        m_notifier.setEnabled(false);
        ::close(m_hRead);
        ::close(m_hWrite);
    }

    CListener(const CListener&) = delete;
    CListener& operator=(const CListener&) = delete;

    QSocketNotifier& Notifier() { return m_notifier; }

    void DrainBytes() const
    {
        char arrBytes[16];
        while (::read(m_hRead, arrBytes, sizeof(arrBytes)) > 0)
        {
        }
    }

private:
    int m_hRead;
    int m_hWrite;
    QSocketNotifier m_notifier;
};

CQuitSignals::CQuitSignals(std::function<void()> fnQuit) : m_fnQuit(std::move(fnQuit))
{
    int arrFds[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, arrFds) != 0)
        return;
    m_pListener = std::make_unique<CListener>(arrFds[1], arrFds[0]);
    connect(&m_pListener->Notifier(), &QSocketNotifier::activated, this,
            [this]
            {
                m_pListener->DrainBytes();
                OnQuitRequest();
            });
}

CQuitSignals::~CQuitSignals() = default;

} // namespace tramino
