#pragma once

#include "Dialogs.h"

#include "settings/PanelSize.h"

#include <QObject>

#include <memory>

class QMenu;

namespace tramino
{

class CMainDlg;
class CPictureStore;

// Choosing the panel in the window. A choice converts every listed picture again from its source
// file, with its own options, into a new store of the new size; only when all of them are there
// does the window switch over (size fields, preview, status line, project), so a cancel or a
// failure leaves it as it was. A picture whose source cannot be read any more (gone, or taken
// from a show file) is converted from its picture at the old size instead, and said so.
class CPanelChoice : public QObject
{
    Q_OBJECT

public:
    explicit CPanelChoice(CMainDlg& dlg);

    // The panel size submenu: the nine sizes, the window's checked; greyed while the list is busy.
    void AddToMenu(QMenu& menu);
    // True when the window works for the panel afterwards.
    bool Choose(CPanelSize panel);

private:
    // The list's pictures converted into a new store for the panel; null when cancelled or failed
    // (said then), with the pictures that came from their old ones in vecFromOld.
    std::unique_ptr<CPictureStore> Convert(CPanelSize panel, QStringList& vecFromOld);
    void Say(const QString& strText, EMessageKind eKind) const;

    CMainDlg& m_dlg;
};

// "96 × 64".
QString PanelSizeText(CPanelSize panel);

} // namespace tramino
