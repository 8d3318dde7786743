#include "Globals.h"

namespace tramino
{

LangTexts g_szLangText;

QPushButton* g_btnLoadImage = nullptr;
QPushButton* g_btnPreview = nullptr;
QPushButton* g_btnTransform = nullptr;
QPushButton* g_btnClean = nullptr;
QPushButton* g_btnDelete = nullptr;
QPushButton* g_btnUp = nullptr;
QPushButton* g_btnDown = nullptr;

} // namespace tramino
