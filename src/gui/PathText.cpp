#include "PathText.h"

#include "platform/Platform.h"

#include <QDir>

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
    // With "/" between names, as Qt gives every path the window shows (no change on Linux).
    return QDir::fromNativeSeparators(PathText(platform::Utf8FromPath(path)));
}

} // namespace tramino
