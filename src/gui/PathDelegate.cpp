#include "PathDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QStyle>

namespace tramino
{

CPathDelegate::CPathDelegate(QAbstractItemView* pView) : QStyledItemDelegate(pView), m_pView(pView) {}

QString CPathDelegate::VisibleText(const QStyleOptionViewItem& option) const
{
    if (!option.rect.isValid())
    {
        return option.text;
    }
    const QStyle* pStyle = option.widget != nullptr ? option.widget->style() : QApplication::style();
    // The text margin the styles keep on either side of an item's text.
    const int nMargin = pStyle->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    const int nWidth = option.rect.intersected(m_pView->viewport()->rect()).width() - 2 * nMargin;
    return option.fontMetrics.elidedText(option.text, Qt::ElideMiddle, std::max(nWidth, 0));
}

void CPathDelegate::initStyleOption(QStyleOptionViewItem* pOption, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(pOption, index);
    pOption->text = VisibleText(*pOption);
}

} // namespace tramino
