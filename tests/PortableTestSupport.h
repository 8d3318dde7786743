#pragma once

// What a test needs of the system that Windows may not give.

#include <filesystem>
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

} // namespace tramino::test
