#include "QuitSignals.h"

#include <QTest>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace tramino
{

#ifdef _WIN32

TEST(QuitSignalsTest, CtrlBreakBecomesOneCallOnTheEventLoopAndTheProgramGoesOn)
{
    int nCalls = 0;
    CQuitSignals quitSignals([&nCalls] { ++nCalls; });
    ASSERT_TRUE(quitSignals.IsActive());
    if (!::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0))
        GTEST_SKIP() << "no console that takes Ctrl+Break (as under wine with its output in a pipe)";
    EXPECT_TRUE(QTest::qWaitFor([&] { return nCalls == 1; }, 2000));
    QTest::qWait(50);
    EXPECT_EQ(nCalls, 1);
}

#else

TEST(QuitSignalsTest, EachQuitSignalBecomesOneCallOnTheEventLoopAndTheDefaultComesBack)
{
    int nCalls = 0;
    {
        CQuitSignals quitSignals([&nCalls] { ++nCalls; });
        ASSERT_TRUE(quitSignals.IsActive());
        for (const int nSignal : {SIGTERM, SIGINT, SIGHUP})
        {
            const int nBefore = nCalls;
            ASSERT_EQ(std::raise(nSignal), 0);
            EXPECT_TRUE(QTest::qWaitFor([&] { return nCalls == nBefore + 1; }, 2000)) << nSignal;
        }
    }
    struct sigaction action = {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &action), 0);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
}

#endif

} // namespace tramino
