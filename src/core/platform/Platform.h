#pragma once

// What the operating system does differently, behind one interface: PosixPlatform.cpp and
// WindowsPlatform.cpp implement it, and the build picks one. Paths are UTF-8 strings on every
// system; files are C runtime descriptors, binary and not inherited by child programs. Functions
// that return an int error give 0 or an errno value, which ErrnoStatus turns into a message.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tramino::platform
{

// The only ways between a string and a path, so that a name means the same on every system.
// bGeneric writes "/" between names, as files meant for every system store them.
std::filesystem::path PathFromUtf8(std::string_view strPath);
std::string Utf8FromPath(const std::filesystem::path& path, bool bGeneric = false);

enum class EFileKind
{
    Missing,
    Regular,
    Directory,
    Link, // a symbolic link, or on Windows a junction
    Other // a device, FIFO, pipe, socket or console
};

// Which file it is, whatever name reached it.
struct CFileId
{
    uint64_t m_nDevice = 0;
    uint64_t m_nIndex = 0;
    bool operator==(const CFileId&) const = default;
};

struct CPathStatus
{
    EFileKind m_eKind = EFileKind::Missing;
    int m_nError = 0;     // why the status could not be read (the kind is Missing then)
    uint32_t m_nMode = 0; // permission bits; none on Windows
    CFileId m_id;
};

// What is at strPath; a link is reported as one unless bFollowLinks.
CPathStatus StatusOf(const std::string& strPath, bool bFollowLinks);
// The target of the link at strPath, relative to the link's folder or absolute; empty with
// nError set when it cannot be read.
std::string ReadLink(const std::string& strPath, int& nError);

struct COpenedFile
{
    int m_hFile = -1; // open only for a regular file
    int m_nError = 0;
    EFileKind m_eKind = EFileKind::Missing;
    uint64_t m_nSize = 0;
};

// Opens an existing file for reading without waiting on it (a FIFO without a writer would block
// for ever); anything but a regular file is closed again and only its kind reported.
COpenedFile OpenForReading(const std::string& strPath);
// A new file for writing; EEXIST when the name is taken. The descriptor, or minus an errno value.
int CreateNewFile(const std::string& strPath);
// Bytes read at nOffset (0 at the end), or minus an errno value.
int64_t ReadAt(int hFile, void* pData, size_t nSize, uint64_t nOffset);
// Bytes written (at least one), or minus an errno value.
int64_t WriteSome(int hFile, const void* pData, size_t nSize);
int SetModeBits(int hFile, uint32_t nMode);
// Starts handing written bytes to the disk, so that SyncFile waits for little more than the last.
void StartWriteback(int hFile, uint64_t nOffset, uint64_t nSize);
int SyncFile(int hFile);
int CloseFile(int hFile);

// Puts strFrom under the name strTo in one step, replacing a file there (keeping that one's
// attributes and access rights on Windows); bDurable returns only once the disk has it.
int RenameOver(const std::string& strFrom, const std::string& strTo, bool bDurable);
// As RenameOver, but only while no file has the name strTo: EEXIST, and both kept, otherwise.
int RenameNew(const std::string& strFrom, const std::string& strTo, bool bDurable);
int RemoveFile(const std::string& strPath);
// Whether new files can be made in the folder strFolder.
int CheckFolderWritable(const std::string& strFolder);

// Makes a new folder only this user can use; strTemplate ends in "XXXXXX", which becomes the
// name's unique part.
int CreatePrivateFolder(std::string& strTemplate);
// A folder (no link) that belongs to this user, so that this user may clean it up.
bool IsOwnFolder(const std::string& strPath);
// Takes the lock that marks strFolder as in use, without waiting: a handle, or -1 when another
// process holds it or it cannot be taken. Released by UnlockFolder or when the process ends.
int LockFolder(const std::string& strFolder);
void UnlockFolder(int hLock);
std::string TempFolder();
// The folder of the running program; empty when it cannot be told.
std::filesystem::path ProgramFolder();

int64_t ProcessId();
bool IsProcessAlive(int64_t nPid);

// The arguments as UTF-8 (Windows hands a program its command line in UTF-16), with the
// console set up to show UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Called on each request to stop (Ctrl+C, a termination or hang-up signal, Ctrl+Break, the
// console closing) with its code: the signal number, or the one that stands for it on Windows.
// Returns false to end the program at once instead, as a second request does.
using PfnOnStop = bool (*)(int nCode);
void InstallStopHandlers(PfnOnStop pfnOnStop);
// What stopped the program, e.g. "SIGINT" or "Ctrl+C".
const char* StopName(int nCode);
// The exit statuses of a stopped run, for the help: "130 Ctrl-C, ...".
const char* StopStatusesText();

} // namespace tramino::platform
