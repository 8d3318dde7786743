#pragma once

#include "show/ShowFileReader.h"

#include <QStringList>

#include <vector>

namespace tramino
{

class IShowWindow;

// The ways pictures enter the list, each one step of the history: files converted for the panel
// (Load Image, a drop) and the pictures of a show file of the panel, taken as they are.
class CPictureImport
{
public:
    explicit CPictureImport(IShowWindow& window) : m_window(window) {}

    // Converts the files and lists them in their order from list position nInsertAt on (from the
    // end when it is -1 or beyond), each selected as it comes; reports every file that could not
    // be loaded in one message. Returns when the import has ended (done or cancelled).
    void Load(const QStringList& vecPaths, int nInsertAt);
    // Appends the show's pictures as "show.qrv #1", "show.qrv #2" ...
    void AddFromShow(const QString& strPath, const std::vector<CShowFilePicture>& vecPictures);
    // Replaces the row of every frame of a GIF at list position nRow by a row for each frame, in
    // one step; cancelled or failed, the row stays as it was.
    void SplitFrames(int nRow);

private:
    IShowWindow& m_window;
};

} // namespace tramino
