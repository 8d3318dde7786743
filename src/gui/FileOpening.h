#pragma once

#include "ShowPlayer.h"

#include "show/ShowFileReader.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace tramino
{

class CProjectActions;
class IShowWindow;

// Opening the files a user names: a project, a show file to play or to take pictures from, and
// pictures; from the menu, the recent files, a drop or the command line.
class CFileOpening
{
public:
    struct CHooks
    {
        std::function<void(const QStringList& vecPaths)> m_fnLoadPictures; // as Load Image adds them
        std::function<void(std::vector<CShowFrame> vecFrames)> m_fnPlay;   // in the preview
        std::function<void(const QString& strShow, const std::vector<CShowFilePicture>& vecPictures)>
            m_fnAddFromShow;
    };

    CFileOpening(IShowWindow& window, CProjectActions& project, CHooks hooks)
        : m_window(window), m_project(project), m_hooks(std::move(hooks))
    {
    }

    // Asks for a show file (Ctrl+Shift+R) and opens it.
    void OnOpenShow();
    // Opens a project or a show file as Open project or Open show does (dropped, recent).
    void OpenFile(const QString& strPath);
    // The files named at start: the first project opened, then the pictures listed in one
    // import, then each show opened; the files that are not opened are named in one message.
    void OpenFiles(const QStringList& vecPaths);
    // Checks the show file strictly for the panel; a valid one can be played in the preview or
    // added to the list ("show.qrv #3"), for a broken one the reader's finding is said.
    void OpenShow(const QString& strPath);

private:
    IShowWindow& m_window;
    CProjectActions& m_project;
    CHooks m_hooks;
};

} // namespace tramino
