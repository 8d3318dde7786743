// Stale temporary files on POSIX systems: the writer's pid in the name and an flock on the file.
#include "common/StaleTempFiles.h"

#include <cerrno>
#include <charconv>
#include <filesystem>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino
{

namespace
{

// The writer of a temporary name of strPrefix, 0 when the name is not one.
pid_t TempOwner(const std::string& strFile, const std::string& strPrefix)
{
    if (!strFile.starts_with(strPrefix) || !strFile.ends_with(".tmp"))
        return 0;
    const char* pBegin = strFile.c_str() + strPrefix.size();
    pid_t nPid = 0;
    const auto [pEnd, error] = std::from_chars(pBegin, strFile.c_str() + strFile.size(), nPid);
    return error == std::errc() && *pEnd == '-' && nPid > 0 ? nPid : 0;
}

bool IsAlive(pid_t nPid)
{
    return ::kill(nPid, 0) == 0 || errno == EPERM;
}

// The file is still the one opened (not replaced by another under its name) and nobody writes it.
bool IsAbandoned(int hFile, const std::string& strPath)
{
    struct stat openStat
    {
    }, nameStat{};
    return ::flock(hFile, LOCK_EX | LOCK_NB) == 0 && ::fstat(hFile, &openStat) == 0 &&
           ::lstat(strPath.c_str(), &nameStat) == 0 && openStat.st_dev == nameStat.st_dev &&
           openStat.st_ino == nameStat.st_ino && S_ISREG(openStat.st_mode) && openStat.st_uid == ::geteuid();
}

} // namespace

std::string TempNamePrefix(const std::string& strName)
{
    return "." + strName + "." + std::to_string(::getpid()) + "-";
}

void LockTempFile(int hFile)
{
    // Without the lock the process id alone still marks the file as in use.
    ::flock(hFile, LOCK_EX | LOCK_NB);
}

void RemoveStaleTempFiles(const std::string& strFolder, const std::string& strName)
{
    const std::string strPrefix = "." + strName + ".";
    std::error_code error;
    for (std::filesystem::directory_iterator it(strFolder, error), end; !error && it != end;
         it.increment(error))
    {
        const pid_t nOwner = TempOwner(it->path().filename().string(), strPrefix);
        if (nOwner == 0 || nOwner == ::getpid() || IsAlive(nOwner))
            continue;
        const int hFile = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (hFile < 0)
            continue;
        if (IsAbandoned(hFile, it->path().string()))
            ::unlink(it->path().c_str());
        ::close(hFile);
    }
}

} // namespace tramino
