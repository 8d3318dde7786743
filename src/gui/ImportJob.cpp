#include "ImportJob.h"

#include "pipeline/ConversionPool.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <mutex>

namespace tramino
{
namespace
{

// How long closing waits for a conversion under way before it leaves it to end on its own.
constexpr std::chrono::seconds g_nAbandonAfter{2};

// The entry's first picture, or why it gave none; the entry is taken to its end.
CResult<CPicture> TakeFirst(CConversionPool& pool, size_t nEntry)
{
    CPicture picture;
    CStatus status;
    if (!pool.Next(nEntry, picture, status))
        return status;
    CResult<CPicture> first(std::move(picture));
    while (pool.Next(nEntry, picture, status))
    {
    }
    return first;
}

struct CGroup
{
    int m_nFirst = 0;
    std::vector<CResult<CPicture>> m_vecResults;
};

} // namespace

// What the worker thread and the job share; the thread keeps it alive after the job is gone.
struct CImportJob::CShared
{
    std::mutex m_mutex;
    std::condition_variable m_cv;   // the queued groups were taken, a cancel, the thread's end
    std::deque<CGroup> m_queGroups; // the rest guarded by m_mutex too
    int m_nDone = 0;
    bool m_bFinished = false;
    bool m_bCancel = false;
    bool m_bThreadDone = false;
    CImportJob* m_pOwner = nullptr; // null once the job is gone: nothing is posted then

    // Worker side: queue what is new and ask the user-interface thread to take it.
    void Post(CGroup* pGroup, bool bFinished)
    {
        std::unique_lock lock(m_mutex);
        if (pGroup != nullptr)
        {
            m_cv.wait(lock, [this] { return m_queGroups.empty() || m_bCancel; });
            m_queGroups.push_back(std::move(*pGroup));
        }
        else if (!bFinished)
        {
            ++m_nDone;
        }
        m_bFinished = m_bFinished || bFinished;
        if (m_pOwner != nullptr)
        {
            m_pOwner->m_uiTasks.Post([pOwner = m_pOwner] { pOwner->Deliver(); });
        }
    }

    bool IsCancelled()
    {
        const std::lock_guard lock(m_mutex);
        return m_bCancel;
    }
};

CImportJob::CImportJob(PictureSources vecSources, CPanelSize panel)
    : m_pSources(std::make_shared<const PictureSources>(std::move(vecSources))), m_panel(panel),
      m_pShared(std::make_shared<CShared>())
{
    m_pShared->m_pOwner = this;
}

CImportJob::~CImportJob()
{
    std::unique_lock lock(m_pShared->m_mutex);
    m_pShared->m_bCancel = true;
    m_pShared->m_pOwner = nullptr;
    m_pShared->m_cv.notify_all();
    const bool bDone =
        m_pShared->m_cv.wait_for(lock, g_nAbandonAfter, [this] { return m_pShared->m_bThreadDone; });
    lock.unlock();
    if (m_thread.joinable())
    {
        if (bDone)
        {
            m_thread.join();
        }
        else
        {
            m_thread.detach();
        }
    }
}

void CImportJob::Cancel()
{
    {
        const std::lock_guard lock(m_pShared->m_mutex);
        m_pShared->m_bCancel = true;
    }
    m_pShared->m_cv.notify_all();
    m_uiTasks.Post([this] { Deliver(); });
}

void CImportJob::Start(FnConverted fnConverted, FnProgress fnProgress)
{
    m_fnConverted = std::move(fnConverted);
    m_fnProgress = std::move(fnProgress);
    m_thread = std::thread([pShared = m_pShared, pSources = m_pSources, panel = m_panel, fnGate = m_fnGate]
                           { Run(pShared, pSources, panel, fnGate); });
}

void CImportJob::Run(const std::shared_ptr<CShared>& pShared,
                     const std::shared_ptr<const PictureSources>& pSources, CPanelSize panel,
                     const FnGate& fnGate)
{
    // A group holds one entry per core: every core is busy, yet a cancel never waits for more
    // than one picture per core.
    const int nCores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const size_t nGroup = static_cast<size_t>(nCores);
    {
        CConversionPool pool(*pSources, panel, nCores, g_nConversionMemoryBudget);
        for (size_t nFirst = 0; nFirst < pSources->size() && !pShared->IsCancelled(); nFirst += nGroup)
        {
            CGroup group{static_cast<int>(nFirst), {}};
            for (size_t i = nFirst; i < std::min(pSources->size(), nFirst + nGroup); ++i)
            {
                group.m_vecResults.push_back(TakeFirst(pool, i));
                pShared->Post(nullptr, false);
            }
            if (fnGate)
            {
                fnGate(group.m_nFirst);
            }
            pShared->Post(&group, false);
        }
    }
    pShared->Post(nullptr, true);
    const std::lock_guard lock(pShared->m_mutex);
    pShared->m_bThreadDone = true;
    pShared->m_cv.notify_all();
}

void CImportJob::Deliver()
{
    // Handing on can run the event loop (a modal progress counts with it), which calls this again:
    // that call leaves the groups to the one under way, so they are handed on in their order.
    if (m_bDelivering)
    {
        m_bDeliverAgain = true;
        return;
    }
    m_bDelivering = true;
    do
    {
        m_bDeliverAgain = false;
        DeliverQueued();
    } while (m_bDeliverAgain);
    m_bDelivering = false;
}

void CImportJob::DeliverQueued()
{
    if (m_bFinishEmitted)
    {
        return; // a late result of a cancelled import
    }
    std::deque<CGroup> queGroups;
    int nDone = 0;
    bool bFinished = false;
    {
        const std::lock_guard lock(m_pShared->m_mutex);
        queGroups.swap(m_pShared->m_queGroups);
        nDone = m_pShared->m_nDone;
        bFinished = m_pShared->m_bFinished || m_pShared->m_bCancel;
    }
    m_pShared->m_cv.notify_all();
    m_fnProgress(nDone);
    for (CGroup& group : queGroups)
    {
        m_fnConverted(group.m_nFirst, group.m_vecResults);
    }
    if (bFinished)
    {
        m_bFinishEmitted = true;
        emit Finished();
    }
}

} // namespace tramino
