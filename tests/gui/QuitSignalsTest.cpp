#include "QuitSignals.h"

#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace tramino
{

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

} // namespace tramino
