#include "Workers.h"

#include "WorkerSteps.h"
#include "show/RecordCutter.h"
#include "show/ShowFileWriter.h"
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
    if (shared.m_nImageCount == 0 || shared.IsClosing())
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
CStatus WriteShow(const CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run, EEffect effect,
                  const std::string& strPath, std::vector<CUnreadablePicture>& vecUnreadable)
{
    CShowFileWriter writer(run.m_fnOpenSink ? run.m_fnOpenSink : ShowFileSinkOpener(OpenReplacingFile));
    CStatus status = writer.Create(strPath);
    CPixelPacer pacer(run.m_timing.m_nPixelsPerSecond, *shared.m_pSleeper);
    const PixelEcho echo = [&](int x, int y, CRgb cr)
    {
        ui.PutPixel(x, y, cr);
        pacer.OnPixel();
    };
    const int nWidth = run.m_nPanelWidth;
    const int nHeight = run.m_nPanelHeight;
    for (int i = 0; status && i < shared.m_nImageCount; ++i)
    {
        MarkItem(ui, i);
        const std::optional<CPicture> picture = LoadPicture(run, i, vecUnreadable);
        pacer.Start();
        status = picture ? WritePictureRecords(writer, effect, nWidth, nHeight, *picture, echo)
                         : WriteUnreadablePicture(writer, effect, nWidth, nHeight, echo);
        if (status && AfterPicture(ui, shared, i, run.m_timing.m_nPauseMs))
            break;
    }
    if (!status)
        return status;
    return writer.Finish();
}

std::string JoinParagraphs(const std::string& strFirst, const std::string& strSecond)
{
    if (strFirst.empty() || strSecond.empty())
        return strFirst + strSecond;
    return strFirst + "\n\n" + strSecond;
}

// A failure is always reported; completion only after a run that was not stopped; the pictures
// that could not be read in any case, with whichever message comes.
void ReportTransform(const CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run, const CStatus& status,
                     const std::string& strUnreadable)
{
    const CWorkerTexts& texts = run.m_texts;
    if (!status)
        ui.ShowMessage(JoinParagraphs(status.Message(), strUnreadable), texts.m_strTransform);
    else if (!shared.m_bStopRequested)
        ui.ShowMessage(JoinParagraphs(texts.m_strTransformDone, strUnreadable), texts.m_strTransformDone);
    else if (!strUnreadable.empty())
        ui.ShowMessage(strUnreadable, texts.m_strTransform);
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
    ClearAllSelected(ui, shared);

    std::vector<CUnreadablePicture> vecUnreadable;
    if (const std::optional<EEffect> effect = SelectEffect(run.m_strMode))
    {
        CPixelPacer pacer(run.m_timing.m_nPixelsPerSecond, *shared.m_pSleeper);
        for (int i = 0; i < shared.m_nImageCount; ++i)
        {
            MarkItem(ui, i);
            const std::optional<CPicture> picture = LoadPicture(run, i, vecUnreadable);
            pacer.Start();
            ForEachEffectPosition(*effect, run.m_nPanelWidth, run.m_nPanelHeight,
                                  [&](int x, int y)
                                  {
                                      ui.PutPixel(x, y, picture ? picture->GetPixel(x, y) : g_crWhite);
                                      pacer.OnPixel();
                                  });
            if (AfterPicture(ui, shared, i, run.m_timing.m_nHoldMs))
                break;
        }
    }
    if (!vecUnreadable.empty())
        ui.ShowMessage(UnreadableReport(vecUnreadable), run.m_texts.m_strPreview);
    EndRun(ui, shared, g_nIdPreview, run.m_texts.m_strPreview);
}

void TransformWorker(CWorkerShared& shared, IWorkerUi& ui, const CWorkerRun& run)
{
    shared.m_bIgnoreListSelect = true;
    EnableOtherButtons(ui, g_nIdTransform, false);
    ClearAllSelected(ui, shared);

    const std::optional<EEffect> effect = SelectEffect(run.m_strMode);
    const std::optional<std::string> strPath = effect ? ui.AskSaveFileName("*.qrv", "qrv") : std::nullopt;
    if (strPath)
    {
        ui.StopRefreshTimer();
        ui.InvalidateWindow();
        std::vector<CUnreadablePicture> vecUnreadable;
        const CStatus status = WriteShow(shared, ui, run, *effect, *strPath, vecUnreadable);
        ReportTransform(shared, ui, run, status, UnreadableReport(vecUnreadable));
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
