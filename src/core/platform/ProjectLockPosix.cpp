// The project lock on POSIX systems: flock on the file.
#include "project/ProjectLock.h"

#include <cerrno>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino
{

namespace
{

constexpr std::chrono::milliseconds g_pollInterval{20};

// Whether the path still names the open file: the holder before may have renamed a new one over it.
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

} // namespace

CResult<CProjectLock> CProjectLock::Acquire(const std::string& strPath, std::chrono::milliseconds timeout,
                                            const std::atomic<bool>* pbStop)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;)
    {
        // Never waiting for a FIFO's writer; what the file is, reading it tells.
        const int hFile = ::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (hFile < 0)
            return ErrnoStatus("read project", strPath, errno);
        CProjectLock lock(hFile);
        while (::flock(hFile, LOCK_EX | LOCK_NB) != 0)
        {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return ErrnoStatus("lock project", strPath, errno);
            if (pbStop != nullptr && pbStop->load())
                return CStatus::Error("stopped");
            if (std::chrono::steady_clock::now() >= deadline)
                return CStatus::Error("Cannot change project '" + strPath +
                                      "': another program is changing it; try again when it is done");
            std::this_thread::sleep_for(g_pollInterval);
        }
        if (NamesFile(strPath, hFile))
            return lock;
    }
}

CProjectLock::CProjectLock(CProjectLock&& other) noexcept : m_hFile(std::exchange(other.m_hFile, -1)) {}

CProjectLock& CProjectLock::operator=(CProjectLock&& other) noexcept
{
    if (this != &other)
    {
        if (m_hFile >= 0)
            ::close(m_hFile);
        m_hFile = std::exchange(other.m_hFile, -1);
    }
    return *this;
}

CProjectLock::~CProjectLock()
{
    // Closing the file releases the lock.
    if (m_hFile >= 0)
        ::close(m_hFile);
}

} // namespace tramino
