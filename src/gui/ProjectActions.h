#pragma once

#include "Dialogs.h"

#include "document/DocumentObserver.h"
#include "settings/PanelSize.h"

#include <QObject>
#include <QString>

#include <optional>

class QAction;
class QMenu;

namespace tramino
{

class CShowDocument;
struct CProject;
class IShowWindow;

// The window's project commands: Open project (Ctrl+Shift+O; Ctrl+O stays free for Load Image),
// Save project (Ctrl+S) and Save project as (Ctrl+Shift+S); the title with the project's name
// and a "*" while it has unsaved changes, following the document; and the question before they
// would be lost. Opening a project is one step of the history: undone, the list before is back.
class CProjectActions : public QObject, private IDocumentObserver
{
    Q_OBJECT

public:
    explicit CProjectActions(IShowWindow& window);
    ~CProjectActions() override;
    // The three commands, for the window's menu.
    void AddToMenu(QMenu& menu) const;

    void OnOpenProject();
    // Opens strFile as the Open command does (asking first about unsaved changes), e.g. dropped.
    void OpenProject(const QString& strFile);
    // Both true when the project is in its file afterwards.
    bool OnSaveProject();
    bool OnSaveProjectAs();

    // The title after a change of the session.
    void UpdateTitle();
    // Before the list goes (close, open): true when no unsaved change is lost, because there is
    // none, or the user saved it or chose to discard it; false when the user cancelled.
    bool ConfirmDiscard();

private:
    QAction* AddAction(const QString& strText, const QKeySequence& keys);
    // Reads strFile and lists its pictures; the list may go.
    void Open(const QString& strFile);
    // Opens strFile and puts it among the recent files when it opened.
    void OpenRemembered(const QString& strFile);
    // The panel to open the project at: its own when the window has it, or the user chose to
    // switch to it; the window's when the user chose to convert; none when cancelled.
    std::optional<CPanelSize> PanelToOpenAt(const CProject& project, const QString& strFile) const;
    bool SaveTo(const QString& strPath);
    QString ProjectFilter() const;
    // The project's name, or "Untitled" before it has a file.
    QString DisplayName() const;
    void ReportError(const QString& strText, EMessageKind eKind = EMessageKind::Error) const;

    void OnChanged(const CDocumentChange& change) override;
    CShowDocument& Document() const;

    IShowWindow& m_window;
    const QString m_strProgramTitle; // the window's title without a project
    QAction* m_pOpen = nullptr;
    QAction* m_pSave = nullptr;
    QAction* m_pSaveAs = nullptr;
};

} // namespace tramino
