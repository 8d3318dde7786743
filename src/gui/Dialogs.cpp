#include "Dialogs.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace tramino
{

QString CaseInsensitivePattern(const QString& strPattern)
{
    QString strResult;
    for (const QChar ch : strPattern)
    {
        if (ch.isLetter() && ch.toLower() != ch.toUpper())
        {
            strResult += QLatin1Char('[') + ch.toLower() + ch.toUpper() + QLatin1Char(']');
        }
        else
        {
            strResult += ch;
        }
    }
    return strResult;
}

QStringList PictureSuffixes()
{
    return {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("gif"),
            QStringLiteral("png")};
}

QString PictureFileFilter(const QString& strPictures, const QString& strAllFiles)
{
    QStringList vecReadable;
    QStringList vecPatterns;
    for (const QString& strSuffix : PictureSuffixes())
    {
        vecReadable += QStringLiteral("*.") + strSuffix;
        vecPatterns += CaseInsensitivePattern(vecReadable.constLast());
    }
    // The dialog takes the last parenthesised list as the patterns and, with its details
    // hidden, shows the rest: the name with the readable list.
    return QStringLiteral("%1 (%2) (%3);;%4 (*)")
        .arg(strPictures, vecReadable.join(QLatin1Char(' ')), vecPatterns.join(QLatin1Char(' ')),
             strAllFiles);
}

void KeepTitleWhole(QMessageBox& box)
{
    // The window manager draws the title in a font of its own, often bold and larger, beside an
    // icon and up to three buttons about as wide as the bar is high.
    QFont font = box.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int nWidth = metrics.horizontalAdvance(box.windowTitle()) * 5 / 4 + 5 * (metrics.height() + 8);
    if (auto* pGrid = qobject_cast<QGridLayout*>(box.layout()))
    {
        pGrid->addItem(new QSpacerItem(nWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                       pGrid->rowCount(), 0, 1, pGrid->columnCount());
    }
}

QStringList CQtDialogs::GetOpenFileNames(QWidget* pParent, const QString& strFilter, const QString& strFolder)
{
    // Qt's own dialog, so that the bracket patterns behave the same on every desktop.
    return QFileDialog::getOpenFileNames(pParent, QString(), strFolder, strFilter, nullptr,
                                         QFileDialog::DontUseNativeDialog |
                                             QFileDialog::HideNameFilterDetails);
}

QString CQtDialogs::GetOpenFileName(QWidget* pParent, const QString& strFilter, const QString& strFolder)
{
    return QFileDialog::getOpenFileName(pParent, QString(), strFolder, strFilter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString CQtDialogs::GetSaveFileName(QWidget* pParent, const QString& strFilter,
                                    const QString& strDefaultSuffix, const QString& strProposed)
{
    QFileDialog dialog(pParent, QString(), strProposed, strFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(strDefaultSuffix);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

void CQtDialogs::ShowMessage(QWidget* pParent, const QString& strTitle, const QString& strText,
                             EMessageKind eKind)
{
    const QMessageBox::Icon eIcon = eKind == EMessageKind::Information ? QMessageBox::Information
                                    : eKind == EMessageKind::Warning   ? QMessageBox::Warning
                                                                       : QMessageBox::Critical;
    QMessageBox box(eIcon, strTitle, strText, QMessageBox::Ok, pParent);
    KeepTitleWhole(box);
    box.exec();
}

QMessageBox::StandardButton CQtDialogs::Ask(QWidget* pParent, const QString& strTitle, const QString& strText,
                                            QMessageBox::StandardButtons buttons)
{
    // Qt makes the accepting button the default and Escape press the rejecting one.
    QMessageBox box(QMessageBox::Question, strTitle, strText, buttons, pParent);
    KeepTitleWhole(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace tramino
