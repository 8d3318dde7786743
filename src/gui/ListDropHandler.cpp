#include "ListDropHandler.h"

#include "FileArguments.h"

#include <QDropEvent>
#include <QFrame>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace tramino
{
namespace
{

// A show or a project file by its extension; everything else dropped is taken for a picture.
bool IsOpenedFile(const QString& strPath)
{
    const EFileUse eUse = FileUseOf(strPath);
    return eUse == EFileUse::Project || eUse == EFileUse::Show;
}

} // namespace

CListDropHandler::CListDropHandler(QTableView& list, CActions actions)
    : QObject(&list), m_list(list), m_pViewport(list.viewport()), m_pIndicator(new QFrame(m_pViewport)),
      m_actions(std::move(actions))
{
    // The view draws no indicator of its own: this filter takes the drag events from it.
    m_pIndicator->setObjectName(QStringLiteral("dropIndicator"));
    m_pIndicator->setAutoFillBackground(true);
    m_pIndicator->setBackgroundRole(QPalette::Highlight);
    m_pIndicator->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pIndicator->hide();
    m_list.setDragEnabled(true);
    m_list.setDragDropMode(QAbstractItemView::DragDrop);
    // The drop itself moves the items, through the store; a move action would make the view
    // remove the dragged rows once more.
    m_list.setDefaultDropAction(Qt::CopyAction);
    m_list.viewport()->setAcceptDrops(true);
    m_pViewport->installEventFilter(this);
}

bool CListDropHandler::IsOwnDrag(const QDropEvent& event) const
{
    const QStringList vecTypes = m_list.model()->mimeTypes();
    return !vecTypes.isEmpty() && event.mimeData()->hasFormat(vecTypes.constFirst());
}

bool CListDropHandler::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    const QEvent::Type eType = pEvent->type();
    if (pWatched == m_pViewport && eType == QEvent::DragLeave)
    {
        m_pIndicator->hide();
    }
    if (pWatched != m_pViewport ||
        (eType != QEvent::DragEnter && eType != QEvent::DragMove && eType != QEvent::Drop))
    {
        return QObject::eventFilter(pWatched, pEvent);
    }
    auto* pDrop = static_cast<QDropEvent*>(pEvent);
    m_pIndicator->hide();
    if (m_actions.m_fnBusy() || !(IsOwnDrag(*pDrop) || pDrop->mimeData()->hasUrls()))
    {
        pDrop->ignore();
        return true;
    }
    pDrop->setDropAction(Qt::CopyAction);
    pDrop->accept();
    if (eType == QEvent::Drop)
    {
        Drop(*pDrop);
    }
    else
    {
        ShowIndicator(RowAt(pDrop->position().toPoint()));
    }
    return true;
}

int CListDropHandler::RowAt(QPoint pt) const
{
    const QModelIndex index = m_list.indexAt(pt);
    return index.isValid() ? index.row() : m_list.model()->rowCount();
}

void CListDropHandler::ShowIndicator(int nRow)
{
    const int nRows = m_list.model()->rowCount();
    const QRect rectRow = m_list.visualRect(m_list.model()->index(std::min(nRow, nRows - 1), 0));
    const int y = nRows == 0 ? 0 : nRow < nRows ? rectRow.top() : rectRow.bottom() + 1;
    // Two pixels high, across the whole width, on the border the drop lands at.
    m_pIndicator->setGeometry(0, std::max(0, y - 1), m_pViewport->width(), 2);
    m_pIndicator->show();
    m_pIndicator->raise();
}

void CListDropHandler::Drop(const QDropEvent& event)
{
    const int nRow = RowAt(event.position().toPoint());
    if (IsOwnDrag(event))
    {
        m_actions.m_fnMoveSelected(nRow);
        return;
    }
    QStringList vecPictures;
    QStringList vecOpened;
    for (const QUrl& url : event.mimeData()->urls())
    {
        if (url.isLocalFile())
        {
            (IsOpenedFile(url.toLocalFile()) ? vecOpened : vecPictures) += url.toLocalFile();
        }
    }
    // After the drop has ended, so that the file manager is not kept waiting by the import or a question.
    QTimer::singleShot(0, this,
                       [this, vecPictures, vecOpened, nRow]
                       {
                           if (!vecPictures.isEmpty())
                           {
                               m_actions.m_fnLoadPictures(vecPictures, nRow);
                           }
                           for (const QString& strFile : vecOpened)
                           {
                               m_actions.m_fnOpenFile(strFile);
                           }
                       });
}

} // namespace tramino
