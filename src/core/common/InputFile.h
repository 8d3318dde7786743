#pragma once

#include "common/Status.h"

#include <cstdint>
#include <string>

namespace tramino
{

// A file open for reading; the caller closes the descriptor (platform::CloseFile).
struct CInputFile
{
    int m_hFile = -1;
    uint64_t m_nSize = 0;
};

// Opens an existing regular file for reading. The open never waits (a FIFO without a writer would block it
// for ever), and anything but a regular file is refused: a directory with "Is a directory", a FIFO, device or
// socket with "not a regular file". Errors read "Cannot <strWhat> 'path': reason".
CResult<CInputFile> OpenRegularFile(const std::string& strPath, const std::string& strWhat = "read");

} // namespace tramino
