#include "WorkerThread.h"

namespace tramino
{

void CWorkerThread::Start(EWorkerKind eKind, std::function<void()> fnBody)
{
    Join();
    m_eKind = eKind;
    m_bRunning = true;
    m_thread = std::thread(
        [this, fnBody = std::move(fnBody)]
        {
            fnBody();
            m_bRunning = false;
        });
}

void CWorkerThread::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tramino
