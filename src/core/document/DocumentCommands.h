#pragma once

#include "document/ShowDocument.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tramino
{

// One change of a document that can be taken back and made again. Each call either does all of
// its work or leaves the document as it was, and says which. Calls alternate: Redo (the first
// one applies the change, except where a class says it starts applied), Undo, Redo ... while the
// document is as the previous call left it. While the document is busy converting, every call is
// refused. Rows are found by identity, never by a position remembered from earlier.
class CDocumentCommand
{
public:
    explicit CDocumentCommand(CShowDocument& document) : m_document(document) {}
    virtual ~CDocumentCommand() = default;
    CDocumentCommand(const CDocumentCommand&) = delete;
    CDocumentCommand& operator=(const CDocumentCommand&) = delete;

    virtual CStatus Redo() = 0;
    virtual CStatus Undo() = 0;

protected:
    CShowDocument& m_document;
};

// Rows that go out of the list and come back: while out, their pictures wait in kept files of
// the store, which go when the command goes.
class CRowsCommand : public CDocumentCommand
{
public:
    using CDocumentCommand::CDocumentCommand;
    ~CRowsCommand() override;
    CRowsCommand(const CRowsCommand&) = delete;
    CRowsCommand& operator=(const CRowsCommand&) = delete;

    int Count() const { return static_cast<int>(m_vecIds.size()); }

protected:
    CStatus Put();
    CStatus Take();

    std::vector<RowId> m_vecIds;
    std::vector<CShowDocument::CPlacedRow> m_vecPlaced; // while out of the list
};

// Rows inserted (Load Image, a drop, pictures added from a show). Starts applied and empty: Add
// lists each picture as its conversion ends, which the document being busy with it allows.
class CInsertRowsCommand final : public CRowsCommand
{
public:
    // The rows go before the row nBefore, or to the end for 0 (or a row no longer listed).
    CInsertRowsCommand(CShowDocument& document, RowId nBefore) : CRowsCommand(document), m_nBefore(nBefore) {}

    // The row and its picture after those added before; the position it got.
    CResult<int> Add(CShowRow row, const CPicture& picture);

    CStatus Redo() override;
    CStatus Undo() override;

private:
    RowId m_nBefore;
};

// The rows deleted.
class CDeleteRowsCommand final : public CRowsCommand
{
public:
    CDeleteRowsCommand(CShowDocument& document, std::vector<RowId> vecIds) : CRowsCommand(document)
    {
        m_vecIds = std::move(vecIds);
    }

    CStatus Redo() override;
    CStatus Undo() override;
};

// The rows moved together, in their order, before the row nBefore (0: to the end): Up, Down
// and drags inside the list.
class CMoveRowsCommand final : public CDocumentCommand
{
public:
    CMoveRowsCommand(CShowDocument& document, std::vector<RowId> vecIds, RowId nBefore)
        : CDocumentCommand(document), m_vecIds(std::move(vecIds)), m_nBefore(nBefore)
    {
    }

    // True when the move leaves every row where it is.
    bool IsNoMove() const;
    int Count() const { return static_cast<int>(m_vecIds.size()); }

    CStatus Redo() override;
    CStatus Undo() override;

private:
    std::vector<int> Order() const;

    std::vector<RowId> m_vecIds;
    RowId m_nBefore;
    std::vector<int> m_vecOrder; // of the last Redo
};

// Picture options of rows, with the pictures converted for them.
class CChangeOptionsCommand final : public CDocumentCommand
{
public:
    using CDocumentCommand::CDocumentCommand;
    ~CChangeOptionsCommand() override;
    CChangeOptionsCommand(const CChangeOptionsCommand&) = delete;
    CChangeOptionsCommand& operator=(const CChangeOptionsCommand&) = delete;

    // Row nId is to take these overrides, with nFrames (CShowRow::m_nFrames) and, unless null,
    // this picture.
    CStatus Add(RowId nId, const CPictureValues& overrides, int nFrames, const CPicture* pPicture);
    bool IsEmpty() const { return m_vecExchanges.empty(); }
    int Count() const { return static_cast<int>(m_vecExchanges.size()); }

    CStatus Redo() override;
    CStatus Undo() override;

private:
    std::vector<CShowDocument::CRowExchange> m_vecExchanges;
};

// The effect of the show. Allowed while busy: it touches no row.
class CEffectCommand final : public CDocumentCommand
{
public:
    CEffectCommand(CShowDocument& document, EEffect effect) : CDocumentCommand(document), m_effect(effect) {}

    CStatus Redo() override;
    CStatus Undo() override;

private:
    EEffect m_effect; // the one not in the document
};

// The show file the project builds. Allowed while busy: it touches no row.
class COutputCommand final : public CDocumentCommand
{
public:
    // strShow is kept relative to the project's folder, as SetOutput keeps it.
    COutputCommand(CShowDocument& document, const std::string& strShow);

    CStatus Redo() override;
    CStatus Undo() override;

private:
    std::optional<CProjectPath> m_optOutput; // the one not in the document
};

// One row replaced by others (a GIF's row by a row for each of its frames), one step: the new
// rows are listed before it as their conversions end (through Insert), then Finish takes it out.
class CReplaceRowCommand final : public CDocumentCommand
{
public:
    CReplaceRowCommand(CShowDocument& document, RowId nRow)
        : CDocumentCommand(document), m_insert(document, nRow), m_delete(document, {nRow})
    {
    }

    CInsertRowsCommand& Insert() { return m_insert; }
    CStatus Finish();

    CStatus Redo() override;
    CStatus Undo() override;

private:
    CInsertRowsCommand m_insert;
    CDeleteRowsCommand m_delete;
};

// Another panel, with every row's picture converted for it in pStore (null for an empty list);
// the pictures of the other panel wait in their own store, so undo converts nothing.
class CPanelCommand final : public CDocumentCommand
{
public:
    CPanelCommand(CShowDocument& document, CPanelSize panel, std::unique_ptr<CPictureStore> pStore);

    CStatus Redo() override;
    CStatus Undo() override;

private:
    CStatus Exchange();

    CProjectPanel m_panel;
    std::unique_ptr<CPictureStore> m_pStore;
};

// Another project, or the empty show: the whole contents exchanged. Rows an open lists after its
// first Redo (through a CInsertRowsCommand of its own) belong to it.
class CContentsCommand final : public CDocumentCommand
{
public:
    CContentsCommand(CShowDocument& document, CDocumentContents contents)
        : CDocumentCommand(document), m_contents(std::move(contents))
    {
    }

    CStatus Redo() override;
    CStatus Undo() override;

private:
    CStatus Exchange();

    CDocumentContents m_contents;
};

} // namespace tramino
