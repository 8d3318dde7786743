#include "pipeline/PictureSource.h"

#include <cerrno>
#include <new>
#include <utility>

namespace tramino
{

namespace
{

// A picture too large for the memory left is that picture's failure, named as such, and not
// the end of the program (conversions run on threads, where nothing would catch it).
template <class Fn> CStatus GuardMemory(const std::string& strPath, Fn fnConvert)
{
    try
    {
        return fnConvert();
    }
    catch (const std::bad_alloc&)
    {
        return ErrnoStatus("convert", strPath, ENOMEM);
    }
}

} // namespace

uint64_t CFilePictureSource::PeakBytes(int nPanelWidth, int nPanelHeight) const
{
    return EstimateConversionBytes(m_strPath, nPanelWidth, nPanelHeight);
}

CStatus CFilePictureSource::Produce(int nPanelWidth, int nPanelHeight, const FnTakePicture& fnTake) const
{
    return GuardMemory(m_strPath,
                       [&]
                       {
                           CResult<CPicture> picture =
                               ConvertPictureToPanel(m_strPath, nPanelWidth, nPanelHeight, m_options);
                           if (!picture)
                               return picture.Status();
                           fnTake(std::move(picture).Value());
                           return CStatus();
                       });
}

uint64_t CFramesPictureSource::PeakBytes(int nPanelWidth, int nPanelHeight) const
{
    return EstimateFramesConversionBytes(m_strPath, nPanelWidth, nPanelHeight);
}

CStatus CFramesPictureSource::Produce(int nPanelWidth, int nPanelHeight, const FnTakePicture& fnTake) const
{
    return GuardMemory(
        m_strPath,
        [&] { return ConvertFramesToPanel(m_strPath, nPanelWidth, nPanelHeight, m_options, fnTake); });
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

uint64_t CFramePictureSource::PeakBytes(int nPanelWidth, int nPanelHeight) const
{
    return EstimateFramesConversionBytes(m_strPath, nPanelWidth, nPanelHeight);
}

CStatus CFramePictureSource::Produce(int nPanelWidth, int nPanelHeight, const FnTakePicture& fnTake) const
{
    CResult<CPicture> picture =
        ConvertFrameToPanel(m_strPath, m_nFrame, nPanelWidth, nPanelHeight, m_options);
    if (!picture)
        return picture.Status();
    fnTake(std::move(picture).Value());
    return {};
}

CStatus CheckPanelSize(const CPicture& picture, int nPanelWidth, int nPanelHeight)
{
    if (picture.Width() == nPanelWidth && picture.Height() == nPanelHeight)
        return {};
    return CStatus::Error("the picture is " + std::to_string(picture.Width()) + " x " +
                          std::to_string(picture.Height()) + ", not the panel's size");
}

} // namespace tramino
