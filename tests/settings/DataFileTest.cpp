#include "settings/DataFile.h"
#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

namespace tramino
{
namespace
{

// Runs the test inside a fresh folder and goes back afterwards.
class DataFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldDirectory = std::filesystem::current_path();
        std::filesystem::create_directories(m_dir.Path() / "cwd");
        std::filesystem::create_directories(m_dir.Path() / "program");
        std::filesystem::current_path(m_dir.Path() / "cwd");
    }
    void TearDown() override { std::filesystem::current_path(m_oldDirectory); }

    test::CTempDir m_dir;
    std::filesystem::path m_oldDirectory;
};

TEST_F(DataFileTest, CurrentDirectoryFirstThenProgramDirectory)
{
    const std::filesystem::path programDir = m_dir.Path() / "program";
    EXPECT_FALSE(FindDataFile("Lang.txt", programDir));

    m_dir.Write("program/Lang.txt", "beside");
    EXPECT_EQ(FindDataFile("Lang.txt", programDir), programDir / "Lang.txt");

    m_dir.Write("cwd/Lang.txt", "here");
    EXPECT_EQ(FindDataFile("Lang.txt", programDir), std::filesystem::path("Lang.txt"));
}

TEST_F(DataFileTest, OnlyRegularFilesCount)
{
    std::filesystem::create_directories("Vendale.ini");
    EXPECT_FALSE(FindDataFile("Vendale.ini", m_dir.Path() / "program"));
    EXPECT_FALSE(FindDataFile("Vendale.ini", {}));
}

TEST(ProgramDirectory, IsTheFolderOfTheRunningProgram)
{
    const std::filesystem::path dir = ProgramDirectory();
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "tramino_tests_settings") ||
                std::filesystem::is_regular_file(dir / "tramino_tests_settings.exe"))
        << dir;
}

} // namespace
} // namespace tramino
