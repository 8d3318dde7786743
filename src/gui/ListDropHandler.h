#pragma once

#include <QObject>
#include <QPoint>
#include <QStringList>

#include <functional>

class QDropEvent;
class QTableView;
class QWidget;

namespace tramino
{

// Drops on the picture list: files from a file manager, or the list's own selected items dragged
// to another place. It tells what a drop means and where it lands; the dialog carries it out.
// A drop onto an item lands before it, below the last item at the end; while something is dragged
// over the list a line (object name "dropIndicator") marks that place.
class CListDropHandler : public QObject
{
    Q_OBJECT

public:
    struct CActions
    {
        // The list takes no drop now (an import or a run owns it).
        std::function<bool()> m_fnBusy;
        // Picture files to import at nRow, in the order dropped; called once the drop is over.
        std::function<void(const QStringList& vecPaths, int nRow)> m_fnLoadPictures;
        // A show or project file dropped; called once the drop is over.
        std::function<void(const QString& strPath)> m_fnOpenFile;
        // The selected items to move before nRow.
        std::function<void(int nRow)> m_fnMoveSelected;
    };

    CListDropHandler(QTableView& list, CActions actions);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    bool IsOwnDrag(const QDropEvent& event) const;
    // The row a drop at pt lands before (the row count: at the end).
    int RowAt(QPoint pt) const;
    void ShowIndicator(int nRow);
    void Drop(const QDropEvent& event);

    QTableView& m_list;
    // Kept from the start: the filter still sees the viewport's events while the list is being
    // destroyed, when asking the list for its viewport is no longer allowed.
    QWidget* m_pViewport;
    QWidget* m_pIndicator; // a child of the viewport
    CActions m_actions;
};

} // namespace tramino
