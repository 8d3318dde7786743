#include "ProjectActions.h"

#include "Dialogs.h"
#include "Globals.h"
#include "MainDlg.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <filesystem>
#include <vector>

namespace tramino
{
namespace
{

std::string LocalPath(const QString& strPath)
{
    return QFile::encodeName(strPath).toStdString();
}

QString ShownPath(const std::filesystem::path& path)
{
    return QFile::decodeName(path.c_str());
}

QString PanelText(CPanelSize panel)
{
    return QStringLiteral("%1 x %2").arg(panel.m_nWidth).arg(panel.m_nHeight);
}

} // namespace

CProjectActions::CProjectActions(CMainDlg& dlg, CPanelSize panel, EEffect effect)
    : QObject(&dlg), m_dlg(dlg), m_session(panel, effect), m_strProgramTitle(dlg.windowTitle())
{
    const CWindowTexts& texts = dlg.Texts();
    m_pOpen = AddAction(texts.Text(EUiText::MenuOpenProject), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    m_pSave = AddAction(texts.Text(EUiText::MenuSaveProject), QKeySequence(Qt::CTRL | Qt::Key_S));
    m_pSaveAs =
        AddAction(texts.Text(EUiText::MenuSaveProjectAs), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(m_pOpen, &QAction::triggered, this, &CProjectActions::OnOpenProject);
    connect(m_pSave, &QAction::triggered, this, &CProjectActions::OnSaveProject);
    connect(m_pSaveAs, &QAction::triggered, this, &CProjectActions::OnSaveProjectAs);
}

QAction* CProjectActions::AddAction(const QString& strText, const QKeySequence& keys)
{
    // On the window itself, so that the keys work wherever the focus is.
    auto* pAction = new QAction(strText, &m_dlg);
    pAction->setShortcut(keys);
    m_dlg.addAction(pAction);
    return pAction;
}

void CProjectActions::AddToMenu(QMenu& menu) const
{
    // Opening replaces the list, which a run or an import must not see change: greyed while one
    // lasts, like the other commands on the list; its key is turned away by the same check.
    QAction* pOpen = menu.addAction(m_pOpen->text(), m_pOpen->shortcut(), m_pOpen, &QAction::trigger);
    pOpen->setEnabled(!m_dlg.IsListBusy());
    menu.addActions({m_pSave, m_pSaveAs});
}

void CProjectActions::OnOpenProject()
{
    if (m_dlg.IsListBusy() || !ConfirmDiscard())
    {
        return;
    }
    const QString strFile = m_dlg.Dialogs().GetOpenFileName(&m_dlg, ProjectFilter());
    if (!strFile.isEmpty())
    {
        Open(strFile);
    }
}

void CProjectActions::OpenProject(const QString& strFile)
{
    if (!m_dlg.IsListBusy() && ConfirmDiscard())
    {
        Open(strFile);
    }
}

void CProjectActions::Open(const QString& strFile)
{
    const CResult<CProject> loaded = LoadProject(LocalPath(strFile), EMissingPicture::Keep);
    if (!loaded)
    {
        ReportError(QString::fromStdString(loaded.Message()));
        return;
    }
    const CProject& project = loaded.Value();
    const CPanelSize panel{g_nPanelWidth, g_nPanelHeight};
    // The preview and the store are made for the window's panel: the project comes to it.
    if (project.m_panel.m_size != panel &&
        m_dlg.Dialogs().Ask(
            &m_dlg, m_dlg.windowTitle(),
            m_dlg.Texts()
                .Text(EUiText::OtherPanel)
                .arg(QFileInfo(strFile).fileName(), PanelText(project.m_panel.m_size), PanelText(panel)),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    {
        return;
    }

    m_session.Begin(project, LocalPath(strFile), panel);
    QStringList vecPaths;
    std::vector<CConvertOptions> vecOptions;
    std::vector<const CProjectPicture*> vecFound;
    QStringList vecMissing;
    for (size_t i = 0; i < project.m_vecPictures.size(); ++i)
    {
        const CProjectPicture& picture = project.m_vecPictures[i];
        std::error_code error;
        // The window does not take a show's pictures from a project yet: named as it saved them.
        if (picture.m_nShowPicture != 0)
        {
            vecMissing +=
                ShownPath(picture.m_path.m_path) + QStringLiteral(" #%1").arg(picture.m_nShowPicture);
            continue;
        }
        if (!std::filesystem::is_regular_file(picture.m_path.m_path, error))
        {
            vecMissing += ShownPath(picture.m_path.m_path);
            continue;
        }
        vecPaths += ShownPath(picture.m_path.m_path);
        CConvertOptions options = ConvertOptionsFor(project.EffectiveValues(i));
        options.m_bFast = m_dlg.IsFastImport();
        vecOptions.push_back(options);
        vecFound.push_back(&picture);
    }
    m_dlg.SelectEffect(project.m_effect);
    m_dlg.ReplacePictures(vecPaths, std::move(vecOptions),
                          [this, &vecFound](int nFile, int)
                          { m_session.Append(*vecFound[static_cast<size_t>(nFile)]); });
    UpdateTitle();
    if (!vecMissing.isEmpty())
    {
        ReportError(m_dlg.Texts().Text(EUiText::PicturesNotFound).arg(DisplayName()) +
                        QStringLiteral("\n\n") + vecMissing.join(QLatin1Char('\n')),
                    EMessageKind::Warning);
    }
}

bool CProjectActions::OnSaveProject()
{
    if (m_session.Path().empty())
    {
        return OnSaveProjectAs();
    }
    return SaveTo(QFile::decodeName(m_session.Path().c_str()));
}

bool CProjectActions::OnSaveProjectAs()
{
    const QString strFolder =
        m_session.Path().empty() ? QString() : QFileInfo(QFile::decodeName(m_session.Path().c_str())).path();
    const QString strPath =
        m_dlg.Dialogs().GetSaveFileName(&m_dlg, ProjectFilter(), QStringLiteral("tramino"), strFolder);
    return !strPath.isEmpty() && SaveTo(strPath);
}

bool CProjectActions::SaveTo(const QString& strPath)
{
    // An import is still adding to the session; what it holds then is no show yet.
    if (m_dlg.IsImporting())
    {
        return false;
    }
    // Another program's change to the file is not lost unasked.
    if (m_session.ChangedOnDisk(LocalPath(strPath)) &&
        m_dlg.Dialogs().Ask(&m_dlg, m_dlg.windowTitle(),
                            m_dlg.Texts().Text(EUiText::AskOverwriteChanged).arg(DisplayName()),
                            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    {
        return false;
    }
    if (const CStatus status = m_session.Save(LocalPath(strPath)); !status)
    {
        ReportError(QString::fromStdString(status.Message()));
        return false;
    }
    UpdateTitle();
    return true;
}

void CProjectActions::UpdateTitle()
{
    const bool bModified = m_session.IsModified();
    if (m_session.Path().empty() && !bModified)
    {
        m_dlg.setWindowTitle(m_strProgramTitle);
        return;
    }
    m_dlg.setWindowTitle(DisplayName() + (bModified ? QStringLiteral("*") : QString()) +
                         QStringLiteral(" - ") + m_strProgramTitle);
}

bool CProjectActions::ConfirmDiscard()
{
    if (!m_session.IsModified())
    {
        return true;
    }
    switch (m_dlg.Dialogs().Ask(&m_dlg, m_dlg.windowTitle(),
                                m_dlg.Texts().Text(EUiText::AskSaveChanges).arg(DisplayName()),
                                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel))
    {
    case QMessageBox::Save:
        return OnSaveProject();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

QString CProjectActions::ProjectFilter() const
{
    const CWindowTexts& texts = m_dlg.Texts();
    return QStringLiteral("%1 (*.tramino);;%2 (*)")
        .arg(texts.Text(EUiText::FilterProjects), texts.Text(EUiText::FilterAllFiles));
}

QString CProjectActions::DisplayName() const
{
    return m_session.Path().empty()
               ? m_dlg.Texts().Text(EUiText::Untitled)
               : QFileInfo(QFile::decodeName(m_session.Path().c_str())).completeBaseName();
}

void CProjectActions::ReportError(const QString& strText, EMessageKind eKind) const
{
    m_dlg.Dialogs().ShowMessage(&m_dlg, m_dlg.windowTitle(), strText, eKind);
}

} // namespace tramino
