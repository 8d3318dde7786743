#include "WorkerTestSupport.h"

namespace tramino
{
namespace
{

class PreviewWorkerTest : public CWorkerTest
{
protected:
    PreviewWorkerTest() : CWorkerTest(OnPreview) {}
};

TEST_F(PreviewWorkerTest, EmptyListIgnoresThePress)
{
    Start("Normal", {});
    m_thread.Join();
    EXPECT_TRUE(m_ui.Log().empty());
    EXPECT_FALSE(m_shared.m_bBusy);
    EXPECT_EQ(m_thread.Kind(), EWorkerKind::None);
}

TEST_F(PreviewWorkerTest, CompleteRunFollowsTheStepsInOrder)
{
    const PictureList vecPictures = TestPictures(2);
    Start("Shutter(Top to Bottom)", vecPictures);
    m_thread.Join();

    const std::vector<std::string> vecExpected = Joined({{"caption 1017 Stop"},
                                                         OtherButtonsLog(g_nIdPreview, false),
                                                         {"timer stop", "clear 0", "clear 1"},
                                                         PictureLog(0),
                                                         {"timer stop", "clear 0"},
                                                         PictureLog(1),
                                                         OtherButtonsLog(g_nIdPreview, true),
                                                         {"caption 1017 Preview", "enable 1017 1"}});
    EXPECT_EQ(m_ui.Log(), vecExpected);
    ExpectIdle(m_ui, m_shared);
    EXPECT_TRUE(m_ui.IsTimerRunning());
    EXPECT_EQ(m_ui.ShownImage(), 1);
    EXPECT_EQ(m_ui.SelectedItems(), std::set<int>{1});
}

TEST_F(PreviewWorkerTest, EveryEffectDrawsEveryPictureWhole)
{
    for (const EEffect effect : g_arrEffects)
    {
        CFakeWorkerUi ui(g_nTestWidth, g_nTestHeight);
        const PictureList vecPictures = TestPictures(3);
        Prepare(EffectName(effect), vecPictures);
        Press(ui);
        m_thread.Join();

        EXPECT_EQ(ui.LogOf("pixels"), std::vector<std::string>(3, "pixels 128")) << EffectName(effect);
        for (int y = 0; y < g_nTestHeight; ++y)
            for (int x = 0; x < g_nTestWidth; ++x)
                ASSERT_EQ(ui.CanvasPixel(x, y), vecPictures[2]->GetPixel(x, y)) << EffectName(effect);
        ExpectIdle(ui, m_shared);
    }
}

TEST_F(PreviewWorkerTest, ModeWithoutEffectPlaysNothing)
{
    Start("Sideways", TestPictures(2));
    m_thread.Join();
    const std::vector<std::string> vecLog = m_ui.Log();
    ASSERT_EQ(vecLog.size(), 18u);
    EXPECT_EQ(vecLog[8], "clear 0");
    EXPECT_EQ(vecLog[9], "clear 1");
    EXPECT_EQ(vecLog[10], "enable 1019 1");
    EXPECT_FALSE(m_ui.IsTimerRunning());
    EXPECT_TRUE(m_ui.SelectedItems().empty());
    ExpectIdle(m_ui, m_shared);
}

TEST_F(PreviewWorkerTest, StopDuringFirstPictureEndsAfterItsHold)
{
    HoldAt("pixels 1");
    Start("Circle", TestPictures(3));
    m_handOff.WaitReached();
    ExpectRunning(m_ui, m_shared, g_nIdPreview, false);
    EXPECT_FALSE(m_ui.IsTimerRunning());
    Press();
    ExpectRunning(m_ui, m_shared, g_nIdPreview, true);
    m_handOff.Release();
    m_thread.Join();

    // The press greyed the button after the first pixel; the picture was completed all the same.
    EXPECT_EQ(m_ui.LogOf("pixels"), (std::vector<std::string>{"pixels 1", "pixels 127"}));
    EXPECT_EQ(m_ui.LogOf("select"), std::vector<std::string>{"select 0"});
    EXPECT_EQ(m_ui.ShownImage(), 0);
    EXPECT_TRUE(m_ui.IsTimerRunning());
    EXPECT_EQ(m_ui.Caption(g_nIdPreview), "Preview");
    ExpectIdle(m_ui, m_shared);
}

TEST_F(PreviewWorkerTest, StopDuringLastHoldEndsLikeACompleteRun)
{
    HoldAt("shown 1");
    Start("Normal", TestPictures(2));
    m_handOff.WaitReached();
    Press();
    m_handOff.Release();
    m_thread.Join();

    EXPECT_EQ(m_ui.LogOf("pixels").size(), 2u);
    EXPECT_EQ(m_ui.ShownImage(), 1);
    EXPECT_TRUE(m_ui.IsTimerRunning());
    EXPECT_TRUE(m_ui.LogOf("message").empty());
    ExpectIdle(m_ui, m_shared);
}

TEST_F(PreviewWorkerTest, TheOtherButtonDoesNotStopTheRun)
{
    HoldAt("pixels 1");
    Start("Normal", TestPictures(2));
    m_handOff.WaitReached();
    OnTransform(m_shared, m_ui, m_thread, m_run);
    EXPECT_FALSE(m_shared.m_bStopRequested);
    m_handOff.Release();
    m_thread.Join();
    EXPECT_EQ(m_ui.LogOf("pixels").size(), 2u);
    EXPECT_TRUE(m_ui.LogOf("ask").empty());
}

TEST_F(PreviewWorkerTest, UnreadablePictureIsDrawnWhiteAndNamedAfterTheRun)
{
    PictureList vecPictures = TestPictures(3);
    vecPictures[2].reset();
    Start("Shutter(Left to Right)", vecPictures);
    m_thread.Join();

    EXPECT_EQ(m_ui.LogOf("pixels").size(), 3u);
    EXPECT_EQ(m_ui.CanvasPixel(3, 5), (CRgb{255, 255, 255}));
    const std::vector<std::string> vecMessages = m_ui.LogOf("message");
    ASSERT_EQ(vecMessages.size(), 1u);
    EXPECT_NE(vecMessages[0].find("message (error) Preview: "), std::string::npos);
    EXPECT_NE(vecMessages[0].find("Picture 3: Cannot read 'Qrv2.bmp'"), std::string::npos);
    EXPECT_EQ(vecMessages[0].find("Picture 1"), std::string::npos);
    // The message comes while the run still holds the buttons.
    const std::vector<std::string> vecLog = m_ui.Log();
    EXPECT_EQ(vecLog[vecLog.size() - 9], vecMessages[0]);
    ExpectIdle(m_ui, m_shared);
}

// Frames of a GIF: the given pictures in turn, then the failure of the next one.
class CFramesSource final : public IPictureSource
{
public:
    explicit CFramesSource(PictureList vecFrames) : m_vecFrames(std::move(vecFrames)) {}

    uint64_t PeakBytes(CPanelSize) const override { return 0; }
    CStatus Produce(CPanelSize, const FnTakePicture& fnTake) const override
    {
        for (const std::optional<CPicture>& frame : m_vecFrames)
            if (!frame || !fnTake(*frame))
                return frame ? CStatus() : CStatus::Error("Cannot convert 'anim.gif': frame 3 is damaged");
        return {};
    }

private:
    PictureList m_vecFrames;
};

TEST_F(PreviewWorkerTest, EveryFrameOfAPositionIsPlayedAndAFrameThatFailsIsNamed)
{
    Prepare("Normal", TestPictures(2));
    m_run.m_fnFrames = [](int k) -> std::unique_ptr<IPictureSource>
    {
        if (k != 1)
            return nullptr;
        return std::make_unique<CFramesSource>(PictureList{TestPicture(5), TestPicture(6), std::nullopt});
    };
    Press();
    m_thread.Join();

    // The stored picture, then both frames in one stretch of pixels: nothing else is asked between.
    EXPECT_EQ(m_ui.LogOf("pixels"), (std::vector<std::string>{"pixels 128", "pixels 256"}));
    EXPECT_EQ(m_ui.CanvasPixel(3, 5), TestPicture(6).GetPixel(3, 5));
    // The stored first frame is not drawn over the frames played.
    EXPECT_EQ(m_ui.ShownImage(), 0);
    const std::vector<std::string> vecMessages = m_ui.LogOf("message");
    ASSERT_EQ(vecMessages.size(), 1u);
    EXPECT_NE(vecMessages[0].find("Picture 2: Cannot convert 'anim.gif': frame 3"), std::string::npos);
    ExpectIdle(m_ui, m_shared);
}

} // namespace
} // namespace tramino
