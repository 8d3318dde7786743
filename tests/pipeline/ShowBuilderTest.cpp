#include "pipeline/ShowBuilder.h"
#include "PortableTestSupport.h"
#include "show/FullDiskSink.h"
#include "show/ShowFileWriter.h"
#include "show/ShowRenderer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tramino
{
namespace
{

namespace fs = std::filesystem;

constexpr int g_nWidth = 16;
constexpr int g_nHeight = 8;

CPicture NumberedPicture(int nNumber)
{
    CPicture picture(g_nWidth, g_nHeight, 24);
    for (int y = 0; y < g_nHeight; ++y)
        for (int x = 0; x < g_nWidth; ++x)
            picture.SetPixel(x, y,
                             CRgb{static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 32),
                                  static_cast<uint8_t>(8 * nNumber)});
    return picture;
}

// Picture nNumber after a pause of its own; nNumber < 0 fails naming it. With pnGiven, pictures
// nNumber, nNumber + 1, ... as long as fnTake wants them, counted there before each is handed on.
class CTestSource final : public IPictureSource
{
public:
    CTestSource(int nNumber, int nPauseMs, std::atomic<int>* pnGiven = nullptr)
        : m_nNumber(nNumber), m_nPauseMs(nPauseMs), m_pnGiven(pnGiven)
    {
    }

    uint64_t PeakBytes(CPanelSize) const override { return 0; }
    CStatus Produce(CPanelSize, const FnTakePicture& fnTake) const override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_nPauseMs));
        if (m_nNumber < 0)
            return CStatus::Error("Cannot convert 'bad" + std::to_string(-m_nNumber) + ".gif': broken");
        if (m_pnGiven == nullptr)
        {
            fnTake(NumberedPicture(m_nNumber));
            return {};
        }
        for (int i = m_nNumber; (*m_pnGiven)++ < g_nManyPictures && fnTake(NumberedPicture(i)); ++i)
        {
        }
        return {};
    }

    static constexpr int g_nManyPictures = 60;

private:
    int m_nNumber;
    int m_nPauseMs;
    std::atomic<int>* m_pnGiven;
};

// Numbers in list order; uneven pauses so that later entries often finish first.
PictureSources TestSources(const std::vector<int>& vecNumbers)
{
    PictureSources vecSources;
    for (size_t i = 0; i < vecNumbers.size(); ++i)
        vecSources.push_back(std::make_unique<CTestSource>(vecNumbers[i], static_cast<int>((i * 7) % 5)));
    return vecSources;
}

std::vector<char> FileBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ShowBuilderTest : public testing::TestWithParam<int>
{
protected:
    ShowBuilderTest() { m_dir = test::MakeTempFolder("show-builder-"); }
    ~ShowBuilderTest() override { fs::remove_all(m_dir); }

    fs::path Target() const { return m_dir / "show.qrv"; }

    // What the writer and the record cutting make of these numbers; a negative one is white.
    std::vector<char> Expected(EEffect effect, const std::vector<int>& vecNumbers) const
    {
        const fs::path path = m_dir / "expected.qrv";
        CShowFileWriter writer;
        EXPECT_TRUE(writer.Create(path.string()));
        for (const int nNumber : vecNumbers)
            EXPECT_TRUE(nNumber >= 0 ? WritePictureRecords(writer, effect, g_nWidth, g_nHeight,
                                                           NumberedPicture(nNumber))
                                     : WriteUnreadablePicture(writer, effect, g_nWidth, g_nHeight));
        EXPECT_TRUE(writer.Finish());
        std::vector<char> vecBytes = FileBytes(path);
        fs::remove(path);
        return vecBytes;
    }

    CShowBuildResult Build(const std::vector<int>& vecNumbers, EEffect effect, EUnreadable eUnreadable,
                           CShowBuildEvents events = {}, ShowFileSinkOpener fnOpenSink = {})
    {
        CShowBuildOptions options;
        options.m_nPanelWidth = g_nWidth;
        options.m_nPanelHeight = g_nHeight;
        options.m_effect = effect;
        options.m_eUnreadable = eUnreadable;
        options.m_nJobs = GetParam();
        options.m_fnOpenSink = std::move(fnOpenSink);
        return CShowBuilder(std::move(options), std::move(events))
            .Build(TestSources(vecNumbers), Target().string());
    }

    size_t FilesInDir() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }

    fs::path m_dir;
};

TEST_P(ShowBuilderTest, KeepsTheListOrderWhateverFinishesFirst)
{
    std::vector<int> vecNumbers;
    for (int i = 0; i < 24; ++i)
        vecNumbers.push_back(i);
    std::vector<size_t> vecStarted;
    std::vector<size_t> vecProgress;
    CShowBuildEvents events;
    events.m_fnEntryStart = [&](size_t i) { vecStarted.push_back(i); };
    events.m_fnProgress = [&](size_t nDone, size_t nTotal)
    {
        EXPECT_EQ(nTotal, 24u);
        vecProgress.push_back(nDone);
    };
    size_t nPixels = 0;
    events.m_fnPixel = [&](int, int, CRgb) { ++nPixels; };
    for (const EEffect effect : g_arrEffects)
    {
        vecStarted.clear();
        vecProgress.clear();
        nPixels = 0;
        const CShowBuildResult result = Build(vecNumbers, effect, EUnreadable::Abandon, events);
        ASSERT_TRUE(result.m_status) << result.m_status.Message();
        EXPECT_TRUE(result.m_bWritten);
        EXPECT_EQ(result.m_nPictures, 24);
        EXPECT_EQ(FileBytes(Target()), Expected(effect, vecNumbers)) << EffectName(effect);
        ASSERT_EQ(vecStarted.size(), 24u);
        for (size_t i = 0; i < 24; ++i)
        {
            EXPECT_EQ(vecStarted[i], i);
            EXPECT_EQ(vecProgress[i], i + 1);
        }
        EXPECT_EQ(nPixels, 24u * g_nWidth * g_nHeight);
    }
}

TEST_P(ShowBuilderTest, UnreadablePicturesInTheMiddleFollowTheChosenHandling)
{
    const std::vector<int> vecNumbers = {0, 1, -2, 3, 4, 5, -6, 7};
    for (const EUnreadable eUnreadable :
         {EUnreadable::Abandon, EUnreadable::LeaveOut, EUnreadable::WriteWhite})
    {
        std::ofstream(Target()) << "the old show";
        std::vector<std::string> vecFailures;
        CShowBuildEvents events;
        events.m_fnEntryFailed = [&](size_t i, const CStatus& status)
        { vecFailures.push_back(std::to_string(i) + " " + status.Message()); };
        const CShowBuildResult result = Build(vecNumbers, EEffect::Circle, eUnreadable, events);
        EXPECT_TRUE(result.m_status) << result.m_status.Message();
        EXPECT_EQ(result.m_nUnreadable, 2u);
        // Every failure is named, in list order, even when the first one settled the outcome.
        EXPECT_EQ(vecFailures, (std::vector<std::string>{"2 Cannot convert 'bad2.gif': broken",
                                                         "6 Cannot convert 'bad6.gif': broken"}));
        switch (eUnreadable)
        {
        case EUnreadable::Abandon:
            EXPECT_FALSE(result.m_bWritten);
            EXPECT_EQ(FileBytes(Target()),
                      std::vector<char>({'t', 'h', 'e', ' ', 'o', 'l', 'd', ' ', 's', 'h', 'o', 'w'}));
            break;
        case EUnreadable::LeaveOut:
            EXPECT_EQ(result.m_nPictures, 6);
            EXPECT_EQ(FileBytes(Target()), Expected(EEffect::Circle, {0, 1, 3, 4, 5, 7}));
            break;
        case EUnreadable::WriteWhite:
            EXPECT_EQ(result.m_nPictures, 8);
            EXPECT_EQ(FileBytes(Target()), Expected(EEffect::Circle, vecNumbers));
            break;
        }
        EXPECT_EQ(FilesInDir(), 1u);
    }
    // With nothing readable there is no show at all.
    fs::remove(Target());
    const CShowBuildResult result = Build({-1, -2}, EEffect::Normal, EUnreadable::LeaveOut);
    EXPECT_FALSE(result.m_bWritten);
    EXPECT_EQ(FilesInDir(), 0u);
}

TEST_P(ShowBuilderTest, StopAfterPictureKFinishesAFileOfTheFirstKPictures)
{
    CShowBuildEvents events;
    std::set<size_t> setStarted;
    events.m_fnEntryStart = [&](size_t i) { setStarted.insert(i); };
    events.m_fnPictureWritten = [](size_t i) { return i < 2; };
    const CShowBuildResult result =
        Build({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, EEffect::ShutterTopToBottom, EUnreadable::Abandon, events);
    ASSERT_TRUE(result.m_status) << result.m_status.Message();
    EXPECT_TRUE(result.m_bStopped);
    EXPECT_TRUE(result.m_bWritten);
    EXPECT_EQ(FileBytes(Target()), Expected(EEffect::ShutterTopToBottom, {0, 1, 2}));
    EXPECT_EQ(setStarted, (std::set<size_t>{0, 1, 2}));
}

TEST_P(ShowBuilderTest, AnEntryOfManyPicturesIsHandedOnAFewAtATime)
{
    std::atomic<int> nGiven = 0;
    int nWritten = 0;
    int nMostAhead = 0;
    PictureSources vecSources = TestSources({0, 1});
    vecSources.insert(vecSources.begin() + 1, std::make_unique<CTestSource>(2, 0, &nGiven));
    CShowBuildOptions options;
    options.m_nPanelWidth = g_nWidth;
    options.m_nPanelHeight = g_nHeight;
    options.m_nJobs = GetParam();
    CShowBuildEvents events;
    events.m_fnPictureWritten = [&](size_t nEntry)
    {
        nWritten += nEntry == 1 ? 1 : 0;
        nMostAhead = std::max(nMostAhead, nGiven.load() - nWritten);
        return true;
    };
    const CShowBuildResult result =
        CShowBuilder(std::move(options), std::move(events)).Build(vecSources, Target().string());
    ASSERT_TRUE(result.m_status) << result.m_status.Message();
    std::vector<int> vecNumbers = {0};
    for (int i = 0; i < CTestSource::g_nManyPictures; ++i)
        vecNumbers.push_back(2 + i);
    vecNumbers.push_back(1);
    EXPECT_EQ(FileBytes(Target()), Expected(EEffect::Normal, vecNumbers));
    // The one being written, one waiting and one being made, never the whole entry.
    EXPECT_LE(nMostAhead, 3);
}

TEST_P(ShowBuilderTest, AFullFileSystemEndsTheRunAndLeavesNoFile)
{
    const ShowFileSinkOpener fnOpenSink =
        [](const std::string& strPath) -> CResult<std::unique_ptr<IShowFileSink>>
    {
        CResult<std::unique_ptr<IShowFileSink>> sink = OpenReplacingFile(strPath);
        if (!sink)
            return sink;
        return std::unique_ptr<IShowFileSink>(
            std::make_unique<test::CFullDiskSink>(std::move(sink).Value(), strPath, 300 * 1024));
    };
    // A picture takes 12 + 2 x 128 + 2 bytes, the writer flushes 256 KiB at a time: the second
    // flush, some 1,940 pictures in, finds the disk full.
    std::vector<int> vecNumbers(2400, 1);
    size_t nProgress = 0;
    CShowBuildEvents events;
    events.m_fnProgress = [&](size_t nDone, size_t) { nProgress = nDone; };
    const CShowBuildResult result =
        Build(vecNumbers, EEffect::Normal, EUnreadable::Abandon, events, fnOpenSink);
    EXPECT_EQ(result.m_status.Message(),
              "Cannot write '" + Target().string() + "': " + std::strerror(ENOSPC));
    EXPECT_FALSE(result.m_bWritten);
    EXPECT_GT(nProgress, 1800u);
    EXPECT_LT(nProgress, 2000u);
    EXPECT_EQ(FilesInDir(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Jobs, ShowBuilderTest, testing::Values(0, 1, 4, 8),
                         [](const testing::TestParamInfo<int>& param) {
                             return param.param == 0 ? std::string("OnTheCallingThread")
                                                     : std::to_string(param.param) + "Threads";
                         });

// Where the test below runs: the sanitizers reserve address space of their own.
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// fn's outcome in a child whose address space leaves nHeadroomMiB beside what it has.
std::string WithLittleAddressSpace(rlim_t nHeadroomMiB, const std::function<std::string()>& fn)
{
    int arrPipe[2];
    if (::pipe(arrPipe) != 0)
        return "no pipe";
    const pid_t nPid = ::fork();
    if (nPid == 0)
    {
        unsigned long nPages = 0;
        std::ifstream("/proc/self/statm") >> nPages;
        const rlim_t nBytes = nPages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (nHeadroomMiB << 20);
        const struct rlimit limit
        {
            nBytes, nBytes
        };
        ::setrlimit(RLIMIT_AS, &limit);
        const std::string strOutcome = fn();
        _exit(::write(arrPipe[1], strOutcome.data(), strOutcome.size()) < 0 ? 1 : 0);
    }
    ::close(arrPipe[1]);
    std::string strOutcome;
    char szBuffer[256];
    for (ssize_t n; (n = ::read(arrPipe[0], szBuffer, sizeof szBuffer)) > 0;)
        strOutcome.append(szBuffer, static_cast<size_t>(n));
    ::close(arrPipe[0]);
    int nStatus = 0;
    ::waitpid(nPid, &nStatus, 0);
    return nStatus == 0 ? strOutcome : "the child ended with " + std::to_string(nStatus);
}

// A build with room for a few thread stacks: the show's outcome, "written" or the reason.
std::string BuildWithLittleAddressSpace(const fs::path& target, int nPictures)
{
    return WithLittleAddressSpace(
        40,
        [&]
        {
            CShowBuildOptions options;
            options.m_nPanelWidth = g_nWidth;
            options.m_nPanelHeight = g_nHeight;
            options.m_nJobs = 200;
            const CShowBuildResult result =
                CShowBuilder(std::move(options), {})
                    .Build(TestSources(std::vector<int>(nPictures, 1)), target.string());
            return result.m_bWritten ? std::string("written") : result.m_status.Message();
        });
}
#endif

// Threads follow the pictures, whatever -j asks; one that cannot start is an error, and no file
// is left.
TEST(ConversionThreadsTest, FollowThePicturesAndOneThatCannotStartIsAnError)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve address space of their own";
#elif defined(_WIN32)
    GTEST_SKIP() << "Windows can neither fork a child nor limit its address space";
#else
    const fs::path dir = test::MakeTempFolder("show-threads-");
    EXPECT_EQ(BuildWithLittleAddressSpace(dir / "one.qrv", 1), "written");
    EXPECT_TRUE(fs::exists(dir / "one.qrv"));
    const std::string strOutcome = BuildWithLittleAddressSpace(dir / "many.qrv", 200);
    EXPECT_TRUE(strOutcome.starts_with("Cannot start thread ")) << strOutcome;
    EXPECT_NE(strOutcome.find(" of 200 to convert pictures on: "), std::string::npos) << strOutcome;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
    // Rendering a show one picture a sheet wants a worker per core and more: without room for
    // their stacks, that is an error too, never an end of the program.
    CShowBuildOptions options;
    options.m_nPanelWidth = g_nWidth;
    options.m_nPanelHeight = g_nHeight;
    const fs::path show = dir / "eight.qrv";
    ASSERT_TRUE(CShowBuilder(std::move(options), {})
                    .Build(TestSources(std::vector<int>(8, 1)), show.string())
                    .m_bWritten);
    const std::string strRender = WithLittleAddressSpace(
        12,
        [&]
        {
            const CStatus status =
                CShowRenderer({g_nWidth, g_nHeight}, 1).Render(show.string(), (dir / "pictures").string());
            return status ? std::string("rendered") : status.Message();
        });
    EXPECT_TRUE(strRender.starts_with("Cannot ")) << strRender;
    fs::remove_all(dir);
#endif
}

} // namespace
} // namespace tramino
