#include "ImportJob.h"

#include "resample/ConvertPicture.h"

#include <QFile>
#include <QMetaObject>

#include <algorithm>
#include <memory>

namespace tramino
{

CImportJob::CImportJob(QStringList vecPaths, int nPanelWidth, int nPanelHeight)
    : m_vecPaths(std::move(vecPaths)), m_nPanelWidth(nPanelWidth), m_nPanelHeight(nPanelHeight)
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

void CImportJob::Start(FnConverted fnConverted, FnProgress fnProgress)
{
    m_fnConverted = std::move(fnConverted);
    m_fnProgress = std::move(fnProgress);
    m_thread = std::jthread([this] { Run(); });
}

void CImportJob::Run()
{
    // A group holds one file per core: every core is busy, yet a cancel or a delivery never
    // waits for more than one picture per core. Within a group the core converts in parallel
    // and gives the results back in order.
    const int nGroup = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int nTotal = static_cast<int>(m_vecPaths.size());
    for (int nFirst = 0; nFirst < nTotal && !m_bCancel.load(); nFirst += nGroup)
    {
        std::vector<std::string> vecGroup;
        for (int i = nFirst; i < std::min(nTotal, nFirst + nGroup); ++i)
        {
            vecGroup.push_back(QFile::encodeName(m_vecPaths[i]).toStdString());
        }
        const int nBefore = m_nDone.load();
        auto pResults = std::make_shared<std::vector<CResult<CPicture>>>(ConvertPicturesToPanel(
            vecGroup, m_nPanelWidth, m_nPanelHeight, {},
            [this, nBefore](size_t nDone, size_t)
            {
                m_nDone.store(nBefore + static_cast<int>(nDone));
                QMetaObject::invokeMethod(
                    this, [this] { m_fnProgress(m_nDone.load()); }, Qt::QueuedConnection);
            }));
        QMetaObject::invokeMethod(
            this, [this, nFirst, pResults] { m_fnConverted(nFirst, *pResults); }, Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(
        this, [this] { emit Finished(); }, Qt::QueuedConnection);
}

} // namespace tramino
