// Stale temporary files on Windows: the writer's process id in the name. A file still open by its
// writer cannot be removed by another process, so the removal itself is the lock's check.
#include "common/StaleTempFiles.h"
#include "platform/Platform.h"

#include <charconv>
#include <filesystem>

namespace tramino
{

namespace
{

// The writer of a temporary name of strPrefix, 0 when the name is not one.
int64_t TempOwner(const std::string& strFile, const std::string& strPrefix)
{
    if (!strFile.starts_with(strPrefix) || !strFile.ends_with(".tmp"))
        return 0;
    const char* pBegin = strFile.c_str() + strPrefix.size();
    int64_t nPid = 0;
    const auto [pEnd, error] = std::from_chars(pBegin, strFile.c_str() + strFile.size(), nPid);
    return error == std::errc() && *pEnd == '-' && nPid > 0 ? nPid : 0;
}

} // namespace

std::string TempNamePrefix(const std::string& strName)
{
    return "." + strName + "." + std::to_string(platform::ProcessId()) + "-";
}

void LockTempFile(int /*hFile*/)
{
    // The open handle already keeps other processes from removing the file.
}

void RemoveStaleTempFiles(const std::string& strFolder, const std::string& strName)
{
    const std::string strPrefix = "." + strName + ".";
    std::error_code error;
    for (std::filesystem::directory_iterator it(platform::PathFromUtf8(strFolder), error), end;
         !error && it != end; it.increment(error))
    {
        const std::string strFile = platform::Utf8FromPath(it->path().filename());
        const int64_t nOwner = TempOwner(strFile, strPrefix);
        if (nOwner == 0 || nOwner == platform::ProcessId() || platform::IsProcessAlive(nOwner))
            continue;
        const platform::CPathStatus status = platform::StatusOf(platform::Utf8FromPath(it->path()), false);
        if (status.m_eKind == platform::EFileKind::Regular)
            (void)platform::RemoveFile(platform::Utf8FromPath(it->path()));
    }
}

} // namespace tramino
