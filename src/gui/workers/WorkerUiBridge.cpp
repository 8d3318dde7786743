#include "WorkerUiBridge.h"

namespace tramino
{

CWorkerUiBridge::CWorkerUiBridge(IWorkerUi& uiOnUiThread, FnPost fnPost, const CWorkerShared& shared,
                                 std::thread::id idUiThread)
    : m_ui(uiOnUiThread), m_fnPost(std::move(fnPost)), m_pSleeper(shared.m_pSleeper), m_idUiThread(idUiThread)
{
}

template <class T> T CWorkerUiBridge::Call(std::function<T(IWorkerUi&)> fn, T fallback)
{
    if (std::this_thread::get_id() == m_idUiThread)
        return fn(m_ui);
    if (m_pSleeper->IsInterrupted())
        return fallback;

    // Owned jointly by the waiting worker and the queued task, so that either may go first.
    struct CPending
    {
        bool m_bDone = false;
        T m_result;
    };
    auto pPending = std::make_shared<CPending>(CPending{false, fallback});
    m_fnPost(
        [pPending, pSleeper = m_pSleeper, &ui = m_ui, fn = std::move(fn)]
        {
            // Once closing, the worker no longer waits and the dialog may be on its way out.
            if (pSleeper->IsInterrupted())
                return;
            T result = fn(ui);
            pSleeper->Update(
                [&]
                {
                    pPending->m_result = std::move(result);
                    pPending->m_bDone = true;
                });
        });
    if (!m_pSleeper->WaitFor([&] { return pPending->m_bDone; }))
        return fallback;
    return std::move(pPending->m_result);
}

void CWorkerUiBridge::Call(std::function<void(IWorkerUi&)> fn)
{
    Call<bool>(
        [fn = std::move(fn)](IWorkerUi& ui)
        {
            fn(ui);
            return true;
        },
        false);
}

void CWorkerUiBridge::EnableButton(int nButtonId, bool bEnable)
{
    Call([=](IWorkerUi& ui) { ui.EnableButton(nButtonId, bEnable); });
}

void CWorkerUiBridge::SetButtonCaption(int nButtonId, const std::string& strCaption)
{
    Call([=](IWorkerUi& ui) { ui.SetButtonCaption(nButtonId, strCaption); });
}

void CWorkerUiBridge::ClearItemSelected(int nItem)
{
    Call([=](IWorkerUi& ui) { ui.ClearItemSelected(nItem); });
}

void CWorkerUiBridge::SelectAndFocusItem(int nItem)
{
    Call([=](IWorkerUi& ui) { ui.SelectAndFocusItem(nItem); });
}

void CWorkerUiBridge::EnsureItemVisible(int nItem)
{
    Call([=](IWorkerUi& ui) { ui.EnsureItemVisible(nItem); });
}

void CWorkerUiBridge::StartRefreshTimer()
{
    Call([](IWorkerUi& ui) { ui.StartRefreshTimer(); });
}

void CWorkerUiBridge::StopRefreshTimer()
{
    Call([](IWorkerUi& ui) { ui.StopRefreshTimer(); });
}

void CWorkerUiBridge::SetShownImage(int nImage)
{
    Call([=](IWorkerUi& ui) { ui.SetShownImage(nImage); });
}

void CWorkerUiBridge::InvalidateWindow()
{
    Call([](IWorkerUi& ui) { ui.InvalidateWindow(); });
}

void CWorkerUiBridge::PutPixel(int x, int y, CRgb cr)
{
    if (!m_pSleeper->IsInterrupted())
        m_ui.PutPixel(x, y, cr);
}

void CWorkerUiBridge::PutPicture(const CPicture& picture)
{
    if (!m_pSleeper->IsInterrupted())
        m_ui.PutPicture(picture);
}

std::optional<std::string> CWorkerUiBridge::AskSaveFileName(const std::string& strFilter,
                                                            const std::string& strDefaultExtension)
{
    return Call<std::optional<std::string>>(
        [=](IWorkerUi& ui) { return ui.AskSaveFileName(strFilter, strDefaultExtension); }, std::nullopt);
}

void CWorkerUiBridge::ShowMessage(const std::string& strText, const std::string& strTitle, EMessageKind eKind)
{
    Call([=](IWorkerUi& ui) { ui.ShowMessage(strText, strTitle, eKind); });
}

void CWorkerUiBridge::ShowWritten(const std::string& strPath, int nPictures)
{
    Call([=](IWorkerUi& ui) { ui.ShowWritten(strPath, nPictures); });
}

} // namespace tramino
