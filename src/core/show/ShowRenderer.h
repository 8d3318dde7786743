#pragma once

#include "common/Status.h"
#include "png/PngWriter.h"
#include "settings/PanelSize.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tramino
{

// Contact sheets hold this many pictures unless asked otherwise: sixteen rows of the tallest panel
// of the table still fit into a sheet of 4096 pixels.
inline constexpr int g_nDefaultPicturesPerSheet = 16;

// Shows what a show file puts on the panel: every picture as DIR/picture-001.png, ... and contact
// sheets of a bounded number of pictures each, DIR/sheet.png when one sheet holds them all and
// DIR/sheet-001.png, ... otherwise (see CContactSheet). A worker keeps one picture in memory.
//
// The file is read once to check it and count its pictures, so that a broken show writes nothing
// and every name is known, and once more to draw, each sheet by one of the workers. Every PNG goes through a
// temporary file renamed over its name, so a failure leaves no partial file. A name in the folder that is a
// symbolic link or anything else but a regular file is refused before anything is written.
class CShowRenderer
{
public:
    CShowRenderer(CPanelSize panel, int nPicturesPerSheet = g_nDefaultPicturesPerSheet,
                  int nZlibLevel = g_nPngZlibLevel);

    // Creates strDir when missing. Once *pbStop is set, the run ends with an error before the
    // next picture, leaving the PNGs finished so far and no unfinished one.
    CStatus Render(const std::string& strShow, const std::string& strDir,
                   const std::atomic<bool>* pbStop = nullptr);

    // After Render: what it wrote.
    size_t PictureCount() const { return m_nPictures; }
    size_t SheetCount() const { return m_nSheets; }
    std::string SheetName(size_t nIndex) const;
    static std::string PictureName(size_t nIndex, size_t nCount);

private:
    class CSheetPages;

    CStatus CheckTargets(const std::string& strDir) const;
    // An error once a stop was asked for.
    CStatus Stopped(const std::string& strShow) const;
    CStatus Draw(const std::string& strShow, const std::string& strDir);
    // The sheets nWorker, nWorker + nWorkers, ... and their pictures.
    CStatus DrawShare(const std::string& strShow, const std::string& strDir, size_t nWorker, size_t nWorkers,
                      const std::atomic<bool>& bFailed) const;
    // One sheet and its pictures, read from the file from the picture before its first.
    CStatus DrawSheet(const std::string& strShow, const std::filesystem::path& dir, size_t nSheet,
                      CSheetPages& pages, const std::atomic<bool>& bFailed) const;

    CPanelSize m_panel;
    int m_nPicturesPerSheet;
    CPngOptions m_png; // links are refused: nothing is written through one planted in the folder
    size_t m_nPictures = 0;
    size_t m_nSheets = 0;
    // Where the last picture of each sheet but the last starts in the file.
    std::vector<uint64_t> m_vecLeadIns;
    const std::atomic<bool>* m_pbStop = nullptr;
};

} // namespace tramino
