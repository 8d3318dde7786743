#pragma once

#include "common/Status.h"
#include "picture/Picture.h"
#include "resample/ConvertPicture.h"
#include "settings/PanelSize.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tramino
{

// Takes one picture at the panel size; false when the run wants no more.
using FnTakePicture = std::function<bool(CPicture picture)>;

// One entry of a show's list: where its pictures come from. An entry gives one picture, or
// several in turn (the frames of an animation), which is why pictures are handed on rather than
// returned.
class IPictureSource
{
public:
    virtual ~IPictureSource() = default;

    // The most memory Produce holds, known before it starts (reserved from the run's budget).
    virtual uint64_t PeakBytes(CPanelSize panel) const = 0;
    // Hands each picture of the entry, at the panel size, to fnTake, in order, and stops early
    // when fnTake returns false. An error names the file and the reason. May run on any thread,
    // on several entries at once.
    virtual CStatus Produce(CPanelSize panel, const FnTakePicture& fnTake) const = 0;
};

using PictureSources = std::vector<std::unique_ptr<IPictureSource>>;

// A picture file and the options it is converted to the panel with.
class CPathPictureSource : public IPictureSource
{
public:
    CPathPictureSource(std::string strPath, CConvertOptions options)
        : m_strPath(std::move(strPath)), m_options(options)
    {
    }

protected:
    std::string m_strPath;
    CConvertOptions m_options;
};

// The file's picture.
class CFilePictureSource final : public CPathPictureSource
{
public:
    using CPathPictureSource::CPathPictureSource;

    uint64_t PeakBytes(CPanelSize panel) const override;
    CStatus Produce(CPanelSize panel, const FnTakePicture& fnTake) const override;
};

// Every frame of the file, in order, each converted with the options as a file of that one
// frame would be (ConvertFramesToPanel): the frames of an animated GIF, or any other picture's
// one. A frame that fails after others were handed on ends the entry with an error naming the
// file and the frame.
class CFramesPictureSource final : public CPathPictureSource
{
public:
    using CPathPictureSource::CPathPictureSource;

    uint64_t PeakBytes(CPanelSize panel) const override;
    CStatus Produce(CPanelSize panel, const FnTakePicture& fnTake) const override;
};

// A picture already at the panel size, read when its turn comes (the window's picture store).
class CReadPictureSource final : public IPictureSource
{
public:
    using FnRead = std::function<CResult<CPicture>()>;
    explicit CReadPictureSource(FnRead fnRead) : m_fnRead(std::move(fnRead)) {}

    uint64_t PeakBytes(CPanelSize panel) const override;
    CStatus Produce(CPanelSize panel, const FnTakePicture& fnTake) const override;

private:
    FnRead m_fnRead;
};

// Frame nFrame (from 1) of the file, as CFramesPictureSource gives it (ConvertFrameToPanel).
class CFramePictureSource final : public CPathPictureSource
{
public:
    CFramePictureSource(std::string strPath, int nFrame, CConvertOptions options)
        : CPathPictureSource(std::move(strPath), options), m_nFrame(nFrame)
    {
    }

    uint64_t PeakBytes(CPanelSize panel) const override;
    CStatus Produce(CPanelSize panel, const FnTakePicture& fnTake) const override;

private:
    int m_nFrame;
};

// Ok when the picture has exactly the panel's size, else the reason.
CStatus CheckPanelSize(const CPicture& picture, CPanelSize panel);

} // namespace tramino
