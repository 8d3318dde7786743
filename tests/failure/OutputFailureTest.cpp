#include "failure/FailureTestSupport.h"

#include "show/RecordCutter.h"
#include "show/ShowFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

namespace tramino
{
namespace
{
using namespace test;
namespace fs = std::filesystem;

constexpr std::string_view g_strOldShow = "the show saved yesterday";

// Every sample picture, converted by the command line to the panel.
std::vector<std::string> SamplePictures()
{
    std::vector<std::string> vecPaths;
    for (const auto& entry : fs::directory_iterator(TRAMINO_SOURCE_DIR "/res/samples"))
        vecPaths.push_back(entry.path().string());
    std::sort(vecPaths.begin(), vecPaths.end());
    return vecPaths;
}

// Two 320 x 240 pictures in circles: about 310 kB.
CStatus WriteLargeShow(const std::string& strPath)
{
    CShowFileWriter writer;
    CStatus status = writer.Create(strPath);
    for (int i = 0; status && i < 2; ++i)
        status = WriteUnreadablePicture(writer, EEffect::Circle, 320, 240);
    return status ? writer.Finish() : status;
}

// A folder that already holds yesterday's show, for a new one to fail over.
class OutputFailureTest : public testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directory(m_strFolder);
        fs::create_directory(m_strTmpDir);
    }
    void TearDown() override { Unmount(m_strFolder); }

    void PutOldShow() { WriteBytes(Target(), g_strOldShow); }
    std::string Target() const { return m_strFolder + "/show.qrv"; }

    // The old show is still there byte for byte, and nothing else is.
    void ExpectOldShowAlone() const
    {
        EXPECT_EQ(m_dir.Entries("out"), std::vector<std::string>{"show.qrv"});
        const std::vector<uint8_t> vecBytes = ReadBytes(Target());
        EXPECT_EQ(std::string(vecBytes.begin(), vecBytes.end()), g_strOldShow);
    }

    // tramino-cli build of every sample on the smallest panel: 12 pictures, 148 kB.
    CProgramRun Build(const std::string& strOutput, rlim_t nFileSizeLimit = 0) const
    {
        std::vector<std::string> vecArgs{TRAMINO_CLI, "build", "--panel-code", "1", "-o", strOutput};
        for (const std::string& strPicture : SamplePictures())
            vecArgs.push_back(strPicture);
        return RunProgram(vecArgs, m_strTmpDir, nFileSizeLimit);
    }

    // Failed with the file and the reason, and removed its picture store.
    void ExpectBuildFailed(const CProgramRun& run, const std::string& strPath,
                           const std::string& strReason) const
    {
        EXPECT_EQ(m_dir.Entries("tmp"), std::vector<std::string>{});
        EXPECT_EQ(run.m_nStatus, 1) << run.m_strErr;
        EXPECT_EQ(run.m_strOut, "");
        EXPECT_NE(run.m_strErr.find("'" + strPath + "': " + strReason), std::string::npos) << run.m_strErr;
    }

    CTempDir m_dir;
    std::string m_strFolder = m_dir.File("out");
    std::string m_strTmpDir = m_dir.File("tmp");
};

TEST_F(OutputFailureTest, APathUnderAFileIsRefusedAtOnce)
{
    PutOldShow();
    const std::string strPath = Target() + "/new.qrv";
    CShowFileWriter writer;
    EXPECT_EQ(writer.Create(strPath).Message(), "Cannot create '" + strPath + "': Not a directory");
    ExpectBuildFailed(Build(strPath), strPath, "Not a directory");
    ExpectOldShowAlone();
}

TEST_F(OutputFailureTest, ATargetThatBecomesADirectoryWhileWritingIsNotReplaced)
{
    CShowFileWriter writer;
    ASSERT_TRUE(writer.Create(Target()));
    ASSERT_TRUE(WriteUnreadablePicture(writer, EEffect::Normal, 96, 64));
    fs::create_directory(Target());
    EXPECT_EQ(writer.Finish().Message(), "Cannot replace '" + Target() + "': Is a directory");
    EXPECT_EQ(m_dir.Entries("out"), std::vector<std::string>{"show.qrv"});
    EXPECT_TRUE(fs::is_directory(Target()));

    ExpectBuildFailed(Build(Target()), Target(), "Is a directory");
    EXPECT_EQ(m_dir.Entries("out"), std::vector<std::string>{"show.qrv"});
}

TEST_F(OutputFailureTest, AFileSizeLimitFailsTheWriteAndKeepsTheOldShow)
{
    PutOldShow();
    // The limit is the kernel's, set in a child so that the test process keeps its own.
    const std::string strMessage = RunInChild(
        [this]
        {
            std::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit limit
            {
                100000, 100000
            };
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return WriteLargeShow(Target()).Message();
        });
    EXPECT_EQ(strMessage, "Cannot write '" + Target() + "': File too large");
    ExpectOldShowAlone();

    // The pictures of the store stay below the limit; the show does not.
    ExpectBuildFailed(Build(Target(), 100000), Target(), "File too large");
    ExpectOldShowAlone();
    // And the same build without the limit succeeds, so the limit is what stopped it.
    const CProgramRun run = Build(Target());
    EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_GT(fs::file_size(Target()), 100000u);
}

TEST_F(OutputFailureTest, AFullFileSystemFailsTheWriteAndKeepsTheOldShow)
{
    if (const std::string strReason = MountTmpfs(m_strFolder, 64 * 1024); !strReason.empty())
        GTEST_SKIP() << strReason;
    PutOldShow();
    EXPECT_EQ(WriteLargeShow(Target()).Message(), "Cannot write '" + Target() + "': No space left on device");
    ExpectOldShowAlone();
    ExpectBuildFailed(Build(Target()), Target(), "No space left on device");
    ExpectOldShowAlone();
    EXPECT_EQ(fs::space(m_strFolder).available, fs::space(m_strFolder).capacity - 4096)
        << "the failed writes gave back all their space";
}

TEST_F(OutputFailureTest, AReadOnlyFolderRefusesEvenRoot)
{
    PutOldShow();
    if (const std::string strReason = MountReadOnly(m_strFolder); !strReason.empty())
        GTEST_SKIP() << strReason;
    EXPECT_EQ(WriteLargeShow(Target()).Message(), "Cannot create '" + Target() + "': Read-only file system");
    ExpectBuildFailed(Build(Target()), Target(), "Read-only file system");
    ExpectOldShowAlone();
}

TEST_F(OutputFailureTest, RenderOnAFullFileSystemLeavesOnlyWholeFiles)
{
    if (const std::string strReason = MountTmpfs(m_strFolder, 8 * 1024); !strReason.empty())
        GTEST_SKIP() << strReason;
    const std::string strShow = m_dir.File("large.qrv");
    ASSERT_TRUE(WriteLargeShow(strShow));
    const CProgramRun run =
        RunProgram({TRAMINO_CLI, "render", strShow, "--size", "320x240", "-o", m_strFolder}, m_strTmpDir);
    EXPECT_EQ(run.m_nStatus, 1) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find("No space left on device"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(run.m_strErr.find("IHDR"), std::string::npos) << run.m_strErr;
    // No temporary file is left, and every PNG there ends with its IEND chunk.
    for (const std::string& strName : m_dir.Entries("out"))
    {
        EXPECT_NE(strName.front(), '.') << strName;
        const std::vector<uint8_t> vecBytes = ReadBytes(m_strFolder + "/" + strName);
        ASSERT_GE(vecBytes.size(), 8u) << strName;
        EXPECT_EQ(std::string(vecBytes.end() - 8, vecBytes.end() - 4), "IEND") << strName;
    }
}

} // namespace
} // namespace tramino
