#include "PathText.h"

#include "platform/Platform.h"

namespace tramino
{

std::string CorePath(const QString& strPath)
{
    return strPath.toStdString();
}

QString PathText(const std::string& strPath)
{
    return QString::fromStdString(strPath);
}

QString PathText(const std::filesystem::path& path)
{
    return PathText(platform::Utf8FromPath(path));
}

} // namespace tramino
