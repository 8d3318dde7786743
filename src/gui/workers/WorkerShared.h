#pragma once

#include "InterruptibleSleeper.h"

#include <atomic>
#include <memory>

namespace tramino
{

// The state the main dialog shares with the Preview and Transform workers. The dialog owns one
// and hands it to the workers by reference; it must outlive every worker (RequestCloseAndWait).
// Each value has one writer at a time, as the comments say.
struct CWorkerShared
{
    // A worker runs: set by OnPreview/OnTransform, cleared by the worker at its end.
    std::atomic<bool> m_bBusy{false};
    // The user asked the running worker to stop: set by the user-interface thread, looked at
    // by the worker after each picture, cleared by the worker at its end.
    std::atomic<bool> m_bStopRequested{false};
    // While set, list selection changes do not move the preview: the workers hold it for their
    // whole run (and Up/Down set it around their own item changes).
    std::atomic<bool> m_bIgnoreListSelect{false};
    // Cuts every wait of a worker short once the window closes. Shared, so that a call queued
    // for the user-interface thread can still look at it after the dialog is gone.
    std::shared_ptr<CInterruptibleSleeper> m_pSleeper = std::make_shared<CInterruptibleSleeper>();

    bool IsClosing() const { return m_pSleeper->IsInterrupted(); }
};

// Keeps the list's selection changes away from the preview while a command of the window
// changes the selection itself; the flag is cleared on every way out.
class CIgnoreListSelect
{
public:
    explicit CIgnoreListSelect(CWorkerShared& shared) : m_bIgnore(shared.m_bIgnoreListSelect)
    {
        m_bIgnore.store(true);
    }
    ~CIgnoreListSelect() { m_bIgnore.store(false); }
    CIgnoreListSelect(const CIgnoreListSelect&) = delete;
    CIgnoreListSelect& operator=(const CIgnoreListSelect&) = delete;

private:
    std::atomic<bool>& m_bIgnore;
};

} // namespace tramino
