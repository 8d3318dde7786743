#pragma once

#include "WorkerUi.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tramino
{

// Stands in for the main dialog: logs every call as a short text, keeps the state the calls
// leave behind, and answers the save dialog as told. Safe to call from any thread.
//
// Log entries: "enable <id> <0|1>", "caption <id> <text>", "clear <item>", "select <item>",
// "visible <item>", "timer start", "timer stop", "shown <n>", "invalidate", "ask",
// "message <title>: <text>" (an error: "message (error) <title>: <text>"), and "pixels <count>" for each run
// of consecutive PutPixel calls.
class CFakeWorkerUi : public IWorkerUi
{
public:
    CFakeWorkerUi(int nWidth, int nHeight);

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
    std::optional<std::string> AskSaveFileName(const std::string& strFilter,
                                               const std::string& strDefaultExtension) override;
    void ShowMessage(const std::string& strText, const std::string& strTitle, EMessageKind eKind) override;

    // What the save dialog answers; no value is a cancel.
    void SetSaveAnswer(std::optional<std::string> strPath);
    // Called after each logged entry, outside the lock (pixels: after each pixel run's first).
    void SetHook(std::function<void(const std::string& strEntry)> fnHook);

    std::vector<std::string> Log() const;
    // Entries that start with strPrefix.
    std::vector<std::string> LogOf(const std::string& strPrefix) const;
    bool IsEnabled(int nButtonId) const;
    std::string Caption(int nButtonId) const;
    bool IsTimerRunning() const;
    int ShownImage() const;
    std::set<int> SelectedItems() const;
    CRgb CanvasPixel(int x, int y) const;

private:
    // Applies fnChange to the state and logs strEntry, both under the lock.
    void Record(const std::string& strEntry, const std::function<void()>& fnChange = {});

    const int m_nWidth;
    const int m_nHeight;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_vecLog;
    long m_nPixelRun = 0; // pixels in the log's last entry, 0 when it is no pixel entry
    std::map<int, bool> m_mapEnabled;
    std::map<int, std::string> m_mapCaption;
    std::set<int> m_setSelected;
    bool m_bTimerRunning = false;
    int m_nShownImage = -1;
    std::vector<CRgb> m_vecCanvas;
    std::optional<std::string> m_strSaveAnswer;
    std::function<void(const std::string&)> m_fnHook;
};

// Lets a test thread act at a moment a worker reaches: the worker blocks in Reach() until the
// test has called Release().
class CHandOff
{
public:
    void Reach();
    void WaitReached();
    void Release();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bReached = false;
    bool m_bReleased = false;
};

} // namespace tramino
