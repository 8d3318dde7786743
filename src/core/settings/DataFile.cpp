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
    const std::filesystem::path name(strName);
    if (IsRegularFile(name))
        return name;
    if (!programDirectory.empty() && IsRegularFile(programDirectory / name))
        return programDirectory / name;
    return std::nullopt;
}

std::optional<std::filesystem::path> FindDataFile(std::string_view strName)
{
    return FindDataFile(strName, ProgramDirectory());
}

std::optional<std::filesystem::path> FindDataFileEntry(std::string_view strName,
                                                       const std::filesystem::path& programDirectory)
{
    const std::filesystem::path name(strName);
    if (Exists(name))
        return name;
    if (!programDirectory.empty() && Exists(programDirectory / name))
        return programDirectory / name;
    return std::nullopt;
}

std::optional<std::filesystem::path> FindDataFileEntry(std::string_view strName)
{
    return FindDataFileEntry(strName, ProgramDirectory());
}

} // namespace tramino
