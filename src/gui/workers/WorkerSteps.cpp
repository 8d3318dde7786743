#include "WorkerSteps.h"

#include "pipeline/PictureSource.h"

#include <array>

namespace tramino
{

void EnableOtherButtons(IWorkerUi& ui, int nOwnButton, bool bEnable)
{
    const int nOtherWorker = nOwnButton == g_nIdPreview ? g_nIdTransform : g_nIdPreview;
    for (const int nId :
         std::array{g_nIdClean, g_nIdDelete, g_nIdUp, g_nIdDown, nOtherWorker, g_nIdLoadImage})
        ui.EnableButton(nId, bEnable);
}

void ClearAllSelected(IWorkerUi& ui, const CWorkerRun& run)
{
    for (int i = 0; i < run.m_nImageCount; ++i)
        ui.ClearItemSelected(i);
}

void MarkItem(IWorkerUi& ui, int i)
{
    if (i >= 1)
        ui.ClearItemSelected(i - 1);
    ui.SelectAndFocusItem(i);
    ui.EnsureItemVisible(i);
}

std::optional<CPicture> LoadPicture(const CWorkerRun& run, int i,
                                    std::vector<CUnreadablePicture>& vecUnreadable)
{
    CResult<CPicture> picture = run.m_fnReadPicture(i);
    if (!picture)
    {
        vecUnreadable.push_back({i, picture.Message()});
        return std::nullopt;
    }
    // Drawing reads every panel position of the picture.
    if (CStatus status = CheckPanelSize(picture.Value(), {run.m_nPanelWidth, run.m_nPanelHeight}); !status)
    {
        vecUnreadable.push_back({i, status.Message()});
        return std::nullopt;
    }
    return std::move(picture).Value();
}

std::unique_ptr<IPictureSource> FramesSource(const CWorkerRun& run, int i)
{
    return run.m_fnFrames ? run.m_fnFrames(i) : nullptr;
}

bool AfterPicture(IWorkerUi& ui, const CWorkerShared& shared, int i, int nCount, int nWaitMs, bool bStored)
{
    if (!bStored)
    {
        shared.m_pSleeper->SleepFor(std::chrono::milliseconds(nWaitMs));
        return shared.m_bStopRequested;
    }
    ui.SetShownImage(i);
    ui.StartRefreshTimer();
    shared.m_pSleeper->SleepFor(std::chrono::milliseconds(nWaitMs));
    if (i != nCount - 1)
        ui.StopRefreshTimer();
    if (!shared.m_bStopRequested)
        return false;
    ui.StartRefreshTimer();
    return true;
}

std::string UnreadableReport(const std::vector<CUnreadablePicture>& vecUnreadable)
{
    if (vecUnreadable.empty())
        return {};
    std::string strReport = "These pictures could not be read and were replaced by white:";
    for (const CUnreadablePicture& unreadable : vecUnreadable)
        strReport +=
            "\nPicture " + std::to_string(unreadable.m_nPosition + 1) + ": " + unreadable.m_strReason;
    return strReport;
}

void EndRun(IWorkerUi& ui, CWorkerShared& shared, int nOwnButton, const std::string& strIdleCaption)
{
    EnableOtherButtons(ui, nOwnButton, true);
    ui.SetButtonCaption(nOwnButton, strIdleCaption);
    shared.m_bStopRequested = false;
    shared.m_bBusy = false;
    ui.EnableButton(nOwnButton, true);
    shared.m_bIgnoreListSelect = false;
}

} // namespace tramino
