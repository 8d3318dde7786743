#include "WorkerUiBridge.h"
#include "WorkerTestSupport.h"

#include <atomic>
#include <deque>

namespace tramino
{
namespace
{

using namespace std::chrono_literals;

// The user-interface thread's event loop, played by the test's own thread.
class CTaskQueue
{
public:
    void Post(std::function<void()> fn)
    {
        std::lock_guard lock(m_mutex);
        m_deqTasks.push_back(std::move(fn));
        m_cv.notify_all();
    }

    // Runs queued tasks on this thread until fnDone() holds (looked at between tasks).
    void RunUntil(const std::function<bool()>& fnDone)
    {
        while (!fnDone())
        {
            std::function<void()> fn;
            {
                std::unique_lock lock(m_mutex);
                if (!m_cv.wait_for(lock, 1ms, [this] { return !m_deqTasks.empty(); }))
                    continue;
                fn = std::move(m_deqTasks.front());
                m_deqTasks.pop_front();
            }
            fn();
        }
    }

    void RunPending()
    {
        RunUntil(
            [this]
            {
                std::lock_guard lock(m_mutex);
                return m_deqTasks.empty();
            });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_deqTasks;
};

class WorkerUiBridgeTest : public ::testing::Test
{
protected:
    void Start(EWorkerKind eKind, const std::string& strMode, int nPictures)
    {
        m_vecPictures = TestPictures(nPictures);
        m_run = TestRun(strMode, m_vecPictures);
        m_run.m_fnReadPicture = [this, fnRead = m_run.m_fnReadPicture](int k)
        {
            ++m_nReads;
            return fnRead(k);
        };
        ApplyTiming(m_run.m_timing);
        (eKind == EWorkerKind::Preview ? OnPreview : OnTransform)(m_shared, m_bridge, m_thread, m_run);
    }
    // Lets the tests slow a run down.
    virtual void ApplyTiming(CWorkerTiming&) {}
    bool LogHas(const std::string& strEntry) const
    {
        const std::vector<std::string> vecLog = m_ui.Log();
        return std::find(vecLog.begin(), vecLog.end(), strEntry) != vecLog.end();
    }
    void Close()
    {
        const auto tpStart = std::chrono::steady_clock::now();
        RequestCloseAndWait(m_shared, m_thread);
        EXPECT_LT(std::chrono::steady_clock::now() - tpStart, 2s);
        EXPECT_FALSE(m_thread.IsRunning());
    }

    CTempDir m_dir;
    CTaskQueue m_queue;
    CFakeWorkerUi m_ui{g_nTestWidth, g_nTestHeight};
    CWorkerShared m_shared;
    CWorkerUiBridge m_bridge{m_ui, [this](std::function<void()> fn) { m_queue.Post(std::move(fn)); },
                             m_shared};
    CWorkerThread m_thread;
    PictureList m_vecPictures;
    CWorkerRun m_run;
    std::atomic<int> m_nReads{0};
};

TEST_F(WorkerUiBridgeTest, CallsRunOnTheUiThreadInTheWorkersOrder)
{
    const std::thread::id idUi = std::this_thread::get_id();
    std::atomic<int> nCallsElsewhere{0};
    m_ui.SetHook(
        [&](const std::string& strEntry)
        {
            if (strEntry.rfind("pixels", 0) != 0 && std::this_thread::get_id() != idUi)
                ++nCallsElsewhere;
        });
    m_ui.SetSaveAnswer((m_dir.Path() / "show.qrv").string());
    Start(EWorkerKind::Transform, "Circle", 2);
    m_queue.RunUntil([this] { return !m_thread.IsRunning(); });
    m_thread.Join();

    EXPECT_EQ(nCallsElsewhere, 0);
    EXPECT_EQ(m_ui.Log().size(), 33u);
    EXPECT_EQ(m_ui.LogOf("message"), std::vector<std::string>{"message Done: Done"});
    EXPECT_EQ(FileBytes(m_dir.Path() / "show.qrv"),
              CoreShow(m_dir.Path() / "core.qrv", EEffect::Circle, m_vecPictures, 2));
    ExpectIdle(m_ui, m_shared);
}

TEST_F(WorkerUiBridgeTest, ClosingWhileTheWorkerWaitsForTheUiThreadFinishesTheFile)
{
    m_ui.SetSaveAnswer((m_dir.Path() / "show.qrv").string());
    Start(EWorkerKind::Transform, "Normal", 3);
    // The worker has made picture 0 the shown image and now waits for its timer to start.
    m_queue.RunUntil([this] { return LogHas("shown 0"); });
    const size_t nLogged = m_ui.Log().size();
    Close();
    const int nReads = m_nReads;

    EXPECT_EQ(FileBytes(m_dir.Path() / "show.qrv"),
              CoreShow(m_dir.Path() / "core.qrv", EEffect::Normal, m_vecPictures, 1));
    EXPECT_EQ(nReads, 1);
    // What the worker queued before the close does nothing when the loop gets to it.
    m_queue.RunPending();
    EXPECT_EQ(m_ui.Log().size(), nLogged);
    // Nor does a press after the close.
    OnPreview(m_shared, m_bridge, m_thread, m_run);
    EXPECT_EQ(m_ui.Log().size(), nLogged);
    EXPECT_EQ(m_thread.Kind(), EWorkerKind::Transform);
}

class SlowBridgeTest : public WorkerUiBridgeTest
{
protected:
    // About ten seconds per picture and a minute's hold.
    void ApplyTiming(CWorkerTiming& timing) override { timing = {13, 60000, 60000}; }
};

TEST_F(SlowBridgeTest, ClosingCutsPacingAndHoldShort)
{
    Start(EWorkerKind::Preview, "Circle", 2);
    m_queue.RunUntil([this] { return LogHas("pixels 1"); });
    Close();
    EXPECT_EQ(m_nReads, 1);
    EXPECT_TRUE(m_ui.LogOf("message").empty());
}

TEST_F(WorkerUiBridgeTest, ClosingFromWithinTheSaveDialogCancelsIt)
{
    m_ui.SetSaveAnswer((m_dir.Path() / "show.qrv").string());
    // The close arrives while the dialog runs its own event loop inside the queued call.
    m_ui.SetHook(
        [this](const std::string& strEntry)
        {
            if (strEntry == "ask")
                Close();
        });
    Start(EWorkerKind::Transform, "Normal", 2);
    m_queue.RunUntil([this] { return !m_thread.IsRunning(); });
    m_queue.RunPending();

    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "show.qrv"));
    EXPECT_EQ(m_nReads, 0);
    EXPECT_EQ(m_ui.Log().back(), "ask");
}

} // namespace
} // namespace tramino
