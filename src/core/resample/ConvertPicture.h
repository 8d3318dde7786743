#pragma once

#include "codec/PictureDecoder.h"
#include "common/Status.h"
#include "picture/Picture.h"
#include "resample/Dither.h"
#include "resample/FitGeometry.h"
#include "settings/PanelSize.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tramino
{

struct CConvertOptions
{
    // Let the JPEG decoder scale while decoding, to the smallest scale still strictly larger
    // than the panel in both directions, before the same reduction.
    bool m_bFast = false;
    EFit m_eFit = EFit::Stretch;
    EGravity m_eGravity = EGravity::Center;
    // Around a contained picture, under transparent pixels and in a GIF's cleared areas. While it
    // is black, the first picture of a GIF stays its first image as it always decoded.
    CRgb m_crBackground{0, 0, 0};
    EDither m_eDither = EDither::None;
    // Turn JPEG photos as their EXIF orientation says, before the fit.
    bool m_bAutoOrient = false;

    friend bool operator==(const CConvertOptions&, const CConvertOptions&) = default;
};

// Decodes the file and brings it to exactly panel.m_nWidth x panel.m_nHeight (24 bits per pixel).
// A 24-bit picture strictly larger than its target in both directions takes the integer
// reduction; every other picture is stretched. The target is the panel, or with EFit::Contain
// the picture's own rectangle on it; EFit::Cover converts the crop as if it were the whole
// file. Dithering comes last, on the panel's picture. A file that cannot be decoded is an
// error that names it.
CResult<CPicture> ConvertPictureToPanel(const std::string& strPath, CPanelSize panel,
                                        const CConvertOptions& options = {});

// A picture already decoded (24 bits), converted as ConvertPictureToPanel converts a 24-bit BMP
// file of it; errors name strName.
CResult<CPicture> ConvertDecodedToPanel(CPicture picture, const std::string& strName, CPanelSize panel,
                                        const CConvertOptions& options = {});

// The decoding that ConvertPictureToPanel asks of the file for these options.
CDecodeOptions DecodeOptionsFor(CPanelSize panel, const CConvertOptions& options);
// The rows of a reader opened with DecodeOptionsFor(panel, options), converted as
// ConvertPictureToPanel converts its file's; errors name strName.
CResult<CPicture> ConvertRowsToPanel(std::unique_ptr<CRowReader> pReader, const std::string& strName,
                                     CPanelSize panel, const CConvertOptions& options);

// Takes one converted frame; false when no more are wanted.
using FnTakeFrame = std::function<bool(CPicture picture)>;

// Every frame of the file (OpenFrameReader: an animated GIF composed frame by frame, any other
// picture its one frame), each converted as ConvertPictureToPanel converts a file of that one
// picture, handed to fnTake in order until it returns false. Only a few frames are held at a
// time. An animation beyond g_nMaxPictureFrames, or one cut short, is refused before its first
// frame; a frame that fails later ends the run with an error naming the file and the frame.
// The frames of a GIF are converted by what each changes: only the panel pixels whose source area
// meets it are computed again, so that a frame costs its own area and the panel's.
CStatus ConvertFramesToPanel(const std::string& strPath, CPanelSize panel, const CConvertOptions& options,
                             const FnTakeFrame& fnTake);
// The same frames, each converted whole from its composed picture: the plain reference that
// ConvertFramesToPanel equals byte for byte.
CStatus ConvertFramesToPanelWhole(const std::string& strPath, CPanelSize panel,
                                  const CConvertOptions& options, const FnTakeFrame& fnTake);
// Frame nFrame (from 1) alone, as ConvertFramesToPanel gives it; the frames before it are
// composed but not converted.
CResult<CPicture> ConvertFrameToPanel(const std::string& strPath, int nFrame, CPanelSize panel,
                                      const CConvertOptions& options = {});

// The most memory ConvertPictureToPanel takes for the file, judged before it starts: the
// decoding (EstimateDecodeBytes) and the panel-size picture with the resampler's sums.
uint64_t EstimateConversionBytes(const std::string& strPath, CPanelSize panel);
// Same for ConvertFramesToPanel: a GIF's composed screen and its two copies besides.
uint64_t EstimateFramesConversionBytes(const std::string& strPath, CPanelSize panel);

} // namespace tramino
