#include "MainApp.h"

#include "FileArguments.h"
#include "FileOpening.h"
#include "MainDlg.h"
#include "PanelSwitch.h"
#include "ProjectActions.h"
#include "QuitSignals.h"

#include "common/Version.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace tramino
{
namespace
{

// Pictures to load at start-up, for scripted runs such as screenshots: the paths in
// TRAMINO_LOAD, separated like PATH entries, or one project to open.
QStringList StartupPictures()
{
    const QString strList = qEnvironmentVariable("TRAMINO_LOAD");
    return strList.isEmpty() ? QStringList() : strList.split(QDir::listSeparator(), Qt::SkipEmptyParts);
}

// The files the command line names, in its order; --help and --version are answered here, and
// end the program before any window shows.
QStringList CommandLineFiles(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The authoring window of Tramino: makes picture shows for small colour panels.\n"
        "Each FILE is opened by its kind: a project (.tramino) as Open project opens it, a show\n"
        "file (.qrv) as Open show opens it, and the pictures (BMP, JPEG, GIF, PNG) are added to\n"
        "the list in their order. Files that cannot be opened are named in one message."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A project, a show file or a picture."),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);
    return parser.positionalArguments();
}

// A transform into strPath, with bStop stopped during its first picture: the save dialog is
// answered with the path, and the button pressed again once the writing has begun.
void TransformInto(CMainDlg& dlg, const QString& strPath, bool bStop)
{
    auto* pTimer = new QTimer(&dlg);
    QObject::connect(pTimer, &QTimer::timeout, &dlg,
                     [&dlg, pTimer, strPath, bStop, bAnswered = false]() mutable
                     {
                         auto* pSave = dlg.findChild<QFileDialog*>();
                         if (pSave != nullptr && pSave->isVisible())
                         {
                             // Typed as a user would, so that the dialog checks the name as it does then.
                             pSave->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(strPath);
                             static_cast<QDialog*>(pSave)->accept();
                             bAnswered = true;
                         }
                         else if (bAnswered && (!bStop || dlg.WorkerShared().m_bBusy.load()))
                         {
                             if (bStop)
                             {
                                 dlg.TransformButton()->click();
                             }
                             pTimer->deleteLater();
                         }
                     });
    pTimer->start(200);
    dlg.OnTransform();
}

// The dialogs of a scripted Transform that writes a show and quits (TRAMINO_AUTORUN=transform-quit):
// the save dialog is answered with the path at once and the messages go to standard error, so
// that nothing waits for a person, nor for a file dialog's look at every drive (slow under wine).
// The run failed when an error was said or the Transform never asked for its file.
class CScriptedSaveDialogs : public CQtDialogs
{
public:
    explicit CScriptedSaveDialogs(QString strPath) : m_strPath(std::move(strPath)) {}

    QString GetSaveFileName(QWidget* /*pParent*/, const QString& /*strFilter*/,
                            const QString& /*strDefaultSuffix*/, const QString& /*strProposed*/) override
    {
        m_bAsked = true;
        return m_strPath;
    }
    void ShowMessage(QWidget* /*pParent*/, const QString& strTitle, const QString& strText,
                     EMessageKind eKind) override
    {
        m_bError = m_bError || eKind == EMessageKind::Error;
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(strTitle), qUtf8Printable(strText));
    }
    bool Failed() const { return m_bError || !m_bAsked; }

private:
    QString m_strPath;
    bool m_bAsked = false;
    bool m_bError = false;
};

// Where a scripted Transform writes: TRAMINO_SAVE_AS, from the current folder.
QString ScriptedSaveAs()
{
    return QFileInfo(qEnvironmentVariable("TRAMINO_SAVE_AS")).absoluteFilePath();
}

bool IsScriptedSave()
{
    return qEnvironmentVariable("TRAMINO_AUTORUN") == QLatin1String("transform-quit");
}

// Quits once the run that was started has ended.
void QuitAfterRun(CMainDlg& dlg)
{
    auto* pTimer = new QTimer(&dlg);
    QObject::connect(pTimer, &QTimer::timeout, &dlg,
                     [&dlg]
                     {
                         if (!dlg.IsWorkerRunning())
                             dlg.Quit();
                     });
    pTimer->start(200);
}

// Opens the window's menu over the list with its submenu strSubmenu showing.
void ShowMenu(CMainDlg& dlg, const QString& strSubmenu)
{
    auto* pTimer = new QTimer(&dlg);
    QObject::connect(pTimer, &QTimer::timeout, &dlg,
                     [pTimer, strSubmenu]
                     {
                         auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                         for (QAction* pAction : pMenu != nullptr ? pMenu->actions() : QList<QAction*>())
                         {
                             if (pAction->menu() != nullptr && pAction->text() == strSubmenu)
                             {
                                 pMenu->setActiveAction(pAction);
                                 pAction->menu()->popup(pMenu->actionGeometry(pAction).topRight() +
                                                        pMenu->pos());
                                 pTimer->deleteLater();
                             }
                         }
                     });
    pTimer->start(200);
    const QPoint pt(dlg.width() / 30, dlg.height() / 6);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, pt, dlg.mapToGlobal(pt));
    QApplication::sendEvent(&dlg, &event);
}

// Switches to the panel of nCode, saying Yes to the question as the user would; with bMenu then
// opens the window's menu over the list with its panel sizes showing.
void ChoosePanel(CMainDlg& dlg, int nCode, bool bMenu)
{
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &dlg,
                     []
                     {
                         if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                         {
                             pBox->button(QMessageBox::Yes)->click();
                         }
                     });
    timer.start(200);
    dlg.PanelSwitch().Choose(PanelSizeFromCode(nCode));
    timer.stop();
    if (bMenu)
    {
        ShowMenu(dlg, dlg.Texts().Text(EUiText::MenuPanelSize));
    }
}

// Selects the last nRows rows of the list, as a shift-click would.
void SelectLast(CMainDlg& dlg, int nRows)
{
    const QAbstractItemModel& model = *dlg.ListCtrl()->model();
    const int nCount = model.rowCount();
    if (nCount > 0)
    {
        dlg.ListCtrl()->selectionModel()->select(
            QItemSelection(model.index(std::max(0, nCount - nRows), 0), model.index(nCount - 1, 0)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

// Scripted runs (screenshots of a show under way): TRAMINO_AUTORUN=preview or transform presses
// that button once the start-up pictures are listed; "preview:Circle" first chooses the mode
// entry of that text; "about" opens the About box, "panelview" the panel view, "options" the
// picture options of the selected (last listed) picture;
// "transform-stop" writes into TRAMINO_SAVE_AS and stops after the first picture, "transform-done"
// writes all of it at full speed, "transform-quit" does so without a dialog and quits; "panel:3"
// switches to the panel of code 3, "panel-menu:3" also shows the panel sizes of the menu;
// "edit-menu" deletes the last picture ("edit-menu:3" the last three) and shows the Edit menu that
// would take it back; "play-show:PATH" opens that show file and plays it; "recent-menu" shows
// the recent files of the menu; "shot:PATH" writes a picture of the
// window to PATH (PNG) a second later and quits.
void AutoRun(CMainDlg& dlg)
{
    const QString strAutoRun = qEnvironmentVariable("TRAMINO_AUTORUN");
    const QString strCommand = strAutoRun.section(QLatin1Char(':'), 0, 0);
    const QString strMode = strAutoRun.section(QLatin1Char(':'), 1, -1); // a path may hold one too
    if (const int nMode = dlg.ModeCombo()->findText(strMode); !strMode.isEmpty() && nMode >= 0)
    {
        dlg.ModeCombo()->setCurrentIndex(nMode);
    }
    if (strCommand == QLatin1String("preview"))
    {
        dlg.OnPreview();
    }
    else if (strCommand == QLatin1String("transform"))
    {
        dlg.OnTransform();
    }
    else if (strCommand == QLatin1String("about"))
    {
        dlg.OnAbout();
    }
    else if (strCommand == QLatin1String("panelview"))
    {
        dlg.OnPanelView();
    }
    else if (strCommand == QLatin1String("options"))
    {
        dlg.OnPictureOptions();
    }
    else if (strCommand == QLatin1String("panel") || strCommand == QLatin1String("panel-menu"))
    {
        ChoosePanel(dlg, strMode.toInt(), strCommand == QLatin1String("panel-menu"));
    }
    else if (strCommand == QLatin1String("edit-menu"))
    {
        SelectLast(dlg, std::max(1, strMode.toInt()));
        dlg.OnDelete();
        ShowMenu(dlg, dlg.Texts().Text(EUiText::MenuEdit));
    }
    else if (strCommand == QLatin1String("play-show"))
    {
        // The question the window asks is answered as a user would.
        QTimer::singleShot(500, &dlg,
                           []
                           {
                               QWidget* pBox = QApplication::activeModalWidget();
                               if (auto* pPlay = pBox != nullptr
                                                     ? pBox->findChild<QPushButton*>(QStringLiteral("play"))
                                                     : nullptr)
                                   pPlay->click();
                           });
        dlg.Files().OpenShow(strMode);
    }
    else if (strCommand == QLatin1String("recent-menu"))
    {
        ShowMenu(dlg, dlg.Texts().Text(EUiText::MenuRecent));
    }
    else if (strCommand == QLatin1String("shot"))
    {
        QTimer::singleShot(1000, &dlg,
                           [&dlg, strMode]
                           {
                               dlg.grab().save(strMode, "PNG");
                               dlg.Quit();
                           });
    }
    else if (strCommand == QLatin1String("transform-stop") || strCommand == QLatin1String("transform-done"))
    {
        const bool bStop = strCommand == QLatin1String("transform-stop");
        dlg.FullSpeedCheck()->setChecked(!bStop);
        TransformInto(dlg, ScriptedSaveAs(), bStop);
    }
    else if (strCommand == QLatin1String("transform-quit"))
    {
        dlg.FullSpeedCheck()->setChecked(true);
        dlg.OnTransform();
        QuitAfterRun(dlg);
    }
}

} // namespace

CMainApp::CMainApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tramino"));
    setApplicationVersion(QStringLiteral(TRAMINO_VERSION));
}

bool CMainApp::InitInstance()
{
    const QStringList vecFiles = CommandLineFiles(*this);
    const auto pScripted =
        IsScriptedSave() ? std::make_shared<CScriptedSaveDialogs>(ScriptedSaveAs()) : nullptr;
    CMainDlg dlg(pScripted);
    const CQuitSignals quitSignals(
        [&dlg]
        {
            // An open menu, a save dialog or message box of a run go first; the run then ends in
            // order, and nobody is there to answer a question about unsaved changes.
            for (int nMenus = 0; activePopupWidget() != nullptr && nMenus < 8; ++nMenus)
                activePopupWidget()->close();
            if (auto* pModal = qobject_cast<QDialog*>(activeModalWidget());
                pModal != nullptr && pModal != &dlg)
                pModal->reject();
            dlg.Quit();
        });
    const QStringList vecPictures = StartupPictures();
    QTimer::singleShot(0, &dlg,
                       [&dlg, vecPictures, vecFiles]
                       {
                           // A project among them opens as a dropped one does.
                           if (vecPictures.size() == 1 &&
                               FileUseOf(vecPictures.constFirst()) == EFileUse::Project)
                           {
                               dlg.Files().OpenFile(vecPictures.constFirst());
                           }
                           else
                           {
                               dlg.LoadPictures(vecPictures);
                           }
                           dlg.Files().OpenFiles(vecFiles);
                           AutoRun(dlg);
                       });
    dlg.exec();
    m_nExitCode = pScripted && pScripted->Failed() ? 1 : 0;
    return false;
}

} // namespace tramino
