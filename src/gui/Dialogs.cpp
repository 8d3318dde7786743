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

QString PictureFileFilter()
{
    const QString strDescription = QStringLiteral("*.bmp;*.jpg;*.gif");
    QStringList vecPatterns;
    for (const QString& strPattern : strDescription.split(QLatin1Char(';')))
    {
        vecPatterns += CaseInsensitivePattern(strPattern);
    }
    return strDescription + QStringLiteral(" (") + vecPatterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QStringList CQtDialogs::GetOpenFileNames(QWidget* pParent, const QString& strFilter)
{
    // Qt's own dialog, so that the bracket patterns behave the same on every desktop; the
    // patterns stay out of sight behind the description.
    return QFileDialog::getOpenFileNames(pParent, QString(), QString(), strFilter, nullptr,
                                         QFileDialog::DontUseNativeDialog |
                                             QFileDialog::HideNameFilterDetails);
}

QString CQtDialogs::GetSaveFileName(QWidget* pParent, const QString& strFilter,
                                    const QString& strDefaultSuffix)
{
    QFileDialog dialog(pParent, QString(), QString(), strFilter);
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

void CQtDialogs::ShowMessage(QWidget* pParent, const QString& strTitle, const QString& strText)
{
    QMessageBox::information(pParent, strTitle, strText, QMessageBox::Ok);
}

} // namespace tramino
