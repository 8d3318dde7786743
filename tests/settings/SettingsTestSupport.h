#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace tramino::test
{

// A fresh folder, removed with everything in it at the end of the test.
class CTempDir
{
public:
    CTempDir()
    {
        static int s_nCount = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("tramino-settings-" + std::to_string(getpid()) + "-" + std::to_string(++s_nCount));
        std::filesystem::create_directories(m_path);
    }
    ~CTempDir()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    std::filesystem::path Write(std::string_view strName, std::string_view bytes) const
    {
        const std::filesystem::path path = m_path / strName;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::filesystem::path m_path;
};

} // namespace tramino::test
