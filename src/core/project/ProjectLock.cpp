#include "project/ProjectLock.h"

#include "project/ProjectLockFile.h"

#include <thread>
#include <utility>

namespace tramino
{

namespace
{

constexpr std::chrono::milliseconds g_pollInterval{20};

} // namespace

CResult<CProjectLock> CProjectLock::Acquire(const std::string& strPath, std::chrono::milliseconds timeout,
                                            const std::atomic<bool>* pbStop)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;)
    {
        const int hFile = lockfile::Open(strPath);
        if (hFile < 0)
            return ErrnoStatus("read project", strPath, -hFile);
        CProjectLock lock(hFile);
        int nError = 0;
        for (lockfile::ETry eTry; (eTry = lockfile::TryLock(hFile, nError)) != lockfile::ETry::Locked;)
        {
            if (eTry == lockfile::ETry::Failed)
                return ErrnoStatus("lock project", strPath, nError);
            if (pbStop != nullptr && pbStop->load())
                return CStatus::Error("stopped");
            if (std::chrono::steady_clock::now() >= deadline)
                return CStatus::Error("Cannot change project '" + strPath +
                                      "': another program is changing it; try again when it is done");
            std::this_thread::sleep_for(g_pollInterval);
        }
        if (lockfile::NamesFile(strPath, hFile))
            return lock;
    }
}

CProjectLock::CProjectLock(CProjectLock&& other) noexcept : m_hFile(std::exchange(other.m_hFile, -1)) {}

CProjectLock& CProjectLock::operator=(CProjectLock&& other) noexcept
{
    if (this != &other)
    {
        if (m_hFile >= 0)
            lockfile::Close(m_hFile);
        m_hFile = std::exchange(other.m_hFile, -1);
    }
    return *this;
}

CProjectLock::~CProjectLock()
{
    if (m_hFile >= 0)
        lockfile::Close(m_hFile);
}

} // namespace tramino
