#pragma once

#include "FakeWorkerUi.h"
#include "Workers.h"
#include "pipeline/ShowBuilder.h"
#include "platform/Platform.h"
#include "show/Transition.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace tramino
{

// The smallest panel every effect covers (width and height multiples of 8, wider than high).
inline constexpr int g_nTestWidth = 16;
inline constexpr int g_nTestHeight = 8;
inline constexpr int g_nTestPixels = g_nTestWidth * g_nTestHeight;

// A picture whose every pixel tells its position and the picture's number.
inline CPicture TestPicture(int nNumber)
{
    CPicture picture(g_nTestWidth, g_nTestHeight, 24);
    for (int y = 0; y < g_nTestHeight; ++y)
        for (int x = 0; x < g_nTestWidth; ++x)
            picture.SetPixel(x, y,
                             CRgb{static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 32),
                                  static_cast<uint8_t>(40 * nNumber + 8)});
    return picture;
}

// No value stands for a picture whose file has gone.
using PictureList = std::vector<std::optional<CPicture>>;

inline PictureList TestPictures(int nCount)
{
    PictureList vecPictures;
    for (int i = 0; i < nCount; ++i)
        vecPictures.push_back(TestPicture(i));
    return vecPictures;
}

inline CWorkerRun TestRun(const std::string& strMode, const PictureList& vecPictures)
{
    CWorkerRun run;
    run.m_effect = SelectEffect(strMode);
    run.m_nImageCount = static_cast<int>(vecPictures.size());
    run.m_nPanelWidth = g_nTestWidth;
    run.m_nPanelHeight = g_nTestHeight;
    run.m_texts = {"Stop", "Preview", "Transform", "Done"};
    run.m_timing = {0, 1, 1};
    run.m_fnReadPicture = [vecPictures](int k) -> CResult<CPicture>
    {
        if (k < 0 || k >= static_cast<int>(vecPictures.size()) || !vecPictures[static_cast<size_t>(k)])
            return CStatus::Error("Cannot read 'Qrv" + std::to_string(k) +
                                  ".bmp': No such file or directory");
        return *vecPictures[static_cast<size_t>(k)];
    };
    return run;
}

inline std::vector<char> FileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The show file the core's show builder makes of the first nCount pictures.
inline std::vector<char> CoreShow(const std::filesystem::path& path, EEffect effect,
                                  const PictureList& vecPictures, size_t nCount)
{
    const CWorkerRun run = TestRun(EffectName(effect), vecPictures);
    PictureSources vecSources;
    for (size_t i = 0; i < nCount; ++i)
        vecSources.push_back(std::make_unique<CReadPictureSource>(
            [&run, i] { return run.m_fnReadPicture(static_cast<int>(i)); }));
    CShowBuildOptions options;
    options.m_nPanelWidth = g_nTestWidth;
    options.m_nPanelHeight = g_nTestHeight;
    options.m_effect = effect;
    options.m_eUnreadable = EUnreadable::WriteWhite;
    const CShowBuildResult result = CShowBuilder(options).Build(vecSources, path.string());
    EXPECT_TRUE(result.m_bWritten) << result.m_status.Message();
    return FileBytes(path);
}

// A fresh directory for one test, removed with everything in it.
class CTempDir
{
public:
    CTempDir()
    {
        std::string strTemplate =
            platform::Utf8FromPath(std::filesystem::temp_directory_path() / "workers-test-XXXXXX");
        EXPECT_EQ(platform::CreatePrivateFolder(strTemplate), 0) << strTemplate;
        m_path = platform::PathFromUtf8(strTemplate);
    }
    ~CTempDir() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The seven buttons after a run: all enabled, the workers' captions back.
inline void ExpectIdle(const CFakeWorkerUi& ui, const CWorkerShared& shared)
{
    for (const int nId :
         {g_nIdLoadImage, g_nIdPreview, g_nIdTransform, g_nIdClean, g_nIdDelete, g_nIdUp, g_nIdDown})
        EXPECT_TRUE(ui.IsEnabled(nId)) << nId;
    EXPECT_FALSE(shared.m_bBusy);
    EXPECT_FALSE(shared.m_bStopRequested);
    EXPECT_FALSE(shared.m_bIgnoreListSelect);
}

// The six buttons a running worker greys, with its own still enabled unless it is stopping.
inline void ExpectRunning(const CFakeWorkerUi& ui, const CWorkerShared& shared, int nOwnButton,
                          bool bStopping)
{
    for (const int nId :
         {g_nIdLoadImage, g_nIdPreview, g_nIdTransform, g_nIdClean, g_nIdDelete, g_nIdUp, g_nIdDown})
    {
        if (nId != nOwnButton)
        {
            EXPECT_FALSE(ui.IsEnabled(nId)) << nId;
        }
    }
    EXPECT_EQ(ui.IsEnabled(nOwnButton), !bStopping);
    EXPECT_EQ(ui.Caption(nOwnButton), "Stop");
    EXPECT_TRUE(shared.m_bBusy);
    EXPECT_TRUE(shared.m_bIgnoreListSelect);
}

// The log of a worker's run greying (bEnable false) or enabling the six buttons besides its own.
inline std::vector<std::string> OtherButtonsLog(int nOwnButton, bool bEnable)
{
    const int nOtherWorker = nOwnButton == g_nIdPreview ? g_nIdTransform : g_nIdPreview;
    std::vector<std::string> vecLog;
    for (const int nId : {g_nIdClean, g_nIdDelete, g_nIdUp, g_nIdDown, nOtherWorker, g_nIdLoadImage})
        vecLog.push_back("enable " + std::to_string(nId) + (bEnable ? " 1" : " 0"));
    return vecLog;
}

// The log of picture k drawn whole on the test panel and held.
inline std::vector<std::string> PictureLog(int k)
{
    const std::string strK = std::to_string(k);
    return {"select " + strK, "visible " + strK, "pixels 128", "shown " + strK, "timer start"};
}

inline std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> listParts)
{
    std::vector<std::string> vecAll;
    for (const std::vector<std::string>& vecPart : listParts)
        vecAll.insert(vecAll.end(), vecPart.begin(), vecPart.end());
    return vecAll;
}

// A worker run the way the user runs it: by pressing its button, whose handler is fnPress.
class CWorkerTest : public ::testing::Test
{
protected:
    using FnPress = void (*)(CWorkerShared&, IWorkerUi&, CWorkerThread&, const CWorkerRun&);
    explicit CWorkerTest(FnPress fnPress) : m_fnPress(fnPress) {}

    // The run of strMode over vecPictures that the next press starts.
    void Prepare(const std::string& strMode, const PictureList& vecPictures)
    {
        m_run = TestRun(strMode, vecPictures);
    }
    void Start(const std::string& strMode, const PictureList& vecPictures)
    {
        Prepare(strMode, vecPictures);
        Press();
    }
    void Press() { Press(m_ui); }
    void Press(CFakeWorkerUi& ui) { m_fnPress(m_shared, ui, m_thread, m_run); }
    // The worker waits in m_handOff whenever it logs strEntry, until the test releases it.
    void HoldAt(const std::string& strEntry)
    {
        m_ui.SetHook(
            [this, strEntry](const std::string& strLogged)
            {
                if (strLogged == strEntry)
                    m_handOff.Reach();
            });
    }

    CHandOff m_handOff; // outlives the ui's hook and the worker
    CFakeWorkerUi m_ui{g_nTestWidth, g_nTestHeight};
    CWorkerShared m_shared;
    CWorkerThread m_thread;
    CWorkerRun m_run;

private:
    FnPress m_fnPress;
};

} // namespace tramino
