#include "MainApp.h"

#include "MainDlg.h"
#include "QuitSignals.h"

#include "common/Version.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QTimer>

namespace tramino
{
namespace
{

// Pictures to load at start-up, for scripted runs such as screenshots: the paths in
// TRAMINO_LOAD, separated like PATH entries.
QStringList StartupPictures()
{
    const QString strList = qEnvironmentVariable("TRAMINO_LOAD");
    return strList.isEmpty() ? QStringList() : strList.split(QDir::listSeparator(), Qt::SkipEmptyParts);
}

// Scripted runs (screenshots of a show under way): TRAMINO_AUTORUN=preview or transform presses
// that button once the start-up pictures are listed; "preview:Circle" first chooses the mode
// entry of that text; "about" opens the About box.
void AutoRun(CMainDlg& dlg)
{
    const QString strAutoRun = qEnvironmentVariable("TRAMINO_AUTORUN");
    const QString strCommand = strAutoRun.section(QLatin1Char(':'), 0, 0);
    const QString strMode = strAutoRun.section(QLatin1Char(':'), 1);
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
}

} // namespace

CMainApp::CMainApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tramino"));
    setApplicationVersion(QStringLiteral(TRAMINO_VERSION));
}

bool CMainApp::InitInstance()
{
    CMainDlg dlg;
    const CQuitSignals quitSignals(
        [&dlg]
        {
            // A save dialog or message box of a run goes first; the run then ends in order, and
            // nobody is there to answer a question about unsaved changes.
            if (auto* pModal = qobject_cast<QDialog*>(activeModalWidget());
                pModal != nullptr && pModal != &dlg)
                pModal->reject();
            dlg.Quit();
        });
    const QStringList vecPictures = StartupPictures();
    QTimer::singleShot(0, &dlg,
                       [&dlg, vecPictures]
                       {
                           dlg.LoadPictures(vecPictures);
                           AutoRun(dlg);
                       });
    dlg.exec();
    return false;
}

} // namespace tramino
