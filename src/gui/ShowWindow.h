#pragma once

#include "Dialogs.h"
#include "UiTexts.h"

#include "common/Status.h"
#include "picture/Picture.h"
#include "pipeline/PictureSource.h"
#include "settings/PanelSize.h"

#include <QString>

#include <functional>

class QWidget;

namespace tramino
{

class CDocumentUndo;
class CInsertRowsCommand;
class CShowDocument;
struct CShowRow;

// A conversion the window runs for a command: the sources converted for the panel on the
// import's workers, with the progress of a long load and its Cancel.
struct CConversionRun
{
    PictureSources m_vecSources;
    CPanelSize m_panel;
    QString m_strProgress;
    // Above the reasons the results were not taken, in one message; with m_bStopAtFailure the
    // first such reason ends the conversion and this text follows it.
    QString m_strFailed;
    bool m_bStopAtFailure = false;
};

// What the window's helpers (the project commands, the panel choice, the picture options) see
// of it: the document and its history, the dialogs and texts, and the conversions.
class IShowWindow
{
public:
    // Takes result nFile and says why it was not taken, if it was not.
    using FnTakeConverted = std::function<CStatus(int nFile, const CResult<CPicture>& result)>;

    virtual ~IShowWindow() = default;

    virtual QWidget& Widget() = 0;
    virtual IDialogs& Dialogs() = 0;
    virtual const CWindowTexts& Texts() const = 0;
    virtual CShowDocument& Document() = 0;
    virtual CDocumentUndo& Undo() = 0;
    // An import or a worker owns the list and the store: the list commands leave them alone.
    virtual bool IsListBusy() const = 0;
    virtual bool IsImporting() const = 0;
    virtual bool IsFastImport() const = 0;
    // The zoom of the panel view, or the one it opens at.
    virtual int PanelViewZoom() const = 0;
    // Runs the conversion, the document busy meanwhile; fnTake gets each result in order. Returns
    // when it has ended: true when every result was taken, false when it was cancelled, stopped
    // at a failure or the window is to close. The caller has checked IsListBusy.
    virtual bool RunConversion(CConversionRun run, const FnTakeConverted& fnTake) = 0;
    // Lists a converted picture as the command's next row, selected and shown.
    virtual CStatus ListConverted(CInsertRowsCommand& command, CShowRow row, const CPicture& picture) = 0;
    virtual void Say(const QString& strText, EMessageKind eKind = EMessageKind::Error) = 0;
    // A project or show file was opened or saved: it heads the recent files.
    virtual void AddRecentFile(const QString& strPath) = 0;
};

} // namespace tramino
