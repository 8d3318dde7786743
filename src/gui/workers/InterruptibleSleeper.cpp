#include "InterruptibleSleeper.h"

namespace tramino
{

bool CInterruptibleSleeper::SleepUntil(TClock::time_point tpDeadline)
{
    std::unique_lock lock(m_mutex);
    return !m_cv.wait_until(lock, tpDeadline, [this] { return m_bInterrupted.load(); });
}

void CInterruptibleSleeper::Interrupt()
{
    Update([this] { m_bInterrupted = true; });
}

} // namespace tramino
