#include "pipeline/ConversionPool.h"

#include <algorithm>
#include <new>
#include <string>
#include <system_error>
#include <utility>

namespace tramino
{

CConversionPool::CConversionPool(const PictureSources& vecSources, CPanelSize panel, int nJobs,
                                 uint64_t nMemoryBudget)
    : m_vecSources(vecSources), m_panel(panel),
      m_nThreads(std::clamp<size_t>(std::min(static_cast<size_t>(std::max(1, nJobs)), vecSources.size()), 1,
                                    g_nMaxConversionJobs)),
      m_nAhead(2 * m_nThreads), m_budget(nMemoryBudget)
{
    try
    {
        while (m_vecThreads.size() < m_nThreads)
            m_vecThreads.emplace_back([this] { Work(); });
    }
    catch (const std::system_error& error)
    {
        m_started =
            CStatus::Error("Cannot start thread " + std::to_string(m_vecThreads.size() + 1) + " of " +
                           std::to_string(m_nThreads) + " to convert pictures on: " + error.code().message());
        Stop();
    }
}

CConversionPool::~CConversionPool()
{
    Stop();
    m_vecThreads.clear();
}

void CConversionPool::Stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStopping = true;
    }
    m_cvTaken.notify_all();
}

bool CConversionPool::Next(size_t nEntry, CPicture& picture, CStatus& status)
{
    std::unique_lock lock(m_mutex);
    m_cvDelivered.wait(
        lock,
        [&] { return nEntry < m_nNext && (!Slot(nEntry).m_quePictures.empty() || Slot(nEntry).m_bDone); });
    CSlot& slot = Slot(nEntry);
    const bool bPicture = !slot.m_quePictures.empty();
    if (bPicture)
    {
        picture = std::move(slot.m_quePictures.front());
        slot.m_quePictures.pop_front();
    }
    else
    {
        status = slot.m_status;
        m_queSlots.pop_front();
        ++m_nHead;
    }
    lock.unlock();
    m_cvTaken.notify_all();
    return bPicture;
}

void CConversionPool::Work()
{
    for (;;)
    {
        size_t nEntry = 0;
        {
            std::unique_lock lock(m_mutex);
            m_cvTaken.wait(
                lock, [this]
                { return m_bStopping || m_nNext == m_vecSources.size() || m_nNext - m_nHead < m_nAhead; });
            if (m_bStopping || m_nNext == m_vecSources.size())
                return;
            nEntry = m_nNext++;
            m_queSlots.emplace_back();
        }
        Convert(nEntry);
    }
}

void CConversionPool::Convert(size_t nEntry)
{
    bool bStopping = false;
    {
        const std::lock_guard lock(m_mutex);
        bStopping = m_bStopping;
    }
    const IPictureSource& source = *m_vecSources[nEntry];
    // Every turn of the budget is taken, one that will not convert with nothing.
    const CMemoryBudget::CReservation reservation =
        m_budget.Reserve(nEntry, bStopping ? 0 : source.PeakBytes(m_panel));
    CStatus status;
    try
    {
        if (!bStopping)
            status = source.Produce(m_panel,
                                    [&](CPicture picture) { return Deliver(nEntry, std::move(picture)); });
    }
    catch (const std::bad_alloc&) // on this thread nothing else would catch it
    {
        status = CStatus::Error("not enough memory to convert the picture");
    }
    {
        const std::lock_guard lock(m_mutex);
        Slot(nEntry).m_bDone = true;
        Slot(nEntry).m_status = std::move(status);
    }
    m_cvDelivered.notify_one();
}

bool CConversionPool::Deliver(size_t nEntry, CPicture picture)
{
    {
        std::unique_lock lock(m_mutex);
        m_cvTaken.wait(lock, [&] { return m_bStopping || Slot(nEntry).m_quePictures.empty(); });
        if (m_bStopping)
            return false;
        Slot(nEntry).m_quePictures.push_back(std::move(picture));
    }
    m_cvDelivered.notify_one();
    return true;
}

} // namespace tramino
