#include "WorkerTiming.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace tramino
{
namespace
{

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

TClock::duration TimeOfPixels(int nPixelsPerSecond, int nPixels, CInterruptibleSleeper& sleeper)
{
    CPixelPacer pacer(nPixelsPerSecond, sleeper);
    const auto tpStart = TClock::now();
    pacer.Start();
    for (int i = 0; i < nPixels; ++i)
        pacer.OnPixel();
    return TClock::now() - tpStart;
}

TEST(PixelPacerTest, SpreadsPixelsAtItsRate)
{
    CInterruptibleSleeper sleeper;
    // 2000 pixels at 20000 per second: 100 ms, slept in batches of 16 ms.
    const TClock::duration duration = TimeOfPixels(20000, 2000, sleeper);
    EXPECT_GE(duration, 95ms);
    EXPECT_LT(duration, 1s);
}

TEST(PixelPacerTest, UnpacedOrInterruptedRunsAtOnce)
{
    CInterruptibleSleeper sleeper;
    EXPECT_LT(TimeOfPixels(0, 100000, sleeper), 500ms);
    sleeper.Interrupt();
    EXPECT_LT(TimeOfPixels(10, 100000, sleeper), 500ms);
}

TEST(InterruptibleSleeperTest, InterruptEndsASleepAndEveryLaterOne)
{
    CInterruptibleSleeper sleeper;
    EXPECT_TRUE(sleeper.SleepFor(1ms));
    const auto tpStart = TClock::now();
    std::thread thread([&] { EXPECT_FALSE(sleeper.SleepFor(60s)); });
    std::this_thread::sleep_for(20ms);
    sleeper.Interrupt();
    thread.join();
    EXPECT_LT(TClock::now() - tpStart, 10s);
    EXPECT_FALSE(sleeper.SleepFor(60s));
    EXPECT_FALSE(sleeper.WaitFor([] { return false; }));
}

// An empty value removes the variable.
void SetVariable(const char* szName, const char* szValue)
{
#ifdef _WIN32
    _putenv_s(szName, szValue);
#else
    if (*szValue == '\0')
        unsetenv(szName);
    else
        setenv(szName, szValue, 1);
#endif
}

TEST(WorkerTimingTest, EnvironmentOverridesValidValuesOnly)
{
    SetVariable("TRAMINO_PIXELS_PER_SECOND", "0");
    SetVariable("TRAMINO_HOLD_MS", "250");
    SetVariable("TRAMINO_PAUSE_MS", "-5");
    const CWorkerTiming timing = WorkerTimingFromEnvironment();
    for (const char* szName : {"TRAMINO_PIXELS_PER_SECOND", "TRAMINO_HOLD_MS", "TRAMINO_PAUSE_MS"})
        SetVariable(szName, "");
    EXPECT_EQ(timing.m_nPixelsPerSecond, 0);
    EXPECT_EQ(timing.m_nHoldMs, 250);
    EXPECT_EQ(timing.m_nPauseMs, 500);
}

} // namespace
} // namespace tramino
