#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tramino
{

// The file dialogs and message boxes the window asks the user with. They sit behind this
// interface so that tests answer them instead of a person.
class IDialogs
{
public:
    virtual ~IDialogs() = default;

    // Full paths of the chosen existing files, in the order the dialog gives them; empty when
    // the user cancels.
    virtual QStringList GetOpenFileNames(QWidget* pParent, const QString& strFilter) = 0;
    // The chosen file name, with strDefaultSuffix appended when the user typed none; an existing
    // file is confirmed before it is returned; empty when the user cancels.
    virtual QString GetSaveFileName(QWidget* pParent, const QString& strFilter,
                                    const QString& strDefaultSuffix) = 0;
    // A message with an OK button; returns when the user closed it.
    virtual void ShowMessage(QWidget* pParent, const QString& strTitle, const QString& strText) = 0;
};

// The real dialogs of Qt.
class CQtDialogs : public IDialogs
{
public:
    QStringList GetOpenFileNames(QWidget* pParent, const QString& strFilter) override;
    QString GetSaveFileName(QWidget* pParent, const QString& strFilter,
                            const QString& strDefaultSuffix) override;
    void ShowMessage(QWidget* pParent, const QString& strTitle, const QString& strText) override;
};

// The filter of the Load Image dialog. Its description is "*.bmp;*.jpg;*.gif"; its patterns
// spell every letter in both cases, because cameras write ".JPG" and some dialogs match
// patterns case-sensitively.
QString PictureFileFilter();

// Each letter of a pattern as a class of both cases: "*.jpg" gives "*.[jJ][pP][gG]".
QString CaseInsensitivePattern(const QString& strPattern);

} // namespace tramino
