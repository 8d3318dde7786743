#include "Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

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

QString PictureFileFilter(const QString& strPictures, const QString& strAllFiles)
{
    const QStringList vecReadable = {QStringLiteral("*.bmp"), QStringLiteral("*.jpg"),
                                     QStringLiteral("*.jpeg"), QStringLiteral("*.gif"),
                                     QStringLiteral("*.png")};
    QStringList vecPatterns;
    for (const QString& strPattern : vecReadable)
    {
        vecPatterns += CaseInsensitivePattern(strPattern);
    }
    // The dialog takes the last parenthesised list as the patterns and, with its details
    // hidden, shows the rest: the name with the readable list.
    return QStringLiteral("%1 (%2) (%3);;%4 (*)")
        .arg(strPictures, vecReadable.join(QLatin1Char(' ')), vecPatterns.join(QLatin1Char(' ')),
             strAllFiles);
}

QStringList CQtDialogs::GetOpenFileNames(QWidget* pParent, const QString& strFilter)
{
    // Qt's own dialog, so that the bracket patterns behave the same on every desktop.
    return QFileDialog::getOpenFileNames(pParent, QString(), QString(), strFilter, nullptr,
                                         QFileDialog::DontUseNativeDialog |
                                             QFileDialog::HideNameFilterDetails);
}

QString CQtDialogs::GetOpenFileName(QWidget* pParent, const QString& strFilter)
{
    return QFileDialog::getOpenFileName(pParent, QString(), QString(), strFilter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString CQtDialogs::GetSaveFileName(QWidget* pParent, const QString& strFilter,
                                    const QString& strDefaultSuffix, const QString& strFolder)
{
    QFileDialog dialog(pParent, QString(), strFolder, strFilter);
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
    box.exec();
}

QMessageBox::StandardButton CQtDialogs::Ask(QWidget* pParent, const QString& strTitle, const QString& strText,
                                            QMessageBox::StandardButtons buttons)
{
    // Qt makes the accepting button the default and Escape press the rejecting one.
    QMessageBox box(QMessageBox::Question, strTitle, strText, buttons, pParent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace tramino
