#include "platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <random>
#include <utility>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

namespace tramino::platform
{

namespace
{

constexpr DWORD g_nShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A read or write asks for no more than this at once (the calls take 32-bit sizes).
constexpr size_t g_nMaxTransfer = size_t{1} << 30;

int ErrnoOf(DWORD nError)
{
    switch (nError)
    {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_UNICODE_TRANSLATION:
        return EINVAL;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

int LastErrno()
{
    return ErrnoOf(::GetLastError());
}

// The UTF-16 name of a UTF-8 path; empty for text that is not UTF-8.
std::wstring Wide(const std::string& strPath)
{
    try
    {
        return PathFromUtf8(strPath).native();
    }
    catch (const std::exception&)
    {
        return {};
    }
}

std::string Narrow(const std::wstring& strPath)
{
    return Utf8FromPath(std::filesystem::path(strPath));
}

class CHandle
{
public:
    explicit CHandle(HANDLE hHandle) : m_hHandle(hHandle) {}
    ~CHandle()
    {
        if (*this)
            ::CloseHandle(m_hHandle);
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    explicit operator bool() const { return m_hHandle != INVALID_HANDLE_VALUE && m_hHandle != nullptr; }
    HANDLE Get() const { return m_hHandle; }
    HANDLE Release() { return std::exchange(m_hHandle, INVALID_HANDLE_VALUE); }

private:
    HANDLE m_hHandle;
};

// A handle that asks for nothing but the file's attributes, so that no other program's sharing
// mode stands in the way. Folders open too.
HANDLE OpenForStatus(const std::wstring& strPath, bool bFollowLinks)
{
    const DWORD nFlags = FILE_FLAG_BACKUP_SEMANTICS | (bFollowLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return ::CreateFileW(strPath.c_str(), FILE_READ_ATTRIBUTES, g_nShareAll, nullptr, OPEN_EXISTING, nFlags,
                         nullptr);
}

// Only symbolic links and junctions are links: other reparse points (cloud placeholders,
// deduplicated files) are files like any other.
bool IsLink(HANDLE hFile, DWORD nAttributes)
{
    FILE_ATTRIBUTE_TAG_INFO tagInfo{};
    return (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           ::GetFileInformationByHandleEx(hFile, FileAttributeTagInfo, &tagInfo, sizeof(tagInfo)) &&
           (tagInfo.ReparseTag == IO_REPARSE_TAG_SYMLINK || tagInfo.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT);
}

CPathStatus StatusOfHandle(HANDLE hFile, bool bFollowLinks)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(hFile) != FILE_TYPE_DISK)
        return CPathStatus{EFileKind::Other, 0, 0, {}};
    if (!::GetFileInformationByHandle(hFile, &info))
        return CPathStatus{EFileKind::Missing, LastErrno(), 0, {}};
    const CFileId id{info.dwVolumeSerialNumber,
                     (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    EFileKind eKind = EFileKind::Regular;
    if (!bFollowLinks && IsLink(hFile, info.dwFileAttributes))
        eKind = EFileKind::Link;
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        eKind = EFileKind::Directory;
    return CPathStatus{eKind, 0, 0, id};
}

int FromCrt(HANDLE hFile, int nFlags)
{
    const int hCrt = ::_open_osfhandle(reinterpret_cast<intptr_t>(hFile), nFlags | _O_BINARY);
    if (hCrt < 0)
        ::CloseHandle(hFile);
    return hCrt;
}

HANDLE HandleOf(int hFile)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(hFile));
}

std::string RandomName(size_t nLength)
{
    static constexpr char g_szDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 g_random{std::random_device{}() ^ ::GetCurrentProcessId()};
    std::string strName;
    for (size_t i = 0; i < nLength; ++i)
        strName += g_szDigits[g_random() % 36];
    return strName;
}

} // namespace

CPathStatus StatusOf(const std::string& strPath, bool bFollowLinks)
{
    const std::wstring strWide = Wide(strPath);
    if (strWide.empty())
        return CPathStatus{EFileKind::Missing, strPath.empty() ? ENOENT : EINVAL, 0, {}};
    const CHandle hFile(OpenForStatus(strWide, bFollowLinks));
    if (!hFile)
        return CPathStatus{EFileKind::Missing, LastErrno(), 0, {}};
    return StatusOfHandle(hFile.Get(), bFollowLinks);
}

// Windows resolves the whole chain of links at once; a link to nothing has no target to tell.
std::string ReadLink(const std::string& strPath, int& nError)
{
    const CHandle hFile(OpenForStatus(Wide(strPath), true));
    if (!hFile)
    {
        nError = LastErrno();
        return {};
    }
    std::wstring strTarget(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD nLength = ::GetFinalPathNameByHandleW(hFile.Get(), strTarget.data(),
                                                          static_cast<DWORD>(strTarget.size()), 0);
        if (nLength == 0)
        {
            nError = LastErrno();
            return {};
        }
        if (nLength < strTarget.size())
        {
            strTarget.resize(nLength);
            break;
        }
        strTarget.resize(nLength);
    }
    // "\\?\C:\..." reads as "C:\..." wherever it is that short.
    if (strTarget.starts_with(L"\\\\?\\") && strTarget.size() >= 7 && strTarget[5] == L':' &&
        strTarget.size() < MAX_PATH)
        strTarget.erase(0, 4);
    nError = 0;
    return Narrow(strTarget);
}

COpenedFile OpenForReading(const std::string& strPath)
{
    const std::wstring strWide = Wide(strPath);
    if (strWide.empty())
        return COpenedFile{-1, strPath.empty() ? ENOENT : EINVAL, EFileKind::Missing, 0};
    CHandle hFile(::CreateFileW(strWide.c_str(), GENERIC_READ, g_nShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!hFile)
        return COpenedFile{-1, LastErrno(), EFileKind::Missing, 0};
    const CPathStatus status = StatusOfHandle(hFile.Get(), true);
    LARGE_INTEGER nSize{};
    if (status.m_eKind != EFileKind::Regular)
        return COpenedFile{-1, status.m_nError, status.m_eKind, 0};
    if (!::GetFileSizeEx(hFile.Get(), &nSize))
        return COpenedFile{-1, LastErrno(), EFileKind::Regular, 0};
    const int hCrt = FromCrt(hFile.Release(), _O_RDONLY);
    if (hCrt < 0)
        return COpenedFile{-1, EMFILE, EFileKind::Regular, 0};
    return COpenedFile{hCrt, 0, EFileKind::Regular, static_cast<uint64_t>(nSize.QuadPart)};
}

int CreateNewFile(const std::string& strPath)
{
    const std::wstring strWide = Wide(strPath);
    if (strWide.empty())
        return -EINVAL;
    const HANDLE hFile = ::CreateFileW(strWide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return -LastErrno();
    const int hCrt = FromCrt(hFile, _O_WRONLY);
    return hCrt >= 0 ? hCrt : -EMFILE;
}

int64_t ReadAt(int hFile, void* pData, size_t nSize, uint64_t nOffset)
{
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(nOffset);
    position.OffsetHigh = static_cast<DWORD>(nOffset >> 32);
    DWORD nGot = 0;
    if (::ReadFile(HandleOf(hFile), pData, static_cast<DWORD>(std::min(nSize, g_nMaxTransfer)), &nGot,
                   &position))
        return nGot;
    const DWORD nError = ::GetLastError();
    return nError == ERROR_HANDLE_EOF ? 0 : -ErrnoOf(nError);
}

int64_t WriteSome(int hFile, const void* pData, size_t nSize)
{
    DWORD nDone = 0;
    if (!::WriteFile(HandleOf(hFile), pData, static_cast<DWORD>(std::min(nSize, g_nMaxTransfer)), &nDone,
                     nullptr))
        return -LastErrno();
    return nDone > 0 ? nDone : -ENOSPC;
}

// A replaced file keeps its own attributes and access rights (ReplaceFileW sees to that); a new
// one gets those its folder hands down.
int SetModeBits(int, uint32_t)
{
    return 0;
}

// Windows writes back on its own; FlushFileBuffers waits for it.
void StartWriteback(int, uint64_t, uint64_t) {}

int SyncFile(int hFile)
{
    return ::FlushFileBuffers(HandleOf(hFile)) ? 0 : LastErrno();
}

int CloseFile(int hFile)
{
    return ::_close(hFile) == 0 ? 0 : EIO;
}

// ReplaceFileW swaps the content in and keeps the replaced file's attributes and access rights;
// it needs a file to replace, so a new name is made with a write-through move.
int RenameOver(const std::string& strFrom, const std::string& strTo, bool bDurable)
{
    const std::wstring strWideFrom = Wide(strFrom);
    const std::wstring strWideTo = Wide(strTo);
    if (strWideFrom.empty() || strWideTo.empty())
        return EINVAL;
    // Not every implementation of ReplaceFileW refuses to put a file in a folder's place.
    if (const DWORD nAttributes = ::GetFileAttributesW(strWideTo.c_str());
        nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EISDIR;
    if (bDurable)
    {
        if (::ReplaceFileW(strWideTo.c_str(), strWideFrom.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                           nullptr, nullptr))
            return 0;
        const DWORD nError = ::GetLastError();
        if (nError != ERROR_FILE_NOT_FOUND ||
            ::GetFileAttributesW(strWideTo.c_str()) != INVALID_FILE_ATTRIBUTES)
            return ErrnoOf(nError);
    }
    const DWORD nFlags = MOVEFILE_REPLACE_EXISTING | (bDurable ? MOVEFILE_WRITE_THROUGH : 0);
    return ::MoveFileExW(strWideFrom.c_str(), strWideTo.c_str(), nFlags) ? 0 : LastErrno();
}

int RenameNew(const std::string& strFrom, const std::string& strTo, bool bDurable)
{
    const std::wstring strWideFrom = Wide(strFrom);
    const std::wstring strWideTo = Wide(strTo);
    if (strWideFrom.empty() || strWideTo.empty())
        return EINVAL;
    // Without MOVEFILE_REPLACE_EXISTING a name that is taken is refused.
    return ::MoveFileExW(strWideFrom.c_str(), strWideTo.c_str(), bDurable ? MOVEFILE_WRITE_THROUGH : 0)
               ? 0
               : LastErrno();
}

int RemoveFile(const std::string& strPath)
{
    const std::wstring strWide = Wide(strPath);
    if (strWide.empty())
        return EINVAL;
    return ::DeleteFileW(strWide.c_str()) ? 0 : LastErrno();
}

// Access rights are too involved to judge from outside: a file that deletes itself tells.
int CheckFolderWritable(const std::string& strFolder)
{
    const std::wstring strWide = Wide(strFolder);
    if (strWide.empty())
        return EINVAL;
    const DWORD nAttributes = ::GetFileAttributesW(strWide.c_str());
    if (nAttributes == INVALID_FILE_ATTRIBUTES)
        return LastErrno();
    if ((nAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return ENOTDIR;
    const std::wstring strProbe = strWide + L"\\.tramino-" + Wide(RandomName(8)) + L".tmp";
    const CHandle hProbe(::CreateFileW(strProbe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return hProbe || ::GetLastError() == ERROR_FILE_EXISTS ? 0 : LastErrno();
}

// The folder inherits the access rights of the temporary folder, which is the user's own.
int CreatePrivateFolder(std::string& strTemplate)
{
    const size_t nUnique = strTemplate.size() - std::min<size_t>(strTemplate.size(), 6);
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt)
    {
        const std::string strName = strTemplate.substr(0, nUnique) + RandomName(6);
        const std::wstring strWide = Wide(strName);
        if (strWide.empty())
            return EINVAL;
        if (::CreateDirectoryW(strWide.c_str(), nullptr))
        {
            strTemplate = strName;
            return 0;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return LastErrno();
    }
    return EEXIST;
}

bool IsOwnFolder(const std::string& strPath)
{
    const DWORD nAttributes = ::GetFileAttributesW(Wide(strPath).c_str());
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// A folder cannot be locked, so a file beside it is: "<folder>.lock", which goes when its last
// handle closes, also when its process dies.
int LockFolder(const std::string& strFolder)
{
    const std::wstring strLock = Wide(strFolder + ".lock");
    CHandle hLock(::CreateFileW(strLock.c_str(), GENERIC_READ | GENERIC_WRITE, g_nShareAll, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    OVERLAPPED position{};
    if (!hLock ||
        !::LockFileEx(hLock.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &position))
        return -1;
    return FromCrt(hLock.Release(), _O_RDWR);
}

void UnlockFolder(int hLock)
{
    ::_close(hLock);
}

std::string TempFolder()
{
    std::wstring strPath(MAX_PATH + 1, L'\0');
    const DWORD nLength = ::GetTempPathW(static_cast<DWORD>(strPath.size()), strPath.data());
    if (nLength == 0 || nLength > strPath.size())
        return ".";
    strPath.resize(nLength);
    while (strPath.size() > 3 && (strPath.back() == L'\\' || strPath.back() == L'/'))
        strPath.pop_back();
    return Narrow(strPath);
}

std::filesystem::path ProgramFolder()
{
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD nLength =
            ::GetModuleFileNameW(nullptr, strPath.data(), static_cast<DWORD>(strPath.size()));
        if (nLength == 0)
            return {};
        if (nLength < strPath.size())
        {
            strPath.resize(nLength);
            return std::filesystem::path(strPath).parent_path();
        }
        strPath.resize(strPath.size() * 2);
    }
}

int64_t ProcessId()
{
    return ::GetCurrentProcessId();
}

bool IsProcessAlive(int64_t nPid)
{
    const CHandle hProcess(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(nPid)));
    if (!hProcess)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD nExitCode = 0;
    return !::GetExitCodeProcess(hProcess.Get(), &nExitCode) || nExitCode == STILL_ACTIVE;
}

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    ::SetConsoleOutputCP(CP_UTF8);
    int nArgs = 0;
    LPWSTR* pArgs = ::CommandLineToArgvW(::GetCommandLineW(), &nArgs);
    if (pArgs == nullptr)
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::vector<std::string> vecArgs;
    for (int i = 1; i < nArgs; ++i)
        vecArgs.push_back(Narrow(pArgs[i]));
    ::LocalFree(pArgs);
    return vecArgs;
}

namespace
{

PfnOnStop g_pfnOnStop = nullptr;

// Ctrl+Break stands for itself; the console closing, the user logging off and the machine
// shutting down end the program as SIGTERM does on Linux.
int StopCode(DWORD nEvent)
{
    switch (nEvent)
    {
    case CTRL_C_EVENT:
        return SIGINT;
    case CTRL_BREAK_EVENT:
        return SIGBREAK;
    default:
        return SIGTERM;
    }
}

// Runs on a thread of its own. Windows ends the program as soon as the handler of a closing
// console returns, so that one waits for the program to finish its clean-up (Windows allows a
// few seconds).
BOOL WINAPI OnConsoleEvent(DWORD nEvent)
{
    if (!g_pfnOnStop(StopCode(nEvent)))
        return FALSE;
    if (nEvent != CTRL_C_EVENT && nEvent != CTRL_BREAK_EVENT)
        ::Sleep(INFINITE);
    return TRUE;
}

} // namespace

void InstallStopHandlers(PfnOnStop pfnOnStop)
{
    g_pfnOnStop = pfnOnStop;
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

const char* StopName(int nCode)
{
    switch (nCode)
    {
    case SIGINT:
        return "Ctrl+C";
    case SIGBREAK:
        return "Ctrl+Break";
    case SIGTERM:
        return "the console closing";
    default:
        return "a signal";
    }
}

const char* StopStatusesText()
{
    return "130 Ctrl+C, 149 Ctrl+Break, 143 the console closing";
}

} // namespace tramino::platform
