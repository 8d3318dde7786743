#include "document/ShowDocument.h"

#include "codec/PictureDecoder.h"
#include "platform/Platform.h"
#include "project/ProjectSave.h"
#include "store/ListMove.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace tramino
{

std::unique_ptr<IPictureSource> RowPictureSource(const CShowRow& row, const CConvertOptions& options)
{
    return ProjectPictureSource(row.m_picture, options);
}

std::unique_ptr<IPictureSource> ProjectPictureSource(const CProjectPicture& picture,
                                                     const CConvertOptions& options)
{
    std::string strPath = platform::Utf8FromPath(picture.m_path.m_path);
    if (picture.m_nFrame != 0)
        return std::make_unique<CFramePictureSource>(std::move(strPath), picture.m_nFrame, options);
    return std::make_unique<CFilePictureSource>(std::move(strPath), options);
}

int TakenFrames(const CProjectPicture& picture, const CPictureValues& values)
{
    if (!TakesAllFrames(picture, values))
        return 0;
    const CResult<int> nFrames = CountPictureFrames(platform::Utf8FromPath(picture.m_path.m_path));
    return nFrames ? std::max(1, nFrames.Value()) : 1;
}

CShowDocument::CShowDocument(CPanelSize panel, EEffect effect, FnCreateStore fnCreateStore)
    : m_contents(EmptyContents(panel, effect)), m_fnCreateStore(std::move(fnCreateStore))
{
    if (!m_fnCreateStore)
        m_fnCreateStore = [](CPanelSize size) { return CPictureStore::Create(size); };
}

CShowDocument::~CShowDocument() = default;

void CShowDocument::AddObserver(IDocumentObserver& observer)
{
    m_vecObservers.push_back(&observer);
}

void CShowDocument::RemoveObserver(IDocumentObserver& observer)
{
    std::erase(m_vecObservers, &observer);
}

void CShowDocument::AboutToChange(const CDocumentChange& change)
{
    for (IDocumentObserver* pObserver : m_vecObservers)
        pObserver->OnAboutToChange(change);
}

void CShowDocument::Changed(const CDocumentChange& change)
{
    for (IDocumentObserver* pObserver : m_vecObservers)
        pObserver->OnChanged(change);
}

int CShowDocument::PositionOf(RowId nId) const
{
    const auto& vecRows = m_contents.m_vecRows;
    const auto it =
        std::find_if(vecRows.begin(), vecRows.end(), [nId](const CShowRow& row) { return row.m_nId == nId; });
    return it == vecRows.end() ? -1 : static_cast<int>(it - vecRows.begin());
}

CProject CShowDocument::Project() const
{
    CProject project = m_contents.m_project;
    project.m_vecPictures.reserve(m_contents.m_vecRows.size());
    for (const CShowRow& row : m_contents.m_vecRows)
        project.m_vecPictures.push_back(row.m_picture);
    return project;
}

int CShowDocument::ShowPictureCount() const
{
    int nPictures = 0;
    for (const CShowRow& row : m_contents.m_vecRows)
        nPictures += std::max(1, row.m_nFrames);
    return nPictures;
}

CPictureValues CShowDocument::EffectiveValues(int nPosition) const
{
    return EffectivePictureValues(Defaults(), Row(nPosition).m_picture.m_overrides);
}

CResult<CPictureStore> CShowDocument::CreateStore(CPanelSize panel) const
{
    return m_fnCreateStore(panel);
}

CResult<CPictureStore*> CShowDocument::EnsureStore()
{
    if (!m_contents.m_pStore)
    {
        CResult<CPictureStore> store = CreateStore(Panel());
        if (!store)
            return store.Status();
        m_contents.m_pStore = std::make_unique<CPictureStore>(std::move(store).Value());
    }
    return m_contents.m_pStore.get();
}

CStatus CShowDocument::CloseStore()
{
    if (!m_contents.m_pStore)
        return {};
    CStatus status = m_contents.m_pStore->Close();
    m_contents.m_pStore.reset();
    return status;
}

CStatus CShowDocument::CheckNotBusy() const
{
    if (m_bBusy)
        return CStatus::Error("The list cannot change while its pictures are being converted");
    return {};
}

CStatus CShowDocument::CheckChangeable(int nRows) const
{
    if (nRows > 0 && !m_contents.m_pStore)
        return CStatus::Error("The list has no picture store");
    return {};
}

std::string CShowDocument::NewKeptPath()
{
    return m_contents.m_pStore ? m_contents.m_pStore->KeptPath(++m_nLastKept) : std::string();
}

CShowRow CShowDocument::PlainFileRow(const std::string& strPath, std::string strText)
{
    CShowRow row;
    row.m_nId = NewRowId();
    row.m_strSource = strPath;
    row.m_strText = std::move(strText);
    row.m_picture = {ProjectRelativePath(strPath), OverridesOf(Defaults(), DefaultPictureValues())};
    return row;
}

CShowRow CShowDocument::ShowPictureRow(const std::string& strShow, int nIndex, std::string strText)
{
    CShowRow row = PlainFileRow(strShow + " #" + std::to_string(nIndex), std::move(strText));
    row.m_eSource = ERowSource::ShowPicture;
    row.m_strSource = strShow;
    row.m_nIndex = nIndex;
    return row;
}

CShowRow CShowDocument::ProjectRow(const CProjectPicture& picture, std::string strText)
{
    CShowRow row;
    row.m_nId = NewRowId();
    row.m_strSource = platform::Utf8FromPath(picture.m_path.m_path);
    row.m_strText = std::move(strText);
    row.m_picture = picture;
    if (picture.m_nFrame != 0)
    {
        row.m_eSource = ERowSource::GifFrame;
        row.m_nIndex = picture.m_nFrame;
    }
    row.m_nFrames = TakenFrames(picture, EffectivePictureValues(Defaults(), picture.m_overrides));
    return row;
}

CShowRow CShowDocument::FrameRow(const CShowRow& gif, int nFrame, std::string strText)
{
    CPictureValues values = EffectivePictureValues(Defaults(), gif.m_picture.m_overrides);
    values[static_cast<size_t>(EPictureOption::Frames)] = "first";
    CProjectPicture picture{gif.m_picture.m_path, OverridesOf(Defaults(), values), 0, nFrame};
    return ProjectRow(picture, std::move(strText));
}

CStatus CShowDocument::InsertRows(const std::vector<CPlacedRow>& vecRows)
{
    if (CStatus status = CheckChangeable(static_cast<int>(vecRows.size())); !status)
        return status;
    for (size_t i = 0; i < vecRows.size(); ++i)
    {
        if (CStatus status = m_contents.m_pStore->Attach(vecRows[i].m_nPosition, vecRows[i].m_strKept);
            !status)
        {
            for (size_t j = i; j-- > 0;)
                static_cast<void>(m_contents.m_pStore->Detach(vecRows[j].m_nPosition, vecRows[j].m_strKept));
            return status;
        }
    }
    for (const CPlacedRow& placed : vecRows)
    {
        const CDocumentChange change{EDocumentChange::Inserted, placed.m_nPosition, {}, {}};
        AboutToChange(change);
        auto& vecList = m_contents.m_vecRows;
        vecList.insert(vecList.begin() + placed.m_nPosition, placed.m_row);
        if (m_nShownImage >= placed.m_nPosition && ImageCount() > 1)
            ++m_nShownImage;
        Changed(change);
    }
    return {};
}

CStatus CShowDocument::RemoveRows(const std::vector<RowId>& vecIds, std::vector<CPlacedRow>& vecRemoved)
{
    std::vector<int> vecPositions;
    for (const RowId nId : vecIds)
    {
        if (const int nPosition = PositionOf(nId); nPosition >= 0)
            vecPositions.push_back(nPosition);
    }
    std::sort(vecPositions.begin(), vecPositions.end());
    vecPositions.erase(std::unique(vecPositions.begin(), vecPositions.end()), vecPositions.end());
    if (CStatus status = CheckChangeable(static_cast<int>(vecPositions.size())); !status)
        return status;
    std::vector<CPlacedRow> vecPlaced;
    vecPlaced.reserve(vecPositions.size());
    for (const int nPosition : vecPositions)
        vecPlaced.push_back({nPosition, Row(nPosition), NewKeptPath()});
    // From the back, so that the positions before each stay where they are.
    for (size_t i = vecPlaced.size(); i-- > 0;)
    {
        if (CStatus status = m_contents.m_pStore->Detach(vecPlaced[i].m_nPosition, vecPlaced[i].m_strKept);
            !status)
        {
            for (size_t j = i + 1; j < vecPlaced.size(); ++j)
                static_cast<void>(
                    m_contents.m_pStore->Attach(vecPlaced[j].m_nPosition, vecPlaced[j].m_strKept));
            return status;
        }
    }
    for (size_t i = vecPlaced.size(); i-- > 0;)
    {
        const int nPosition = vecPlaced[i].m_nPosition;
        const CDocumentChange change{EDocumentChange::Removed, nPosition, {}, {}};
        AboutToChange(change);
        m_contents.m_vecRows.erase(m_contents.m_vecRows.begin() + nPosition);
        if (m_nShownImage > nPosition)
            --m_nShownImage;
        Changed(change);
    }
    m_nShownImage = std::clamp(m_nShownImage, 0, std::max(0, ImageCount() - 1));
    vecRemoved = std::move(vecPlaced);
    return {};
}

CStatus CShowDocument::Reorder(const std::vector<int>& vecOrder)
{
    const std::vector<int> vecSwaps = NeighbourSwaps(vecOrder);
    if (CStatus status = CheckChangeable(vecSwaps.empty() ? 0 : ImageCount()); !status)
        return status;
    for (size_t i = 0; i < vecSwaps.size(); ++i)
    {
        if (CStatus status = m_contents.m_pStore->SwapWithNext(vecSwaps[i]); !status)
        {
            // Back to the order the rows still have.
            while (i-- > 0 && m_contents.m_pStore->SwapWithNext(vecSwaps[i]))
            {
            }
            return status;
        }
    }
    const CDocumentChange change{EDocumentChange::Moved, 0, {}, vecOrder};
    AboutToChange(change);
    std::vector<CShowRow> vecRows;
    vecRows.reserve(vecOrder.size());
    int nShown = m_nShownImage;
    for (size_t i = 0; i < vecOrder.size(); ++i)
    {
        vecRows.push_back(std::move(m_contents.m_vecRows[static_cast<size_t>(vecOrder[i])]));
        if (vecOrder[i] == m_nShownImage)
            nShown = static_cast<int>(i);
    }
    m_contents.m_vecRows = std::move(vecRows);
    m_nShownImage = nShown;
    Changed(change);
    return {};
}

CStatus CShowDocument::ExchangePictures(std::vector<CRowExchange>& vecExchanges)
{
    std::vector<int> vecPositions;
    for (const CRowExchange& exchange : vecExchanges)
    {
        const int nPosition = PositionOf(exchange.m_nId);
        if (nPosition < 0)
            return CStatus::Error("A picture to change is no longer in the list");
        vecPositions.push_back(nPosition);
    }
    for (size_t i = 0; i < vecExchanges.size(); ++i)
    {
        if (vecExchanges[i].m_strKept.empty())
            continue;
        CStatus status = CheckChangeable(1);
        if (status)
            status = m_contents.m_pStore->Exchange(vecPositions[i], vecExchanges[i].m_strKept);
        if (!status)
        {
            for (size_t j = i; j-- > 0;)
            {
                if (!vecExchanges[j].m_strKept.empty())
                    static_cast<void>(
                        m_contents.m_pStore->Exchange(vecPositions[j], vecExchanges[j].m_strKept));
            }
            return status;
        }
    }
    const CDocumentChange change{EDocumentChange::Pictures, 0, vecPositions, {}};
    AboutToChange(change);
    for (size_t i = 0; i < vecExchanges.size(); ++i)
    {
        CShowRow& row = m_contents.m_vecRows[static_cast<size_t>(vecPositions[i])];
        std::swap(row.m_picture.m_overrides, vecExchanges[i].m_overrides);
        std::swap(row.m_nFrames, vecExchanges[i].m_nFrames);
    }
    Changed(change);
    return {};
}

void CShowDocument::ExchangeEffect(EEffect& effect)
{
    const CDocumentChange change{EDocumentChange::Effect, 0, {}, {}};
    AboutToChange(change);
    std::swap(m_contents.m_project.m_effect, effect);
    Changed(change);
}

void CShowDocument::ExchangeOutput(std::optional<CProjectPath>& optOutput)
{
    const CDocumentChange change{EDocumentChange::Project, 0, {}, {}};
    AboutToChange(change);
    std::swap(m_contents.m_project.m_optOutput, optOutput);
    Changed(change);
}

CStatus CShowDocument::ExchangePanel(CProjectPanel& panel, std::unique_ptr<CPictureStore>& pStore)
{
    const int nStored = pStore ? pStore->Count() : 0;
    if (nStored != ImageCount() || (pStore && (pStore->PanelWidth() != panel.m_size.m_nWidth ||
                                               pStore->PanelHeight() != panel.m_size.m_nHeight)))
        return CStatus::Error("The pictures converted for the panel do not match the list");
    const CDocumentChange change{EDocumentChange::Panel, 0, {}, {}};
    AboutToChange(change);
    std::swap(m_contents.m_project.m_panel, panel);
    std::swap(m_contents.m_pStore, pStore);
    Changed(change);
    return {};
}

void CShowDocument::ExchangeContents(CDocumentContents& contents)
{
    const CDocumentChange change{EDocumentChange::Reset, 0, {}, {}};
    AboutToChange(change);
    std::swap(m_contents, contents);
    m_nShownImage = 0;
    Changed(change);
}

CDocumentContents CShowDocument::OpenedContents(const CProject& file, std::string strPath, CPanelSize panel)
{
    CDocumentContents contents;
    contents.m_saved = file;
    contents.m_project = file;
    contents.m_project.m_vecPictures.clear();
    // A size the file gave as width and height stays written so while it holds.
    if (contents.m_project.m_panel.m_size != panel)
        contents.m_project.m_panel = CProjectPanel::ForSize(panel);
    contents.m_strPath = std::move(strPath);
    contents.m_optFileDigest = ProjectFileDigest(contents.m_strPath);
    return contents;
}

CDocumentContents CShowDocument::EmptyContents(CPanelSize panel, EEffect effect)
{
    CDocumentContents contents;
    contents.m_project.m_panel = CProjectPanel::ForSize(panel);
    contents.m_project.m_effect = effect;
    contents.m_saved = contents.m_project;
    return contents;
}

CStatus CShowDocument::Save(const std::string& strPath)
{
    const CProject project = Project();
    if (CStatus status = SaveProjectLocked(project, strPath); !status)
        return status;
    m_contents.m_saved = project;
    m_contents.m_strPath = strPath;
    m_contents.m_optFileDigest = ProjectFileDigest(strPath);
    Changed({EDocumentChange::Project, 0, {}, {}});
    return {};
}

bool CShowDocument::ChangedOnDisk(const std::string& strPath) const
{
    // A file gone has nothing a save would lose.
    std::error_code error;
    return !m_contents.m_strPath.empty() && strPath == m_contents.m_strPath &&
           std::filesystem::exists(std::filesystem::path(strPath), error) &&
           ProjectFileDigest(strPath) != m_contents.m_optFileDigest;
}

void CShowDocument::SetOutput(const std::string& strShow)
{
    m_contents.m_project.m_optOutput = ProjectRelativePath(strShow);
    Changed({EDocumentChange::Project, 0, {}, {}});
}

void CShowDocument::SetFastImport(bool bFast)
{
    m_contents.m_project.m_bFastImport = bFast;
    Changed({EDocumentChange::Project, 0, {}, {}});
}

} // namespace tramino
