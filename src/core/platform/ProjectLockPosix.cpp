// The project lock on POSIX systems: flock on the file.
#include "project/ProjectLockFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino::lockfile
{

int Open(const std::string& strPath)
{
    // Never waiting for a FIFO's writer; what the file is, reading it tells.
    const int hFile = ::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return hFile >= 0 ? hFile : -errno;
}

ETry TryLock(int hFile, int& nError)
{
    if (::flock(hFile, LOCK_EX | LOCK_NB) == 0)
        return ETry::Locked;
    nError = errno;
    return nError == EWOULDBLOCK || nError == EINTR ? ETry::Busy : ETry::Failed;
}

bool NamesFile(const std::string& strPath, int hFile)
{
    struct stat named
    {
    };
    struct stat held
    {
    };
    return ::stat(strPath.c_str(), &named) == 0 && ::fstat(hFile, &held) == 0 &&
           named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

void Close(int hFile)
{
    ::close(hFile);
}

} // namespace tramino::lockfile
