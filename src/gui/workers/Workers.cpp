#include "Workers.h"

#include "WorkerSteps.h"
#include "pipeline/ShowBuilder.h"
#include "show/Transition.h"

namespace tramino
{

namespace
{

constexpr CRgb g_crWhite{255, 255, 255};

using FnWorker = void (*)(CWorkerShared&, IWorkerUi&, const CWorkerRun&);

void OnWorkerButton(EWorkerKind eKind, CWorkerShared& shared, IWorkerUi& ui, CWorkerThread& thread,
                    const CWorkerRun& run)
{
    const bool bPreview = eKind == EWorkerKind::Preview;
    const int nOwnButton = bPreview ? g_nIdPreview : g_nIdTransform;
    if (run.m_nImageCount == 0 || shared.IsClosing())
        return;
    if (shared.m_bBusy)
    {
        // Only the running worker's own button stops it; the other one is greyed by then or
        // about to be.
        if (thread.Kind() == eKind)
        {
            shared.m_bStopRequested = true;
            ui.EnableButton(nOwnButton, false);
        }
        return;
    }
    // The last worker has cleared the busy flag but still restores its button.
    if (thread.IsRunning())
        return;
    shared.m_bBusy = true;
    // A press that came too late for the last run must not stop this one.
    shared.m_bStopRequested = false;
    ui.SetButtonCaption(nOwnButton, run.m_texts.m_strRunning);
    const FnWorker fnWorker = bPreview ? PreviewWorker : TransformWorker;
    thread.Start(eKind, [fnWorker, &shared, &ui, run] { fnWorker(shared, ui, run); });
}

// The show file under strPath, picture after picture, each followed by its pause. A failure
// ends the run at once and leaves no file behind (an existing one stays as it was).
CShowBuildResult WriteShow(const CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run, EEffect effect,
                           const std::string& strPath, std::vector<CUnreadablePicture>& vecUnreadable)
{
    PictureSources vecSources;
    std::vector<bool> vecStored;
    for (int i = 0; i < run.m_nImageCount; ++i)
    {
        std::unique_ptr<IPictureSource> pFrames = FramesSource(run, i);
        vecStored.push_back(pFrames == nullptr);
        vecSources.push_back(
            pFrames ? std::move(pFrames)
                    : std::make_unique<CReadPictureSource>([&run, i] { return run.m_fnReadPicture(i); }));
    }
    CPixelPacer pacer(run.m_timing.m_nPixelsPerSecond, *shared.m_pSleeper);
    // At full speed the picture is gathered here and shown once, when it is written.
    CPicture frame(run.m_nPanelWidth, run.m_nPanelHeight, 24);
    CShowBuildEvents events;
    events.m_fnEntryStart = [&](size_t i)
    {
        MarkItem(ui, static_cast<int>(i));
        pacer.Start();
    };
    if (run.m_bFullSpeed)
        events.m_fnPixel = [&frame](int x, int y, CRgb cr) { frame.SetPixel(x, y, cr); };
    else
        events.m_fnPixel = [&](int x, int y, CRgb cr)
        {
            ui.PutPixel(x, y, cr);
            pacer.OnPixel();
        };
    events.m_fnPictureWritten = [&](size_t i)
    {
        if (run.m_bFullSpeed)
            ui.PutPicture(frame);
        return !AfterPicture(ui, shared, static_cast<int>(i), run.m_nImageCount,
                             run.m_bFullSpeed ? 0 : run.m_timing.m_nPauseMs, vecStored[i]);
    };
    events.m_fnEntryFailed = [&](size_t i, const CStatus& status) {
        vecUnreadable.push_back({static_cast<int>(i), status.Message()});
    };
    CShowBuildOptions options;
    options.m_nPanelWidth = run.m_nPanelWidth;
    options.m_nPanelHeight = run.m_nPanelHeight;
    options.m_effect = effect;
    options.m_eUnreadable = EUnreadable::WriteWhite;
    // The store's pictures are read one at a time, each just before it is written.
    options.m_nJobs = 0;
    options.m_fnOpenSink = run.m_fnOpenSink;
    CShowBuilder builder(std::move(options), std::move(events));
    return builder.Build(vecSources, strPath);
}

std::string JoinParagraphs(const std::string& strFirst, const std::string& strSecond)
{
    if (strFirst.empty() || strSecond.empty())
        return strFirst + strSecond;
    return strFirst + "\n\n" + strSecond;
}

// A failure is always reported; completion only after a run that was not stopped; the pictures
// that could not be read in any case, with whichever message comes, which then is an error.
void ReportTransform(const CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run, const CStatus& status,
                     const std::string& strUnreadable)
{
    const CWorkerTexts& texts = run.m_texts;
    if (!status)
        ui.ShowMessage(JoinParagraphs(status.Message(), strUnreadable), texts.m_strTransform,
                       EMessageKind::Error);
    else if (!shared.m_bStopRequested)
        ui.ShowMessage(JoinParagraphs(texts.m_strTransformDone, strUnreadable), texts.m_strTransformDone,
                       strUnreadable.empty() ? EMessageKind::Information : EMessageKind::Error);
    else if (!strUnreadable.empty())
        ui.ShowMessage(strUnreadable, texts.m_strTransform, EMessageKind::Error);
}

} // namespace

void OnPreview(CWorkerShared& shared, IWorkerUi& ui, CWorkerThread& thread, const CWorkerRun& run)
{
    OnWorkerButton(EWorkerKind::Preview, shared, ui, thread, run);
}

void OnTransform(CWorkerShared& shared, IWorkerUi& ui, CWorkerThread& thread, const CWorkerRun& run)
{
    OnWorkerButton(EWorkerKind::Transform, shared, ui, thread, run);
}

void PreviewWorker(CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run)
{
    shared.m_bIgnoreListSelect = true;
    EnableOtherButtons(ui, g_nIdPreview, false);
    ui.StopRefreshTimer();
    ClearAllSelected(ui, run);

    std::vector<CUnreadablePicture> vecUnreadable;
    if (const std::optional<EEffect> effect = run.m_effect)
    {
        CPixelPacer pacer(run.m_timing.m_nPixelsPerSecond, *shared.m_pSleeper);
        bool bStop = false;
        for (int i = 0; i < run.m_nImageCount && !bStop; ++i)
        {
            MarkItem(ui, i);
            std::unique_ptr<IPictureSource> pFrames = FramesSource(run, i);
            // Played as the show lays it down: a white picture for one that cannot be read.
            const auto fnPlay = [&](const CPicture* pPicture)
            {
                pacer.Start();
                ForEachEffectPosition(*effect, run.m_nPanelWidth, run.m_nPanelHeight,
                                      [&](int x, int y)
                                      {
                                          ui.PutPixel(x, y, pPicture ? pPicture->GetPixel(x, y) : g_crWhite);
                                          pacer.OnPixel();
                                      });
                bStop = AfterPicture(ui, shared, i, run.m_nImageCount, run.m_timing.m_nHoldMs, !pFrames);
                return !bStop;
            };
            if (!pFrames)
            {
                const std::optional<CPicture> picture = LoadPicture(run, i, vecUnreadable);
                fnPlay(picture ? &*picture : nullptr);
                continue;
            }
            bool bPlayed = false;
            const CStatus status = pFrames->Produce({run.m_nPanelWidth, run.m_nPanelHeight},
                                                    [&](const CPicture& picture)
                                                    {
                                                        bPlayed = true;
                                                        return fnPlay(&picture);
                                                    });
            if (!status)
            {
                vecUnreadable.push_back({i, status.Message()});
                if (!bPlayed)
                    fnPlay(nullptr);
            }
        }
    }
    if (!vecUnreadable.empty())
        ui.ShowMessage(UnreadableReport(vecUnreadable), run.m_texts.m_strPreview, EMessageKind::Error);
    EndRun(ui, shared, g_nIdPreview, run.m_texts.m_strPreview);
}

void TransformWorker(CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run)
{
    shared.m_bIgnoreListSelect = true;
    EnableOtherButtons(ui, g_nIdTransform, false);
    ClearAllSelected(ui, run);

    const std::optional<EEffect> effect = run.m_effect;
    const std::optional<std::string> strPath = effect ? ui.AskSaveFileName("*.qrv", "qrv") : std::nullopt;
    if (strPath)
    {
        ui.StopRefreshTimer();
        ui.InvalidateWindow();
        std::vector<CUnreadablePicture> vecUnreadable;
        const CShowBuildResult result = WriteShow(shared, ui, run, *effect, *strPath, vecUnreadable);
        if (result.m_bWritten)
            ui.ShowWritten(*strPath, result.m_nPictures);
        ReportTransform(shared, ui, run, result.m_status, UnreadableReport(vecUnreadable));
    }
    EndRun(ui, shared, g_nIdTransform, run.m_texts.m_strTransform);
}

void RequestCloseAndWait(CWorkerShared& shared, CWorkerThread& thread)
{
    shared.m_bStopRequested = true;
    shared.m_pSleeper->Interrupt();
    thread.Join();
}

} // namespace tramino
