// Stale temporary files on POSIX systems: the writer holds an flock on its file.
#include "common/StaleTempFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino
{

namespace
{

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

void LockTempFile(int hFile)
{
    // Without the lock the process id alone still marks the file as in use.
    ::flock(hFile, LOCK_EX | LOCK_NB);
}

void RemoveIfAbandoned(const std::string& strPath)
{
    const int hFile = ::open(strPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (hFile < 0)
        return;
    if (IsAbandoned(hFile, strPath))
        ::unlink(strPath.c_str());
    ::close(hFile);
}

} // namespace tramino
