#include "store/PictureStore.h"

#include "codec/BmpWriter.h"
#include "codec/PictureDecoder.h"
#include "platform/Platform.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace tramino
{

namespace
{

// While a swap is under way the first picture waits under this name.
constexpr const char* g_szTransitName = "-1.bmp";
// A deleted picture waits here until the close-up behind it has succeeded, so that a failed
// close-up can put it back.
constexpr const char* g_szDeletedName = "Qrvdeleted.bmp";
// A replacing picture is written here before it is renamed over the one it replaces.
constexpr const char* g_szReplacingName = "Qrvreplacing.bmp";

constexpr std::string_view g_strFolderPrefix = "Qrvtemp";

std::string ParentFolder(const std::string& strParentDir)
{
    return strParentDir.empty() ? platform::TempFolder() : strParentDir;
}

// The process id in a folder name "Qrvtemp<pid>-XXXXXX"; 0 for any other name.
int64_t FolderOwner(const std::string& strName)
{
    if (!strName.starts_with(g_strFolderPrefix))
        return 0;
    const char* pBegin = strName.c_str() + g_strFolderPrefix.size();
    int64_t nPid = 0;
    const auto [pEnd, error] = std::from_chars(pBegin, strName.c_str() + strName.size(), nPid);
    return error == std::errc() && *pEnd == '-' && nPid > 0 ? nPid : 0;
}

// Folders that this user's earlier runs left when they were killed: their process is gone and
// nobody holds their lock (which also covers an owner whose process id this one cannot see).
void RemoveAbandonedFolders(const std::string& strParent)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(platform::PathFromUtf8(strParent), error), end;
         !error && it != end; it.increment(error))
    {
        const std::string strFolder = platform::Utf8FromPath(it->path());
        const int64_t nOwner = FolderOwner(platform::Utf8FromPath(it->path().filename()));
        if (nOwner == 0 || nOwner == platform::ProcessId() || platform::IsProcessAlive(nOwner) ||
            !platform::IsOwnFolder(strFolder))
            continue;
        const int hFolder = platform::LockFolder(strFolder);
        if (hFolder < 0)
            continue;
        std::error_code removeError;
        std::filesystem::remove_all(it->path(), removeError);
        platform::UnlockFolder(hFolder);
    }
}

} // namespace

CResult<ERenamed> CStoreFileOps::Rename(const std::string& strFrom, const std::string& strTo)
{
    const int nError = platform::RenameOver(strFrom, strTo, false);
    if (nError == 0)
        return ERenamed::Moved;
    if (nError == ENOENT)
        return ERenamed::NoSource;
    return RenameStatus(strFrom, "to", strTo, nError);
}

CStatus CStoreFileOps::RemoveFile(const std::string& strPath)
{
    const int nError = platform::RemoveFile(strPath);
    if (nError == 0 || nError == ENOENT)
        return {};
    return ErrnoStatus("remove", strPath, nError);
}

CResult<CPictureStore> CPictureStore::Create(CPanelSize panel, const std::string& strParentDir,
                                             std::shared_ptr<CStoreFileOps> pFileOps)
{
    if (panel.m_nWidth <= 0 || panel.m_nHeight <= 0)
        return CStatus::Error("Cannot create a picture store for the panel size " +
                              PanelSizeText(panel, ESizeText::Typed));
    const std::string strParent = ParentFolder(strParentDir);
    RemoveAbandonedFolders(strParent);
    std::string strTemplate =
        strParent + "/" + std::string(g_strFolderPrefix) + std::to_string(platform::ProcessId()) + "-XXXXXX";
    if (const int nError = platform::CreatePrivateFolder(strTemplate); nError != 0)
        return ErrnoStatus("create the picture folder in", strParent, nError);
    // Held until Close; without it the process id in the name still marks the folder as ours.
    const int hLock = platform::LockFolder(strTemplate);
    if (!pFileOps)
        pFileOps = std::make_shared<CStoreFileOps>();
    return CPictureStore(std::move(strTemplate), hLock, panel, std::move(pFileOps));
}

CPictureStore::CPictureStore(std::string strFolder, int hLock, CPanelSize panel,
                             std::shared_ptr<CStoreFileOps> pFileOps)
    : m_strFolder(std::move(strFolder)), m_hLock(hLock), m_panel(panel), m_pFileOps(std::move(pFileOps))
{
}

CPictureStore::CPictureStore(CPictureStore&& other) noexcept
    : m_strFolder(std::exchange(other.m_strFolder, {})), m_hLock(std::exchange(other.m_hLock, -1)),
      m_panel(other.m_panel), m_nCount(std::exchange(other.m_nCount, 0)), m_bDamaged(other.m_bDamaged),
      m_pFileOps(std::move(other.m_pFileOps))
{
}

CPictureStore& CPictureStore::operator=(CPictureStore&& other) noexcept
{
    if (this != &other)
    {
        // As in the destructor: nobody is left to tell of a folder that stays behind.
        static_cast<void>(Close());
        m_strFolder = std::exchange(other.m_strFolder, {});
        m_hLock = std::exchange(other.m_hLock, -1);
        m_panel = other.m_panel;
        m_nCount = std::exchange(other.m_nCount, 0);
        m_bDamaged = other.m_bDamaged;
        m_pFileOps = std::move(other.m_pFileOps);
    }
    return *this;
}

CPictureStore::~CPictureStore()
{
    // Nobody is left to tell; a folder that could not be removed stays in the temporary area.
    static_cast<void>(Close());
}

std::string CPictureStore::PathIn(const std::string& strName) const
{
    return m_strFolder + "/" + strName;
}

std::string CPictureStore::PathOf(int nPosition) const
{
    return PathIn("Qrv" + std::to_string(nPosition) + ".bmp");
}

CStatus CPictureStore::CheckChangeable() const
{
    if (!IsOpen())
        return CStatus::Error("The picture store is closed");
    if (m_bDamaged)
        return CStatus::Error("The picture store in '" + m_strFolder +
                              "' no longer matches the list after an earlier failure; it cannot be changed");
    return {};
}

CStatus CPictureStore::CheckPosition(int nPosition, int nLimit) const
{
    if (nPosition < 0 || nPosition >= nLimit)
        return CStatus::Error("No picture position " + std::to_string(nPosition) + " in the picture store '" +
                              m_strFolder + "' of " + std::to_string(m_nCount) + " pictures");
    return {};
}

CStatus CPictureStore::CheckPanelSize(const CPicture& picture) const
{
    if (picture.Width() != m_panel.m_nWidth || picture.Height() != m_panel.m_nHeight)
        return CStatus::Error("Cannot store a picture of " +
                              PanelSizeText({picture.Width(), picture.Height()}, ESizeText::Typed) +
                              " in the picture store of the panel size " +
                              PanelSizeText(m_panel, ESizeText::Typed));
    return {};
}

CStatus CPictureStore::MoveIfPresent(const std::string& strFrom, const std::string& strTo, bool& bMoved)
{
    const CResult<ERenamed> renamed = m_pFileOps->Rename(strFrom, strTo);
    bMoved = renamed && renamed.Value() == ERenamed::Moved;
    return renamed ? CStatus() : renamed.Status();
}

CStatus CPictureStore::MoveBack(const std::string& strFrom, const std::string& strTo)
{
    const CResult<ERenamed> renamed = m_pFileOps->Rename(strFrom, strTo);
    if (!renamed)
        return renamed.Status();
    if (renamed.Value() == ERenamed::NoSource)
        return RenameStatus(strFrom, "back to", strTo, ENOENT);
    return {};
}

CStatus CPictureStore::Undo(const CStatus& failure, const CStatus& undoResult)
{
    if (undoResult)
        return failure;
    m_bDamaged = true;
    return CStatus::Error(failure.Message() + "; undoing the change failed too: " + undoResult.Message() +
                          "; the stored pictures may no longer match the list");
}

CStatus CPictureStore::Add(const CPicture& picture)
{
    if (CStatus status = CheckChangeable(); !status)
        return status;
    if (CStatus status = CheckPanelSize(picture); !status)
        return status;
    // The folder dies with the program, so its files need not wait for the disk.
    if (CStatus status = WriteBmpFile(picture, PathOf(m_nCount), false); !status)
        return status;
    ++m_nCount;
    return {};
}

CStatus CPictureStore::Replace(int nPosition, const CPicture& picture)
{
    if (CStatus status = CheckChangeable(); !status)
        return status;
    if (CStatus status = CheckPosition(nPosition, m_nCount); !status)
        return status;
    if (CStatus status = CheckPanelSize(picture); !status)
        return status;
    const std::string strReplacing = PathIn(g_szReplacingName);
    if (CStatus status = WriteBmpFile(picture, strReplacing, false); !status)
        return status;
    // A rename either puts the new file in place or leaves the old one: nothing to undo.
    bool bMoved = false;
    CStatus status = MoveIfPresent(strReplacing, PathOf(nPosition), bMoved);
    if (status && !bMoved)
        status = RenameStatus(strReplacing, "to", PathOf(nPosition), ENOENT);
    if (!status)
        static_cast<void>(m_pFileOps->RemoveFile(strReplacing));
    return status;
}

CStatus CPictureStore::Delete(int nPosition)
{
    const std::string strDeleted = PathIn(g_szDeletedName);
    bool bSetAside = false;
    if (CStatus status = Remove(nPosition, strDeleted, bSetAside); !status)
        return status;
    // The list is in step now. Should the set-aside file refuse to go, Close removes it with
    // the folder, and the next Delete replaces it.
    if (bSetAside)
        static_cast<void>(m_pFileOps->RemoveFile(strDeleted));
    return {};
}

CStatus CPictureStore::Remove(int nPosition, const std::string& strAside, bool& bSetAside)
{
    if (CStatus status = CheckChangeable(); !status)
        return status;
    if (CStatus status = CheckPosition(nPosition, m_nCount); !status)
        return status;

    if (CStatus status = MoveIfPresent(PathOf(nPosition), strAside, bSetAside); !status)
        return status;

    std::vector<int> vecMoved; // positions whose file now stands one place lower
    for (int i = nPosition + 1; i < m_nCount; ++i)
    {
        bool bMoved = false;
        CStatus status = MoveIfPresent(PathOf(i), PathOf(i - 1), bMoved);
        if (!status)
        {
            CStatus undoResult;
            for (auto it = vecMoved.rbegin(); it != vecMoved.rend() && undoResult; ++it)
                undoResult = MoveBack(PathOf(*it - 1), PathOf(*it));
            if (undoResult && bSetAside)
                undoResult = MoveBack(strAside, PathOf(nPosition));
            return Undo(status, undoResult);
        }
        if (bMoved)
            vecMoved.push_back(i);
    }
    --m_nCount;
    return {};
}

std::string CPictureStore::KeptPath(uint64_t nKey) const
{
    return PathIn("Qrvkept" + std::to_string(nKey) + ".bmp");
}

CStatus CPictureStore::Keep(const CPicture& picture, const std::string& strKept) const
{
    if (CStatus status = CheckChangeable(); !status)
        return status;
    if (CStatus status = CheckPanelSize(picture); !status)
        return status;
    return WriteBmpFile(picture, strKept, false);
}

CStatus CPictureStore::Detach(int nPosition, const std::string& strKept)
{
    bool bSetAside = false;
    return Remove(nPosition, strKept, bSetAside);
}

CStatus CPictureStore::Attach(int nPosition, const std::string& strKept)
{
    if (CStatus status = CheckChangeable(); !status)
        return status;
    if (CStatus status = CheckPosition(nPosition, m_nCount + 1); !status)
        return status;
    std::vector<int> vecMoved; // positions whose file now stands one place higher
    CStatus status;
    for (int i = m_nCount - 1; i >= nPosition && status; --i)
    {
        bool bMoved = false;
        status = MoveIfPresent(PathOf(i), PathOf(i + 1), bMoved);
        if (bMoved)
            vecMoved.push_back(i);
    }
    bool bAttached = false;
    if (status)
        status = MoveIfPresent(strKept, PathOf(nPosition), bAttached);
    if (status)
    {
        ++m_nCount;
        return {};
    }
    CStatus undoResult;
    for (auto it = vecMoved.rbegin(); it != vecMoved.rend() && undoResult; ++it)
        undoResult = MoveBack(PathOf(*it + 1), PathOf(*it));
    return Undo(status, undoResult);
}

CStatus CPictureStore::Exchange(int nPosition, const std::string& strKept)
{
    if (CStatus status = CheckChangeable(); !status)
        return status;
    if (CStatus status = CheckPosition(nPosition, m_nCount); !status)
        return status;
    return ExchangeFiles(PathOf(nPosition), strKept);
}

CStatus CPictureStore::SwapWithNext(int nPosition)
{
    if (CStatus status = CheckChangeable(); !status)
        return status;
    if (CStatus status = CheckPosition(nPosition, m_nCount - 1); !status)
        return status;
    return ExchangeFiles(PathOf(nPosition), PathOf(nPosition + 1));
}

CStatus CPictureStore::ExchangeFiles(const std::string& strFirst, const std::string& strSecond)
{
    const std::string strTransit = PathIn(g_szTransitName);
    bool bFirstMoved = false;
    if (CStatus status = MoveIfPresent(strFirst, strTransit, bFirstMoved); !status)
        return status;

    bool bSecondMoved = false;
    CStatus status = MoveIfPresent(strSecond, strFirst, bSecondMoved);
    if (status && bFirstMoved)
    {
        bool bUnused = false;
        status = MoveIfPresent(strTransit, strSecond, bUnused);
        if (!status && bSecondMoved)
        {
            // Put the second picture back before the first, whose place it now holds.
            if (CStatus undoResult = MoveBack(strFirst, strSecond); !undoResult)
                return Undo(status, undoResult);
        }
    }
    if (status)
        return {};
    return Undo(status, bFirstMoved ? MoveBack(strTransit, strFirst) : CStatus());
}

CResult<CPicture> CPictureStore::Read(int nPosition) const
{
    if (!IsOpen())
        return CStatus::Error("The picture store is closed");
    if (CStatus status = CheckPosition(nPosition, m_nCount); !status)
        return status;
    const std::string strPath = PathOf(nPosition);
    CResult<CPicture> picture = DecodePictureFile(strPath);
    if (picture &&
        (picture.Value().Width() != m_panel.m_nWidth || picture.Value().Height() != m_panel.m_nHeight))
        return CStatus::Error(
            "The stored picture '" + strPath + "' is " +
            PanelSizeText({picture.Value().Width(), picture.Value().Height()}, ESizeText::Typed) +
            ", not the panel size " + PanelSizeText(m_panel, ESizeText::Typed));
    return picture;
}

CStatus CPictureStore::Close()
{
    if (!IsOpen())
        return {};
    namespace fs = std::filesystem;
    CStatus result;
    std::error_code error;
    // Whatever is in the folder is ours: pictures, the transit and set-aside names, and the
    // temporary files of an interrupted write.
    std::vector<fs::directory_entry> vecEntries;
    for (fs::directory_iterator it(platform::PathFromUtf8(m_strFolder), error), end; !error && it != end;
         it.increment(error))
        vecEntries.push_back(*it);
    // A folder removed behind the store's back (a cleaner of the temporary area) is closed.
    if (error && error.value() != ENOENT)
        result = ErrnoStatus("list the picture folder", m_strFolder, error.value());
    for (const fs::directory_entry& entry : vecEntries)
    {
        const std::string strPath = platform::Utf8FromPath(entry.path());
        std::error_code typeError;
        if (entry.is_directory(typeError) && !entry.is_symlink(typeError))
        {
            fs::remove_all(entry.path(), typeError);
            if (typeError && result)
                result = ErrnoStatus("remove", strPath, typeError.value());
        }
        else if (CStatus removed = m_pFileOps->RemoveFile(strPath); !removed && result)
            result = removed;
    }
    if (fs::remove(platform::PathFromUtf8(m_strFolder), error); error && error.value() != ENOENT && result)
        result = ErrnoStatus("remove the picture folder", m_strFolder, error.value());
    m_strFolder.clear();
    if (m_hLock >= 0)
        platform::UnlockFolder(std::exchange(m_hLock, -1));
    m_nCount = 0;
    return result;
}

} // namespace tramino
