#pragma once

#include <string>

namespace tramino::lockfile
{

// What CProjectLock needs of the system; one implementation per system in src/core/platform.

// Opens the project file to lock it, never waiting (a FIFO's writer); the handle, or -errno.
int Open(const std::string& strPath);
enum class ETry
{
    Locked,
    Busy,  // another program holds it
    Failed // errno-like reason in nError
};
ETry TryLock(int hFile, int& nError);
// Whether the path still names the open file: the holder before may have put a new one there.
bool NamesFile(const std::string& strPath, int hFile);
// Closing releases the lock.
void Close(int hFile);

} // namespace tramino::lockfile
