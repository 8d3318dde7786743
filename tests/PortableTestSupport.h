#pragma once

// What a test needs of the system that Windows may not give.

#include "platform/Platform.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tramino::test
{

// Makes link, a symbolic link to target; empty, or why there is none: Windows makes them only
// with a privilege. Use: if (auto strWhy = MakeLinkOrWhyNot(...); !strWhy.empty()) GTEST_SKIP() << strWhy;
inline std::string MakeLinkOrWhyNot(const std::filesystem::path& target, const std::filesystem::path& link)
{
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    if (!error)
        return {};
    return "no symbolic link here (Windows makes them only with a privilege): " + error.message();
}

// A new folder "<strPrefix>XXXXXX" in the temporary folder, as mkdtemp makes one.
inline std::filesystem::path MakeTempFolder(const std::string& strPrefix)
{
    std::string strTemplate =
        platform::Utf8FromPath(std::filesystem::temp_directory_path() / (strPrefix + "XXXXXX"));
    if (platform::CreatePrivateFolder(strTemplate) != 0)
        throw std::runtime_error("cannot create a temporary folder");
    return platform::PathFromUtf8(strTemplate);
}

} // namespace tramino::test
