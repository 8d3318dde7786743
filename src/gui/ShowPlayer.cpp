#include "ShowPlayer.h"

#include "PanelCanvas.h"

#include <limits>

namespace tramino
{
namespace
{

constexpr int g_nFrameMs = 16;

} // namespace

CShowPlayer::CShowPlayer()
{
    m_timer.setInterval(g_nFrameMs);
    connect(&m_timer, &QTimer::timeout, this, &CShowPlayer::OnTick);
}

void CShowPlayer::Play(CPanelCanvas& canvas, std::vector<CShowFrame> vecFrames, const CWorkerTiming& timing)
{
    Stop();
    m_pCanvas = &canvas;
    m_vecFrames = std::move(vecFrames);
    m_timing = timing;
    if (m_vecFrames.empty())
    {
        return;
    }
    StartFrame(0);
    m_timer.start();
    OnTick();
}

void CShowPlayer::Stop()
{
    if (!m_timer.isActive())
    {
        return;
    }
    m_timer.stop();
    m_vecFrames.clear();
    m_cursor.reset();
    emit Ended();
}

void CShowPlayer::StartFrame(size_t nFrame)
{
    m_nFrame = nFrame;
    m_cursor.emplace(m_vecFrames[nFrame].m_effect, m_pCanvas->PanelWidth(), m_pCanvas->PanelHeight());
    m_nDrawn = 0;
    m_clock.start();
    emit PictureStarted(static_cast<int>(nFrame) + 1, static_cast<int>(m_vecFrames.size()));
}

void CShowPlayer::OnTick()
{
    if (m_cursor)
    {
        // As many pixels as the pace allows by now; all at once when it sets no pace.
        const int64_t nDue = m_timing.m_nPixelsPerSecond > 0
                                 ? m_clock.elapsed() * m_timing.m_nPixelsPerSecond / 1000 - m_nDrawn
                                 : std::numeric_limits<int64_t>::max();
        const CPicture& picture = m_vecFrames[m_nFrame].m_picture;
        m_nDrawn +=
            m_cursor->Advance(nDue, [&](int x, int y) { m_pCanvas->SetPixel(x, y, picture.GetPixel(x, y)); });
        if (m_cursor->AtEnd())
        {
            m_cursor.reset();
            m_clock.start();
        }
        return;
    }
    if (m_clock.elapsed() < m_timing.m_nHoldMs)
    {
        return;
    }
    if (m_nFrame + 1 < m_vecFrames.size())
    {
        StartFrame(m_nFrame + 1);
        OnTick();
    }
    else
    {
        Stop();
    }
}

} // namespace tramino
