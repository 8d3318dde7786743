#include "ProjectActions.h"

#include "ButtonChoice.h"
#include "Dialogs.h"
#include "DocumentUndo.h"
#include "PathText.h"
#include "ReasonText.h"
#include "ShowWindow.h"

#include "document/DocumentCommands.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace tramino
{
namespace
{

QString PanelText(CPanelSize panel)
{
    return QString::fromStdString(PanelSizeText(panel, ESizeText::Times));
}

} // namespace

CProjectActions::CProjectActions(IShowWindow& window)
    : QObject(&window.Widget()), m_window(window), m_strProgramTitle(window.Widget().windowTitle())
{
    const CWindowTexts& texts = window.Texts();
    m_pOpen = AddAction(texts.Text(EUiText::MenuOpenProject), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    m_pSave = AddAction(texts.Text(EUiText::MenuSaveProject), QKeySequence(Qt::CTRL | Qt::Key_S));
    m_pSaveAs =
        AddAction(texts.Text(EUiText::MenuSaveProjectAs), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(m_pOpen, &QAction::triggered, this, &CProjectActions::OnOpenProject);
    connect(m_pSave, &QAction::triggered, this, &CProjectActions::OnSaveProject);
    connect(m_pSaveAs, &QAction::triggered, this, &CProjectActions::OnSaveProjectAs);
    Document().AddObserver(*this);
    connect(&window.Undo().Stack(), &QUndoStack::cleanChanged, this, &CProjectActions::UpdateTitle);
}

CProjectActions::~CProjectActions()
{
    Document().RemoveObserver(*this);
}

CShowDocument& CProjectActions::Document() const
{
    return m_window.Document();
}

void CProjectActions::OnChanged(const CDocumentChange&)
{
    UpdateTitle();
}

QAction* CProjectActions::AddAction(const QString& strText, const QKeySequence& keys)
{
    // On the window itself, so that the keys work wherever the focus is.
    auto* pAction = new QAction(strText, &m_window.Widget());
    pAction->setShortcut(keys);
    m_window.Widget().addAction(pAction);
    return pAction;
}

void CProjectActions::AddToMenu(QMenu& menu) const
{
    // Opening replaces the list, which a run or an import must not see change: greyed while one
    // lasts, like the other commands on the list; its key is turned away by the same check.
    QAction* pOpen = menu.addAction(m_pOpen->text(), m_pOpen->shortcut(), m_pOpen, &QAction::trigger);
    pOpen->setEnabled(!m_window.IsListBusy());
    menu.addActions({m_pSave, m_pSaveAs});
}

void CProjectActions::OnOpenProject()
{
    if (m_window.IsListBusy() || !ConfirmDiscard())
    {
        return;
    }
    const QString strFile =
        m_window.Dialogs().GetOpenFileName(&m_window.Widget(), ProjectFilter(), QString());
    if (!strFile.isEmpty())
    {
        OpenRemembered(strFile);
    }
}

void CProjectActions::OpenProject(const QString& strFile)
{
    if (!m_window.IsListBusy() && ConfirmDiscard())
    {
        OpenRemembered(strFile);
    }
}

void CProjectActions::OpenRemembered(const QString& strFile)
{
    Open(strFile);
    // Once it is the window's project, even with its pictures cancelled, it is a recent file.
    if (Document().Path() == CorePath(strFile))
    {
        m_window.AddRecentFile(strFile);
    }
}

void CProjectActions::Open(const QString& strFile)
{
    const CResult<CProject> loaded = LoadProject(CorePath(strFile), EMissingPicture::Keep);
    if (!loaded)
    {
        ReportError(ReasonText(loaded.Status(), m_window.Texts()));
        return;
    }
    const CProject& project = loaded.Value();
    CShowDocument& document = Document();
    const std::optional<CPanelSize> optPanel = PanelToOpenAt(project, strFile);
    if (!optPanel)
    {
        return;
    }
    const CPanelSize panel = *optPanel;

    const CWindowTexts& texts = m_window.Texts();
    CConversionRun run{{},
                       panel,
                       texts.LangOr(18, "Loading pictures..."),
                       texts.LangOr(17, "These files could not be loaded:")};
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
                PathText(picture.m_path.m_path) + QStringLiteral(" #%1").arg(picture.m_nShowPicture);
            continue;
        }
        if (!std::filesystem::is_regular_file(picture.m_path.m_path, error))
        {
            vecMissing += PathText(picture.m_path.m_path);
            continue;
        }
        CConvertOptions options = ConvertOptionsFor(project.EffectiveValues(i));
        // The project's own, as a build of it converts.
        options.m_bFast = project.m_bFastImport;
        run.m_vecSources.push_back(ProjectPictureSource(picture, options));
        vecFound.push_back(&picture);
    }
    // The list before waits in the step, with its store, for an undo.
    auto pOpen = std::make_unique<CContentsCommand>(
        document, CShowDocument::OpenedContents(project, CorePath(strFile), panel));
    if (const CStatus status = pOpen->Redo(); !status)
    {
        ReportError(ReasonText(status, m_window.Texts()));
        return;
    }
    CInsertRowsCommand listing(document, 0);
    m_window.RunConversion(
        std::move(run),
        [&](int nFile, const CResult<CPicture>& result)
        {
            if (!result)
            {
                return result.Status();
            }
            const CProjectPicture& picture = *vecFound[static_cast<size_t>(nFile)];
            return m_window.ListConverted(
                listing, document.ProjectRow(picture, PathText(picture.m_path.m_path).toStdString()),
                result.Value());
        });
    m_window.Undo().Push(std::move(pOpen), m_window.Texts().Text(EUiText::DoOpen).arg(DisplayName()), true);
    m_window.Undo().Stack().setClean();
    UpdateTitle();
    if (!vecMissing.isEmpty())
    {
        ReportError(m_window.Texts().Text(EUiText::PicturesNotFound).arg(DisplayName()) +
                        QStringLiteral("\n\n") + vecMissing.join(QLatin1Char('\n')),
                    EMessageKind::Warning);
    }
}

std::optional<CPanelSize> CProjectActions::PanelToOpenAt(const CProject& project,
                                                         const QString& strFile) const
{
    const CPanelSize own = project.m_panel.m_size;
    const CPanelSize current = Document().Panel();
    if (own == current)
    {
        return current;
    }
    const CWindowTexts& texts = m_window.Texts();
    std::vector<CChoiceButton> vecChoices{
        {QStringLiteral("convert"), texts.Text(EUiText::OtherPanelConvert).arg(PanelText(current))}};
    // The window switches only to the sizes its panel menu offers.
    const bool bCanSwitch =
        std::find(g_arrPanelSizes.begin(), g_arrPanelSizes.end(), own) != g_arrPanelSizes.end();
    if (bCanSwitch)
    {
        vecChoices.insert(vecChoices.begin(), {QStringLiteral("ownPanel"),
                                               texts.Text(EUiText::OtherPanelOwn).arg(PanelText(own))});
    }
    const int nChoice = AskChoice(&m_window.Widget(), QStringLiteral("otherPanel"),
                                  texts.Text(EUiText::OtherPanel)
                                      .arg(QFileInfo(strFile).fileName(), PanelText(own), PanelText(current)),
                                  vecChoices);
    if (nChoice < 0)
    {
        return std::nullopt;
    }
    return bCanSwitch && nChoice == 0 ? own : current;
}

bool CProjectActions::OnSaveProject()
{
    if (Document().Path().empty())
    {
        return OnSaveProjectAs();
    }
    return SaveTo(PathText(Document().Path()));
}

bool CProjectActions::OnSaveProjectAs()
{
    // Its own name, or a new one in the folder the dialogs were last in.
    const QString strProposed =
        Document().Path().empty() ? DisplayName() + QStringLiteral(".tramino") : PathText(Document().Path());
    const QString strPath = m_window.Dialogs().GetSaveFileName(&m_window.Widget(), ProjectFilter(),
                                                               QStringLiteral("tramino"), strProposed);
    return !strPath.isEmpty() && SaveTo(strPath);
}

bool CProjectActions::SaveTo(const QString& strPath)
{
    // An import is still adding to the session; what it holds then is no show yet.
    if (m_window.IsImporting())
    {
        return false;
    }
    // Another program's change to the file is not lost unasked.
    if (Document().ChangedOnDisk(CorePath(strPath)) &&
        m_window.Dialogs().Ask(&m_window.Widget(), m_window.Widget().windowTitle(),
                               m_window.Texts().Text(EUiText::AskOverwriteChanged).arg(DisplayName()),
                               QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    {
        return false;
    }
    if (const CStatus status = Document().Save(CorePath(strPath)); !status)
    {
        ReportError(ReasonText(status, m_window.Texts()));
        return false;
    }
    m_window.Undo().Stack().setClean();
    UpdateTitle();
    m_window.AddRecentFile(strPath);
    return true;
}

void CProjectActions::UpdateTitle()
{
    const bool bModified = Document().IsModified();
    if (Document().Path().empty() && !bModified)
    {
        m_window.Widget().setWindowTitle(m_strProgramTitle);
        return;
    }
    m_window.Widget().setWindowTitle(DisplayName() + (bModified ? QStringLiteral("*") : QString()) +
                                     QStringLiteral(" - ") + m_strProgramTitle);
}

bool CProjectActions::ConfirmDiscard()
{
    if (!Document().IsModified())
    {
        return true;
    }
    switch (m_window.Dialogs().Ask(&m_window.Widget(), m_window.Widget().windowTitle(),
                                   m_window.Texts().Text(EUiText::AskSaveChanges).arg(DisplayName()),
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
    const CWindowTexts& texts = m_window.Texts();
    return QStringLiteral("%1 (*.tramino);;%2 (*)")
        .arg(texts.Text(EUiText::FilterProjects), texts.Text(EUiText::FilterAllFiles));
}

QString CProjectActions::DisplayName() const
{
    return Document().Path().empty() ? m_window.Texts().Text(EUiText::Untitled)
                                     : QFileInfo(PathText(Document().Path())).completeBaseName();
}

void CProjectActions::ReportError(const QString& strText, EMessageKind eKind) const
{
    m_window.Say(strText, eKind);
}

} // namespace tramino
