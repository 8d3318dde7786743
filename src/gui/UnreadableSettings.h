#pragma once

#include "UiTexts.h"

#include <QString>

#include <filesystem>
#include <optional>
#include <string>

namespace tramino
{

// A settings file that is there but cannot be read, and why.
struct CUnreadableFile
{
    std::filesystem::path m_path;
    std::string m_strReason;
};

// The first Vendale.ini of the data file look-up (the current folder, then programDirectory) when
// it exists but cannot be read: a folder, a FIFO or device, or a file without permission. Opens
// nothing that could block.
std::optional<CUnreadableFile> FindUnreadableSettingsFile(const std::filesystem::path& programDirectory);

// What start-up found wrong with the data files (Lang.txt missing, Vendale.ini unreadable), said
// once when the window first shows; empty when nothing.
QString StartupNotice(const CWindowTexts& texts);

} // namespace tramino
