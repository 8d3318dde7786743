// The project lock on Windows: LockFileEx on a byte far past the end of the file, so that the lock
// keeps other writers out without keeping anyone from reading the project.
#include "platform/Platform.h"
#include "project/ProjectLockFile.h"

#include <cerrno>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace tramino::lockfile
{

namespace
{

constexpr DWORD g_nLockOffsetHigh = 0x7fffffff;

HANDLE OpenShared(const std::string& strPath)
{
    // Sharing delete too, so that the holder can still replace the file it locked.
    return ::CreateFileW(platform::PathFromUtf8(strPath).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE HandleOf(int hFile)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(hFile));
}

} // namespace

int Open(const std::string& strPath)
{
    const HANDLE hFile = OpenShared(strPath);
    if (hFile == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_ACCESS_DENIED ? -EACCES : -ENOENT;
    const int hCrt = ::_open_osfhandle(reinterpret_cast<intptr_t>(hFile), _O_RDONLY | _O_BINARY);
    if (hCrt < 0)
    {
        ::CloseHandle(hFile);
        return -EMFILE;
    }
    return hCrt;
}

ETry TryLock(int hFile, int& nError)
{
    OVERLAPPED place{};
    place.OffsetHigh = g_nLockOffsetHigh;
    if (::LockFileEx(HandleOf(hFile), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &place))
        return ETry::Locked;
    const DWORD nLast = ::GetLastError();
    if (nLast == ERROR_LOCK_VIOLATION || nLast == ERROR_IO_PENDING)
        return ETry::Busy;
    nError = EIO;
    return ETry::Failed;
}

bool NamesFile(const std::string& strPath, int hFile)
{
    const HANDLE hNamed = OpenShared(strPath);
    if (hNamed == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION named{};
    BY_HANDLE_FILE_INFORMATION held{};
    const bool bSame = ::GetFileInformationByHandle(hNamed, &named) &&
                       ::GetFileInformationByHandle(HandleOf(hFile), &held) &&
                       named.dwVolumeSerialNumber == held.dwVolumeSerialNumber &&
                       named.nFileIndexHigh == held.nFileIndexHigh &&
                       named.nFileIndexLow == held.nFileIndexLow;
    ::CloseHandle(hNamed);
    return bSame;
}

void Close(int hFile)
{
    ::_close(hFile);
}

} // namespace tramino::lockfile
