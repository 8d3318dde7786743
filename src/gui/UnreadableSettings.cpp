#include "UnreadableSettings.h"

#include "PathText.h"

#include "platform/Platform.h"
#include "settings/DataFile.h"

#include <QStringList>

#include <cerrno>
#include <cstring>

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
    const std::string strPath = platform::Utf8FromPath(path);
    const platform::CPathStatus status = platform::StatusOf(strPath, true);
    if (status.m_eKind == platform::EFileKind::Missing)
        return status.m_nError == ENOENT ? CLook{} : CLook{true, std::strerror(status.m_nError)};
    if (status.m_eKind == platform::EFileKind::Directory)
        return {true, "it is a folder"};
    if (status.m_eKind != platform::EFileKind::Regular)
        return {true, "it is not a regular file"};
    const platform::COpenedFile file = platform::OpenForReading(strPath);
    if (file.m_hFile < 0)
        return {true, file.m_nError != 0 ? std::strerror(file.m_nError) : "it is not a regular file"};
    platform::CloseFile(file.m_hFile);
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
                          .arg(PathText(unreadable->m_path), QString::fromStdString(unreadable->m_strReason));
    }
    return vecNotices.join(QStringLiteral("\n\n"));
}

} // namespace tramino
