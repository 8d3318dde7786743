#include "common/InputFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino
{

CResult<CInputFile> OpenRegularFile(const std::string& strPath, const std::string& strWhat)
{
    const int hFile = ::open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (hFile < 0)
        return ErrnoStatus(strWhat, strPath, errno);
    struct stat fileStat
    {
    };
    CStatus status;
    const bool bStatted = ::fstat(hFile, &fileStat) == 0;
    if (bStatted && S_ISDIR(fileStat.st_mode))
        status = ErrnoStatus(strWhat, strPath, EISDIR);
    else if (bStatted && !S_ISREG(fileStat.st_mode))
        status = CStatus::Error("Cannot " + strWhat + " '" + strPath + "': not a regular file");
    // Reads of a regular file do not care, but blocking ones are what every reader expects.
    else if (!bStatted || ::fcntl(hFile, F_SETFL, ::fcntl(hFile, F_GETFL) & ~O_NONBLOCK) != 0)
        status = ErrnoStatus(strWhat, strPath, errno);
    if (!status)
    {
        ::close(hFile);
        return status;
    }
    return CInputFile{hFile, static_cast<uint64_t>(fileStat.st_size)};
}

} // namespace tramino
