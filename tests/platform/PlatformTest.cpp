#include "platform/Platform.h"
#include "common/ReplacingFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;
using namespace tramino;
using namespace tramino::platform;

namespace
{

constexpr const char* g_szLockEnv = "TRAMINO_TEST_LOCK_FOLDER";

std::string ReadAll(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void SetEnvironment(const char* szName, const std::string& strValue)
{
#ifdef _WIN32
    _putenv_s(szName, strValue.c_str());
#else
    setenv(szName, strValue.c_str(), 1);
#endif
}

bool WaitFor(const fs::path& path)
{
    for (int i = 0; i < 300 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return fs::exists(path);
}

class PlatformTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("tramino-platform-" + std::to_string(ProcessId()));
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code error;
        fs::permissions(m_dir / "target", fs::perms::owner_write, fs::perm_options::add, error);
        fs::remove_all(m_dir, error);
    }

    std::string Path(const char* szName) const { return Utf8FromPath(m_dir / szName); }
    void Write(const char* szName, const std::string& strText) const
    {
        std::ofstream(m_dir / szName, std::ios::binary) << strText;
    }

    fs::path m_dir;
};

} // namespace

TEST_F(PlatformTest, ReplaceTakesTheNewContentInOneStepAndLeavesNoSource)
{
    Write("target", "old");
    Write("new", "new content");
    EXPECT_EQ(RenameOver(Path("new"), Path("target"), true), 0);
    EXPECT_EQ(ReadAll(m_dir / "target"), "new content");
    EXPECT_FALSE(fs::exists(m_dir / "new"));
    // A new name is made too; a missing source is told as such.
    Write("new", "fresh");
    EXPECT_EQ(RenameOver(Path("new"), Path("made"), true), 0);
    EXPECT_EQ(ReadAll(m_dir / "made"), "fresh");
    EXPECT_EQ(RenameOver(Path("new"), Path("made"), false), ENOENT);
    // Without replacing, a taken name keeps its file and the new one stays where it was.
    Write("new", "second");
    EXPECT_EQ(RenameNew(Path("new"), Path("made"), true), EEXIST);
    EXPECT_EQ(ReadAll(m_dir / "made"), "fresh");
    EXPECT_EQ(ReadAll(m_dir / "new"), "second");
    EXPECT_EQ(RenameNew(Path("new"), Path("other"), true), 0);
    EXPECT_EQ(ReadAll(m_dir / "other"), "second");
    EXPECT_FALSE(fs::exists(m_dir / "new"));
}

// Linux replaces the name and keeps the permission bits; Windows refuses to replace a read-only
// file. Either way the target is whole and no temporary file stays.
TEST_F(PlatformTest, AReadOnlyTargetIsReplacedKeepingItsModeOrRefusedWhole)
{
    Write("target", "old");
    fs::permissions(m_dir / "target", fs::perms::owner_read | fs::perms::group_read);
    const CStatus status = ReplaceFileContent(Path("target"), {'n', 'e', 'w'});
#ifdef _WIN32
    EXPECT_FALSE(status);
    EXPECT_EQ(ReadAll(m_dir / "target"), "old");
#else
    EXPECT_TRUE(status) << status.Message();
    EXPECT_EQ(ReadAll(m_dir / "target"), "new");
    EXPECT_EQ(fs::status(m_dir / "target").permissions(), fs::perms::owner_read | fs::perms::group_read);
#endif
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(PlatformTest, AFolderIsNeitherReplacedNorOpenedAsAFile)
{
    fs::create_directory(m_dir / "folder");
    Write("folder/inside", "kept");
    Write("new", "new");
    EXPECT_NE(RenameOver(Path("new"), Path("folder"), true), 0);
    EXPECT_EQ(ReadAll(m_dir / "folder" / "inside"), "kept");
    EXPECT_EQ(ReadAll(m_dir / "new"), "new");
    const CResult<CReplacingFile> file = CReplacingFile::Open(Path("folder"));
    ASSERT_FALSE(file);
    EXPECT_NE(file.Message().find("Is a directory"), std::string::npos) << file.Message();
    const COpenedFile opened = OpenForReading(Path("folder"));
    EXPECT_EQ(opened.m_eKind, EFileKind::Directory);
    EXPECT_LT(opened.m_hFile, 0);
    EXPECT_EQ(StatusOf(Path("folder"), false).m_eKind, EFileKind::Directory);
    EXPECT_EQ(StatusOf(Path("nothing"), false).m_nError, ENOENT);
}

TEST_F(PlatformTest, TheSameFileByTwoNamesHasOneIdentity)
{
    Write("first", "content");
    Write("other", "content");
    fs::create_hard_link(m_dir / "first", m_dir / "second");
    const CPathStatus first = StatusOf(Path("first"), true);
    ASSERT_EQ(first.m_eKind, EFileKind::Regular);
    EXPECT_EQ(first.m_id, StatusOf(Path("second"), true).m_id);
    EXPECT_EQ(first.m_id, StatusOf(Utf8FromPath(m_dir / "." / "first"), true).m_id);
    EXPECT_FALSE(first.m_id == StatusOf(Path("other"), true).m_id);
    const CStatus status = CheckWritableTarget(Path("second"), {Path("first")});
    ASSERT_FALSE(status);
    EXPECT_NE(status.Message().find("it is the input file"), std::string::npos) << status.Message();
    EXPECT_TRUE(CheckWritableTarget(Path("other"), {Path("first")}));
}

TEST_F(PlatformTest, ReadAtReadsFromAnyOffsetAndStopsAtTheEnd)
{
    Write("data", "0123456789");
    const COpenedFile file = OpenForReading(Path("data"));
    ASSERT_GE(file.m_hFile, 0) << file.m_nError;
    EXPECT_EQ(file.m_nSize, 10u);
    char arrBytes[8] = {};
    EXPECT_EQ(ReadAt(file.m_hFile, arrBytes, 4, 6), 4);
    EXPECT_EQ(std::string(arrBytes, 4), "6789");
    EXPECT_EQ(ReadAt(file.m_hFile, arrBytes, 3, 1), 3);
    EXPECT_EQ(std::string(arrBytes, 3), "123");
    EXPECT_EQ(ReadAt(file.m_hFile, arrBytes, 4, 10), 0);
    EXPECT_EQ(CloseFile(file.m_hFile), 0);
}

// This program run a second time holds the lock while this one tries it.
TEST_F(PlatformTest, AFolderLockedByAnotherProcessCannotBeLockedUntilItEnds)
{
    fs::create_directory(m_dir / "store");
    SetEnvironment(g_szLockEnv, Utf8FromPath(m_dir / "store"));
    const std::string strSelf =
        Utf8FromPath(ProgramFolder() / fs::path(testing::internal::GetArgvs()[0]).filename());
    const std::string strCommand = "\"" + strSelf +
                                   "\" --gtest_also_run_disabled_tests "
                                   "--gtest_filter=PlatformTest.DISABLED_HoldTheLockForAnotherProcess";
    std::thread child([&] { EXPECT_EQ(std::system(strCommand.c_str()), 0); });
    const bool bLocked = WaitFor(m_dir / "locked");
    const int hWhileHeld = bLocked ? LockFolder(Path("store")) : -1;
    EXPECT_LT(hWhileHeld, 0);
    Write("release", "");
    child.join();
    ASSERT_TRUE(bLocked) << "the other process never took the lock";
    const int hLock = LockFolder(Path("store"));
    EXPECT_GE(hLock, 0);
    UnlockFolder(hLock);
}

TEST_F(PlatformTest, DISABLED_HoldTheLockForAnotherProcess)
{
    const char* szFolder = std::getenv(g_szLockEnv);
    ASSERT_NE(szFolder, nullptr);
    const fs::path folder = PathFromUtf8(szFolder);
    const int hLock = LockFolder(szFolder);
    ASSERT_GE(hLock, 0);
    std::ofstream(folder.parent_path() / "locked") << "";
    EXPECT_TRUE(WaitFor(folder.parent_path() / "release"));
    UnlockFolder(hLock);
}

TEST(Platform, ProcessesAndFoldersOfTheSystem)
{
    EXPECT_TRUE(IsProcessAlive(ProcessId()));
    EXPECT_FALSE(TempFolder().empty());
    EXPECT_TRUE(fs::is_directory(PathFromUtf8(TempFolder())));
    EXPECT_TRUE(fs::is_directory(ProgramFolder()));
    EXPECT_EQ(Utf8FromPath(PathFromUtf8("图片/été"), true), Utf8FromPath(fs::path(u8"图片") / u8"été", true));
}
