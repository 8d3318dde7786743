#pragma once

#include "ConversionRunner.h"
#include "FrameAnimation.h"
#include "MainDlgWorkerUi.h"
#include "ModeBox.h"
#include "ShowPlayer.h"
#include "ShowWindow.h"
#include "SkinDialog.h"
#include "UiTaskQueue.h"
#include "UiTexts.h"
#include "WindowSettings.h"
#include "workers/WorkerUiBridge.h"
#include "workers/Workers.h"

#include "document/DocumentObserver.h"
#include "document/ShowDocument.h"
#include "resample/ConvertPicture.h"
#include "settings/PanelSize.h"
#include "show/Transition.h"

#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableView;

namespace tramino
{

class CPanelCanvas;
class CDocumentUndo;
class CFileOpening;
class CInsertRowsCommand;
class CPanelSwitch;
class CPanelViewDlg;
class CPathDelegate;
class CShowStatusLine;
class CProjectActions;
class CShowListModel;
class CStoreFileOps;
class IDialogs;

// The main window. Every control carries its template identifier as object name ("1016" for
// Load Image, "1022" for the list ...), so that tests and workers find it by that number.
class CMainDlg : public CSkinDialog, public IShowWindow, private IDocumentObserver
{
    Q_OBJECT

public:
    // pDialogs answers the file dialogs and messages; null means Qt's real dialogs.
    explicit CMainDlg(std::shared_ptr<IDialogs> pDialogs = nullptr);
    ~CMainDlg() override;

    QWidget& Widget() override { return *this; }
    IDialogs& Dialogs() override { return *m_pDialogs; }
    // Everything the window says, in the language Vendale.ini chose.
    const CWindowTexts& Texts() const override { return m_texts; }
    // The show: its rows, their pictures in the store, the panel, the transition, the project.
    CShowDocument& Document() override { return *m_pDocument; }
    // The panel the window works for (g_nPanelWidth x g_nPanelHeight), the document's.
    CPanelSize Panel() const { return m_pDocument->Panel(); }
    // Edit > Undo and Redo of the document's commands.
    CDocumentUndo& Undo() override { return *m_pUndo; }
    CPanelCanvas* PreviewWindow() const { return m_wndPreview; }
    QTableView* ListCtrl() const { return m_pListCtrl; }
    QComboBox* ModeCombo() const { return m_cbMode; }
    // Below the mode box (object name "1031"): Transform writes without the animation.
    QCheckBox* FullSpeedCheck() const { return m_chkFullSpeed; }
    CPathDelegate* ListDelegate() const { return m_pListDelegate; }
    // Under the preview (object name "1030"): the size of the file Transform would write.
    CShowStatusLine* StatusLine() const { return m_pStatusLine; }
    // The enlarged preview in panel colours; null until first opened.
    CPanelViewDlg* PanelView() const { return m_pPanelView; }
    int PanelViewZoom() const override;
    // The buttons by what they do, this window's own (its code goes by the g_btn... names).
    QPushButton* LoadImageButton() const { return Button(g_nIdLoadImage); }
    QPushButton* PreviewButton() const { return Button(g_nIdPreview); }
    QPushButton* TransformButton() const { return Button(g_nIdTransform); }
    QPushButton* DeleteButton() const { return Button(g_nIdDelete); }
    QPushButton* UpButton() const { return Button(g_nIdUp); }
    QPushButton* DownButton() const { return Button(g_nIdDown); }
    // The store of the listed pictures; null before the first picture and after close.
    CPictureStore* Store() const { return m_pDocument->Store(); }
    // The file operations the stores are created with (tests make them fail); before the first load.
    void SetStoreFileOps(std::shared_ptr<CStoreFileOps> pFileOps) { m_pStoreFileOps = std::move(pFileOps); }
    // The panel size menu and the switch of the window to another panel.
    CPanelSwitch& PanelSwitch() const { return *m_pPanelSwitch; }

    // Timer 1: every 100 ms the picture of the document's ShownImage is drawn into the preview window.
    // User-interface thread only (workers reach it through their CWorkerUiBridge).
    void StartRefreshTimer();
    void StopRefreshTimer();
    bool IsRefreshTimerActive() const { return m_timerRefresh.isActive(); }

    // Converts the files and lists them in the given order, from list position nInsertAt on
    // (from the end when it is -1 or beyond), one undo step, and selects the last one; reports
    // every file that could not be loaded in one message. Returns when the import has ended (done
    // or cancelled); the window stays responsive, but no other command changes the list meanwhile.
    void LoadPictures(const QStringList& vecPaths, int nInsertAt = -1);
    bool IsImporting() const override { return m_pConversions->IsRunning(); }
    bool IsListBusy() const override;
    // The project's: JPEG files decode scaled down (the context menu's check).
    bool IsFastImport() const override { return m_pDocument->IsFastImport(); }
    bool RunConversion(CConversionRun run, const FnTakeConverted& fnTake) override;
    void Say(const QString& strText, EMessageKind eKind) override;
    void AddRecentFile(const QString& strPath) override { m_settings.AddRecentFile(strPath); }
    // What the window keeps between runs: the recent files and the dialogs' last folder.
    CWindowSettings& Settings() { return m_settings; }
    // Lists the converted picture as the command's next row, selected and shown.
    CStatus ListConverted(CInsertRowsCommand& command, CShowRow row, const CPicture& picture) override;
    // The transition the mode box shows (none for a text that names none), and choosing one there.
    std::optional<EEffect> CurrentEffect() const { return ModeBoxEffect(*m_cbMode); }
    // Open project, Save project, Save project as, and what the list holds as a project.
    CProjectActions& ProjectActions() const { return *m_pProject; }

    // Handlers of the window's commands.
    void OnLoadImage();
    void OnDelete();
    void OnUp();
    void OnDown();
    void OnClean();
    void OnAbout();
    // Opens the panel view (F3), or brings it to the front.
    void OnPanelView();
    // The options dialog of the selected pictures (double-click, Alt+Enter, the context menu).
    void OnPictureOptions();
    // The selected row of every frame of a GIF replaced by a row for each frame (the context menu).
    void OnSplitFrames();
    // Asks about unsaved changes as Open project does, then empties the show (Ctrl+N), one step
    // of the history; the panel and the transition stay.
    void OnNewProject();
    // Opening projects, show files and pictures by name.
    CFileOpening& Files() { return *m_pFiles; }
    bool IsPlayingShow() const { return m_showPlayer.IsPlaying(); }
    // Moves the selected items together to stand before nRow (the item count: to the end), in
    // the store first; when the store refuses, nothing moves.
    void MoveSelected(int nRow);
    void OnPreview();
    void OnTransform();
    // A Transform run has put nPictures pictures into strPath.
    void OnShowWritten(const QString& strPath, int nPictures);

    // The state the dialog shares with its workers (busy, stop, ignore-selection).
    CWorkerShared& WorkerShared() { return m_workerShared; }
    // A Preview or Transform worker has not returned yet (it clears the busy flag a little
    // before it has restored its button).
    bool IsWorkerRunning() const { return m_workerThread.IsRunning(); }
    // Pace, hold and pause of later runs (tests shorten them).
    void SetWorkerTiming(const CWorkerTiming& timing) { m_workerTiming = timing; }
    // Every conversion of the window passes its groups through this gate (CImportJob::SetGate).
    void SetConversionGate(CImportJob::FnGate fnGate) { m_pConversions->SetGate(std::move(fnGate)); }
    // The close box, Enter and Escape all end here: unsaved changes of the project are asked
    // about first, then a running worker is stopped, the store is removed, and the dialog ends.
    void OnClose(int nResult = QDialog::Rejected);
    // The same without the question, for a quit the user cannot be asked about (a signal).
    void Quit();

public slots:
    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    // Shift+F10: the right-click menu, as the Menu key opens it.
    void OnMenuKey();
    void showEvent(QShowEvent* pEvent) override;
    // The list's keys: Delete deletes, Home and End select the first and the last picture.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QPushButton* Button(int nId) const { return findChild<QPushButton*>(QString::number(nId)); }
    void OnInitDialog();
    void LoadTexts(int nLanguageCode);
    void CreateControls();
    void PlacePreviewWindow();
    void SetCaptions();
    void ApplySkin();

    void OnListItemChanged();
    void OnTimer();
    void UpdateStatusLine();
    void OnModeChanged();
    // The document's changes, as the window shows them.
    void OnChanged(const CDocumentChange& change) override;
    // Size fields, preview and status line for the document's panel.
    void ShowPanel();
    // The text of a step of the history: strKind ("delete %1") with the number of pictures.
    QString StepText(EUiText eKind, int nPictures) const;

    // Selection helpers of the list.
    QList<int> SelectedRows() const;
    std::vector<RowId> SelectedIds() const;
    void SelectOnly(int nRow);
    // Moves the rows before the row nBefore (the row count: to the end) as one undo step.
    bool MoveRows(const std::vector<RowId>& vecIds, int nBefore);
    bool EnsureStore();
    // A show file's pictures played in the preview, the list's selection cleared.
    void PlayShowFile(std::vector<CShowFrame> vecFrames);
    void CloseStore();
    void ReportError(const QString& strText);
    // What start-up found wrong with the data files, said once when the window first shows.
    void ShowStartupNotice();
    CWorkerRun MakeWorkerRun() const;

    CWindowSettings m_settings;
    std::shared_ptr<IDialogs> m_pDialogs; // answers the file dialogs in the last folder
    CPanelCanvas* m_wndPreview = nullptr;
    QComboBox* m_cbMode = nullptr;
    QCheckBox* m_chkFullSpeed = nullptr;
    QLineEdit* m_editWidth = nullptr;
    QLineEdit* m_editHeight = nullptr;
    QTableView* m_pListCtrl = nullptr;
    CShowListModel* m_pListModel = nullptr;
    CPathDelegate* m_pListDelegate = nullptr;
    CShowStatusLine* m_pStatusLine = nullptr;
    CPanelViewDlg* m_pPanelView = nullptr;
    CShowPlayer m_showPlayer;
    CFrameAnimation m_frameAnimation;

    CWindowTexts m_texts;
    QTranslator m_qtTranslator; // Qt's own texts (file dialogs, buttons) in the chosen language
    QString m_strStartupNotice; // empty once said
    QTimer m_timerRefresh;
    std::unique_ptr<CShowDocument> m_pDocument;
    std::shared_ptr<CStoreFileOps> m_pStoreFileOps;
    CDocumentUndo* m_pUndo = nullptr; // a child of the window
    bool m_bSyncingMode = false;      // the mode box follows the document

    CProjectActions* m_pProject = nullptr;  // a child of the window
    CPanelSwitch* m_pPanelSwitch = nullptr; // a child of the window
    std::unique_ptr<CConversionRunner> m_pConversions;
    std::unique_ptr<CFileOpening> m_pFiles;
    bool m_bQuitting = false;
    bool m_bClosed = false;

    // Declared in this order so that the worker thread is joined before the rest goes.
    CUiTaskQueue m_uiTasks; // carries the workers' calls to the user-interface thread
    CWorkerShared m_workerShared;
    CMainDlgWorkerUi m_workerUiDirect{
        *this,
        {[this](bool bStart) { bStart ? StartRefreshTimer() : StopRefreshTimer(); },
         [this](const QString& strPath, int nPictures) { OnShowWritten(strPath, nPictures); }}};
    CWorkerUiBridge m_workerUi;
    CWorkerTiming m_workerTiming = WorkerTimingFromEnvironment();
    CWorkerThread m_workerThread;
};

} // namespace tramino
