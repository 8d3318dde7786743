#include "ShowListView.h"

#include <QHeaderView>
#include <QTableView>

namespace tramino
{

void SetUpShowList(QTableView& list, int nColumnWidth, int nRowHeight)
{
    list.verticalHeader()->hide();
    list.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list.horizontalHeader()->setStretchLastSection(false);
    list.setColumnWidth(0, nColumnWidth);
    list.setShowGrid(true);
    list.setWordWrap(false);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list instead of stepping through its rows and changing the selection.
    list.setTabKeyNavigation(false);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.verticalHeader()->setDefaultSectionSize(nRowHeight);
    // Blue item text, and a selection that stays visible when the list loses the focus.
    QPalette palette = list.palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 255));
    for (const QPalette::ColorRole eRole : {QPalette::Highlight, QPalette::HighlightedText})
    {
        palette.setColor(QPalette::Inactive, eRole, palette.color(QPalette::Active, eRole));
    }
    list.setPalette(palette);
}

} // namespace tramino
