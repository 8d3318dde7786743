#include "FrameAnimation.h"

#include <algorithm>
#include <cerrno>
#include <new>

namespace tramino
{

void CFrameAnimation::Start(std::string strPath, int nFrames, const CConvertOptions& options,
                            CPanelSize panel, int nHoldMs)
{
    ++m_nStarts;
    m_strPath = std::move(strPath);
    m_nFrames = nFrames;
    m_nFrame = 1;
    m_options = options;
    m_panel = panel;
    // The refresh timer's tick is the shortest a frame can stay.
    m_hold = std::chrono::milliseconds(std::max(nHoldMs, 100));
    m_due = Clock::now() + m_hold;
}

std::optional<CPicture> CFrameAnimation::Next()
{
    if (!IsPlaying())
        return std::nullopt;
    if (!m_pending.valid())
    {
        if (Clock::now() < m_due)
            return std::nullopt;
        m_nFrame = m_nFrame % m_nFrames + 1;
        m_nPendingStart = m_nStarts;
        // Copies: the conversion may outlive a Start for another row.
        m_pending = std::async(std::launch::async,
                               [strPath = m_strPath, nFrame = m_nFrame, panel = m_panel,
                                options = m_options]() -> CResult<CPicture>
                               {
                                   try
                                   {
                                       return ConvertFrameToPanel(strPath, nFrame, panel, options);
                                   }
                                   catch (const std::bad_alloc&)
                                   {
                                       return ErrnoStatus("convert", strPath, ENOMEM);
                                   }
                               });
        return std::nullopt;
    }
    if (m_pending.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return std::nullopt;
    CResult<CPicture> picture = m_pending.get();
    // A frame of the row shown before is dropped; this row's next one is converted now.
    if (m_nPendingStart != m_nStarts)
        return Next();
    m_due = Clock::now() + m_hold;
    if (!picture)
        return std::nullopt;
    return std::move(picture).Value();
}

} // namespace tramino
