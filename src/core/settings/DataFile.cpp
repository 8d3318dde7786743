#include "settings/DataFile.h"

#include "platform/Platform.h"

#include <system_error>

namespace tramino
{
namespace
{

bool IsRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// The current directory's name if it counts, else the program folder's if that counts.
std::optional<std::filesystem::path> FindFirst(std::string_view strName,
                                               const std::filesystem::path& programDirectory,
                                               bool (*pfnCounts)(const std::filesystem::path&))
{
    const std::filesystem::path name = platform::PathFromUtf8(strName);
    if (pfnCounts(name))
        return name;
    if (!programDirectory.empty() && pfnCounts(programDirectory / name))
        return programDirectory / name;
    return std::nullopt;
}

} // namespace

std::filesystem::path ProgramDirectory()
{
    return platform::ProgramFolder();
}

std::optional<std::filesystem::path> FindDataFile(std::string_view strName,
                                                  const std::filesystem::path& programDirectory)
{
    return FindFirst(strName, programDirectory, IsRegularFile);
}

std::optional<std::filesystem::path> FindDataFile(std::string_view strName)
{
    return FindDataFile(strName, ProgramDirectory());
}

std::optional<std::filesystem::path> FindDataFileEntry(std::string_view strName,
                                                       const std::filesystem::path& programDirectory)
{
    return FindFirst(strName, programDirectory, Exists);
}

std::optional<std::filesystem::path> FindDataFileEntry(std::string_view strName)
{
    return FindDataFileEntry(strName, ProgramDirectory());
}

} // namespace tramino
