#include "FileArguments.h"

#include "Dialogs.h"
#include "PathText.h"
#include "ReasonText.h"
#include "UiTexts.h"

#include "common/InputFile.h"
#include "platform/Platform.h"

#include <QFileInfo>

namespace tramino
{

EFileUse FileUseOf(const QString& strPath)
{
    const QString strSuffix = QFileInfo(strPath).suffix().toLower();
    if (strSuffix == QLatin1String("tramino"))
    {
        return EFileUse::Project;
    }
    if (strSuffix == QLatin1String("qrv"))
    {
        return EFileUse::Show;
    }
    return PictureSuffixes().contains(strSuffix) ? EFileUse::Picture : EFileUse::Unknown;
}

CFileArguments SortFileArguments(const QStringList& vecPaths, const CWindowTexts& texts)
{
    CFileArguments files;
    for (const QString& strPath : vecPaths)
    {
        const QString strName = QFileInfo(strPath).absoluteFilePath();
        // Said here, all in one message, rather than by each command as it comes to the file.
        const CResult<CInputFile> file = OpenRegularFile(CorePath(strPath));
        if (!file)
        {
            files.m_vecRejected += ReasonText(file.Status(), texts);
            continue;
        }
        platform::CloseFile(file.Value().m_hFile);
        switch (FileUseOf(strName))
        {
        case EFileUse::Project:
            if (files.m_strProject.isEmpty())
            {
                files.m_strProject = strName;
            }
            else
            {
                files.m_vecRejected += texts.Text(EUiText::ReasonOneProject).arg(strPath);
            }
            break;
        case EFileUse::Picture:
            files.m_vecPictures += strName;
            break;
        case EFileUse::Show:
            files.m_vecShows += strName;
            break;
        case EFileUse::Unknown:
            files.m_vecRejected += texts.Text(EUiText::ReasonUnknownFile).arg(strPath);
            break;
        }
    }
    return files;
}

} // namespace tramino
