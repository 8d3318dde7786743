#include "UnreadableSettings.h"

#include "settings/DataFile.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino
{
namespace
{

const char* const g_szBuiltInTextsNotice =
    "Lang.txt was not found or cannot be read, so the window shows its built-in English texts.";

// Whether a path exists, and why it cannot be read when it cannot.
struct CLook
{
    bool m_bExists = false;
    std::optional<std::string> m_strReason;
};

CLook Look(const std::filesystem::path& path)
{
    struct stat st = {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? CLook{} : CLook{true, std::strerror(errno)};
    if (S_ISDIR(st.st_mode))
        return {true, "it is a folder"};
    if (!S_ISREG(st.st_mode))
        return {true, "it is not a regular file"};
    const int hFile = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (hFile < 0)
        return {true, std::strerror(errno)};
    ::close(hFile);
    return {true, std::nullopt};
}

} // namespace

std::optional<CUnreadableFile> FindUnreadableSettingsFile(const std::filesystem::path& programDirectory)
{
    const std::filesystem::path name("Vendale.ini");
    for (const std::filesystem::path& path :
         {name, programDirectory.empty() ? name : programDirectory / name})
    {
        CLook look = Look(path);
        if (look.m_strReason)
            return CUnreadableFile{path, std::move(*look.m_strReason)};
        if (look.m_bExists)
            return std::nullopt;
    }
    return std::nullopt;
}

QString StartupNotice(const CWindowTexts& texts)
{
    QStringList vecNotices;
    if (texts.m_bBuiltIn)
    {
        vecNotices += QString::fromUtf8(g_szBuiltInTextsNotice);
    }
    if (const std::optional<CUnreadableFile> unreadable = FindUnreadableSettingsFile(ProgramDirectory()))
    {
        vecNotices += texts.Text(EUiText::SettingsUnreadable)
                          .arg(QFile::decodeName(unreadable->m_path.c_str()),
                               QString::fromStdString(unreadable->m_strReason));
    }
    return vecNotices.join(QStringLiteral("\n\n"));
}

} // namespace tramino
