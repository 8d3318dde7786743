#include "MainDlgWorkerUi.h"

#include "Dialogs.h"
#include "Globals.h"
#include "MainDlg.h"
#include "PanelCanvas.h"

#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>

namespace tramino
{

QPushButton* CMainDlgWorkerUi::Button(int nButtonId) const
{
    // Every control carries its template identifier as object name.
    return m_dlg.findChild<QPushButton*>(QString::number(nButtonId));
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
    QTableView* pList = m_dlg.ListCtrl();
    pList->selectionModel()->select(pList->model()->index(nItem, 0),
                                    QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void CMainDlgWorkerUi::SelectAndFocusItem(int nItem)
{
    QTableView* pList = m_dlg.ListCtrl();
    const QModelIndex index = pList->model()->index(nItem, 0);
    pList->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    pList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void CMainDlgWorkerUi::EnsureItemVisible(int nItem)
{
    QTableView* pList = m_dlg.ListCtrl();
    pList->scrollTo(pList->model()->index(nItem, 0), QAbstractItemView::EnsureVisible);
}

void CMainDlgWorkerUi::StartRefreshTimer()
{
    m_dlg.StartRefreshTimer();
}

void CMainDlgWorkerUi::StopRefreshTimer()
{
    m_dlg.StopRefreshTimer();
}

void CMainDlgWorkerUi::SetShownImage(int nImage)
{
    m_dlg.Document().SetShownImage(nImage);
}

void CMainDlgWorkerUi::InvalidateWindow()
{
    m_dlg.update();
}

void CMainDlgWorkerUi::PutPixel(int x, int y, CRgb cr)
{
    // Thread-safe and cheap: the canvas shows the change within a frame.
    m_dlg.PreviewWindow()->SetPixel(x, y, cr);
}

void CMainDlgWorkerUi::PutPicture(const CPicture& picture)
{
    m_dlg.PreviewWindow()->DrawPicture(picture);
}

std::optional<std::string> CMainDlgWorkerUi::AskSaveFileName(const std::string& strFilter,
                                                             const std::string& strDefaultExtension)
{
    const QString strPath =
        m_dlg.Dialogs().GetSaveFileName(&m_dlg, QString::fromStdString(strFilter),
                                        QString::fromStdString(strDefaultExtension), m_strLastSaveFolder);
    if (strPath.isEmpty())
        return std::nullopt;
    m_strLastSaveFolder = QFileInfo(strPath).absolutePath();
    return QFile::encodeName(strPath).toStdString();
}

void CMainDlgWorkerUi::ShowMessage(const std::string& strText, const std::string& strTitle,
                                   EMessageKind eKind)
{
    m_dlg.Dialogs().ShowMessage(&m_dlg, QString::fromStdString(strTitle), QString::fromStdString(strText),
                                eKind);
}

void CMainDlgWorkerUi::ShowWritten(const std::string& strPath, int nPictures)
{
    m_dlg.OnShowWritten(QFile::decodeName(strPath.c_str()), nPictures);
}

} // namespace tramino
