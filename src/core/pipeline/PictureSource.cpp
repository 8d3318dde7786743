#include "pipeline/PictureSource.h"

#include <utility>

namespace tramino
{

uint64_t CFilePictureSource::PeakBytes(int nPanelWidth, int nPanelHeight) const
{
    return EstimateConversionBytes(m_strPath, nPanelWidth, nPanelHeight);
}

CStatus CFilePictureSource::Produce(int nPanelWidth, int nPanelHeight, const FnTakePicture& fnTake) const
{
    CResult<CPicture> picture = ConvertPictureToPanel(m_strPath, nPanelWidth, nPanelHeight, m_options);
    if (!picture)
        return picture.Status();
    fnTake(std::move(picture).Value());
    return {};
}

uint64_t CReadPictureSource::PeakBytes(int nPanelWidth, int nPanelHeight) const
{
    // The decoded picture and the file's read buffer.
    return 4 * static_cast<uint64_t>(nPanelWidth) * static_cast<uint64_t>(nPanelHeight) + 256 * 1024;
}

CStatus CReadPictureSource::Produce(int nPanelWidth, int nPanelHeight, const FnTakePicture& fnTake) const
{
    CResult<CPicture> picture = m_fnRead();
    if (!picture)
        return picture.Status();
    if (CStatus status = CheckPanelSize(picture.Value(), nPanelWidth, nPanelHeight); !status)
        return status;
    fnTake(std::move(picture).Value());
    return {};
}

PictureSources FileSources(const std::vector<std::string>& vecPaths, const CConvertOptions& options)
{
    PictureSources vecSources;
    vecSources.reserve(vecPaths.size());
    for (const std::string& strPath : vecPaths)
        vecSources.push_back(std::make_unique<CFilePictureSource>(strPath, options));
    return vecSources;
}

CStatus CheckPanelSize(const CPicture& picture, int nPanelWidth, int nPanelHeight)
{
    if (picture.Width() == nPanelWidth && picture.Height() == nPanelHeight)
        return {};
    return CStatus::Error("the picture is " + std::to_string(picture.Width()) + " x " +
                          std::to_string(picture.Height()) + ", not the panel's size");
}

} // namespace tramino
