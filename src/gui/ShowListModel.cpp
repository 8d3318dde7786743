#include "ShowListModel.h"

#include "document/ShowDocument.h"

namespace tramino
{

CShowListModel::CShowListModel(CShowDocument& document, QObject* pParent)
    : QAbstractTableModel(pParent), m_document(document)
{
    m_document.AddObserver(*this);
}

CShowListModel::~CShowListModel()
{
    m_document.RemoveObserver(*this);
}

int CShowListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_document.ImageCount();
}

int CShowListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant CShowListModel::data(const QModelIndex& index, int nRole) const
{
    if (!index.isValid() || index.row() >= m_document.ImageCount() ||
        (nRole != Qt::DisplayRole && nRole != Qt::ToolTipRole))
    {
        return {};
    }
    const CShowRow& row = m_document.Row(index.row());
    const QString strText = QString::fromStdString(row.m_strText);
    // Counted when the row is made or its options change, so that drawing reads no file.
    return row.m_nFrames > 1 ? m_strFrames.arg(strText).arg(row.m_nFrames) : strText;
}

QVariant CShowListModel::headerData(int nSection, Qt::Orientation eOrientation, int nRole) const
{
    if (nSection == 0 && eOrientation == Qt::Horizontal && nRole == Qt::DisplayRole)
    {
        return m_strHeader;
    }
    return QAbstractTableModel::headerData(nSection, eOrientation, nRole);
}

Qt::ItemFlags CShowListModel::flags(const QModelIndex& index) const
{
    // Dragged within the list to move; a drop lands through the list's drop handler.
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
}

void CShowListModel::OnAboutToChange(const CDocumentChange& change)
{
    switch (change.m_eKind)
    {
    case EDocumentChange::Reset:
        beginResetModel();
        break;
    case EDocumentChange::Inserted:
        beginInsertRows({}, change.m_nRow, change.m_nRow);
        break;
    case EDocumentChange::Removed:
        beginRemoveRows({}, change.m_nRow, change.m_nRow);
        break;
    case EDocumentChange::Moved:
        emit layoutAboutToBeChanged();
        break;
    default:
        break;
    }
}

void CShowListModel::OnChanged(const CDocumentChange& change)
{
    switch (change.m_eKind)
    {
    case EDocumentChange::Reset:
        endResetModel();
        break;
    case EDocumentChange::Inserted:
        endInsertRows();
        break;
    case EDocumentChange::Removed:
        endRemoveRows();
        break;
    case EDocumentChange::Moved:
    {
        // The selection and the current row follow their rows.
        std::vector<int> vecNewRow(change.m_vecOrder.size());
        for (size_t i = 0; i < change.m_vecOrder.size(); ++i)
        {
            vecNewRow[static_cast<size_t>(change.m_vecOrder[i])] = static_cast<int>(i);
        }
        const QModelIndexList vecOld = persistentIndexList();
        QModelIndexList vecNew;
        for (const QModelIndex& index : vecOld)
        {
            vecNew += this->index(vecNewRow[static_cast<size_t>(index.row())], index.column());
        }
        changePersistentIndexList(vecOld, vecNew);
        emit layoutChanged();
        break;
    }
    case EDocumentChange::Pictures:
        // Options that take every frame of a GIF, or no longer, change its text.
        for (const int nRow : change.m_vecRows)
        {
            emit dataChanged(index(nRow, 0), index(nRow, 0));
        }
        break;
    default:
        break;
    }
}

} // namespace tramino
