#include "common/ReplacingFile.h"

#include "common/StaleTempFiles.h"
#include "platform/Platform.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <random>
#include <utility>

namespace tramino
{

namespace
{

namespace fs = std::filesystem;
using platform::EFileKind;
using platform::PathFromUtf8;
using platform::Utf8FromPath;

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
    uint64_t nValue =
        g_nCounter.fetch_add(0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(platform::ProcessId());
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
    std::optional<platform::CPathStatus> m_optStat; // empty when the file does not exist yet
};

CResult<CTarget> ResolveTarget(const std::string& strPath, bool bFollowLinks = true)
{
    std::string strFile = strPath;
    for (int nLinks = 0;; ++nLinks)
    {
        if (strFile.empty() || !PathFromUtf8(strFile).has_filename())
            return ErrnoStatus("create", strPath, EISDIR);
        const platform::CPathStatus fileStat = platform::StatusOf(strFile, false);
        // A missing file or folder shows when the temporary file is made beside it.
        if (fileStat.m_eKind == EFileKind::Missing)
            return CTarget{strFile, std::nullopt};
        if (fileStat.m_eKind == EFileKind::Directory)
            return ErrnoStatus("create", strPath, EISDIR);
        if (fileStat.m_eKind == EFileKind::Regular)
            return CTarget{strFile, fileStat};
        if (fileStat.m_eKind != EFileKind::Link)
            return CStatus::Error("Cannot write '" + strPath + "': not a regular file");
        if (!bFollowLinks)
            return CStatus::Error("Cannot write '" + strPath + "': it is a symbolic link");
        if (nLinks == g_nMaxLinks)
            return ErrnoStatus("create", strPath, ELOOP);
        int nError = 0;
        const std::string strLink = platform::ReadLink(strFile, nError);
        if (nError != 0)
            return ErrnoStatus("create", strPath, nError);
        strFile = Utf8FromPath(PathFromUtf8(strFile).parent_path() / PathFromUtf8(strLink));
    }
}

std::string FolderOf(const std::string& strFile)
{
    const std::string strDir = Utf8FromPath(PathFromUtf8(strFile).parent_path());
    return strDir.empty() ? "." : strDir;
}

} // namespace

CStatus CheckWritableTarget(const std::string& strPath, const std::vector<std::string>& vecInputs)
{
    const CResult<CTarget> target = ResolveTarget(strPath);
    if (!target)
        return target.Status();
    const std::string strFolder = FolderOf(target.Value().m_strFile);
    if (const int nError = platform::CheckFolderWritable(strFolder); nError != 0)
        return ErrnoStatus("create", strPath, nError);
    const std::optional<platform::CPathStatus>& optStat = target.Value().m_optStat;
    for (const std::string& strInput : vecInputs)
    {
        if (!optStat)
            break;
        const platform::CPathStatus inputStat = platform::StatusOf(strInput, true);
        if (inputStat.m_eKind != EFileKind::Missing && inputStat.m_id == optStat->m_id)
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
    const fs::path file = PathFromUtf8(target.Value().m_strFile);
    // The temporary name must stay a legal name however long the target's is.
    const std::string strStem = Utf8FromPath(file.filename()).substr(0, g_nMaxNameBytes - g_nTempExtraBytes);
    RemoveStaleTempFiles(FolderOf(target.Value().m_strFile), strStem);
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt)
    {
        std::string strTemp = Utf8FromPath(file.parent_path() /
                                           PathFromUtf8(TempNamePrefix(strStem) + UniqueSuffix() + ".tmp"));
        const int hFile = platform::CreateNewFile(strTemp);
        if (hFile == -EEXIST)
            continue;
        if (hFile < 0)
            return ErrnoStatus("create", strPath, -hFile);
        LockTempFile(hFile);
        CReplacingFile replacing(strPath, target.Value().m_strFile, std::move(strTemp), hFile, bSync);
        const std::optional<platform::CPathStatus>& optStat = target.Value().m_optStat;
        if (optStat)
            if (const int nError = platform::SetModeBits(hFile, optStat->m_nMode & 0777); nError != 0)
                return ErrnoStatus("set the permissions of", strPath, nError);
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
        const int64_t nDone = platform::WriteSome(m_hFile, pData, nSize);
        if (nDone < 0)
            return ErrnoStatus("write", m_strPath, static_cast<int>(-nDone));
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
    platform::StartWriteback(m_hFile, m_nWrittenBack, m_nWritten - m_nWrittenBack);
    m_nWrittenBack = m_nWritten;
}

CStatus CReplacingFile::Commit()
{
    return Finish(true);
}

CStatus CReplacingFile::CommitNew()
{
    return Finish(false);
}

CStatus CReplacingFile::Finish(bool bReplace)
{
    if (m_hFile < 0)
        return CStatus::Error("Cannot write '" + m_strPath + "': the file is closed");
    if (const int nError = m_bSync ? platform::SyncFile(m_hFile) : 0; nError != 0)
        return ErrnoStatus("write", m_strPath, nError);
    if (const int nError = platform::CloseFile(std::exchange(m_hFile, -1)); nError != 0)
        return ErrnoStatus("close", m_strPath, nError);
    if (const int nError = bReplace ? platform::RenameOver(m_strTemp, m_strTarget, m_bSync)
                                    : platform::RenameNew(m_strTemp, m_strTarget, m_bSync);
        nError != 0)
        return ErrnoStatus(bReplace ? "replace" : "create", m_strPath, nError);
    m_strTemp.clear();
    return {};
}

void CReplacingFile::Discard()
{
    if (m_hFile >= 0)
        platform::CloseFile(std::exchange(m_hFile, -1));
    if (!m_strTemp.empty())
        platform::RemoveFile(m_strTemp);
    m_strTemp.clear();
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
