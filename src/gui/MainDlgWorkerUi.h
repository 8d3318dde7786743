#pragma once

#include "workers/WorkerUi.h"

#include <QString>

#include <functional>

class QPushButton;
class QTableView;

namespace tramino
{

class CPanelCanvas;
class IShowWindow;

// The main dialog as the Preview and Transform workers see it. Every call but
// PutPixel must be made on the user-interface thread: the workers reach it
// through a CWorkerUiBridge. Controls are found by their template identifiers.
class CMainDlgWorkerUi final : public IWorkerUi
{
public:
    // What the window does for its workers beyond its controls.
    struct CHooks
    {
        std::function<void(bool bStart)> m_fnRefreshTimer;
        std::function<void(const QString& strPath, int nPictures)> m_fnShowWritten;
    };
    CMainDlgWorkerUi(IShowWindow& window, CHooks hooks) : m_window(window), m_hooks(std::move(hooks)) {}

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
    QPushButton* Button(int nButtonId) const;
    QTableView* List() const;
    CPanelCanvas* Preview() const;

    IShowWindow& m_window;
    CHooks m_hooks;
};

} // namespace tramino
