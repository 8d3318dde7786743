#pragma once

#include <QString>

#include <array>
#include <atomic>

class QPushButton;
class QTableWidget;

namespace tramino
{

class CMainDlg;
class CPanelCanvas;
class CPictureStore;

// State the main dialog shares with its commands and with the Preview and Transform workers.
// Values a worker thread reads or writes while the user-interface thread runs are atomic; the
// rest is set on the user-interface thread before any worker starts and only read afterwards.

inline constexpr int g_nLangTextCount = 20;
// TEXT0 ... TEXT19 of the chosen Lang.txt section; fixed once the dialog is set up.
extern std::array<QString, g_nLangTextCount> g_szLangText;
// The panel size in pixels; fixed once the dialog is set up.
extern int g_nPanelWidth;
extern int g_nPanelHeight;

// List position the refresh timer draws. (The picture count, the busy, stop and
// ignore-selection flags live in the dialog's CWorkerShared.)
extern std::atomic<int> g_nShownImage;

// The window objects; set while the main dialog exists, null otherwise. Only the
// user-interface thread touches them (workers go through their CWorkerUiBridge).
extern CMainDlg* g_hMainDlg;
extern CPanelCanvas* g_pPreviewWnd; // thread-safe drawing, see CPanelCanvas
extern QTableWidget* g_pListCtrl;
extern QPushButton* g_btnLoadImage;
extern QPushButton* g_btnPreview;
extern QPushButton* g_btnTransform;
extern QPushButton* g_btnClean;
extern QPushButton* g_btnDelete;
extern QPushButton* g_btnUp;
extern QPushButton* g_btnDown;

// The store of the listed pictures; null until the first picture is loaded and after close.
// Changed only by the user-interface thread while no worker runs; workers only read it.
extern CPictureStore* g_pPictureStore;

} // namespace tramino
