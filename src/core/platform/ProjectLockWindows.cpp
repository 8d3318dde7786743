// The project lock on Windows: LockFileEx on a byte far past the end of the file, so that the lock
// keeps other writers out without keeping anyone from reading the project.
#include "platform/Platform.h"
#include "project/ProjectLock.h"

#include <cerrno>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace tramino
{

namespace
{

constexpr std::chrono::milliseconds g_pollInterval{20};
constexpr DWORD g_nLockOffsetHigh = 0x7fffffff;

HANDLE OpenShared(const std::string& strPath)
{
    // Sharing delete too, so that the holder can still replace the file it locked.
    return ::CreateFileW(platform::PathFromUtf8(strPath).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool TryLock(HANDLE hFile)
{
    OVERLAPPED place{};
    place.OffsetHigh = g_nLockOffsetHigh;
    return ::LockFileEx(hFile, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &place) != 0;
}

// Whether the path still names the open file: the holder before may have put a new one in its place.
bool NamesFile(const std::string& strPath, HANDLE hHeld)
{
    const HANDLE hNamed = OpenShared(strPath);
    if (hNamed == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION named{};
    BY_HANDLE_FILE_INFORMATION held{};
    const bool bSame =
        ::GetFileInformationByHandle(hNamed, &named) && ::GetFileInformationByHandle(hHeld, &held) &&
        named.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
        named.nFileIndexHigh == held.nFileIndexHigh && named.nFileIndexLow == held.nFileIndexLow;
    ::CloseHandle(hNamed);
    return bSame;
}

} // namespace

CResult<CProjectLock> CProjectLock::Acquire(const std::string& strPath, std::chrono::milliseconds timeout,
                                            const std::atomic<bool>* pbStop)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;)
    {
        const HANDLE hFile = OpenShared(strPath);
        if (hFile == INVALID_HANDLE_VALUE)
            return ErrnoStatus("read project", strPath,
                               ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT);
        const int hCrt = ::_open_osfhandle(reinterpret_cast<intptr_t>(hFile), _O_RDONLY | _O_BINARY);
        if (hCrt < 0)
        {
            ::CloseHandle(hFile);
            return ErrnoStatus("read project", strPath, EMFILE);
        }
        CProjectLock lock(hCrt);
        while (!TryLock(hFile))
        {
            if (::GetLastError() != ERROR_LOCK_VIOLATION && ::GetLastError() != ERROR_IO_PENDING)
                return ErrnoStatus("lock project", strPath, EIO);
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
            ::_close(m_hFile);
        m_hFile = std::exchange(other.m_hFile, -1);
    }
    return *this;
}

CProjectLock::~CProjectLock()
{
    // Closing the handle releases the lock.
    if (m_hFile >= 0)
        ::_close(m_hFile);
}

} // namespace tramino
