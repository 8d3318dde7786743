#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tramino
{

// The folder of the running program; empty when it cannot be told.
std::filesystem::path ProgramDirectory();

// Where a data file deployed with the program (`Vendale.ini`, `Lang.txt`, `BG.bmp`) is:
// the current directory first, then the program's folder. Only regular files count.
std::optional<std::filesystem::path> FindDataFile(std::string_view strName);
std::optional<std::filesystem::path> FindDataFile(std::string_view strName,
                                                  const std::filesystem::path& programDirectory);

// The same, except that whatever stands under the name in the current directory (a directory, a
// FIFO, a file without read permission) is the data file, so that reading it can say why it
// fails instead of silently taking the one beside the program.
std::optional<std::filesystem::path> FindDataFileEntry(std::string_view strName);
std::optional<std::filesystem::path> FindDataFileEntry(std::string_view strName,
                                                       const std::filesystem::path& programDirectory);

} // namespace tramino
