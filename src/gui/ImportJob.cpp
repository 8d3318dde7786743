#include "ImportJob.h"

#include <QFile>
#include <QMetaObject>

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
            QMetaObject::invokeMethod(m_pOwner, "Deliver", Qt::QueuedConnection);
        }
    }

    bool IsCancelled()
    {
        const std::lock_guard lock(m_mutex);
        return m_bCancel;
    }
};

CImportJob::CImportJob(const QStringList& vecPaths, int nPanelWidth, int nPanelHeight, bool bFast)
    : CImportJob(vecPaths, nPanelWidth, nPanelHeight,
                 std::vector<CConvertOptions>(static_cast<size_t>(vecPaths.size()), {.m_bFast = bFast}))
{
}

CImportJob::CImportJob(const QStringList& vecPaths, int nPanelWidth, int nPanelHeight,
                       std::vector<CConvertOptions> vecOptions)
    : CImportJob(vecPaths,
                 [nPanelWidth, nPanelHeight,
                  vecOptions = std::move(vecOptions)](size_t nFirst, const std::vector<std::string>& vecGroup,
                                                      const FnConvertProgress& fnProgress)
                 {
                     // Files in a row with the same options convert together, in parallel.
                     std::vector<CResult<CPicture>> vecResults;
                     auto itStart = vecGroup.begin();
                     while (itStart != vecGroup.end())
                     {
                         const CConvertOptions& options = vecOptions[nFirst + (itStart - vecGroup.begin())];
                         auto itEnd = itStart + 1;
                         while (itEnd != vecGroup.end() &&
                                vecOptions[nFirst + (itEnd - vecGroup.begin())] == options)
                         {
                             ++itEnd;
                         }
                         std::vector<CResult<CPicture>> vecRun = ConvertPicturesToPanel(
                             {itStart, itEnd}, nPanelWidth, nPanelHeight, options, fnProgress);
                         std::move(vecRun.begin(), vecRun.end(), std::back_inserter(vecResults));
                         itStart = itEnd;
                     }
                     return vecResults;
                 })
{
}

CImportJob::CImportJob(const QStringList& vecPaths, FnConvert fnConvert)
    : CImportJob(vecPaths,
                 [fnConvert = std::move(fnConvert)](size_t, const std::vector<std::string>& vecGroup,
                                                    const FnConvertProgress& fnProgress)
                 { return fnConvert(vecGroup, fnProgress); })
{
}

CImportJob::CImportJob(const QStringList& vecPaths, FnConvertFrom fnConvert)
    : m_fnConvert(std::move(fnConvert)), m_pShared(std::make_shared<CShared>())
{
    for (const QString& strPath : vecPaths)
    {
        m_vecPaths.push_back(QFile::encodeName(strPath).toStdString());
    }
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
    QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection);
}

void CImportJob::Start(FnConverted fnConverted, FnProgress fnProgress)
{
    m_fnConverted = std::move(fnConverted);
    m_fnProgress = std::move(fnProgress);
    m_thread = std::thread([pShared = m_pShared, vecPaths = m_vecPaths, fnConvert = m_fnConvert,
                            fnGate = m_fnGate] { Run(pShared, vecPaths, fnConvert, fnGate); });
}

void CImportJob::Run(const std::shared_ptr<CShared>& pShared, const std::vector<std::string>& vecPaths,
                     const FnConvertFrom& fnConvert, const FnGate& fnGate)
{
    // A group holds one file per core: every core is busy, yet a cancel never waits for more
    // than one picture per core. Within a group the core converts in parallel and gives the
    // results back in order.
    const size_t nGroup = std::max(1u, std::thread::hardware_concurrency());
    for (size_t nFirst = 0; nFirst < vecPaths.size() && !pShared->IsCancelled(); nFirst += nGroup)
    {
        const std::vector<std::string> vecGroup(
            vecPaths.begin() + static_cast<ptrdiff_t>(nFirst),
            vecPaths.begin() + static_cast<ptrdiff_t>(std::min(vecPaths.size(), nFirst + nGroup)));
        CGroup group{
            static_cast<int>(nFirst),
            fnConvert(nFirst, vecGroup, [&pShared](size_t, size_t) { pShared->Post(nullptr, false); })};
        if (fnGate)
        {
            fnGate(group.m_nFirst);
        }
        pShared->Post(&group, false);
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
