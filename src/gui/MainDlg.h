#pragma once

#include "ImportJob.h"
#include "MainDlgWorkerUi.h"
#include "ShowPlayer.h"
#include "SkinDialog.h"
#include "UiTaskQueue.h"
#include "UiTexts.h"
#include "workers/WorkerUiBridge.h"
#include "workers/Workers.h"

#include "resample/ConvertPicture.h"
#include "settings/PanelSize.h"
#include "show/Transition.h"

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
class QTableWidget;

namespace tramino
{

class CPanelCanvas;
class CPanelChoice;
class CPanelViewDlg;
class CPathDelegate;
class CShowStatusLine;
class CPictureStore;
class CProjectActions;
class CStoreFileOps;
class IDialogs;

// The main window. Every control carries its template identifier as object name ("1016" for
// Load Image, "1022" for the list ...), so that tests and workers find it by that number.
class CMainDlg : public CSkinDialog
{
    Q_OBJECT

public:
    // pDialogs answers the file dialogs and messages; null means Qt's real dialogs.
    explicit CMainDlg(std::shared_ptr<IDialogs> pDialogs = nullptr);
    ~CMainDlg() override;

    IDialogs& Dialogs() { return *m_pDialogs; }
    // Everything the window says, in the language Vendale.ini chose.
    const CWindowTexts& Texts() const { return m_texts; }
    CPanelCanvas* PreviewWindow() const { return m_wndPreview; }
    QTableWidget* ListCtrl() const { return m_pListCtrl; }
    QComboBox* ModeCombo() const { return m_cbMode; }
    // Below the mode box (object name "1031"): Transform writes without the animation.
    QCheckBox* FullSpeedCheck() const { return m_chkFullSpeed; }
    CPathDelegate* ListDelegate() const { return m_pListDelegate; }
    // Under the preview (object name "1030"): the size of the file Transform would write.
    CShowStatusLine* StatusLine() const { return m_pStatusLine; }
    // The enlarged preview in panel colours; null until first opened.
    CPanelViewDlg* PanelView() const { return m_pPanelView; }
    // The store of the listed pictures; null before the first picture and after close.
    CPictureStore* Store() const { return m_pStore.get(); }
    // The file operations the store is created with (tests make them fail); before the first load.
    void SetStoreFileOps(std::shared_ptr<CStoreFileOps> pFileOps) { m_pStoreFileOps = std::move(pFileOps); }
    // An empty store for the panel, with those file operations.
    CResult<CPictureStore> CreateStore(CPanelSize panel) const;
    // The window works for this panel from now on, with this store of the list's pictures
    // converted for it (null for an empty list): size fields, preview, status line and project.
    void AdoptPanel(CPanelSize panel, std::unique_ptr<CPictureStore> pStore);
    // The panel size menu and the switch to another panel.
    CPanelChoice& PanelChoice() const { return *m_pPanelChoice; }

    // Timer 1: every 100 ms the picture of g_nShownImage is drawn into the preview window.
    // User-interface thread only (workers reach it through their CWorkerUiBridge).
    void StartRefreshTimer();
    void StopRefreshTimer();
    bool IsRefreshTimerActive() const { return m_timerRefresh.isActive(); }

    // Converts the files, adds them to the store and to the list in the given order and
    // selects the last one; reports every file that could not be loaded in one message.
    // Returns when the import has ended (done or cancelled); the window stays responsive, but
    // no other command touches the list or the store meanwhile.
    // Inserted from list position nInsertAt on (from the end when it is -1 or beyond).
    void LoadPictures(const QStringList& vecPaths, int nInsertAt = -1);
    bool IsImporting() const { return m_pImportJob != nullptr; }
    // Runs the job behind the import's progress and Cancel until it has ended; meanwhile the list
    // is busy. fnEnded(bAll) follows, bAll false when it was cancelled or the window is to close,
    // and then a close asked for meanwhile is carried out.
    void RunImport(CImportJob& job, const QString& strLabel, int nFiles, CImportJob::FnConverted fnConverted,
                   const std::function<void(bool bAll)>& fnEnded);
    // An import or a worker owns the list and the store: the list commands leave them alone.
    bool IsListBusy() const;
    // Empties the list and the store, then imports the files as LoadPictures does, each with its
    // own options; fnListed(i, row) follows each file i that made it into the list, at that row.
    using FnListed = std::function<void(int nFile, int nRow)>;
    void ReplacePictures(const QStringList& vecPaths, std::vector<CConvertOptions> vecOptions,
                         const FnListed& fnListed);
    bool IsFastImport() const { return m_bFastImport; }
    // Converts the files on the import's workers, the list busy meanwhile, with the progress of a
    // long load (strProgress) and its Cancel. fnTake gets each result in the order of the files and
    // says why one was not taken; those reasons make one message under strFailedHeading. Returns
    // when the conversion has ended (done or cancelled). The caller has checked IsListBusy.
    using FnTakeConverted = std::function<CStatus(int nFile, const CResult<CPicture>& result)>;
    void RunConversion(const QStringList& vecPaths, std::vector<CConvertOptions> vecOptions,
                       const QString& strProgress, const QString& strFailedHeading,
                       const FnTakeConverted& fnTake);
    // Every conversion of the window passes its groups through this gate (CImportJob::SetGate).
    void SetConversionGate(CImportJob::FnGate fnGate) { m_fnConversionGate = std::move(fnGate); }
    const CImportJob::FnGate& ConversionGate() const { return m_fnConversionGate; }
    // The transition the mode box shows (none for a text that names none), and choosing one there.
    std::optional<EEffect> CurrentEffect() const;
    void SelectEffect(EEffect effect);
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
    // Asks for a show file (Ctrl+Shift+R) and opens it.
    void OnOpenShow();
    // Checks the show file strictly for the panel; a valid one can be played in the preview or
    // added to the list ("show.qrv #3"), for a broken one the reader's finding is said.
    void OpenShow(const QString& strPath);
    bool IsPlayingShow() const { return m_showPlayer.IsPlaying(); }
    // Moves the selected items together to stand before nRow (the item count: to the end), in
    // the store first; when the store refuses, nothing moves.
    void MoveSelected(int nRow);
    void OnPreview();
    void OnTransform();
    // A Transform run has put nPictures pictures into strPath.
    void OnShowWritten(const QString& strPath, int nPictures);

    // The state the dialog shares with its workers (picture count, busy, stop, ignore-selection).
    CWorkerShared& WorkerShared() { return m_workerShared; }
    // A Preview or Transform worker has not returned yet (it clears the busy flag a little
    // before it has restored its button).
    bool IsWorkerRunning() const { return m_workerThread.IsRunning(); }
    // Pace, hold and pause of later runs (tests shorten them).
    void SetWorkerTiming(const CWorkerTiming& timing) { m_workerTiming = timing; }
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
    void OnInitDialog();
    void LoadTexts(int nLanguageCode);
    void CreateControls();
    void PlacePreviewWindow();
    void FillModeCombo();
    void SetCaptions();
    void ApplySkin();

    void OnListItemChanged();
    void OnTimer();
    void UpdateStatusLine();

    // Selection helpers of the list.
    QList<int> SelectedRows() const;
    void SelectOnly(int nRow);
    void MoveItem(int nFrom, int nTo);
    // Adds the picture to the store and its item to the list at nRow (moved there through the
    // store, so that both stay in step), selected and shown. The row it ended at, or the failure.
    CResult<int> InsertPicture(const CPicture& picture, const QString& strText, int nRow);

    // LoadPictures with options for each file.
    void ImportPictures(const QStringList& vecPaths, std::vector<CConvertOptions> vecOptions,
                        const FnListed& fnListed, int nInsertAt = -1);
    bool EnsureStore();
    void CloseStore();
    void ReportError(const QString& strText);
    // What start-up found wrong with the data files, said once when the window first shows.
    void ShowStartupNotice();
    CWorkerRun MakeWorkerRun() const;

    std::shared_ptr<IDialogs> m_pDialogs;
    CPanelCanvas* m_wndPreview = nullptr;
    QComboBox* m_cbMode = nullptr;
    QCheckBox* m_chkFullSpeed = nullptr;
    QLineEdit* m_editWidth = nullptr;
    QLineEdit* m_editHeight = nullptr;
    QTableWidget* m_pListCtrl = nullptr;
    CPathDelegate* m_pListDelegate = nullptr;
    CShowStatusLine* m_pStatusLine = nullptr;
    CPanelViewDlg* m_pPanelView = nullptr;
    CShowPlayer m_showPlayer;
    int m_nWidth = 0;
    int m_nHeight = 0;

    CWindowTexts m_texts;
    QTranslator m_qtTranslator; // Qt's own texts (file dialogs, buttons) in the chosen language
    QString m_strStartupNotice; // empty once said
    QTimer m_timerRefresh;
    std::unique_ptr<CPictureStore> m_pStore;
    std::shared_ptr<CStoreFileOps> m_pStoreFileOps;

    CProjectActions* m_pProject = nullptr;  // a child of the window
    CPanelChoice* m_pPanelChoice = nullptr; // a child of the window
    CImportJob* m_pImportJob = nullptr;     // while RunImport runs
    CImportJob::FnGate m_fnConversionGate;
    bool m_bCloseAfterImport = false;
    bool m_bQuitting = false;
    // Off by default: the reduction then sees every pixel of the photo. TRAMINO_FAST_IMPORT=1
    // turns it on at start-up; the window's context menu toggles it.
    bool m_bFastImport = qEnvironmentVariableIntValue("TRAMINO_FAST_IMPORT") != 0;
    bool m_bClosed = false;

    // Declared in this order so that the worker thread is joined before the rest goes.
    CUiTaskQueue m_uiTasks; // carries the workers' calls to the user-interface thread
    CWorkerShared m_workerShared;
    CMainDlgWorkerUi m_workerUiDirect{*this};
    CWorkerUiBridge m_workerUi;
    CWorkerTiming m_workerTiming = WorkerTimingFromEnvironment();
    CWorkerThread m_workerThread;
};

} // namespace tramino
