#include "failure/FailureTestSupport.h"

#include "png/PngWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

namespace tramino
{
namespace
{
using namespace test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string g_strPicture = TRAMINO_SOURCE_DIR "/res/samples/rings.gif";

bool HasEnded(pid_t nPid)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(nPid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid != 0;
}

// Waits up to nMaxWait for fnReady, then does fnThen to the running program.
std::function<void(pid_t)> When(std::function<bool()> fnReady, std::function<void(pid_t)> fnThen,
                                std::chrono::milliseconds nMaxWait = 20s)
{
    return [=](pid_t nPid)
    {
        const auto end = std::chrono::steady_clock::now() + nMaxWait;
        while (!fnReady() && !HasEnded(nPid) && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(5ms);
        fnThen(nPid);
    };
}

// A program that blocks is killed after ten seconds and fails the test instead of hanging it.
const std::function<void(pid_t)> g_fnKillIfStuck = When([] { return false; },
                                                        [](pid_t nPid)
                                                        {
                                                            if (!HasEnded(nPid))
                                                                ::kill(nPid, SIGKILL);
                                                        },
                                                        10s);

class FileSafetyTest : public testing::Test
{
protected:
    void SetUp() override { fs::create_directory(m_strTmpDir); }

    CProgramRun Cli(std::vector<std::string> vecArgs, rlim_t nFileSizeLimit = 0,
                    const std::function<void(pid_t)>& fnWhileRunning = g_fnKillIfStuck) const
    {
        vecArgs.insert(vecArgs.begin(), TRAMINO_CLI);
        return RunProgram(vecArgs, m_strTmpDir, nFileSizeLimit, fnWhileRunning);
    }

    // Failed at once with the message, wrote nothing and left no temporary file.
    void ExpectRefused(const CProgramRun& run, const std::string& strMessage) const
    {
        EXPECT_EQ(run.m_nStatus, 1) << run.m_strErr;
        EXPECT_EQ(run.m_strOut, "");
        EXPECT_NE(run.m_strErr.find(strMessage), std::string::npos) << run.m_strErr;
        EXPECT_EQ(m_dir.Entries("tmp"), std::vector<std::string>{});
        for (const std::string& strName : m_dir.Entries())
            EXPECT_FALSE(strName.ends_with(".tmp")) << strName;
    }

    CTempDir m_dir;
    std::string m_strTmpDir = m_dir.File("tmp");
};

TEST_F(FileSafetyTest, TargetsThatAreNotRegularFilesAreRefusedBeforeAnyWork)
{
    const std::string strFifo = m_dir.File("fifo");
    const std::string strDevice = m_dir.File("null");
    const std::string strDir = m_dir.File("dir");
    ASSERT_EQ(::mkfifo(strFifo.c_str(), 0644), 0);
    fs::create_directory(strDir);
    std::vector<std::pair<std::string, std::string>> vecTargets{{strFifo, "not a regular file"},
                                                                {strDir, "Is a directory"}};
    if (::mknod(strDevice.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        vecTargets.emplace_back(strDevice, "not a regular file");
    for (const auto& [strTarget, strReason] : vecTargets)
    {
        SCOPED_TRACE(strTarget);
        ExpectRefused(Cli({"convert", g_strPicture, strTarget}), strTarget + "': " + strReason);
        ExpectRefused(Cli({"build", "-o", strTarget, g_strPicture}), strTarget + "': " + strReason);
        EXPECT_FALSE(WritePngFile(CPicture(2, 2, 24), strTarget));
    }
    EXPECT_TRUE(fs::is_fifo(strFifo));
    EXPECT_TRUE(fs::is_directory(strDir));
}

TEST_F(FileSafetyTest, LinksAreFollowedAndPermissionsKeptWithoutSetIdBits)
{
    fs::create_directory(m_dir.File("sub"));
    WriteBytes(m_dir.File("setuid.bmp"), "old");
    fs::permissions(m_dir.File("setuid.bmp"), static_cast<fs::perms>(04750));
    WriteBytes(m_dir.File("private.bmp"), "old");
    fs::permissions(m_dir.File("private.bmp"), static_cast<fs::perms>(0600));
    fs::create_symlink("setuid.bmp", m_dir.File("link.bmp"));
    fs::create_symlink("sub/new.bmp", m_dir.File("dangling.bmp"));
    fs::create_symlink(m_dir.File("sub/show.qrv"), m_dir.File("show.qrv"));
    for (const char* szTarget : {"link.bmp", "private.bmp", "dangling.bmp"})
        EXPECT_EQ(Cli({"convert", g_strPicture, m_dir.File(szTarget)}).m_nStatus, 0) << szTarget;
    EXPECT_EQ(Cli({"build", "-o", m_dir.File("show.qrv"), g_strPicture}).m_nStatus, 0);

    for (const char* szLink : {"link.bmp", "dangling.bmp", "show.qrv"})
        EXPECT_TRUE(fs::is_symlink(m_dir.File(szLink))) << szLink;
    for (const char* szFile : {"setuid.bmp", "private.bmp", "sub/new.bmp"})
        EXPECT_EQ(ReadBytes(m_dir.File(szFile))[0], 'B') << szFile;
    EXPECT_GT(fs::file_size(m_dir.File("sub/show.qrv")), 1000u);
    EXPECT_EQ(fs::status(m_dir.File("setuid.bmp")).permissions(), static_cast<fs::perms>(0750));
    EXPECT_EQ(fs::status(m_dir.File("private.bmp")).permissions(), static_cast<fs::perms>(0600));
    EXPECT_EQ(m_dir.Entries("sub"), (std::vector<std::string>{"new.bmp", "show.qrv"}));
}

TEST_F(FileSafetyTest, LongNamesAreWrittenAndInputsNeverOverwritten)
{
    const std::string strLong = m_dir.File(std::string(251, 'n') + ".bmp");
    EXPECT_EQ(Cli({"convert", g_strPicture, strLong}).m_nStatus, 0);
    EXPECT_EQ(Cli({"build", "-o", strLong, g_strPicture}).m_nStatus, 0);

    const std::string strSame = m_dir.File("same.gif");
    fs::copy_file(g_strPicture, strSame);
    fs::create_symlink("same.gif", m_dir.File("alias.gif"));
    ExpectRefused(Cli({"convert", strSame, strSame}), "it is the input file '" + strSame + "'");
    ExpectRefused(Cli({"build", "-o", m_dir.File("alias.gif"), g_strPicture, strSame}),
                  "it is the input file '" + strSame + "'");
    EXPECT_EQ(ReadBytes(strSame), ReadBytes(g_strPicture));
}

TEST_F(FileSafetyTest, InputsThatAreNotRegularFilesAreRefusedWithoutWaiting)
{
    const std::string strFifo = m_dir.File("fifo");
    ASSERT_EQ(::mkfifo(strFifo.c_str(), 0644), 0);
    for (const std::vector<std::string>& vecArgs :
         {std::vector<std::string>{"convert", strFifo, m_dir.File("o.bmp")},
          {"build", "-o", m_dir.File("o.qrv"), strFifo},
          {"check", strFifo},
          {"check", "/dev/zero"},
          {"render", strFifo, "--size", "8x8", "-o", m_dir.File("r")}})
        ExpectRefused(Cli(vecArgs), "': not a regular file");
}

TEST_F(FileSafetyTest, AFileSizeLimitFailsConvertAndRenderWithAMessage)
{
    const std::string strShow = m_dir.File("show.qrv");
    ASSERT_EQ(Cli({"build", "--panel-code", "9", "-o", strShow, g_strPicture}).m_nStatus, 0);
    const std::string strOut = m_dir.File("o.bmp");
    ExpectRefused(Cli({"convert", "--panel-code", "9", g_strPicture, strOut}, 100000),
                  strOut + "': File too large");
    const CProgramRun run = Cli({"render", strShow, "-o", m_dir.File("r")}, 1000);
    EXPECT_EQ(run.m_nStatus, 1) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find("File too large"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(m_dir.Entries("r"), std::vector<std::string>{});
}

// A killed build leaves its temporary file; the next write beside it removes it, and only it:
// not one whose writer lives, nor one whose lock is held, nor another file's.
TEST_F(FileSafetyTest, TemporaryFilesOfKilledRunsGoWithTheNextWrite)
{
    fs::create_directory(m_dir.File("out"));
    const std::string strShow = m_dir.File("out/show.qrv");
    std::vector<std::string> vecArgs{"build", "--size", "512x512", "-o", strShow};
    for (const auto& entry : fs::directory_iterator(TRAMINO_SOURCE_DIR "/res/samples"))
        vecArgs.push_back(entry.path().string());
    pid_t nKilled = 0;
    Cli(vecArgs, 0,
        When([this] { return !m_dir.Entries("out").empty(); },
             [&nKilled](pid_t nPid)
             {
                 nKilled = nPid;
                 ::kill(nPid, SIGKILL);
             }));
    const std::vector<std::string> vecLeft = m_dir.Entries("out");
    ASSERT_EQ(vecLeft.size(), 1u);
    EXPECT_TRUE(vecLeft[0].starts_with(".show.qrv." + std::to_string(nKilled) + "-")) << vecLeft[0];

    const std::string strLocked = ".show.qrv." + std::to_string(nKilled) + "-locked00.tmp";
    const std::vector<std::string> vecKept = {".other.qrv." + std::to_string(nKilled) + "-abcdefgh.tmp",
                                              ".show.qrv." + std::to_string(::getpid()) + "-abcdefgh.tmp",
                                              ".show.qrv.notes.tmp", strLocked};
    for (const std::string& strName : vecKept)
        WriteBytes(m_dir.File("out/" + strName), "x");
    const int hLocked = ::open(m_dir.File("out/" + strLocked).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(hLocked, LOCK_EX), 0);
    EXPECT_EQ(Cli({"build", "--size", "8x8", "-o", strShow, g_strPicture}).m_nStatus, 0);
    ::close(hLocked);
    std::vector<std::string> vecExpected = vecKept;
    vecExpected.push_back("show.qrv");
    std::sort(vecExpected.begin(), vecExpected.end());
    EXPECT_EQ(m_dir.Entries("out"), vecExpected);
}

class StopSignalTest : public FileSafetyTest, public testing::WithParamInterface<int>
{
protected:
    // Runs the command and sends the signal as soon as fnReady holds.
    CProgramRun StoppedRun(const std::vector<std::string>& vecArgs,
                           const std::function<bool()>& fnReady) const
    {
        const int nSignal = GetParam();
        return Cli(vecArgs, 0, When(fnReady, [nSignal](pid_t nPid) { ::kill(nPid, nSignal); }));
    }

    static void ExpectStopped(const CProgramRun& run, const std::string& strCommand)
    {
        const int nSignal = GetParam();
        EXPECT_EQ(run.m_nStatus, 128 + nSignal) << run.m_strErr;
        EXPECT_EQ(run.m_strOut, "");
        EXPECT_EQ(run.m_strErr,
                  "tramino-cli " + strCommand + ": stopped by SIG" + sigabbrev_np(nSignal) + "\n");
    }
};

TEST_P(StopSignalTest, EndsABuildInOrder)
{
    fs::create_directory(m_dir.File("out"));
    // Twelve pictures on a large panel: the show is being written for a while.
    std::vector<std::string> vecArgs{"build", "--size", "512x512", "-o", m_dir.File("out/show.qrv")};
    for (const auto& entry : fs::directory_iterator(TRAMINO_SOURCE_DIR "/res/samples"))
        vecArgs.push_back(entry.path().string());
    ExpectStopped(StoppedRun(vecArgs, [this] { return !m_dir.Entries("out").empty(); }), "build");
    EXPECT_EQ(m_dir.Entries("out"), std::vector<std::string>{});
    EXPECT_EQ(m_dir.Entries("tmp"), std::vector<std::string>{});
}

TEST_P(StopSignalTest, EndsARenderInOrderLeavingOnlyWholePngs)
{
    std::vector<std::string> vecBuild{"build", "--size", "512x512", "-o", m_dir.File("show.qrv")};
    for (int i = 0; i < 2; ++i)
        for (const auto& entry : fs::directory_iterator(TRAMINO_SOURCE_DIR "/res/samples"))
            vecBuild.push_back(entry.path().string());
    ASSERT_EQ(Cli(vecBuild).m_nStatus, 0);
    const auto finished = [this]
    {
        const std::vector<std::string> vecNames = m_dir.Entries("out");
        return std::any_of(vecNames.begin(), vecNames.end(),
                           [](const std::string& strName) { return strName.starts_with("picture-"); });
    };
    ExpectStopped(StoppedRun({"render", m_dir.File("show.qrv"), "--size", "512x512", "-o", m_dir.File("out")},
                             finished),
                  "render");
    const std::vector<std::string> vecNames = m_dir.Entries("out");
    EXPECT_LT(vecNames.size(), 24u);
    const std::string strEnd{'I', 'E', 'N', 'D', '\xAE', 'B', '`', '\x82'};
    for (const std::string& strName : vecNames)
    {
        const std::vector<uint8_t> vecBytes = ReadBytes(m_dir.File("out/" + strName));
        EXPECT_TRUE(strName.ends_with(".png") && vecBytes.size() > 8 &&
                    std::string(vecBytes.end() - 8, vecBytes.end()) == strEnd)
            << strName;
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest, testing::Values(SIGINT, SIGTERM, SIGHUP));

} // namespace
} // namespace tramino
