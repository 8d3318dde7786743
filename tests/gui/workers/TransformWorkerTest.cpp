#include "WorkerTestSupport.h"
#include "show/FullDiskSink.h"
#include "store/PictureStore.h"

#include <cerrno>
#include <cstring>

namespace tramino
{
namespace
{

class TransformWorkerTest : public CWorkerTest
{
protected:
    TransformWorkerTest() : CWorkerTest(OnTransform) { m_ui.SetSaveAnswer(Target().string()); }

    std::filesystem::path Target() const { return m_dir.Path() / "show.qrv"; }
    std::vector<char> Expected(EEffect effect, const PictureList& vecPictures, size_t nCount) const
    {
        return CoreShow(m_dir.Path() / "expected.qrv", effect, vecPictures, nCount);
    }
    // Files in the directory besides the expected one: a half file would show up here.
    size_t FilesInDir() const
    {
        size_t nFiles = 0;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            nFiles += entry.path().filename() != "expected.qrv";
        return nFiles;
    }

    CTempDir m_dir;
};

TEST_F(TransformWorkerTest, EmptyListIgnoresThePress)
{
    Start("Normal", {});
    m_thread.Join();
    EXPECT_TRUE(m_ui.Log().empty());
    EXPECT_FALSE(std::filesystem::exists(Target()));
}

TEST_F(TransformWorkerTest, CompleteRunFollowsTheStepsInOrder)
{
    const PictureList vecPictures = TestPictures(2);
    Start("Normal", vecPictures);
    m_thread.Join();

    const std::vector<std::string> vecExpected =
        Joined({{"caption 1018 Stop"},
                OtherButtonsLog(g_nIdTransform, false),
                {"clear 0", "clear 1", "ask", "timer stop", "invalidate"},
                PictureLog(0),
                {"timer stop", "clear 0"},
                PictureLog(1),
                {"message Done: Done"},
                OtherButtonsLog(g_nIdTransform, true),
                {"caption 1018 Transform", "enable 1018 1"}});
    EXPECT_EQ(m_ui.Log(), vecExpected);
    ExpectIdle(m_ui, m_shared);
    EXPECT_TRUE(m_ui.IsTimerRunning());
    EXPECT_EQ(m_ui.SelectedItems(), std::set<int>{1});
    // 32 + P x (12 R + 2 W H + 2) + 2 with one record per picture.
    EXPECT_EQ(std::filesystem::file_size(Target()), 32u + 2 * (12 + 2 * g_nTestPixels + 2) + 2);
}

TEST_F(TransformWorkerTest, EveryEffectWritesTheCoresFileAndEchoesItsPixels)
{
    const PictureList vecPictures = TestPictures(3);
    for (const EEffect effect : g_arrEffects)
    {
        CFakeWorkerUi ui(g_nTestWidth, g_nTestHeight);
        ui.SetSaveAnswer(Target().string());
        Prepare(EffectName(effect), vecPictures);
        Press(ui);
        m_thread.Join();

        EXPECT_EQ(FileBytes(Target()), Expected(effect, vecPictures, 3)) << EffectName(effect);
        EXPECT_EQ(ui.LogOf("pixels"), std::vector<std::string>(3, "pixels 128"));
        EXPECT_EQ(ui.CanvasPixel(15, 7), vecPictures[2]->GetPixel(15, 7));
        EXPECT_EQ(ui.LogOf("message"), std::vector<std::string>{"message Done: Done"});
        ExpectIdle(ui, m_shared);
    }
}

TEST_F(TransformWorkerTest, AskingAndConfirmingHoldTheButtons)
{
    m_ui.SetHook(
        [&](const std::string& strEntry)
        {
            if (strEntry == "ask")
            {
                ExpectRunning(m_ui, m_shared, g_nIdTransform, false);
                EXPECT_FALSE(m_ui.IsTimerRunning());
            }
            if (strEntry.rfind("message", 0) == 0)
            {
                ExpectRunning(m_ui, m_shared, g_nIdTransform, false);
                EXPECT_TRUE(m_ui.IsTimerRunning());
            }
        });
    Start("Circle", TestPictures(1));
    m_thread.Join();
    EXPECT_EQ(m_ui.LogOf("message").size(), 1u);
}

TEST_F(TransformWorkerTest, CancelledDialogWritesAndReportsNothing)
{
    m_ui.SetSaveAnswer(std::nullopt);
    Start("Normal", TestPictures(2));
    m_thread.Join();
    const std::vector<std::string> vecLog = m_ui.Log();
    ASSERT_EQ(vecLog.size(), 18u);
    EXPECT_EQ(vecLog[9], "ask");
    EXPECT_EQ(vecLog[10], "enable 1019 1");
    EXPECT_EQ(m_ui.Caption(g_nIdTransform), "Transform");
    EXPECT_EQ(FilesInDir(), 0u);
    ExpectIdle(m_ui, m_shared);
}

TEST_F(TransformWorkerTest, ModeWithoutEffectAsksNothing)
{
    Start("Circle ", TestPictures(2));
    m_thread.Join();
    EXPECT_TRUE(m_ui.LogOf("ask").empty());
    EXPECT_TRUE(m_ui.SelectedItems().empty());
    EXPECT_EQ(FilesInDir(), 0u);
    ExpectIdle(m_ui, m_shared);
}

TEST_F(TransformWorkerTest, StopDuringFirstPictureFinishesAFileOfThatPicture)
{
    HoldAt("pixels 1");
    const PictureList vecPictures = TestPictures(3);
    Start("Shutter(Left to Right)", vecPictures);
    m_handOff.WaitReached();
    Press();
    ExpectRunning(m_ui, m_shared, g_nIdTransform, true);
    m_handOff.Release();
    m_thread.Join();

    EXPECT_EQ(FileBytes(Target()), Expected(EEffect::ShutterLeftToRight, vecPictures, 1));
    EXPECT_TRUE(m_ui.LogOf("message").empty());
    EXPECT_EQ(m_ui.ShownImage(), 0);
    EXPECT_TRUE(m_ui.IsTimerRunning());
    ExpectIdle(m_ui, m_shared);
}

TEST_F(TransformWorkerTest, StopDuringLastPauseKeepsTheFileCompleteWithoutMessage)
{
    HoldAt("shown 1");
    const PictureList vecPictures = TestPictures(2);
    Start("Shutter(Top to Bottom)", vecPictures);
    m_handOff.WaitReached();
    Press();
    m_handOff.Release();
    m_thread.Join();

    EXPECT_EQ(FileBytes(Target()), Expected(EEffect::ShutterTopToBottom, vecPictures, 2));
    EXPECT_TRUE(m_ui.LogOf("message").empty());
    ExpectIdle(m_ui, m_shared);
}

TEST_F(TransformWorkerTest, TargetThatCannotBeCreatedIsReported)
{
    const std::string strPath = (m_dir.Path() / "missing" / "show.qrv").string();
    m_ui.SetSaveAnswer(strPath);
    Start("Normal", TestPictures(2));
    m_thread.Join();

    const std::vector<std::string> vecMessages = m_ui.LogOf("message");
    ASSERT_EQ(vecMessages.size(), 1u);
    EXPECT_NE(vecMessages[0].find("message (error) Transform: "), std::string::npos);
    EXPECT_NE(vecMessages[0].find(strPath), std::string::npos);
    EXPECT_NE(vecMessages[0].find(std::strerror(ENOENT)), std::string::npos);
    EXPECT_TRUE(m_ui.LogOf("pixels").empty());
    EXPECT_EQ(FilesInDir(), 0u);
    ExpectIdle(m_ui, m_shared);
}

TEST_F(TransformWorkerTest, FailedWriteEndsTheRunAndLeavesAnExistingTargetUntouched)
{
    std::ofstream(Target()) << "the old show";
    // The writer buffers 256 KiB, so its first write comes some 970 pictures into the run.
    const PictureList vecPictures = TestPictures(1200);
    Prepare("Normal", vecPictures);
    m_run.m_timing.m_nPauseMs = 0;
    m_run.m_fnOpenSink = [](const std::string& strPath) -> CResult<std::unique_ptr<IShowFileSink>>
    {
        CResult<std::unique_ptr<IShowFileSink>> sink = OpenReplacingFile(strPath);
        if (!sink)
            return sink;
        return std::unique_ptr<IShowFileSink>(
            std::make_unique<test::CFullDiskSink>(std::move(sink).Value(), strPath, 0));
    };
    Press();
    m_thread.Join();

    const size_t nPictures = m_ui.LogOf("pixels").size();
    EXPECT_GT(nPictures, 1u);
    EXPECT_LT(nPictures, 1200u);
    const std::vector<std::string> vecMessages = m_ui.LogOf("message");
    ASSERT_EQ(vecMessages.size(), 1u);
    EXPECT_NE(vecMessages[0].find("show.qrv"), std::string::npos);
    EXPECT_NE(vecMessages[0].find(std::strerror(ENOSPC)), std::string::npos);
    const std::vector<char> vecOld = FileBytes(Target());
    EXPECT_EQ(std::string(vecOld.begin(), vecOld.end()), "the old show");
    EXPECT_EQ(FilesInDir(), 1u);
    ExpectIdle(m_ui, m_shared);
}

TEST_F(TransformWorkerTest, UnreadablePictureIsWrittenWhiteAndNamed)
{
    PictureList vecPictures = TestPictures(3);
    vecPictures[1].reset();
    Start("Circle", vecPictures);
    m_thread.Join();

    EXPECT_EQ(FileBytes(Target()), Expected(EEffect::Circle, vecPictures, 3));
    const std::vector<std::string> vecMessages = m_ui.LogOf("message");
    ASSERT_EQ(vecMessages.size(), 1u);
    EXPECT_EQ(vecMessages[0].rfind("message (error) Done: Done\n\n", 0), 0u);
    EXPECT_NE(vecMessages[0].find("Picture 2: Cannot read 'Qrv1.bmp'"), std::string::npos);
    ExpectIdle(m_ui, m_shared);
}

TEST_F(TransformWorkerTest, StoreFileRemovedBeforeTheRunIsWrittenWhiteAndNamed)
{
    CResult<CPictureStore> store =
        CPictureStore::Create({g_nTestWidth, g_nTestHeight}, m_dir.Path().string());
    ASSERT_TRUE(store) << store.Message();
    PictureList vecPictures = TestPictures(3);
    for (const std::optional<CPicture>& picture : vecPictures)
        ASSERT_TRUE(store.Value().Add(*picture));
    const std::string strRemoved = store.Value().PathOf(1);
    std::filesystem::remove(strRemoved);
    vecPictures[1].reset();

    Prepare("Shutter(Top to Bottom)", vecPictures);
    m_run.m_fnReadPicture = [&store](int k) { return store.Value().Read(k); };
    Press();
    m_thread.Join();

    EXPECT_EQ(FileBytes(Target()), Expected(EEffect::ShutterTopToBottom, vecPictures, 3));
    const std::vector<std::string> vecMessages = m_ui.LogOf("message");
    ASSERT_EQ(vecMessages.size(), 1u);
    EXPECT_NE(vecMessages[0].find("Picture 2: "), std::string::npos);
    EXPECT_NE(vecMessages[0].find(strRemoved), std::string::npos);
}

} // namespace
} // namespace tramino
