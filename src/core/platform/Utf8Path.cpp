#include "platform/Platform.h"

namespace tramino::platform
{

// Through char8_t: a plain std::string would be read in the ANSI code page on Windows. On POSIX
// systems both ways copy the bytes, whatever they are.
std::filesystem::path PathFromUtf8(std::string_view strPath)
{
    return std::filesystem::path(std::u8string(strPath.begin(), strPath.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path, bool bGeneric)
{
    const std::u8string strPath = bGeneric ? path.generic_u8string() : path.u8string();
    return std::string(strPath.begin(), strPath.end());
}

} // namespace tramino::platform
