#include "common/ReplacingFile.h"

#include "common/StaleTempFiles.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <random>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino
{

namespace
{

namespace fs = std::filesystem;

constexpr int g_nMaxLinks = 40; // as the kernel's own limit
constexpr size_t g_nMaxNameBytes = 255;
constexpr size_t g_nTempExtraBytes = 25; // ".", ".", a process id and "-", 8 random characters, ".tmp"
// A large file is handed to the disk in steps of this while it is written, not all at the end.
constexpr uint64_t g_nWritebackBytes = 8 * 1024 * 1024;

std::string UniqueSuffix()
{
    // Random enough that two programs writing beside each other do not collide; O_EXCL catches
    // the rest.
    static std::atomic<uint64_t> g_nCounter{std::random_device{}()};
    uint64_t nValue = g_nCounter.fetch_add(0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(::getpid());
    static constexpr char g_szDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string strSuffix;
    for (int i = 0; i < 8; ++i, nValue /= 36)
        strSuffix += g_szDigits[nValue % 36];
    return strSuffix;
}

// The file a write to strPath replaces or creates, symbolic links followed.
struct CTarget
{
    std::string m_strFile;
    std::optional<struct stat> m_optStat; // empty when the file does not exist yet
};

CResult<CTarget> ResolveTarget(const std::string& strPath, bool bFollowLinks = true)
{
    std::string strFile = strPath;
    for (int nLinks = 0;; ++nLinks)
    {
        if (strFile.empty() || !fs::path(strFile).has_filename())
            return ErrnoStatus("create", strPath, EISDIR);
        struct stat fileStat
        {
        };
        // A missing file or folder shows when the temporary file is made beside it.
        if (::lstat(strFile.c_str(), &fileStat) != 0)
            return CTarget{strFile, std::nullopt};
        if (S_ISDIR(fileStat.st_mode))
            return ErrnoStatus("create", strPath, EISDIR);
        if (S_ISREG(fileStat.st_mode))
            return CTarget{strFile, fileStat};
        if (!S_ISLNK(fileStat.st_mode))
            return CStatus::Error("Cannot write '" + strPath + "': not a regular file");
        if (!bFollowLinks)
            return CStatus::Error("Cannot write '" + strPath + "': it is a symbolic link");
        if (nLinks == g_nMaxLinks)
            return ErrnoStatus("create", strPath, ELOOP);
        std::error_code error;
        const fs::path link = fs::read_symlink(strFile, error);
        if (error)
            return ErrnoStatus("create", strPath, error.value());
        strFile = (fs::path(strFile).parent_path() / link).string();
    }
}

std::string FolderOf(const std::string& strFile)
{
    const std::string strDir = fs::path(strFile).parent_path().string();
    return strDir.empty() ? "." : strDir;
}

} // namespace

CStatus CheckWritableTarget(const std::string& strPath, const std::vector<std::string>& vecInputs)
{
    const CResult<CTarget> target = ResolveTarget(strPath);
    if (!target)
        return target.Status();
    const std::string strFolder = FolderOf(target.Value().m_strFile);
    struct stat folderStat
    {
    };
    if (::stat(strFolder.c_str(), &folderStat) != 0)
        return ErrnoStatus("create", strPath, errno);
    if (!S_ISDIR(folderStat.st_mode))
        return ErrnoStatus("create", strPath, ENOTDIR);
    if (::faccessat(AT_FDCWD, strFolder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return ErrnoStatus("create", strPath, errno);
    const std::optional<struct stat>& optStat = target.Value().m_optStat;
    for (const std::string& strInput : vecInputs)
    {
        struct stat inputStat
        {
        };
        if (optStat && ::stat(strInput.c_str(), &inputStat) == 0 && inputStat.st_dev == optStat->st_dev &&
            inputStat.st_ino == optStat->st_ino)
        {
            std::string strMessage = "Cannot write '" + strPath + "': it is the input file '";
            strMessage += strInput;
            strMessage += "'";
            return CStatus::Error(strMessage);
        }
    }
    return {};
}

CResult<CReplacingFile> CReplacingFile::Open(const std::string& strPath, bool bSync, bool bFollowLinks)
{
    CResult<CTarget> target = ResolveTarget(strPath, bFollowLinks);
    if (!target)
        return target.Status();
    const fs::path file(target.Value().m_strFile);
    // The temporary name must stay a legal name however long the target's is.
    const std::string strStem = file.filename().string().substr(0, g_nMaxNameBytes - g_nTempExtraBytes);
    RemoveStaleTempFiles(FolderOf(file.string()), strStem);
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt)
    {
        std::string strTemp =
            (file.parent_path() / (TempNamePrefix(strStem) + UniqueSuffix() + ".tmp")).string();
        const int hFile = ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (hFile < 0 && errno == EEXIST)
            continue;
        if (hFile < 0)
            return ErrnoStatus("create", strPath, errno);
        LockTempFile(hFile);
        CReplacingFile replacing(strPath, file.string(), std::move(strTemp), hFile, bSync);
        const std::optional<struct stat>& optStat = target.Value().m_optStat;
        if (optStat && ::fchmod(hFile, optStat->st_mode & 0777) != 0)
            return ErrnoStatus("set the permissions of", strPath, errno);
        return CResult<CReplacingFile>(std::move(replacing));
    }
    return ErrnoStatus("create", strPath, EEXIST);
}

CReplacingFile::CReplacingFile(std::string strPath, std::string strTarget, std::string strTemp, int hFile,
                               bool bSync)
    : m_strPath(std::move(strPath)), m_strTarget(std::move(strTarget)), m_strTemp(std::move(strTemp)),
      m_hFile(hFile), m_bSync(bSync)
{
}

CReplacingFile::CReplacingFile(CReplacingFile&& other) noexcept
    : m_strPath(std::move(other.m_strPath)), m_strTarget(std::move(other.m_strTarget)),
      m_strTemp(std::exchange(other.m_strTemp, {})), m_hFile(std::exchange(other.m_hFile, -1)),
      m_bSync(other.m_bSync), m_nWritten(other.m_nWritten), m_nWrittenBack(other.m_nWrittenBack)
{
}

CReplacingFile& CReplacingFile::operator=(CReplacingFile&& other) noexcept
{
    if (this != &other)
    {
        Discard();
        m_strPath = std::move(other.m_strPath);
        m_strTarget = std::move(other.m_strTarget);
        m_strTemp = std::exchange(other.m_strTemp, {});
        m_hFile = std::exchange(other.m_hFile, -1);
        m_bSync = other.m_bSync;
        m_nWritten = other.m_nWritten;
        m_nWrittenBack = other.m_nWrittenBack;
    }
    return *this;
}

CReplacingFile::~CReplacingFile()
{
    Discard();
}

CStatus CReplacingFile::Write(const uint8_t* pData, size_t nSize)
{
    if (m_hFile < 0)
        return CStatus::Error("Cannot write '" + m_strPath + "': the file is closed");
    while (nSize > 0)
    {
        const ssize_t nDone = ::write(m_hFile, pData, nSize);
        if (nDone < 0 && errno == EINTR)
            continue;
        if (nDone <= 0)
            return ErrnoStatus("write", m_strPath, nDone < 0 ? errno : ENOSPC);
        pData += nDone;
        nSize -= static_cast<size_t>(nDone);
        m_nWritten += static_cast<uint64_t>(nDone);
    }
    if (m_bSync && m_nWritten - m_nWrittenBack >= g_nWritebackBytes)
        StartWriteback();
    return {};
}

void CReplacingFile::StartWriteback()
{
#if defined(SYNC_FILE_RANGE_WRITE)
    // A failure shows in Commit's fsync, which waits for every byte anyway.
    ::sync_file_range(m_hFile, static_cast<off_t>(m_nWrittenBack),
                      static_cast<off_t>(m_nWritten - m_nWrittenBack), SYNC_FILE_RANGE_WRITE);
#endif
    m_nWrittenBack = m_nWritten;
}

CStatus CReplacingFile::Commit()
{
    if (m_hFile < 0)
        return CStatus::Error("Cannot write '" + m_strPath + "': the file is closed");
    if (m_bSync && ::fsync(m_hFile) != 0)
        return ErrnoStatus("write", m_strPath, errno);
    const int hFile = std::exchange(m_hFile, -1);
    if (::close(hFile) != 0)
        return ErrnoStatus("close", m_strPath, errno);
    if (std::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0)
        return ErrnoStatus("replace", m_strPath, errno);
    m_strTemp.clear();
    if (m_bSync)
        SyncDirectory();
    return {};
}

void CReplacingFile::Discard()
{
    if (m_hFile >= 0)
        ::close(std::exchange(m_hFile, -1));
    if (!m_strTemp.empty())
        ::unlink(m_strTemp.c_str());
    m_strTemp.clear();
}

// Makes the rename itself durable. The file is already complete under its name by now, so a
// failure here has nothing left to undo and is not worth failing the write for.
void CReplacingFile::SyncDirectory() const
{
    const int hDir = ::open(FolderOf(m_strTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (hDir >= 0)
    {
        ::fsync(hDir);
        ::close(hDir);
    }
}

CStatus ReplaceFileContent(const std::string& strPath, const std::vector<uint8_t>& vecData, bool bSync)
{
    CResult<CReplacingFile> file = CReplacingFile::Open(strPath, bSync);
    if (!file)
        return file.Status();
    if (CStatus status = file.Value().Write(vecData.data(), vecData.size()); !status)
        return status;
    return file.Value().Commit();
}

} // namespace tramino
