#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QSettings;

namespace tramino
{

// What the window keeps between runs: the projects and shows last opened or saved, and the
// folder its file dialogs were last in. Kept where the system keeps a user's settings
// (~/.config/Tramino/Tramino.conf, the registry on Windows), or in the ini file that
// TRAMINO_SETTINGS names, so that tests and scripted runs leave the user's own alone. Nothing
// else of the window reads or writes them.
class CWindowSettings
{
public:
    static constexpr int g_nMaxRecentFiles = 10;

    CWindowSettings();
    ~CWindowSettings();
    CWindowSettings(const CWindowSettings&) = delete;
    CWindowSettings& operator=(const CWindowSettings&) = delete;

    // Newest first, at most g_nMaxRecentFiles, each once.
    QStringList RecentFiles() const;
    // strPath heads the list, taken from further down if it was there.
    void AddRecentFile(const QString& strPath);
    void ClearRecentFiles();

    // Empty before any file dialog has been answered.
    QString LastFolder() const;
    void SetLastFolder(const QString& strFolder);

    // Called with the settings file the first time a change cannot be written to it (a file in
    // a folder that cannot be written, a full disk): said once, not at every dialog.
    void OnWriteFailed(std::function<void(const QString& strFile)> fnFailed)
    {
        m_fnWriteFailed = std::move(fnFailed);
    }

private:
    void Write();

    std::unique_ptr<QSettings> m_pSettings;
    std::function<void(const QString& strFile)> m_fnWriteFailed;
    bool m_bWriteFailed = false;
};

} // namespace tramino
