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

uint64_t CFilePictureSource::PeakBytes(CPanelSize panel) const
{
    return EstimateConversionBytes(m_strPath, panel);
}

CStatus CFilePictureSource::Produce(CPanelSize panel, const FnTakePicture& fnTake) const
{
    return GuardMemory(m_strPath,
                       [&]
                       {
                           CResult<CPicture> picture = ConvertPictureToPanel(m_strPath, panel, m_options);
                           if (!picture)
                               return picture.Status();
                           fnTake(std::move(picture).Value());
                           return CStatus();
                       });
}

uint64_t CFramesPictureSource::PeakBytes(CPanelSize panel) const
{
    return EstimateFramesConversionBytes(m_strPath, panel);
}

CStatus CFramesPictureSource::Produce(CPanelSize panel, const FnTakePicture& fnTake) const
{
    return GuardMemory(m_strPath, [&] { return ConvertFramesToPanel(m_strPath, panel, m_options, fnTake); });
}

uint64_t CReadPictureSource::PeakBytes(CPanelSize panel) const
{
    // The decoded picture and the file's read buffer.
    return 4 * static_cast<uint64_t>(panel.m_nWidth) * static_cast<uint64_t>(panel.m_nHeight) + 256 * 1024;
}

CStatus CReadPictureSource::Produce(CPanelSize panel, const FnTakePicture& fnTake) const
{
    CResult<CPicture> picture = m_fnRead();
    if (!picture)
        return picture.Status();
    if (CStatus status = CheckPanelSize(picture.Value(), panel); !status)
        return status;
    fnTake(std::move(picture).Value());
    return {};
}

uint64_t CFramePictureSource::PeakBytes(CPanelSize panel) const
{
    return EstimateFramesConversionBytes(m_strPath, panel);
}

CStatus CFramePictureSource::Produce(CPanelSize panel, const FnTakePicture& fnTake) const
{
    CResult<CPicture> picture = ConvertFrameToPanel(m_strPath, m_nFrame, panel, m_options);
    if (!picture)
        return picture.Status();
    fnTake(std::move(picture).Value());
    return {};
}

CStatus CheckPanelSize(const CPicture& picture, CPanelSize panel)
{
    if (picture.Width() == panel.m_nWidth && picture.Height() == panel.m_nHeight)
        return {};
    return CStatus::Error("the picture is " +
                          PanelSizeText({picture.Width(), picture.Height()}, ESizeText::Spaced) +
                          ", not the panel's size");
}

} // namespace tramino
