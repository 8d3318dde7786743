#pragma once

#include "common/Status.h"
#include "picture/Picture.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tramino
{

// Converts picture files to the panel size on worker threads and hands the results to the
// user-interface thread in the order of the files, a group at a time, so that the pictures
// done so far can be listed while the rest is still converting. The conversion runs at most one
// group ahead of the listing, so a cancel stops it soon after what the user has seen.
class CImportJob : public QObject
{
    Q_OBJECT

public:
    // Called on the user-interface thread: the results of files nFirst, nFirst + 1, ...
    using FnConverted = std::function<void(int nFirst, std::vector<CResult<CPicture>>& vecResults)>;
    // Called on the user-interface thread: files finished so far.
    using FnProgress = std::function<void(int nDone)>;

    // bFast lets the JPEG decoder scale down while decoding (the command line's --fast).
    CImportJob(QStringList vecPaths, int nPanelWidth, int nPanelHeight, bool bFast = false);
    ~CImportJob() override;

    void Start(FnConverted fnConverted, FnProgress fnProgress);
    // No group is started after this; the groups converted already are still delivered. Any thread.
    void Cancel();
    bool IsCancelled() const { return m_bCancel.load(); }

signals:
    // Emitted on the user-interface thread after the last delivery.
    void Finished();

private:
    struct CGroup
    {
        int m_nFirst = 0;
        std::vector<CResult<CPicture>> m_vecResults;
    };

    void Run();
    // Worker side: queue what is new and ask the user-interface thread to take it.
    void Post(CGroup* pGroup, bool bFinished);
    // User-interface side; invoked by name, so that the event Qt queues carries nothing built by
    // our code (Qt is not built for ThreadSanitizer; the groups travel under m_mutex).
    Q_INVOKABLE void Deliver();

    const QStringList m_vecPaths;
    const int m_nPanelWidth;
    const int m_nPanelHeight;
    const bool m_bFast;
    FnConverted m_fnConverted;
    FnProgress m_fnProgress;
    std::atomic<bool> m_bCancel{false};

    std::mutex m_mutex;
    std::condition_variable m_cvTaken; // the user-interface thread took the queued groups
    std::deque<CGroup> m_queGroups;    // guarded by m_mutex
    int m_nDone = 0;                   // guarded by m_mutex
    bool m_bFinished = false;          // guarded by m_mutex
    bool m_bFinishEmitted = false;     // user-interface thread only

    std::jthread m_thread;
};

} // namespace tramino
