#pragma once

#include "codec/PictureDecoder.h"
#include "common/Status.h"
#include "picture/Picture.h"
#include "resample/ConvertPicture.h"
#include "settings/PanelSize.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tramino
{

// Polled between rows; true ends the conversion under way with an error.
using FnStopRequested = std::function<bool()>;

// One picture converted to the panel again and again with other options (a dialog's choices),
// each time exactly as ConvertPictureToPanel or ConvertFrameToPanel would convert it. The rows
// a file decodes to are kept, so that a change that decodes the same (the fit, the gravity, the
// dither; the background of a JPEG) only converts again: the fast decoding of a photo and its
// whole one are kept side by side. Only a frame of an animation is composed afresh every time.
// One conversion at a time; fnStop may come from another thread.
class CRepeatedConversion
{
public:
    // nFrame 0 is the file's picture, any other frame nFrame (from 1) of an animated GIF.
    CRepeatedConversion(std::string strPath, int nFrame, CPanelSize panel);

    CResult<CPicture> Convert(const CConvertOptions& options, const FnStopRequested& fnStop);

    // Decoded rows beyond this are not kept: such a picture streams from its file every time.
    static constexpr uint64_t g_nMaxKeptBytes = 256ULL * 1024 * 1024;

private:
    struct CDecoded
    {
        CDecodeOptions m_options;
        CPictureInfo m_info;
        bool m_bBottomUp = false;
        std::shared_ptr<const CPicture> m_pRows; // 24 bits, as the reader handed them out
    };

    // The kept rows decoded with these options, or what they decode like for this format.
    const CDecoded* Find(const CDecodeOptions& options) const;
    CResult<std::unique_ptr<CRowReader>> Open(const CDecodeOptions& options, const FnStopRequested& fnStop);

    std::string m_strPath;
    int m_nFrame;
    CPanelSize m_panel;
    std::optional<EPictureFormat> m_format; // known after the first decoding
    std::vector<CDecoded> m_vecDecoded;
};

} // namespace tramino
