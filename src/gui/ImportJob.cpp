#include "ImportJob.h"

#include "resample/ConvertPicture.h"

#include <QFile>
#include <QMetaObject>

#include <algorithm>

namespace tramino
{

CImportJob::CImportJob(QStringList vecPaths, int nPanelWidth, int nPanelHeight, bool bFast)
    : m_vecPaths(std::move(vecPaths)), m_nPanelWidth(nPanelWidth), m_nPanelHeight(nPanelHeight),
      m_bFast(bFast)
{
}

CImportJob::~CImportJob()
{
    Cancel();
    if (m_thread.joinable())
    {
        m_thread.join();
    }
}

void CImportJob::Cancel()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bCancel.store(true);
    }
    m_cvTaken.notify_all();
}

void CImportJob::Start(FnConverted fnConverted, FnProgress fnProgress)
{
    m_fnConverted = std::move(fnConverted);
    m_fnProgress = std::move(fnProgress);
    m_thread = std::jthread([this] { Run(); });
}

void CImportJob::Run()
{
    // A group holds one file per core: every core is busy, yet a cancel never waits for more
    // than one picture per core. Within a group the core converts in parallel and gives the
    // results back in order.
    const int nGroup = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int nTotal = static_cast<int>(m_vecPaths.size());
    for (int nFirst = 0; nFirst < nTotal && !m_bCancel.load(); nFirst += nGroup)
    {
        std::vector<std::string> vecGroup;
        for (int i = nFirst; i < std::min(nTotal, nFirst + nGroup); ++i)
        {
            vecGroup.push_back(QFile::encodeName(m_vecPaths[i]).toStdString());
        }
        CGroup group{nFirst,
                     ConvertPicturesToPanel(vecGroup, m_nPanelWidth, m_nPanelHeight, {.m_bFast = m_bFast},
                                            [this](size_t, size_t) { Post(nullptr, false); })};
        Post(&group, false);
    }
    Post(nullptr, true);
}

void CImportJob::Post(CGroup* pGroup, bool bFinished)
{
    {
        std::unique_lock lock(m_mutex);
        if (pGroup != nullptr)
        {
            m_cvTaken.wait(lock, [this] { return m_queGroups.empty() || m_bCancel.load(); });
            m_queGroups.push_back(std::move(*pGroup));
        }
        else if (!bFinished)
        {
            ++m_nDone;
        }
        m_bFinished = m_bFinished || bFinished;
    }
    QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection);
}

void CImportJob::Deliver()
{
    std::deque<CGroup> queGroups;
    int nDone = 0;
    bool bFinished = false;
    {
        const std::lock_guard lock(m_mutex);
        queGroups.swap(m_queGroups);
        nDone = m_nDone;
        bFinished = m_bFinished;
    }
    m_cvTaken.notify_all();
    m_fnProgress(nDone);
    for (CGroup& group : queGroups)
    {
        m_fnConverted(group.m_nFirst, group.m_vecResults);
    }
    if (bFinished && !m_bFinishEmitted)
    {
        m_bFinishEmitted = true;
        emit Finished();
    }
}

} // namespace tramino
