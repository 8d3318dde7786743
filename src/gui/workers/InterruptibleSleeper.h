#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tramino
{

// The waits of a worker (pixel pacing, hold, pause, a call carried out by the user-interface
// thread), all cut short for good by one Interrupt(), which the window's close handling calls.
class CInterruptibleSleeper
{
public:
    using TClock = std::chrono::steady_clock;

    // False when the sleep was cut short (or the sleeper was interrupted before).
    bool SleepUntil(TClock::time_point tpDeadline);
    bool SleepFor(std::chrono::milliseconds duration) { return SleepUntil(TClock::now() + duration); }

    // Waits until fnDone() holds or the sleeper is interrupted; fnDone() runs with the lock held,
    // so the state it reads must be changed through Update(). Returns fnDone()'s last value.
    template <class TFn> bool WaitFor(TFn&& fnDone)
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_bInterrupted || fnDone(); });
        return fnDone();
    }

    // Runs fnChange with the lock held and wakes the waiters.
    template <class TFn> void Update(TFn&& fnChange)
    {
        {
            std::lock_guard lock(m_mutex);
            fnChange();
        }
        m_cv.notify_all();
    }

    // Permanent: every sleep and wait, now and later, returns at once.
    void Interrupt();
    // Lock-free, so that it can be asked once per pixel.
    bool IsInterrupted() const { return m_bInterrupted.load(); }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    // Set with m_mutex held, so that no waiter misses it between its test and its wait.
    std::atomic<bool> m_bInterrupted{false};
};

} // namespace tramino
