#pragma once

#include "UiTexts.h"

#include <atomic>

class QPushButton;

namespace tramino
{

// State the main dialog shares with its commands and with the Preview and Transform workers.
// Values a worker thread reads or writes while the user-interface thread runs are atomic; the
// rest is set on the user-interface thread before any worker starts and only read afterwards.

// TEXT0 ... TEXT19 of the chosen Lang.txt section; fixed once the dialog is set up.
extern LangTexts g_szLangText;

// The dialog's buttons; set while the main dialog exists, null otherwise. Only the
// user-interface thread touches them (workers go through their CWorkerUiBridge).
extern QPushButton* g_btnLoadImage;
extern QPushButton* g_btnPreview;
extern QPushButton* g_btnTransform;
extern QPushButton* g_btnClean;
extern QPushButton* g_btnDelete;
extern QPushButton* g_btnUp;
extern QPushButton* g_btnDown;

} // namespace tramino
