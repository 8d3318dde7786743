#include "QuitSignals.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMetaObject>
#include <QSessionManager>
#include <QWindow>

#include <mutex>
#include <windows.h>

namespace tramino
{
namespace
{

// The instance, under g_mutexQuitSignals: a console handler must not reach it while it goes.
std::mutex g_mutexQuitSignals;
CQuitSignals* g_pQuitSignals = nullptr;
// Set once the instance is gone, for a console handler waiting for the window to close.
HANDLE g_hEnded = nullptr;

bool AnyWindowShown()
{
    for (const QWindow* pWindow : QGuiApplication::topLevelWindows())
    {
        if (pWindow->isVisible())
            return true;
    }
    return false;
}

} // namespace

// The console's events arrive on a thread of their own; the session's end (WM_QUERYENDSESSION)
// as Qt's commitDataRequest, after which Windows may end the program at any time, so the window
// is closed before the answer goes back.
class CQuitSignals::CListener
{
public:
    explicit CListener(CQuitSignals& quitSignals)
    {
        if (g_hEnded == nullptr)
            g_hEnded = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ::ResetEvent(g_hEnded);
        {
            const std::lock_guard lock(g_mutexQuitSignals);
            g_pQuitSignals = &quitSignals;
        }
        ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
        if (auto* pApp = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        {
            QObject::connect(pApp, &QGuiApplication::commitDataRequest, &quitSignals,
                             [&quitSignals](QSessionManager&) { OnSessionEnding(quitSignals); });
        }
    }

    ~CListener()
    {
        ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
        {
            const std::lock_guard lock(g_mutexQuitSignals);
            g_pQuitSignals = nullptr;
        }
        ::SetEvent(g_hEnded);
    }

    CListener(const CListener&) = delete;
    CListener& operator=(const CListener&) = delete;

private:
    // Windows ends the program as soon as the handler of a closing console, a logoff or a
    // shutdown returns (or a few seconds later), so that one waits for the window to be closed.
    static BOOL WINAPI OnConsoleEvent(DWORD nEvent)
    {
        {
            const std::lock_guard lock(g_mutexQuitSignals);
            CQuitSignals* pQuitSignals = g_pQuitSignals;
            if (pQuitSignals == nullptr ||
                !QMetaObject::invokeMethod(
                    pQuitSignals, [pQuitSignals] { pQuitSignals->OnQuitRequest(); }, Qt::QueuedConnection))
                return FALSE;
        }
        if (nEvent != CTRL_C_EVENT && nEvent != CTRL_BREAK_EVENT)
            ::WaitForSingleObject(g_hEnded, INFINITE);
        return TRUE;
    }

    static void OnSessionEnding(CQuitSignals& quitSignals)
    {
        quitSignals.OnQuitRequest();
        // A run under way ends its current picture first.
        const QDeadlineTimer deadline(15000);
        while (AnyWindowShown() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
};

CQuitSignals::CQuitSignals(std::function<void()> fnQuit) : m_fnQuit(std::move(fnQuit))
{
    m_pListener = std::make_unique<CListener>(*this);
}

CQuitSignals::~CQuitSignals() = default;

} // namespace tramino
