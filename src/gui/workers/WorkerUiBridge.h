#pragma once

#include "WorkerShared.h"
#include "WorkerUi.h"

#include <functional>
#include <memory>
#include <thread>

namespace tramino
{

// Hands the calls of a worker to the user-interface thread and waits for each to complete,
// like a blocking queued call, except that closing the window ends the wait.
//
// Why not a plain blocking queued call: the close handler must wait for the worker before it
// removes the store, while the worker may be waiting for the user-interface thread to carry
// out its last call; the two would wait for each other. Testing a "closing" flag before each
// call does not help, because the window can close between the test and the call. Here the
// wait itself ends when the sleeper is interrupted: the worker then goes on as if the call had
// been made (a dialog as if cancelled), and the queued call, should it still run later, does
// nothing. So once the sleeper is interrupted, no call of the worker reaches the dialog.
//
// Calls made on the user-interface thread itself (OnPreview, OnTransform) run directly.
// PutPixel is never queued: it goes straight to uiOnUiThread.PutPixel, which must be thread-safe.
class CWorkerUiBridge final : public IWorkerUi
{
public:
    // Queues a task on the user-interface thread's event loop and returns at once.
    using FnPost = std::function<void(std::function<void()>)>;

    // uiOnUiThread: the dialog's own implementation, called only on the user-interface thread
    // (PutPixel excepted). Construct the bridge on that thread, or name it in idUiThread.
    CWorkerUiBridge(IWorkerUi& uiOnUiThread, FnPost fnPost, const CWorkerShared& shared,
                    std::thread::id idUiThread = std::this_thread::get_id());

    void EnableButton(int nButtonId, bool bEnable) override;
    void SetButtonCaption(int nButtonId, const std::string& strCaption) override;
    void ClearItemSelected(int nItem) override;
    void SelectAndFocusItem(int nItem) override;
    void EnsureItemVisible(int nItem) override;
    void StartRefreshTimer() override;
    void StopRefreshTimer() override;
    void SetShownImage(int nImage) override;
    void InvalidateWindow() override;
    void PutPixel(int x, int y, CRgb cr) override;
    void PutPicture(const CPicture& picture) override;
    std::optional<std::string> AskSaveFileName(const std::string& strFilter,
                                               const std::string& strDefaultExtension) override;
    void ShowMessage(const std::string& strText, const std::string& strTitle, EMessageKind eKind) override;
    void ShowWritten(const std::string& strPath, int nPictures) override;

private:
    // Runs fn(m_ui) on the user-interface thread and returns its result, or fallback when the
    // window closes first.
    template <class T> T Call(std::function<T(IWorkerUi&)> fn, T fallback);
    void Call(std::function<void(IWorkerUi&)> fn);

    IWorkerUi& m_ui;
    FnPost m_fnPost;
    std::shared_ptr<CInterruptibleSleeper> m_pSleeper;
    std::thread::id m_idUiThread;
};

} // namespace tramino
