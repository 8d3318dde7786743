#pragma once

#include <QString>

#include <functional>

class QMenu;

namespace tramino
{

class CWindowSettings;
struct CWindowTexts;

// The Recent submenu: the recent projects and shows, newest first and numbered, one whose file
// is gone greyed, all of them while bEnabled is false; then Clear. An empty list greys the
// submenu. fnOpen gets the file chosen.
void AddRecentMenu(QMenu& menu, CWindowSettings& settings, const CWindowTexts& texts, bool bEnabled,
                   const std::function<void(const QString& strPath)>& fnOpen);

} // namespace tramino
