#pragma once

#include "common/Status.h"
#include "picture/Picture.h"
#include "resample/ConvertPicture.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
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
    // Converts one group of files, in their order, on any thread.
    using FnConvert = std::function<std::vector<CResult<CPicture>>(const std::vector<std::string>& vecPaths,
                                                                   const FnConvertProgress& fnProgress)>;

    // bFast lets the JPEG decoder scale down while decoding (the command line's --fast).
    CImportJob(const QStringList& vecPaths, int nPanelWidth, int nPanelHeight, bool bFast = false);
    // Each file with options of its own (a project's pictures), one for each path.
    CImportJob(const QStringList& vecPaths, int nPanelWidth, int nPanelHeight,
               std::vector<CConvertOptions> vecOptions);
    CImportJob(const QStringList& vecPaths, FnConvert fnConvert);
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

    // Converts the group of files that starts with file nFirst.
    using FnConvertFrom = std::function<std::vector<CResult<CPicture>>(
        size_t nFirst, const std::vector<std::string>& vecPaths, const FnConvertProgress& fnProgress)>;
    CImportJob(const QStringList& vecPaths, FnConvertFrom fnConvert);

    // Worker side.
    static void Run(const std::shared_ptr<CShared>& pShared, const std::vector<std::string>& vecPaths,
                    const FnConvertFrom& fnConvert, const FnGate& fnGate);
    // User-interface side; invoked by name, so that the event Qt queues carries nothing built by
    // our code (Qt is not built for ThreadSanitizer; the groups travel under the shared mutex).
    Q_INVOKABLE void Deliver();
    void DeliverQueued();

    std::vector<std::string> m_vecPaths;
    FnConvertFrom m_fnConvert;
    FnGate m_fnGate;
    FnConverted m_fnConverted;
    FnProgress m_fnProgress;
    std::shared_ptr<CShared> m_pShared;
    bool m_bFinishEmitted = false; // user-interface thread only, as the two below
    bool m_bDelivering = false;
    bool m_bDeliverAgain = false;
    std::thread m_thread;
};

} // namespace tramino
