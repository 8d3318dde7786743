#pragma once

#include "common/Status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tramino
{

// Refuses, before any work is done, a target that cannot be written by replacing it: one that
// exists and is not a regular file (a directory, device, FIFO or socket; a symbolic link counts
// as what it points to), one whose folder is missing or not writable, and one that is the same
// file (device and inode) as one of vecInputs.
CStatus CheckWritableTarget(const std::string& strPath, const std::vector<std::string>& vecInputs = {});

// A new content for a file, written under a temporary name beside it and renamed over it by
// Commit, so that the file is never seen half-written and a failed or abandoned write leaves it
// as it was. A symbolic link is followed: the file it points to (or would point to, when only
// that file is missing) is replaced, and the link stays a link. A replaced file keeps its
// permission bits but never set-user-ID, set-group-ID or sticky; a new one gets 0666 minus the
// umask. Errors name the path the caller gave.
class CReplacingFile
{
public:
    // bSync makes Commit wait until the bytes are on the disk (files in a private temporary
    // folder need not). Without bFollowLinks a symbolic link at strPath is refused, and one that
    // appears there later is replaced by the file, never written through.
    static CResult<CReplacingFile> Open(const std::string& strPath, bool bSync = true,
                                        bool bFollowLinks = true);

    CReplacingFile(CReplacingFile&& other) noexcept;
    CReplacingFile& operator=(CReplacingFile&& other) noexcept;
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;
    // Discards an uncommitted file.
    ~CReplacingFile();

    // All nSize bytes or an error naming the file and the reason.
    CStatus Write(const uint8_t* pData, size_t nSize);
    // Puts the bytes under the target name.
    CStatus Commit();
    // As Commit, for a file that must be new: a file another program put under the name since
    // Open is kept, and the error says it exists.
    CStatus CommitNew();
    // Drops what was written; the target stays as it was. Safe to call more than once.
    void Discard();

private:
    CReplacingFile(std::string strPath, std::string strTarget, std::string strTemp, int hFile, bool bSync);
    // Starts writing what was written since the last call to the disk, so that Commit waits for
    // little more than the last bytes.
    void StartWriteback();
    CStatus Finish(bool bReplace);

    std::string m_strPath;   // as the caller named it, for messages
    std::string m_strTarget; // the file replaced, links followed
    std::string m_strTemp;
    int m_hFile = -1;
    bool m_bSync = true;
    uint64_t m_nWritten = 0;
    uint64_t m_nWrittenBack = 0; // bytes handed to the disk by StartWriteback
};

// Open, Write and Commit in one.
CStatus ReplaceFileContent(const std::string& strPath, const std::vector<uint8_t>& vecData,
                           bool bSync = true);

} // namespace tramino
