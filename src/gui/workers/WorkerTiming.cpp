#include "WorkerTiming.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace tramino
{

namespace
{

constexpr int64_t g_nFrameMs = 16;

void OverrideFromEnvironment(const char* szName, int& nValue)
{
    const char* szValue = std::getenv(szName);
    if (szValue == nullptr)
        return;
    int nParsed = 0;
    const char* szEnd = szValue + std::strlen(szValue);
    const auto result = std::from_chars(szValue, szEnd, nParsed);
    if (result.ec == std::errc() && result.ptr == szEnd && nParsed >= 0)
        nValue = nParsed;
}

} // namespace

CWorkerTiming WorkerTimingFromEnvironment(CWorkerTiming timing)
{
    OverrideFromEnvironment("TRAMINO_PIXELS_PER_SECOND", timing.m_nPixelsPerSecond);
    OverrideFromEnvironment("TRAMINO_HOLD_MS", timing.m_nHoldMs);
    OverrideFromEnvironment("TRAMINO_PAUSE_MS", timing.m_nPauseMs);
    return timing;
}

CPixelPacer::CPixelPacer(int nPixelsPerSecond, CInterruptibleSleeper& sleeper)
    : m_sleeper(sleeper), m_nPixelsPerSecond(std::max(nPixelsPerSecond, 0)),
      m_nBatch(std::max<int64_t>(1, m_nPixelsPerSecond * g_nFrameMs / 1000))
{
}

void CPixelPacer::Start()
{
    m_nPixels = 0;
    m_tpStart = CInterruptibleSleeper::TClock::now();
}

void CPixelPacer::OnPixel()
{
    ++m_nPixels;
    if (m_nPixelsPerSecond == 0 || m_nPixels % m_nBatch != 0 || m_sleeper.IsInterrupted())
        return;
    const auto duration = std::chrono::nanoseconds(m_nPixels * 1'000'000'000 / m_nPixelsPerSecond);
    m_sleeper.SleepUntil(m_tpStart +
                         std::chrono::duration_cast<CInterruptibleSleeper::TClock::duration>(duration));
}

} // namespace tramino
