#pragma once

#include "pipeline/PictureSource.h"
#include "resample/MemoryBudget.h"
#include "settings/PanelSize.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace tramino
{

// More threads than this would only wait for each other and the disk.
inline constexpr int g_nMaxConversionJobs = 256;

// Converts the entries of a list on threads of its own and hands their pictures out in list
// order. At most twice as many entries as threads are under way or waiting beyond the one being
// taken, each with at most one finished picture waiting, so the memory held does not grow with
// the list. The conversions share a memory budget, reserved in list order. Never more threads
// run than there are entries, nor than g_nMaxConversionJobs.
class CConversionPool
{
public:
    CConversionPool(const PictureSources& vecSources, CPanelSize panel, int nJobs, uint64_t nMemoryBudget);
    // Ends the conversions under way as early as they allow and waits for their threads.
    ~CConversionPool();
    CConversionPool(const CConversionPool&) = delete;
    CConversionPool& operator=(const CConversionPool&) = delete;

    // Entries are taken in list order, each until this returns false. Waits for the next picture
    // of entry nEntry: true with it, or false once the entry has given all it will, with its
    // outcome in status.
    bool Next(size_t nEntry, CPicture& picture, CStatus& status);
    // An error when a thread could not be started; then nothing is converted.
    const CStatus& Started() const { return m_started; }

private:
    struct CSlot
    {
        std::deque<CPicture> m_quePictures;
        bool m_bDone = false;
        CStatus m_status;
    };

    void Stop();
    void Work();
    void Convert(size_t nEntry);
    bool Deliver(size_t nEntry, CPicture picture);
    CSlot& Slot(size_t nEntry) { return m_queSlots[nEntry - m_nHead]; }

    const PictureSources& m_vecSources;
    const CPanelSize m_panel;
    const size_t m_nThreads;
    const size_t m_nAhead;
    CMemoryBudget m_budget;
    CStatus m_started;

    std::mutex m_mutex;
    // Each side is woken only by what it waits for: the taker by a picture or an entry done, the
    // converting threads by room ahead or an emptied slot (every wake-up costs a context switch).
    std::condition_variable m_cvDelivered;
    std::condition_variable m_cvTaken;
    std::deque<CSlot> m_queSlots; // entries m_nHead ... m_nNext - 1; guarded by m_mutex
    size_t m_nHead = 0;           // the entry being taken; guarded by m_mutex
    size_t m_nNext = 0;           // the next entry to start; guarded by m_mutex
    bool m_bStopping = false;     // guarded by m_mutex

    std::vector<std::jthread> m_vecThreads; // last: joined before the rest goes
};

} // namespace tramino
