#include "project/ProjectSave.h"

#include "platform/Platform.h"
#include "project/ProjectLock.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tramino
{

namespace
{

// Waited for at most: a `project add` of another program holds the lock for a moment.
constexpr std::chrono::seconds g_lockTimeout{5};

} // namespace

std::optional<uint64_t> ProjectFileDigest(const std::string& strPath)
{
    // FNV-1a: a change, not an attack, is what it has to notice.
    std::ifstream file(platform::PathFromUtf8(strPath), std::ios::binary);
    if (!file)
        return std::nullopt;
    uint64_t nDigest = 0xcbf29ce484222325ULL;
    for (std::istreambuf_iterator<char> it(file), itEnd; it != itEnd; ++it)
        nDigest = (nDigest ^ static_cast<unsigned char>(*it)) * 0x100000001b3ULL;
    return file.bad() ? std::nullopt : std::optional<uint64_t>(nDigest);
}

CStatus SaveProjectLocked(const CProject& project, const std::string& strPath)
{
    std::optional<CProjectLock> optLock;
    std::error_code error;
    if (std::filesystem::is_regular_file(platform::PathFromUtf8(strPath), error))
    {
        CResult<CProjectLock> lock = CProjectLock::Acquire(strPath, g_lockTimeout);
        if (!lock)
            return lock.Status();
        optLock.emplace(std::move(lock).Value());
    }
    return SaveProject(project, strPath);
}

CProjectPath ProjectRelativePath(const std::string& strPath)
{
    std::error_code error;
    const std::filesystem::path given = platform::PathFromUtf8(strPath);
    const std::filesystem::path path = std::filesystem::absolute(given, error);
    return {(error ? given : path).lexically_normal(), false};
}

} // namespace tramino
