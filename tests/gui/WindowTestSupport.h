#pragma once

#include "Dialogs.h"
#include "Globals.h"
#include "MainDlg.h"

#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace tramino
{

// Answers the window's file dialogs as told and keeps what its message boxes said.
class CFakeDialogs : public IDialogs
{
public:
    std::deque<QStringList> m_queOpenAnswers; // none left: the user cancels
    QString m_strOpenFilter;
    QStringList m_vecOpenFolders; // the folder each open dialog opened in
    QStringList m_vecMessages;
    std::vector<EMessageKind> m_vecMessageKinds;
    QString m_strSaveAnswer;        // empty: the user cancels
    QStringList m_vecSaveQuestions; // filter and default suffix of each save dialog shown
    QStringList m_vecSaveFolders;   // the folder (or the file in it) each save dialog proposed
    QStringList m_vecQuestions;
    // None left: the user discards what is unsaved, or says no.
    std::deque<QMessageBox::StandardButton> m_queAskAnswers;
    // Called while the save dialog or a message is open, to look at the window then.
    std::function<void()> m_fnWhileAsking;
    std::function<void()> m_fnWhileShowing;

    QStringList GetOpenFileNames(QWidget*, const QString& strFilter, const QString& strFolder) override
    {
        m_strOpenFilter = strFilter;
        m_vecOpenFolders += strFolder;
        if (m_queOpenAnswers.empty())
        {
            return {};
        }
        QStringList vecAnswer = m_queOpenAnswers.front();
        m_queOpenAnswers.pop_front();
        return vecAnswer;
    }

    QString GetOpenFileName(QWidget* pParent, const QString& strFilter, const QString& strFolder) override
    {
        const QStringList vecAnswer = GetOpenFileNames(pParent, strFilter, strFolder);
        return vecAnswer.isEmpty() ? QString() : vecAnswer.constFirst();
    }

    QMessageBox::StandardButton Ask(QWidget*, const QString&, const QString& strText,
                                    QMessageBox::StandardButtons buttons) override
    {
        m_vecQuestions += strText;
        if (m_queAskAnswers.empty())
        {
            return buttons.testFlag(QMessageBox::Discard) ? QMessageBox::Discard : QMessageBox::No;
        }
        const QMessageBox::StandardButton eAnswer = m_queAskAnswers.front();
        m_queAskAnswers.pop_front();
        return eAnswer;
    }

    QString GetSaveFileName(QWidget*, const QString& strFilter, const QString& strSuffix,
                            const QString& strFolder) override
    {
        m_vecSaveQuestions += strFilter + QLatin1Char('|') + strSuffix;
        m_vecSaveFolders += strFolder;
        if (m_fnWhileAsking)
        {
            m_fnWhileAsking();
        }
        return m_strSaveAnswer;
    }

    void ShowMessage(QWidget*, const QString&, const QString& strText, EMessageKind eKind) override
    {
        m_vecMessages += strText;
        m_vecMessageKinds.push_back(eKind);
        if (m_fnWhileShowing)
        {
            m_fnWhileShowing();
        }
    }
};

// The real window, run in a folder of the test's own (its data files are read from the
// current folder, its settings from a file there), with its dialogs faked.
class CWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_strOldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        m_strOldSettings = qgetenv("TRAMINO_SETTINGS");
        qputenv("TRAMINO_SETTINGS", m_dir.filePath(QStringLiteral("settings.ini")).toUtf8());
    }

    void TearDown() override
    {
        m_pDlg.reset();
        QDir::setCurrent(m_strOldDir);
        qputenv("TRAMINO_SETTINGS", m_strOldSettings);
    }

    // A new window on fresh dialogs, not shown yet.
    void Create()
    {
        m_pDlg.reset();
        m_pDialogs = std::make_shared<CFakeDialogs>();
        m_pDlg = std::make_unique<CMainDlg>(m_pDialogs);
    }

    // A picture of the panel's size in one colour, so that it can be told from any pixel.
    QString MakePicture(const QString& strName, QColor cr)
    {
        QImage image(m_pDlg->Panel().m_nWidth, m_pDlg->Panel().m_nHeight, QImage::Format_RGB888);
        image.fill(cr);
        const QString strPath = m_dir.filePath(strName);
        EXPECT_TRUE(image.save(strPath, "BMP"));
        return strPath;
    }

    void Load(const QStringList& vecPaths)
    {
        m_pDialogs->m_queOpenAnswers.push_back(vecPaths);
        m_pDlg->LoadImageButton()->click();
    }

    QTableView* List() const { return m_pDlg->ListCtrl(); }

    QStringList ListTexts() const
    {
        QStringList vecTexts;
        for (int i = 0; i < List()->model()->rowCount(); ++i)
        {
            vecTexts += List()->model()->index(i, 0).data().toString();
        }
        return vecTexts;
    }

    void Select(const QList<int>& vecRows)
    {
        List()->clearSelection();
        for (int nRow : vecRows)
        {
            List()->selectionModel()->select(List()->model()->index(nRow, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    QTemporaryDir m_dir;
    QString m_strOldDir;
    QByteArray m_strOldSettings;
    std::shared_ptr<CFakeDialogs> m_pDialogs;
    std::unique_ptr<CMainDlg> m_pDlg;
};

} // namespace tramino
