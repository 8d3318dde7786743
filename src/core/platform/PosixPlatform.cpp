#include "platform/Platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino::platform
{

namespace
{

EFileKind KindOf(mode_t nMode)
{
    if (S_ISREG(nMode))
        return EFileKind::Regular;
    if (S_ISDIR(nMode))
        return EFileKind::Directory;
    return S_ISLNK(nMode) ? EFileKind::Link : EFileKind::Other;
}

int Failed(int hFile)
{
    const int nError = errno;
    ::close(hFile);
    return nError;
}

} // namespace

CPathStatus StatusOf(const std::string& strPath, bool bFollowLinks)
{
    struct stat fileStat
    {
    };
    if ((bFollowLinks ? ::stat(strPath.c_str(), &fileStat) : ::lstat(strPath.c_str(), &fileStat)) != 0)
        return CPathStatus{EFileKind::Missing, errno, 0, {}};
    return CPathStatus{
        KindOf(fileStat.st_mode), 0, static_cast<uint32_t>(fileStat.st_mode & 07777),
        CFileId{static_cast<uint64_t>(fileStat.st_dev), static_cast<uint64_t>(fileStat.st_ino)}};
}

std::string ReadLink(const std::string& strPath, int& nError)
{
    std::error_code error;
    const std::filesystem::path link = std::filesystem::read_symlink(PathFromUtf8(strPath), error);
    nError = error.value();
    return error ? std::string() : Utf8FromPath(link);
}

COpenedFile OpenForReading(const std::string& strPath)
{
    const int hFile = ::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (hFile < 0)
        return COpenedFile{-1, errno, EFileKind::Missing, 0};
    struct stat fileStat
    {
    };
    if (::fstat(hFile, &fileStat) != 0)
        return COpenedFile{-1, Failed(hFile), EFileKind::Missing, 0};
    const EFileKind eKind = KindOf(fileStat.st_mode);
    if (eKind != EFileKind::Regular)
    {
        ::close(hFile);
        return COpenedFile{-1, 0, eKind, 0};
    }
    // Reads of a regular file do not care, but blocking ones are what every reader expects.
    if (::fcntl(hFile, F_SETFL, ::fcntl(hFile, F_GETFL) & ~O_NONBLOCK) != 0)
        return COpenedFile{-1, Failed(hFile), eKind, 0};
    return COpenedFile{hFile, 0, eKind, static_cast<uint64_t>(fileStat.st_size)};
}

int CreateNewFile(const std::string& strPath)
{
    const int hFile = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return hFile >= 0 ? hFile : -errno;
}

int64_t ReadAt(int hFile, void* pData, size_t nSize, uint64_t nOffset)
{
    for (;;)
    {
        const ssize_t nGot = ::pread(hFile, pData, nSize, static_cast<off_t>(nOffset));
        if (nGot >= 0)
            return nGot;
        if (errno != EINTR)
            return -errno;
    }
}

int64_t WriteSome(int hFile, const void* pData, size_t nSize)
{
    for (;;)
    {
        const ssize_t nDone = ::write(hFile, pData, nSize);
        if (nDone > 0)
            return nDone;
        if (nDone == 0)
            return -ENOSPC;
        if (errno != EINTR)
            return -errno;
    }
}

int SetModeBits(int hFile, uint32_t nMode)
{
    return ::fchmod(hFile, static_cast<mode_t>(nMode)) == 0 ? 0 : errno;
}

void StartWriteback([[maybe_unused]] int hFile, [[maybe_unused]] uint64_t nOffset,
                    [[maybe_unused]] uint64_t nSize)
{
#if defined(SYNC_FILE_RANGE_WRITE)
    // A failure shows in SyncFile, which waits for every byte anyway.
    ::sync_file_range(hFile, static_cast<off_t>(nOffset), static_cast<off_t>(nSize), SYNC_FILE_RANGE_WRITE);
#endif
}

int SyncFile(int hFile)
{
    return ::fsync(hFile) == 0 ? 0 : errno;
}

int CloseFile(int hFile)
{
    return ::close(hFile) == 0 ? 0 : errno;
}

// The rename is made durable by syncing its folder. The file is complete under its name by then,
// so a failure there has nothing left to undo and is not worth failing for.
namespace
{

// Makes a name put into the folder of strPath last through a crash.
void SyncFolderOf(const std::string& strPath)
{
    const std::string strDir = Utf8FromPath(PathFromUtf8(strPath).parent_path());
    const int hDir = ::open(strDir.empty() ? "." : strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (hDir >= 0)
    {
        ::fsync(hDir);
        ::close(hDir);
    }
}

} // namespace

int RenameOver(const std::string& strFrom, const std::string& strTo, bool bDurable)
{
    if (std::rename(strFrom.c_str(), strTo.c_str()) != 0)
        return errno;
    if (bDurable)
        SyncFolderOf(strTo);
    return 0;
}

int RenameNew(const std::string& strFrom, const std::string& strTo, bool bDurable)
{
    if (::renameat2(AT_FDCWD, strFrom.c_str(), AT_FDCWD, strTo.c_str(), RENAME_NOREPLACE) != 0)
    {
        // File systems without the flag still refuse to link over a name.
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        if (::link(strFrom.c_str(), strTo.c_str()) != 0)
            return errno;
        // The file is in place under its new name: a temporary name that stays is no failure.
        ::unlink(strFrom.c_str());
    }
    if (bDurable)
        SyncFolderOf(strTo);
    return 0;
}

int RemoveFile(const std::string& strPath)
{
    return ::unlink(strPath.c_str()) == 0 ? 0 : errno;
}

int CheckFolderWritable(const std::string& strFolder)
{
    struct stat folderStat
    {
    };
    if (::stat(strFolder.c_str(), &folderStat) != 0)
        return errno;
    if (!S_ISDIR(folderStat.st_mode))
        return ENOTDIR;
    return ::faccessat(AT_FDCWD, strFolder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// mkdtemp makes a new folder of mode 0700 with a name nobody else has, never an old one.
int CreatePrivateFolder(std::string& strTemplate)
{
    return ::mkdtemp(strTemplate.data()) != nullptr ? 0 : errno;
}

bool IsOwnFolder(const std::string& strPath)
{
    struct stat folderStat
    {
    };
    return ::lstat(strPath.c_str(), &folderStat) == 0 && S_ISDIR(folderStat.st_mode) &&
           folderStat.st_uid == ::geteuid();
}

int LockFolder(const std::string& strFolder)
{
    const int hFolder = ::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (hFolder < 0)
        return -1;
    if (::flock(hFolder, LOCK_EX | LOCK_NB) == 0)
        return hFolder;
    ::close(hFolder);
    return -1;
}

void UnlockFolder(int hLock)
{
    ::close(hLock);
}

std::string TempFolder()
{
    const char* szTmp = std::getenv("TMPDIR");
    return szTmp != nullptr && *szTmp != '\0' ? szTmp : "/tmp";
}

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return exe.parent_path();
}

int64_t ProcessId()
{
    return ::getpid();
}

bool IsProcessAlive(int64_t nPid)
{
    return ::kill(static_cast<pid_t>(nPid), 0) == 0 || errno == EPERM;
}

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

namespace
{

PfnOnStop g_pfnOnStop = nullptr;

extern "C" void OnStopSignal(int nSignal)
{
    if (!g_pfnOnStop(nSignal))
    {
        std::signal(nSignal, SIG_DFL);
        std::raise(nSignal);
    }
}

} // namespace

// A file size limit makes the write fail (EFBIG) and be reported, instead of killing the program
// on the spot.
void InstallStopHandlers(PfnOnStop pfnOnStop)
{
    g_pfnOnStop = pfnOnStop;
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(nSignal, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

const char* StopName(int nCode)
{
    switch (nCode)
    {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

const char* StopStatusesText()
{
    return "130 Ctrl-C, 143 SIGTERM, 129 SIGHUP";
}

} // namespace tramino::platform
