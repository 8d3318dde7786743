#include "RecentMenu.h"

#include "UiTexts.h"
#include "WindowSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>

namespace tramino
{
namespace
{

// Wide enough for most paths; a longer one keeps both ends, the file name whole.
constexpr int g_nEntryChars = 60;

QString EntryText(int nNumber, const QString& strPath, const QFontMetrics& metrics)
{
    const QString strNumber = QString::number(nNumber);
    // The last digit is the access key: 1 ... 9, and 0 for the tenth.
    const QString strKey = strNumber.left(strNumber.size() - 1) + QLatin1Char('&') + strNumber.right(1);
    const QString strShown = metrics.elidedText(QDir::toNativeSeparators(strPath), Qt::ElideMiddle,
                                                metrics.averageCharWidth() * g_nEntryChars);
    return strKey + QLatin1Char(' ') + QString(strShown).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void AddRecentMenu(QMenu& menu, CWindowSettings& settings, const CWindowTexts& texts, bool bEnabled,
                   const std::function<void(const QString& strPath)>& fnOpen)
{
    QMenu* pRecent = menu.addMenu(texts.Text(EUiText::MenuRecent));
    const QStringList vecFiles = settings.RecentFiles();
    pRecent->setEnabled(!vecFiles.isEmpty());
    for (int i = 0; i < vecFiles.size(); ++i)
    {
        const QString& strPath = vecFiles[i];
        QAction* pEntry = pRecent->addAction(EntryText(i + 1, strPath, pRecent->fontMetrics()),
                                             [fnOpen, strPath] { fnOpen(strPath); });
        pEntry->setEnabled(bEnabled && QFileInfo(strPath).isFile());
    }
    pRecent->addSeparator();
    pRecent->addAction(texts.Text(EUiText::RecentClear), [&settings] { settings.ClearRecentFiles(); });
}

} // namespace tramino
