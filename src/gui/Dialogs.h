#pragma once

#include "workers/MessageKind.h"

#include <QMessageBox>
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
    // the user cancels. The dialog opens in strFolder, or where Qt's dialogs were last when it
    // is empty.
    virtual QStringList GetOpenFileNames(QWidget* pParent, const QString& strFilter,
                                         const QString& strFolder) = 0;
    // The full path of one chosen existing file; empty when the user cancels.
    virtual QString GetOpenFileName(QWidget* pParent, const QString& strFilter, const QString& strFolder) = 0;
    // The chosen file name, with strDefaultSuffix appended when the user typed none; an existing
    // file is confirmed before it is returned; empty when the user cancels. The dialog opens in
    // the folder strProposed names, with its file name proposed if it has one, or where Qt's
    // dialogs were last when it is empty.
    virtual QString GetSaveFileName(QWidget* pParent, const QString& strFilter,
                                    const QString& strDefaultSuffix, const QString& strProposed) = 0;
    // A message with an OK button; returns when the user closed it.
    virtual void ShowMessage(QWidget* pParent, const QString& strTitle, const QString& strText,
                             EMessageKind eKind) = 0;
    // A question with these buttons; the one pressed (Escape and the close box press Cancel or No).
    virtual QMessageBox::StandardButton Ask(QWidget* pParent, const QString& strTitle, const QString& strText,
                                            QMessageBox::StandardButtons buttons) = 0;
};

// The real dialogs of Qt.
class CQtDialogs : public IDialogs
{
public:
    QStringList GetOpenFileNames(QWidget* pParent, const QString& strFilter,
                                 const QString& strFolder) override;
    QString GetOpenFileName(QWidget* pParent, const QString& strFilter, const QString& strFolder) override;
    QString GetSaveFileName(QWidget* pParent, const QString& strFilter, const QString& strDefaultSuffix,
                            const QString& strProposed) override;
    void ShowMessage(QWidget* pParent, const QString& strTitle, const QString& strText,
                     EMessageKind eKind) override;
    QMessageBox::StandardButton Ask(QWidget* pParent, const QString& strTitle, const QString& strText,
                                    QMessageBox::StandardButtons buttons) override;
};

// Widens the box so that the frame around it has room for its whole title: a short text such as
// "Transform completed" would leave the title cut (or only "..." of a Chinese one).
void KeepTitleWhole(QMessageBox& box);

// The filters of the Load Image dialog: the pictures under a readable name, then every file.
// The name lists the extensions in lower case; the patterns behind it spell every letter in
// both cases, because cameras write ".JPG" and some dialogs match patterns case-sensitively.
QString PictureFileFilter(const QString& strPictures, const QString& strAllFiles);

// The endings of the picture files Load Image offers, in lower case: "bmp", "jpg" ...
QStringList PictureSuffixes();

// Each letter of a pattern as a class of both cases: "*.jpg" gives "*.[jJ][pP][gG]".
QString CaseInsensitivePattern(const QString& strPattern);

} // namespace tramino
