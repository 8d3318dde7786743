#pragma once

#include "InterruptibleSleeper.h"

#include <cstdint>

namespace tramino
{

// How fast a run goes. The defaults draw a whole 320 x 240 picture in about one second (the
// same pixel rate on smaller panels), hold each previewed picture a second and pause half a
// second after each written one.
struct CWorkerTiming
{
    int m_nPixelsPerSecond = 320 * 240; // 0: as fast as the canvas takes them
    int m_nHoldMs = 1000;               // Preview: each picture stays this long
    int m_nPauseMs = 500;               // Transform: pause after each picture
};

// Overrides from the environment, for users who want a faster or slower show:
// TRAMINO_PIXELS_PER_SECOND, TRAMINO_HOLD_MS and TRAMINO_PAUSE_MS (non-negative integers;
// anything else is ignored). Read once at start-up, before any worker runs.
CWorkerTiming WorkerTimingFromEnvironment(CWorkerTiming timing = {});

// Spreads the pixels of a picture over time at a fixed rate. It sleeps once per batch of about
// one display frame's worth of pixels, against a deadline counted from Start(), so that the
// pace neither drifts nor costs a system call per pixel. Interrupting the sleeper drops pacing.
class CPixelPacer
{
public:
    CPixelPacer(int nPixelsPerSecond, CInterruptibleSleeper& sleeper);

    // The picture's first pixel is about to be drawn.
    void Start();
    // One pixel was drawn.
    void OnPixel();

private:
    CInterruptibleSleeper& m_sleeper;
    const int m_nPixelsPerSecond;
    const int64_t m_nBatch;
    int64_t m_nPixels = 0;
    CInterruptibleSleeper::TClock::time_point m_tpStart;
};

} // namespace tramino
