#pragma once

#include "pipeline/PictureSource.h"
#include "settings/PanelSize.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tramino
{

struct CShowPlanPicture;

// A show file read strictly once, shared by the sources of its pictures: the panel it was written
// for and where each of its pictures starts, so that a show of n pictures is read about twice
// however many of them a list takes. Safe to use from several threads.
class CShowFileIndex
{
public:
    explicit CShowFileIndex(std::string strPath) : m_strPath(std::move(strPath)) {}

    // The first call reads the whole file strictly: for the preferred panel when the file fits
    // it, else for the panel it was written for (DetectShowFilePanel). Errors name the file and
    // say where it breaks the format.
    CResult<size_t> PictureCount(CPanelSize preferred);
    // Picture nPicture (from 1) as the show lays it down, at the show's own panel.
    CResult<CPicture> Picture(int nPicture, CPanelSize preferred);

private:
    CStatus Index(CPanelSize preferred);
    CStatus IndexFor(CPanelSize panel);

    const std::string m_strPath;
    std::mutex m_mutex;
    std::optional<CStatus> m_optIndexed; // guarded by m_mutex, as are the two below
    CPanelSize m_panel{0, 0};
    std::vector<uint64_t> m_vecOffsets;
};

// Picture nPicture (from 1) of a show file. At the show's own panel it is exactly the picture the
// show lays down (already in panel colours, so no option changes it); for another panel it is
// converted with the options as a 24-bit BMP file of it would be.
class CShowPictureSource final : public IPictureSource
{
public:
    CShowPictureSource(std::shared_ptr<CShowFileIndex> pShow, std::string strName, int nPicture,
                       CConvertOptions options)
        : m_pShow(std::move(pShow)), m_strName(std::move(strName)), m_nPicture(nPicture), m_options(options)
    {
    }

    uint64_t PeakBytes(CPanelSize panel) const override;
    CStatus Produce(CPanelSize panel, const FnTakePicture& fnTake) const override;

private:
    std::shared_ptr<CShowFileIndex> m_pShow;
    std::string m_strName; // SHOW.qrv#K, for messages
    int m_nPicture;
    CConvertOptions m_options;
};

// The sources that give a show plan's pictures, in its order; the pictures taken from one show
// file share one reading of it.
PictureSources PlanSources(const std::vector<CShowPlanPicture>& vecPictures);

} // namespace tramino
