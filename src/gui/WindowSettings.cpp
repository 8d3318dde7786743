#include "WindowSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <utility>

namespace tramino
{
namespace
{

const QString g_strRecentFiles = QStringLiteral("RecentFiles");
const QString g_strLastFolder = QStringLiteral("LastFolder");

std::unique_ptr<QSettings> OpenSettings()
{
    const QString strFile = qEnvironmentVariable("TRAMINO_SETTINGS");
    if (!strFile.isEmpty())
    {
        return std::make_unique<QSettings>(strFile, QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tramino"), QStringLiteral("Tramino"));
}

// Qt takes two missing files for the same one: only existing ones are compared as files.
bool IsSameFile(const QFileInfo& file, const QFileInfo& other)
{
    return QDir::cleanPath(file.absoluteFilePath()) == QDir::cleanPath(other.absoluteFilePath()) ||
           (file.exists() && other.exists() && file == other);
}

} // namespace

CWindowSettings::CWindowSettings() : m_pSettings(OpenSettings()) {}

CWindowSettings::~CWindowSettings() = default;

QStringList CWindowSettings::RecentFiles() const
{
    return m_pSettings->value(g_strRecentFiles).toStringList().mid(0, g_nMaxRecentFiles);
}

void CWindowSettings::AddRecentFile(const QString& strPath)
{
    const QFileInfo file(strPath);
    QStringList vecFiles{QDir::cleanPath(file.absoluteFilePath())};
    // The same file by another spelling ("a/../b", another letter case on Windows) is one entry.
    for (const QString& strOther : RecentFiles())
    {
        if (!IsSameFile(QFileInfo(strOther), file) && vecFiles.size() < g_nMaxRecentFiles)
        {
            vecFiles += strOther;
        }
    }
    m_pSettings->setValue(g_strRecentFiles, vecFiles);
    Write();
}

void CWindowSettings::ClearRecentFiles()
{
    m_pSettings->remove(g_strRecentFiles);
    Write();
}

QString CWindowSettings::LastFolder() const
{
    return m_pSettings->value(g_strLastFolder).toString();
}

void CWindowSettings::SetLastFolder(const QString& strFolder)
{
    m_pSettings->setValue(g_strLastFolder, strFolder);
    Write();
}

void CWindowSettings::Write()
{
    m_pSettings->sync();
    if (m_pSettings->status() != QSettings::NoError && !std::exchange(m_bWriteFailed, true) &&
        m_fnWriteFailed)
    {
        m_fnWriteFailed(QDir::toNativeSeparators(m_pSettings->fileName()));
    }
}

} // namespace tramino
