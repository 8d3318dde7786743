#pragma once

#include "settings/PanelSize.h"

#include <QObject>

#include <memory>

class QMenu;

namespace tramino
{

class CPictureStore;
class IShowWindow;

// The window's switch to another panel (its panel size menu; the command line's panel, chosen by
// options, is cli::CPanelChoice). A switch converts every listed picture again from its source
// file, with its own options, into a new store of the new size; only when all of them are there
// does the document switch over, as one step of the history, so a cancel or a failure leaves it
// as it was, and an undo brings the old panel's pictures back without converting them. A picture
// whose source cannot be read any more (gone, or taken from a show file) is converted from its
// picture at the old size instead, and said so.
class CPanelSwitch : public QObject
{
    Q_OBJECT

public:
    explicit CPanelSwitch(IShowWindow& window);

    // The panel size submenu: the nine sizes, the window's checked; greyed while the list is busy.
    void AddToMenu(QMenu& menu);
    // True when the window works for the panel afterwards.
    bool Choose(CPanelSize panel);

private:
    // The list's pictures converted into a new store for the panel; null when cancelled or failed
    // (said then), with the pictures that came from their old ones in vecFromOld.
    std::unique_ptr<CPictureStore> Convert(CPanelSize panel, QStringList& vecFromOld);

    IShowWindow& m_window;
};

// "96 × 64".
QString PanelSizeText(CPanelSize panel);

} // namespace tramino
