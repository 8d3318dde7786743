#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace tramino
{

// Shows a list item's path elided in the middle to the part of its cell that is in view, so
// that the file name stays visible however long the path and however wide the column. The
// item's text itself stays the full path.
class CPathDelegate : public QStyledItemDelegate
{
public:
    explicit CPathDelegate(QAbstractItemView* pView);

    // The text shown for an item whose cell is option.rect (in the view's viewport).
    QString VisibleText(const QStyleOptionViewItem& option) const;

protected:
    void initStyleOption(QStyleOptionViewItem* pOption, const QModelIndex& index) const override;

private:
    QAbstractItemView* m_pView;
};

} // namespace tramino
