#include "LastFolderDialogs.h"

#include "WindowSettings.h"

#include <QDir>
#include <QFileInfo>

namespace tramino
{

QStringList CLastFolderDialogs::GetOpenFileNames(QWidget* pParent, const QString& strFilter,
                                                 const QString& strFolder)
{
    QStringList vecPaths = m_pDialogs->GetOpenFileNames(pParent, strFilter, StartIn(strFolder));
    if (!vecPaths.isEmpty())
    {
        Remember(vecPaths.constFirst());
    }
    return vecPaths;
}

QString CLastFolderDialogs::GetOpenFileName(QWidget* pParent, const QString& strFilter,
                                            const QString& strFolder)
{
    QString strPath = m_pDialogs->GetOpenFileName(pParent, strFilter, StartIn(strFolder));
    Remember(strPath);
    return strPath;
}

QString CLastFolderDialogs::GetSaveFileName(QWidget* pParent, const QString& strFilter,
                                            const QString& strDefaultSuffix, const QString& strProposed)
{
    QString strPath = m_pDialogs->GetSaveFileName(pParent, strFilter, strDefaultSuffix, StartIn(strProposed));
    Remember(strPath);
    return strPath;
}

QString CLastFolderDialogs::StartIn(const QString& strProposed) const
{
    const QString strLast = m_settings.LastFolder();
    if (strProposed.isEmpty() || strLast.isEmpty() || QFileInfo(strProposed).isAbsolute())
    {
        return strProposed.isEmpty() ? strLast : strProposed;
    }
    return QDir(strLast).filePath(strProposed);
}

void CLastFolderDialogs::Remember(const QString& strChosen)
{
    if (!strChosen.isEmpty())
    {
        m_settings.SetLastFolder(QFileInfo(strChosen).absolutePath());
    }
}

} // namespace tramino
