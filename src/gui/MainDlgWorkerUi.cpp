#include "MainDlgWorkerUi.h"

#include "Dialogs.h"
#include "PanelCanvas.h"
#include "PathText.h"
#include "ShowWindow.h"

#include "document/ShowDocument.h"

#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>

namespace tramino
{

QPushButton* CMainDlgWorkerUi::Button(int nButtonId) const
{
    // Every control carries its template identifier as object name.
    return m_window.Widget().findChild<QPushButton*>(QString::number(nButtonId));
}

QTableView* CMainDlgWorkerUi::List() const
{
    return m_window.Widget().findChild<QTableView*>(QStringLiteral("1022"));
}

CPanelCanvas* CMainDlgWorkerUi::Preview() const
{
    return m_window.Widget().findChild<CPanelCanvas*>(QStringLiteral("1012"));
}

void CMainDlgWorkerUi::EnableButton(int nButtonId, bool bEnable)
{
    Button(nButtonId)->setEnabled(bEnable);
}

void CMainDlgWorkerUi::SetButtonCaption(int nButtonId, const std::string& strCaption)
{
    Button(nButtonId)->setText(QString::fromStdString(strCaption));
}

void CMainDlgWorkerUi::ClearItemSelected(int nItem)
{
    QTableView* pList = List();
    pList->selectionModel()->select(pList->model()->index(nItem, 0),
                                    QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void CMainDlgWorkerUi::SelectAndFocusItem(int nItem)
{
    QTableView* pList = List();
    const QModelIndex index = pList->model()->index(nItem, 0);
    pList->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    pList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void CMainDlgWorkerUi::EnsureItemVisible(int nItem)
{
    QTableView* pList = List();
    pList->scrollTo(pList->model()->index(nItem, 0), QAbstractItemView::EnsureVisible);
}

void CMainDlgWorkerUi::StartRefreshTimer()
{
    m_hooks.m_fnRefreshTimer(true);
}

void CMainDlgWorkerUi::StopRefreshTimer()
{
    m_hooks.m_fnRefreshTimer(false);
}

void CMainDlgWorkerUi::SetShownImage(int nImage)
{
    m_window.Document().SetShownImage(nImage);
}

void CMainDlgWorkerUi::InvalidateWindow()
{
    m_window.Widget().update();
}

void CMainDlgWorkerUi::PutPixel(int x, int y, CRgb cr)
{
    // Thread-safe and cheap: the canvas shows the change within a frame.
    Preview()->SetPixel(x, y, cr);
}

void CMainDlgWorkerUi::PutPicture(const CPicture& picture)
{
    Preview()->DrawPicture(picture);
}

std::optional<std::string> CMainDlgWorkerUi::AskSaveFileName(const std::string& strFilter,
                                                             const std::string& strDefaultExtension)
{
    const QString strPath =
        m_window.Dialogs().GetSaveFileName(&m_window.Widget(), QString::fromStdString(strFilter),
                                           QString::fromStdString(strDefaultExtension), QString());
    if (strPath.isEmpty())
        return std::nullopt;
    return CorePath(strPath);
}

void CMainDlgWorkerUi::ShowMessage(const std::string& strText, const std::string& strTitle,
                                   EMessageKind eKind)
{
    m_window.Dialogs().ShowMessage(&m_window.Widget(), QString::fromStdString(strTitle),
                                   QString::fromStdString(strText), eKind);
}

void CMainDlgWorkerUi::ShowWritten(const std::string& strPath, int nPictures)
{
    m_hooks.m_fnShowWritten(PathText(strPath), nPictures);
}

} // namespace tramino
