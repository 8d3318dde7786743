#include "document/DocumentCommands.h"

#include "project/ProjectSave.h"
#include "store/ListMove.h"

#include <algorithm>
#include <filesystem>

namespace tramino
{
namespace
{

// Kept pictures nobody will ask for again; Close would remove them with the folder anyway.
void RemoveKept(const std::string& strKept)
{
    std::error_code error;
    if (!strKept.empty())
        std::filesystem::remove(strKept, error);
}

} // namespace

CRowsCommand::~CRowsCommand()
{
    for (const CShowDocument::CPlacedRow& placed : m_vecPlaced)
        RemoveKept(placed.m_strKept);
}

CStatus CRowsCommand::Put()
{
    if (CStatus status = m_document.CheckNotBusy(); !status)
        return status;
    if (CStatus status = m_document.InsertRows(m_vecPlaced); !status)
        return status;
    m_vecPlaced.clear();
    return {};
}

CStatus CRowsCommand::Take()
{
    if (CStatus status = m_document.CheckNotBusy(); !status)
        return status;
    return m_document.RemoveRows(m_vecIds, m_vecPlaced);
}

CResult<int> CInsertRowsCommand::Add(CShowRow row, const CPicture& picture)
{
    const CResult<CPictureStore*> store = m_document.EnsureStore();
    if (!store)
        return store.Status();
    const int nAfter = m_vecIds.empty() ? -1 : m_document.PositionOf(m_vecIds.back());
    const int nBefore = m_nBefore == 0 ? -1 : m_document.PositionOf(m_nBefore);
    const int nPosition = nAfter >= 0 ? nAfter + 1 : (nBefore >= 0 ? nBefore : m_document.ImageCount());
    const std::string strKept = m_document.NewKeptPath();
    if (CStatus status = store.Value()->Keep(picture, strKept); !status)
    {
        RemoveKept(strKept);
        return status;
    }
    const RowId nId = row.m_nId;
    if (CStatus status = m_document.InsertRows({{nPosition, std::move(row), strKept}}); !status)
    {
        RemoveKept(strKept);
        return status;
    }
    m_vecIds.push_back(nId);
    return nPosition;
}

CStatus CInsertRowsCommand::Redo()
{
    return Put();
}

CStatus CInsertRowsCommand::Undo()
{
    return Take();
}

CStatus CDeleteRowsCommand::Redo()
{
    return Take();
}

CStatus CDeleteRowsCommand::Undo()
{
    return Put();
}

std::vector<int> CMoveRowsCommand::Order() const
{
    std::vector<int> vecRows;
    for (const RowId nId : m_vecIds)
    {
        if (const int nPosition = m_document.PositionOf(nId); nPosition >= 0)
            vecRows.push_back(nPosition);
    }
    std::sort(vecRows.begin(), vecRows.end());
    const int nBefore = m_nBefore == 0 ? -1 : m_document.PositionOf(m_nBefore);
    return MovedOrder(m_document.ImageCount(), vecRows, nBefore >= 0 ? nBefore : m_document.ImageCount());
}

bool CMoveRowsCommand::IsNoMove() const
{
    return NeighbourSwaps(Order()).empty();
}

CStatus CMoveRowsCommand::Redo()
{
    if (CStatus status = m_document.CheckNotBusy(); !status)
        return status;
    std::vector<int> vecOrder = Order();
    if (CStatus status = m_document.Reorder(vecOrder); !status)
        return status;
    m_vecOrder = std::move(vecOrder);
    return {};
}

CStatus CMoveRowsCommand::Undo()
{
    if (CStatus status = m_document.CheckNotBusy(); !status)
        return status;
    std::vector<int> vecBack(m_vecOrder.size());
    for (size_t i = 0; i < m_vecOrder.size(); ++i)
        vecBack[static_cast<size_t>(m_vecOrder[i])] = static_cast<int>(i);
    return m_document.Reorder(vecBack);
}

CChangeOptionsCommand::~CChangeOptionsCommand()
{
    for (const CShowDocument::CRowExchange& exchange : m_vecExchanges)
        RemoveKept(exchange.m_strKept);
}

CStatus CChangeOptionsCommand::Add(RowId nId, const CPictureValues& overrides, int nFrames,
                                   const CPicture* pPicture)
{
    std::string strKept;
    if (pPicture != nullptr)
    {
        if (m_document.Store() == nullptr)
            return CStatus::Error("The list has no picture store");
        strKept = m_document.NewKeptPath();
        if (CStatus status = m_document.Store()->Keep(*pPicture, strKept); !status)
        {
            RemoveKept(strKept);
            return status;
        }
    }
    m_vecExchanges.push_back({nId, std::move(strKept), overrides, nFrames});
    return {};
}

CStatus CChangeOptionsCommand::Redo()
{
    if (CStatus status = m_document.CheckNotBusy(); !status)
        return status;
    return m_document.ExchangePictures(m_vecExchanges);
}

CStatus CChangeOptionsCommand::Undo()
{
    return Redo();
}

CStatus CEffectCommand::Redo()
{
    m_document.ExchangeEffect(m_effect);
    return {};
}

CStatus CEffectCommand::Undo()
{
    return Redo();
}

COutputCommand::COutputCommand(CShowDocument& document, const std::string& strShow)
    : CDocumentCommand(document), m_optOutput(ProjectRelativePath(strShow))
{
}

CStatus COutputCommand::Redo()
{
    m_document.ExchangeOutput(m_optOutput);
    return {};
}

CStatus COutputCommand::Undo()
{
    return Redo();
}

CStatus CReplaceRowCommand::Finish()
{
    if (CStatus status = m_delete.Redo(); !status)
    {
        static_cast<void>(m_insert.Undo());
        return status;
    }
    return {};
}

CStatus CReplaceRowCommand::Redo()
{
    if (CStatus status = m_insert.Redo(); !status)
        return status;
    return Finish();
}

CStatus CReplaceRowCommand::Undo()
{
    if (CStatus status = m_delete.Undo(); !status)
        return status;
    if (CStatus status = m_insert.Undo(); !status)
    {
        static_cast<void>(m_delete.Redo());
        return status;
    }
    return {};
}

CPanelCommand::CPanelCommand(CShowDocument& document, CPanelSize panel, std::unique_ptr<CPictureStore> pStore)
    : CDocumentCommand(document), m_panel(CProjectPanel::ForSize(panel)), m_pStore(std::move(pStore))
{
}

CStatus CPanelCommand::Exchange()
{
    if (CStatus status = m_document.CheckNotBusy(); !status)
        return status;
    return m_document.ExchangePanel(m_panel, m_pStore);
}

CStatus CPanelCommand::Redo()
{
    return Exchange();
}

CStatus CPanelCommand::Undo()
{
    return Exchange();
}

CStatus CContentsCommand::Exchange()
{
    if (CStatus status = m_document.CheckNotBusy(); !status)
        return status;
    m_document.ExchangeContents(m_contents);
    return {};
}

CStatus CContentsCommand::Redo()
{
    return Exchange();
}

CStatus CContentsCommand::Undo()
{
    return Exchange();
}

} // namespace tramino
