#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace tramino
{

enum class EWorkerKind
{
    None,
    Preview,
    Transform,
};

// The one worker thread of the dialog. Start, Kind, IsRunning and Join are for the
// user-interface thread only.
class CWorkerThread
{
public:
    CWorkerThread() = default;
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;
    ~CWorkerThread() { Join(); }

    // The body has not returned yet. A worker makes its last calls to the user-interface
    // thread after it cleared the busy flag, so "not busy" alone does not mean "finished".
    bool IsRunning() const { return m_bRunning.load(); }
    // The kind of the last worker started.
    EWorkerKind Kind() const { return m_eKind; }

    // Joins the previous worker, which must have finished (!IsRunning()), and starts fnBody.
    void Start(EWorkerKind eKind, std::function<void()> fnBody);
    // Waits for the worker to return. The worker must not need the user-interface thread to
    // get there: close the sleeper first (RequestCloseAndWait).
    void Join();

private:
    std::thread m_thread;
    std::atomic<bool> m_bRunning{false};
    EWorkerKind m_eKind = EWorkerKind::None;
};

} // namespace tramino
