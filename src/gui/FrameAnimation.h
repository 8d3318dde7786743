#pragma once

#include "common/Status.h"
#include "picture/Picture.h"
#include "resample/ConvertPicture.h"
#include "settings/PanelSize.h"

#include <chrono>
#include <future>
#include <optional>
#include <string>

namespace tramino
{

// The frames of a GIF that takes them all, played in the preview while its row is shown: each
// stays as long as a picture of the show does, and each is converted from the file on a thread
// of its own when its turn comes, so that one frame is held at a time and the window does not
// wait for a large GIF.
class CFrameAnimation
{
public:
    CFrameAnimation() = default;
    CFrameAnimation(const CFrameAnimation&) = delete;
    CFrameAnimation& operator=(const CFrameAnimation&) = delete;
    // Waits for the frame being converted.
    ~CFrameAnimation() = default;

    // Plays the nFrames frames of the file from its second on: the first is drawn already.
    void Start(std::string strPath, int nFrames, const CConvertOptions& options, CPanelSize panel,
               int nHoldMs);
    void Stop() { m_nFrames = 0; }
    bool IsPlaying() const { return m_nFrames > 1; }
    // For the refresh timer: the next frame once it is due and converted. A frame that cannot be
    // converted is passed over; the store's first frame already said what is wrong with the file.
    std::optional<CPicture> Next();

private:
    using Clock = std::chrono::steady_clock;

    std::string m_strPath;
    int m_nFrames = 0;
    int m_nFrame = 1; // the one drawn last
    CConvertOptions m_options;
    CPanelSize m_panel;
    std::chrono::milliseconds m_hold{0};
    Clock::time_point m_due;
    std::future<CResult<CPicture>> m_pending;
    int m_nStarts = 0;       // the Start calls so far
    int m_nPendingStart = 0; // the Start m_pending was converted for
};

} // namespace tramino
