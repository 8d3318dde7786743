#pragma once

#include <QString>

#include <filesystem>
#include <string>

namespace tramino
{

// The only ways between the window's paths and the core's: the core's are UTF-8 on every system
// (on Windows a std::filesystem::path holds UTF-16, and the C runtime's narrow strings are in the
// ANSI code page). A path comes back with "/" between names, as Qt writes paths.
std::string CorePath(const QString& strPath);
QString PathText(const std::string& strPath);
QString PathText(const std::filesystem::path& path);

} // namespace tramino
