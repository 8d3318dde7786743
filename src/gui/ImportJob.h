#pragma once

#include "UiTaskQueue.h"

#include "common/Status.h"
#include "picture/Picture.h"
#include "pipeline/PictureSource.h"
#include "settings/PanelSize.h"

#include <QObject>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace tramino
{

// Converts the entries of a list to the panel size through the core's conversion pool and hands
// the results to the user-interface thread in list order, a group at a time, so that the pictures
// done so far can be listed while the rest is still converting. The conversion runs at most one
// group ahead of the listing, so a cancel stops it soon after what the user has seen. An entry
// gives its first picture.
class CImportJob : public QObject
{
    Q_OBJECT

public:
    // Called on the user-interface thread: the results of entries nFirst, nFirst + 1, ...
    using FnConverted = std::function<void(int nFirst, std::vector<CResult<CPicture>>& vecResults)>;
    // Called on the user-interface thread: entries finished so far.
    using FnProgress = std::function<void(int nDone)>;

    CImportJob(PictureSources vecSources, CPanelSize panel);
    // Waits a little for a conversion under way; one that still waits for its file then is left
    // to end on its own, and nothing of it reaches the window.
    ~CImportJob() override;

    // Called on the worker thread as each group of files starting at nFirst has converted, before
    // it is handed on; tests delay groups with it. Before Start.
    using FnGate = std::function<void(int nFirst)>;
    void SetGate(FnGate fnGate) { m_fnGate = std::move(fnGate); }

    void Start(FnConverted fnConverted, FnProgress fnProgress);
    // No group is started after this, the groups converted already are delivered, and Finished
    // follows from the event loop even while a conversion still waits for its file (a FIFO, a
    // stalled network folder). User-interface thread.
    void Cancel();

signals:
    // Emitted on the user-interface thread after the last delivery.
    void Finished();

private:
    struct CShared;

    // Worker side.
    static void Run(const std::shared_ptr<CShared>& pShared,
                    const std::shared_ptr<const PictureSources>& pSources, CPanelSize panel,
                    const FnGate& fnGate);
    // User-interface side, reached through m_uiTasks; the groups travel under the shared mutex.
    void Deliver();
    void DeliverQueued();

    std::shared_ptr<const PictureSources> m_pSources;
    CPanelSize m_panel;
    FnGate m_fnGate;
    FnConverted m_fnConverted;
    FnProgress m_fnProgress;
    std::shared_ptr<CShared> m_pShared;
    bool m_bFinishEmitted = false; // user-interface thread only, as the two below
    bool m_bDelivering = false;
    bool m_bDeliverAgain = false;
    // Carries the worker's "take what is new" to the user-interface thread; what is still queued
    // when the job goes is dropped with it.
    CUiTaskQueue m_uiTasks;
    std::thread m_thread;
};

} // namespace tramino
