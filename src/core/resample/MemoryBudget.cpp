#include "resample/MemoryBudget.h"

#include <utility>

namespace tramino
{

CMemoryBudget::CReservation::CReservation(CReservation&& other) noexcept
    : m_pBudget(std::exchange(other.m_pBudget, nullptr)), m_nBytes(other.m_nBytes)
{
}

CMemoryBudget::CReservation& CMemoryBudget::CReservation::operator=(CReservation&& other) noexcept
{
    if (this != &other)
    {
        Release();
        m_pBudget = std::exchange(other.m_pBudget, nullptr);
        m_nBytes = other.m_nBytes;
    }
    return *this;
}

void CMemoryBudget::CReservation::Release()
{
    if (m_pBudget != nullptr)
        std::exchange(m_pBudget, nullptr)->Give(m_nBytes);
}

CMemoryBudget::CReservation CMemoryBudget::Reserve(size_t nTurn, uint64_t nBytes)
{
    std::unique_lock lock(m_mutex);
    m_cvChanged.wait(
        lock, [&] { return nTurn == m_nNextTurn && (m_nReserved == 0 || m_nReserved + nBytes <= m_nTotal); });
    ++m_nNextTurn;
    m_nReserved += nBytes;
    lock.unlock();
    // The next turn may fit beside this one.
    m_cvChanged.notify_all();
    return CReservation(this, nBytes);
}

void CMemoryBudget::Give(uint64_t nBytes)
{
    {
        const std::lock_guard lock(m_mutex);
        m_nReserved -= nBytes;
    }
    m_cvChanged.notify_all();
}

} // namespace tramino
