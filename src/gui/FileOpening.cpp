#include "FileOpening.h"

#include "FileArguments.h"
#include "PathText.h"
#include "ProjectActions.h"
#include "ReasonText.h"
#include "ShowChoice.h"
#include "ShowWindow.h"

#include "document/ShowDocument.h"

#include <QFileInfo>

namespace tramino
{

void CFileOpening::OnOpenShow()
{
    const CWindowTexts& texts = m_window.Texts();
    const QStringList vecPaths = m_window.Dialogs().GetOpenFileNames(
        &m_window.Widget(),
        texts.Text(EUiText::FilterShows) + QStringLiteral(" (*.qrv *.QRV);;") +
            texts.Text(EUiText::FilterAllFiles) + QStringLiteral(" (*)"),
        QString());
    if (!vecPaths.isEmpty())
    {
        OpenShow(vecPaths.constFirst());
    }
}

void CFileOpening::OpenFile(const QString& strPath)
{
    if (FileUseOf(strPath) == EFileUse::Project)
    {
        m_project.OpenProject(strPath);
    }
    else
    {
        OpenShow(strPath);
    }
}

void CFileOpening::OpenFiles(const QStringList& vecPaths)
{
    const CFileArguments files = SortFileArguments(vecPaths, m_window.Texts());
    if (!files.m_vecRejected.isEmpty())
    {
        m_window.Say(m_window.Texts().LangOr(17, "These files could not be loaded:") +
                     QStringLiteral("\n\n") + files.m_vecRejected.join(QLatin1Char('\n')));
    }
    if (!files.m_strProject.isEmpty())
    {
        m_project.OpenProject(files.m_strProject);
    }
    m_hooks.m_fnLoadPictures(files.m_vecPictures);
    for (const QString& strShow : files.m_vecShows)
    {
        OpenShow(strShow);
    }
}

void CFileOpening::OpenShow(const QString& strPath)
{
    if (m_window.IsListBusy())
    {
        return;
    }
    const CWindowTexts& texts = m_window.Texts();
    const CPanelSize panel = m_window.Document().Panel();
    CShowFileReader reader(panel.m_nWidth, panel.m_nHeight);
    if (const CStatus status = reader.ReadFile(CorePath(strPath)); !status)
    {
        m_window.Say(ReasonText(status, texts));
        return;
    }
    m_window.AddRecentFile(strPath);
    const std::vector<CShowFilePicture>& vecPictures = reader.Pictures();
    const QString strSummary = texts.Text(EUiText::ShowSummary)
                                   .arg(QFileInfo(strPath).fileName())
                                   .arg(vecPictures.size())
                                   .arg(panel.m_nWidth)
                                   .arg(panel.m_nHeight);
    const EShowChoice eChoice = AskShowChoice(&m_window.Widget(), texts, strSummary, !vecPictures.empty());
    if (eChoice == EShowChoice::Play)
    {
        std::vector<CShowFrame> vecFrames;
        vecFrames.reserve(vecPictures.size());
        for (const CShowFilePicture& picture : vecPictures)
        {
            vecFrames.push_back({picture.m_picture, picture.m_optEffect.value_or(EEffect::Normal)});
        }
        m_hooks.m_fnPlay(std::move(vecFrames));
    }
    else if (eChoice == EShowChoice::Add)
    {
        m_hooks.m_fnAddFromShow(strPath, vecPictures);
    }
}

} // namespace tramino
