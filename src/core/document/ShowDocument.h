#pragma once

#include "common/Status.h"
#include "document/DocumentObserver.h"
#include "document/ShowRow.h"
#include "project/Project.h"
#include "store/PictureStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tramino
{

// Everything a document holds that opening another project replaces.
struct CDocumentContents
{
    CProject m_project; // panel, transition, defaults and output; its pictures are the rows'
    std::vector<CShowRow> m_vecRows;
    std::unique_ptr<CPictureStore> m_pStore; // null until the first picture
    CProject m_saved;                        // what its file holds (or the empty show)
    std::string m_strPath;                   // empty until opened or saved
    std::optional<uint64_t> m_optFileDigest; // of its file's bytes as read or written here
};

// The show being made: its ordered rows, each with its converted picture in the store, the
// panel, the transition, the project's file and output, and whether it is saved. The store file
// of position i holds the picture of row i after every change: only the document changes either.
//
// Changes come as the primitives below, each all-or-nothing (the store first, then the rows) and
// each announced to the observers; the commands (DocumentCommands.h) are made of them and know
// how to take them back. While a command converts pictures on other threads the document is
// busy, and every change but that command's own is refused.
//
// User-interface thread only; the store may be read by workers while nothing changes.
class CShowDocument
{
public:
    using FnCreateStore = std::function<CResult<CPictureStore>(CPanelSize panel)>;

    // An empty show for the panel, nothing to save. fnCreateStore makes the stores (by default
    // in the temporary area).
    CShowDocument(CPanelSize panel, EEffect effect, FnCreateStore fnCreateStore = {});
    CShowDocument(const CShowDocument&) = delete;
    CShowDocument& operator=(const CShowDocument&) = delete;
    ~CShowDocument();

    void AddObserver(IDocumentObserver& observer);
    void RemoveObserver(IDocumentObserver& observer);

    // g_nImageCount: the rows, as many as the store holds pictures.
    int ImageCount() const { return static_cast<int>(m_contents.m_vecRows.size()); }
    // The pictures of the show the rows make: a row that takes every frame gives each of them.
    int ShowPictureCount() const;
    const CShowRow& Row(int nPosition) const { return m_contents.m_vecRows[static_cast<size_t>(nPosition)]; }
    // -1 when no row has the identity.
    int PositionOf(RowId nId) const;
    CPanelSize Panel() const { return m_contents.m_project.m_panel.m_size; }
    EEffect Effect() const { return m_contents.m_project.m_effect; }
    // The project the document is, its pictures row for row.
    CProject Project() const;
    const CPictureValues& Defaults() const { return m_contents.m_project.m_defaults; }
    // JPEG files of this project decode scaled down (CProject::m_bFastImport).
    bool IsFastImport() const { return m_contents.m_project.m_bFastImport; }
    CPictureValues EffectiveValues(int nPosition) const;
    const std::string& Path() const { return m_contents.m_strPath; }
    bool IsModified() const { return Project() != m_contents.m_saved; }
    // Null before the first picture.
    CPictureStore* Store() const { return m_contents.m_pStore.get(); }
    // The store, made for the panel when there is none yet.
    CResult<CPictureStore*> EnsureStore();
    CResult<CPictureStore> CreateStore(CPanelSize panel) const;
    // Removes the store with everything in it, as the window closes: the rows are left without
    // pictures, so nothing but reading them may follow.
    CStatus CloseStore();

    // g_nShownImage: the row the preview draws. Display state, no change of the show; moves
    // carry it along with its row.
    int ShownImage() const { return m_nShownImage; }
    void SetShownImage(int nPosition) { m_nShownImage = nPosition; }

    bool IsBusy() const { return m_bBusy; }
    void SetBusy(bool bBusy) { m_bBusy = bBusy; }
    // An error saying the list is busy, when it is.
    CStatus CheckNotBusy() const;
    RowId NewRowId() { return ++m_nLastId; }
    // A name in the store's folder no other kept picture has.
    std::string NewKeptPath();

    // A row for a picture file converted with the plain conversion: its overrides undo the
    // project's defaults. strText is what the list shows.
    CShowRow PlainFileRow(const std::string& strPath, std::string strText);
    // A row for picture nIndex (from 1) of the show file; a project names it by the show and its
    // place there, which no file answers to.
    CShowRow ShowPictureRow(const std::string& strShow, int nIndex, std::string strText);
    // A row for a picture of a project, as the project names it, its frames counted when it takes
    // them all.
    CShowRow ProjectRow(const CProjectPicture& picture, std::string strText);
    // A row for frame nFrame (from 1) of the GIF of the row gif, with its options but one frame.
    CShowRow FrameRow(const CShowRow& gif, int nFrame, std::string strText);

    // --- The primitives of the commands. ---
    struct CPlacedRow
    {
        int m_nPosition = 0; // where the row stands once inserted
        CShowRow m_row;
        std::string m_strKept; // its picture while it is not listed
    };
    // Inserts the rows (ascending positions) with the pictures of their kept files, which become
    // the store's; vecRows keeps them for a later RemoveRows.
    CStatus InsertRows(const std::vector<CPlacedRow>& vecRows);
    // Removes the rows whose identities are given; their pictures wait in kept files, which
    // vecRemoved gets (ascending positions), ready for InsertRows.
    CStatus RemoveRows(const std::vector<RowId>& vecIds, std::vector<CPlacedRow>& vecRemoved);
    // Puts the rows in the order vecOrder (entry i: the present position of the row to stand at i).
    CStatus Reorder(const std::vector<int>& vecOrder);
    struct CRowExchange
    {
        RowId m_nId = 0;
        std::string m_strKept; // empty when the picture stays
        CPictureValues m_overrides;
        int m_nFrames = 0; // CShowRow::m_nFrames for the overrides
    };
    // Gives each row the picture of its kept file and the overrides; afterwards each entry holds
    // what the row had, so that the same call takes it back.
    CStatus ExchangePictures(std::vector<CRowExchange>& vecExchanges);
    void ExchangeEffect(EEffect& effect);
    void ExchangeOutput(std::optional<CProjectPath>& optOutput);
    // The panel and the store of every row's picture for it, exchanged as ExchangePictures does.
    CStatus ExchangePanel(CProjectPanel& panel, std::unique_ptr<CPictureStore>& pStore);
    // Another project, or the empty show; afterwards contents holds the one before.
    void ExchangeContents(CDocumentContents& contents);

    // Contents of the project read from strPath for a list of the panel: no rows yet, and whatever
    // of the file does not come into the list (a picture left out, another panel) is unsaved.
    static CDocumentContents OpenedContents(const CProject& file, std::string strPath, CPanelSize panel);
    // An empty show for the panel and the transition.
    static CDocumentContents EmptyContents(CPanelSize panel, EEffect effect);
    // Writes the project to strPath, which it then belongs to; the file locked while it is
    // replaced, as `tramino-cli project add` locks it.
    CStatus Save(const std::string& strPath);
    // Whether strPath is the document's file and another program changed it since it was read
    // or last saved here, so that a save would lose that change.
    bool ChangedOnDisk(const std::string& strPath) const;
    // The show file the project builds, written relative to the project's folder.
    void SetOutput(const std::string& strShow);
    void SetFastImport(bool bFast);

private:
    void AboutToChange(const CDocumentChange& change);
    void Changed(const CDocumentChange& change);
    CStatus CheckChangeable(int nRows) const;

    CDocumentContents m_contents;
    FnCreateStore m_fnCreateStore;
    std::vector<IDocumentObserver*> m_vecObservers;
    int m_nShownImage = 0;
    bool m_bBusy = false;
    RowId m_nLastId = 0;
    uint64_t m_nLastKept = 0;
};

} // namespace tramino
