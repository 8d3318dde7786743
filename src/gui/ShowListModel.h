#pragma once

#include "document/DocumentObserver.h"

#include <QAbstractTableModel>

namespace tramino
{

class CShowDocument;

// The picture list as the window's list shows it: one column, a row per row of the document,
// following its change notifications (so a selection moves along with its rows). It keeps no copy
// of the list.
class CShowListModel final : public QAbstractTableModel, public IDocumentObserver
{
    Q_OBJECT

public:
    CShowListModel(CShowDocument& document, QObject* pParent);
    ~CShowListModel() override;

    void SetHeader(const QString& strHeader) { m_strHeader = strHeader; }
    // How a row of every frame of a GIF reads: %1 its text, %2 its frames.
    void SetFramesText(const QString& strFrames) { m_strFrames = strFrames; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int nRole) const override;
    QVariant headerData(int nSection, Qt::Orientation eOrientation, int nRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void OnAboutToChange(const CDocumentChange& change) override;
    void OnChanged(const CDocumentChange& change) override;

private:
    CShowDocument& m_document;
    QString m_strHeader;
    QString m_strFrames = QStringLiteral("%1 (%2 frames)");
};

} // namespace tramino
