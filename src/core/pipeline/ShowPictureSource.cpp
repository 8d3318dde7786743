#include "pipeline/ShowPictureSource.h"

#include "project/Project.h"
#include "project/ShowPictureName.h"
#include "show/ShowFileReader.h"

#include <algorithm>
#include <map>

namespace tramino
{

CResult<size_t> CShowFileIndex::PictureCount(CPanelSize preferred)
{
    const std::lock_guard lock(m_mutex);
    if (!m_optIndexed)
        m_optIndexed = Index(preferred);
    if (!*m_optIndexed)
        return *m_optIndexed;
    return m_vecOffsets.size();
}

CStatus CShowFileIndex::Index(CPanelSize preferred)
{
    CStatus status = IndexFor(preferred);
    if (status)
        return status;
    const CResult<CPanelSize> detected = DetectShowFilePanel(m_strPath);
    if (!detected)
        return detected.Status();
    // The reason given is the one for the panel the file comes closest to.
    return detected.Value() == preferred ? status : IndexFor(detected.Value());
}

CStatus CShowFileIndex::IndexFor(CPanelSize panel)
{
    m_panel = panel;
    m_vecOffsets.clear();
    CShowFileReader reader(panel.m_nWidth, panel.m_nHeight, false);
    return reader.ReadFile(m_strPath,
                           [this](CShowFilePicture& picture)
                           {
                               m_vecOffsets.push_back(picture.m_nOffset);
                               return CStatus();
                           });
}

CResult<CPicture> CShowFileIndex::Picture(int nPicture, CPanelSize preferred)
{
    const CResult<size_t> nCount = PictureCount(preferred);
    if (!nCount)
        return nCount.Status();
    if (nPicture < 1 || static_cast<size_t>(nPicture) > nCount.Value())
        return CStatus::Error("Cannot take picture " + std::to_string(nPicture) + " of '" + m_strPath +
                              "': the show has " + std::to_string(nCount.Value()) +
                              (nCount.Value() == 1 ? " picture" : " pictures"));
    // Read only now: the index no longer changes.
    const CShowReadStart start{m_vecOffsets[static_cast<size_t>(nPicture) - 1],
                               static_cast<size_t>(nPicture) - 1};
    CShowFileReader reader(m_panel.m_nWidth, m_panel.m_nHeight, true);
    std::optional<CPicture> picture;
    const CStatus status = reader.ReadFile(
        m_strPath,
        [&picture](CShowFilePicture& read)
        {
            picture = std::move(read.m_picture);
            return CStatus::Error("the picture wanted is read"); // ends the reading here
        },
        start);
    if (picture)
        return std::move(*picture);
    return status ? CStatus::Error("Cannot read '" + m_strPath + "': picture " + std::to_string(nPicture) +
                                   " is no longer where it was")
                  : status;
}

uint64_t CShowPictureSource::PeakBytes(CPanelSize panel) const
{
    // The show's picture and the map of its written pixels, for a show of up to the largest table
    // panel; the converted picture and the stretcher's sums; the reader's buffers.
    const uint64_t nPanel = static_cast<uint64_t>(panel.m_nWidth) * static_cast<uint64_t>(panel.m_nHeight);
    const uint64_t nShow = std::max<uint64_t>(nPanel, 320 * 240);
    return 4 * nShow + 15 * nPanel + 256 * 1024;
}

CStatus CShowPictureSource::Produce(CPanelSize panel, const FnTakePicture& fnTake) const
{
    CResult<CPicture> picture = m_pShow->Picture(m_nPicture, {panel});
    if (!picture)
        return picture.Status();
    if (!CheckPanelSize(picture.Value(), panel))
        picture = ConvertDecodedToPanel(std::move(picture).Value(), m_strName, panel, m_options);
    if (!picture)
        return picture.Status();
    fnTake(std::move(picture).Value());
    return {};
}

PictureSources PlanSources(const std::vector<CShowPlanPicture>& vecPictures)
{
    std::map<std::string, std::shared_ptr<CShowFileIndex>> mapShows;
    PictureSources vecSources;
    vecSources.reserve(vecPictures.size());
    for (const CShowPlanPicture& picture : vecPictures)
    {
        if (picture.m_nShowPicture == 0)
        {
            if (picture.m_nFrame != 0)
                vecSources.push_back(std::make_unique<CFramePictureSource>(
                    picture.m_strPath, picture.m_nFrame, picture.m_options));
            else if (picture.m_bAllFrames)
                vecSources.push_back(
                    std::make_unique<CFramesPictureSource>(picture.m_strPath, picture.m_options));
            else
                vecSources.push_back(
                    std::make_unique<CFilePictureSource>(picture.m_strPath, picture.m_options));
            continue;
        }
        std::shared_ptr<CShowFileIndex>& pShow = mapShows[picture.m_strPath];
        if (!pShow)
            pShow = std::make_shared<CShowFileIndex>(picture.m_strPath);
        vecSources.push_back(std::make_unique<CShowPictureSource>(
            pShow, ShowPictureNameText({picture.m_strPath, picture.m_nShowPicture}), picture.m_nShowPicture,
            picture.m_options));
    }
    return vecSources;
}

} // namespace tramino
