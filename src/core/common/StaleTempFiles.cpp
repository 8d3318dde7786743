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

void RemoveStaleTempFiles(const std::string& strFolder, const std::string& strName)
{
    const std::string strPrefix = "." + strName + ".";
    std::error_code error;
    for (std::filesystem::directory_iterator it(platform::PathFromUtf8(strFolder), error), end;
         !error && it != end; it.increment(error))
    {
        const int64_t nOwner = TempOwner(platform::Utf8FromPath(it->path().filename()), strPrefix);
        if (nOwner == 0 || nOwner == platform::ProcessId() || platform::IsProcessAlive(nOwner))
            continue;
        RemoveIfAbandoned(platform::Utf8FromPath(it->path()));
    }
}

} // namespace tramino
