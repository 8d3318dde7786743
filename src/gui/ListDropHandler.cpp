#include "ListDropHandler.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QUrl>

namespace tramino
{
namespace
{

// A show or a project file by its extension; everything else dropped is taken for a picture.
bool IsOpenedFile(const QString& strPath)
{
    return strPath.endsWith(QLatin1String(".qrv"), Qt::CaseInsensitive) ||
           strPath.endsWith(QLatin1String(".tramino"), Qt::CaseInsensitive);
}

} // namespace

CListDropHandler::CListDropHandler(QTableView& list, CActions actions)
    : QObject(&list), m_list(list), m_pViewport(list.viewport()), m_actions(std::move(actions))
{
    m_list.setDragEnabled(true);
    m_list.setDragDropMode(QAbstractItemView::DragDrop);
    // The drop itself moves the items, through the store; a move action would make the view
    // remove the dragged rows once more.
    m_list.setDefaultDropAction(Qt::CopyAction);
    m_list.setDropIndicatorShown(true);
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
    if (pWatched != m_pViewport ||
        (eType != QEvent::DragEnter && eType != QEvent::DragMove && eType != QEvent::Drop))
    {
        return QObject::eventFilter(pWatched, pEvent);
    }
    auto* pDrop = static_cast<QDropEvent*>(pEvent);
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
    return true;
}

void CListDropHandler::Drop(const QDropEvent& event)
{
    const QModelIndex index = m_list.indexAt(event.position().toPoint());
    const int nRow = index.isValid() ? index.row() : m_list.model()->rowCount();
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
