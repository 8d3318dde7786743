#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace tramino
{

// The memory that conversions running at the same time share, so that converting several
// pictures at once never multiplies the worst case. Each conversion reserves what it holds at
// its peak before it starts and gives it back when it ends; one that does not fit waits.
//
// Reservations are granted in turns 0, 1, 2, ... (the order in which the pictures were handed
// out), and every turn must be taken exactly once: a later picture never overtakes an earlier
// one waiting for room, so the earliest picture, the one a caller waits for, always goes first.
// A reservation larger than the whole budget waits until nothing else is reserved, and while it
// is held nothing else fits: that picture converts alone.
class CMemoryBudget
{
public:
    // Gives its bytes back when it goes.
    class CReservation
    {
    public:
        CReservation() = default;
        CReservation(CReservation&& other) noexcept;
        CReservation& operator=(CReservation&& other) noexcept;
        CReservation(const CReservation&) = delete;
        CReservation& operator=(const CReservation&) = delete;
        ~CReservation() { Release(); }

        void Release();

    private:
        friend class CMemoryBudget;
        CReservation(CMemoryBudget* pBudget, uint64_t nBytes) : m_pBudget(pBudget), m_nBytes(nBytes) {}

        CMemoryBudget* m_pBudget = nullptr;
        uint64_t m_nBytes = 0;
    };

    explicit CMemoryBudget(uint64_t nBytes) : m_nTotal(nBytes) {}
    CMemoryBudget(const CMemoryBudget&) = delete;
    CMemoryBudget& operator=(const CMemoryBudget&) = delete;

    // Waits for turn nTurn and for room, then reserves nBytes.
    CReservation Reserve(size_t nTurn, uint64_t nBytes);

private:
    void Give(uint64_t nBytes);

    const uint64_t m_nTotal;
    std::mutex m_mutex;
    std::condition_variable m_cvChanged;
    size_t m_nNextTurn = 0;   // guarded by m_mutex
    uint64_t m_nReserved = 0; // guarded by m_mutex
};

// What the conversions of one run may hold together, unless the caller chooses otherwise.
inline constexpr uint64_t g_nConversionMemoryBudget = 256ULL * 1024 * 1024;

} // namespace tramino
