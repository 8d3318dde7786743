#include "settings/DataFile.h"

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
    const std::filesystem::path name(strName);
    if (pfnCounts(name))
        return name;
    if (!programDirectory.empty() && pfnCounts(programDirectory / name))
        return programDirectory / name;
    return std::nullopt;
}

} // namespace

std::filesystem::path ProgramDirectory()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return exe.parent_path();
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
