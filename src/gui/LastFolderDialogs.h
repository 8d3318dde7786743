#pragma once

#include "Dialogs.h"

#include <memory>

namespace tramino
{

class CWindowSettings;

// The window's dialogs, with its file dialogs starting in the folder where the user last chose
// a file, in this run or an earlier one: where a caller names no folder, and for a bare file
// name proposed to a save dialog. Every file chosen makes its folder the last one.
class CLastFolderDialogs : public IDialogs
{
public:
    CLastFolderDialogs(std::shared_ptr<IDialogs> pDialogs, CWindowSettings& settings)
        : m_pDialogs(std::move(pDialogs)), m_settings(settings)
    {
    }

    void ShowMessage(QWidget* pParent, const QString& strTitle, const QString& strText,
                     EMessageKind eKind) override
    {
        m_pDialogs->ShowMessage(pParent, strTitle, strText, eKind);
    }
    QMessageBox::StandardButton Ask(QWidget* pParent, const QString& strTitle, const QString& strText,
                                    QMessageBox::StandardButtons buttons) override
    {
        return m_pDialogs->Ask(pParent, strTitle, strText, buttons);
    }
    QStringList GetOpenFileNames(QWidget* pParent, const QString& strFilter,
                                 const QString& strFolder) override;
    QString GetOpenFileName(QWidget* pParent, const QString& strFilter, const QString& strFolder) override;
    QString GetSaveFileName(QWidget* pParent, const QString& strFilter, const QString& strDefaultSuffix,
                            const QString& strProposed) override;

private:
    QString StartIn(const QString& strProposed) const;
    void Remember(const QString& strChosen);

    std::shared_ptr<IDialogs> m_pDialogs;
    CWindowSettings& m_settings;
};

} // namespace tramino
