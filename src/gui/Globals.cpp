#include "Globals.h"

namespace tramino
{

std::array<QString, g_nLangTextCount> g_szLangText;
int g_nPanelWidth = 0;
int g_nPanelHeight = 0;
std::atomic<int> g_nShownImage{0};

CMainDlg* g_hMainDlg = nullptr;
CPanelCanvas* g_pPreviewWnd = nullptr;
QTableWidget* g_pListCtrl = nullptr;
QPushButton* g_btnLoadImage = nullptr;
QPushButton* g_btnPreview = nullptr;
QPushButton* g_btnTransform = nullptr;
QPushButton* g_btnClean = nullptr;
QPushButton* g_btnDelete = nullptr;
QPushButton* g_btnUp = nullptr;
QPushButton* g_btnDown = nullptr;
CPictureStore* g_pPictureStore = nullptr;

} // namespace tramino
