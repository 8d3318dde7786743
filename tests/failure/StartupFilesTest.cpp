#include "failure/FailureTestSupport.h"

#include "settings/DataFile.h"
#include "settings/StartupSettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <random>

#include <sys/stat.h>

namespace tramino
{
namespace
{
using namespace test;
namespace fs = std::filesystem;

constexpr uintmax_t g_nSparseBytes = uintmax_t{8} << 30;

std::string Garbage(size_t nBytes)
{
    std::mt19937_64 random(nBytes);
    std::string strBytes(nBytes, '\0');
    for (size_t i = 0; i + 8 <= nBytes; i += 8)
    {
        const uint64_t nValue = random();
        std::memcpy(&strBytes[i], &nValue, 8);
    }
    return strBytes;
}

bool AllTextsEmpty(const CLangTable& table)
{
    for (int i = 0; i < CLangTable::kTextCount; ++i)
        if (!table.Text(i).empty())
            return false;
    return true;
}

// Starts in a folder of its own, where each test lays out the data files.
class StartupFilesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_oldDirectory = fs::current_path();
        fs::current_path(m_dir.Path());
    }
    void TearDown() override { fs::current_path(m_oldDirectory); }

    // Loads the settings and checks that it took no noticeable time.
    static CStartupSettings TimedLoad()
    {
        const auto start = std::chrono::steady_clock::now();
        CStartupSettings settings = LoadStartupSettings();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        return settings;
    }

    CTempDir m_dir;
    fs::path m_oldDirectory;
};

TEST_F(StartupFilesTest, MissingFilesAreTakenFromBesideTheProgram)
{
    // The build puts the deployed data files beside every program it makes.
    ASSERT_TRUE(fs::is_regular_file(ProgramDirectory() / "Vendale.ini"));
    const CStartupSettings settings = TimedLoad();
    EXPECT_EQ(settings.m_codes, (CVendaleSettings{1, 9}));
    EXPECT_EQ(settings.m_langTable.Text(4), "Load Image");
}

TEST_F(StartupFilesTest, EmptyAndGarbageFilesGiveTheDefaults)
{
    for (const std::string& strContent : {std::string(), Garbage(64 << 20)})
    {
        SCOPED_TRACE(strContent.size());
        WriteBytes("Vendale.ini", strContent);
        WriteBytes("Lang.txt", strContent);
        const CStartupSettings settings = TimedLoad();
        EXPECT_EQ(settings.m_codes, (CVendaleSettings{0, 0}));
        EXPECT_EQ(settings.m_panelSize.m_nWidth, 96);
        EXPECT_EQ(settings.m_panelSize.m_nHeight, 64);
        EXPECT_TRUE(AllTextsEmpty(settings.m_langTable));
    }
}

TEST_F(StartupFilesTest, HugeFilesAreReadOnlyAsFarAsTheirBeginning)
{
    // Gigabytes of nothing after the real settings, and no PanelType to end the reading.
    WriteBytes("Vendale.ini", "LanguageSelection = 1\nPanelSize = 9\n");
    WriteBytes("Lang.txt", "[English]\nTEXT4=Load Image\n");
    fs::resize_file("Vendale.ini", g_nSparseBytes);
    fs::resize_file("Lang.txt", g_nSparseBytes);
    const CStartupSettings settings = TimedLoad();
    EXPECT_EQ(settings.m_codes, (CVendaleSettings{1, 9}));
    EXPECT_EQ(settings.m_panelSize.m_nWidth, 320);
    EXPECT_EQ(settings.m_langTable.Text(4), "Load Image");
}

TEST_F(StartupFilesTest, AVendaleIniThatCannotBeReadIsReportedOnceAndNotWaitedOn)
{
    const std::vector<std::pair<std::function<void()>, std::string>> vecKinds{
        {[] { fs::create_directory("Vendale.ini"); }, "Is a directory"},
        {[] { ::mkfifo("Vendale.ini", 0644); }, "not a regular file"}};
    for (const auto& [fnMake, strReason] : vecKinds)
    {
        SCOPED_TRACE(strReason);
        fnMake();
        // Not passed over for the file beside the program, which says PanelSize 9.
        const CStartupSettings settings = TimedLoad();
        EXPECT_EQ(settings.m_codes, (CVendaleSettings{0, 0}));
        ASSERT_EQ(settings.m_vecProblems.size(), 1u);
        EXPECT_NE(settings.m_vecProblems[0].find("'Vendale.ini': " + strReason), std::string::npos);

        const CProgramRun run =
            RunProgram({"/bin/sh", "-c", "cd '" + m_dir.Path().string() + "' && exec " TRAMINO_CLI " panel"},
                       m_dir.Path().string());
        EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
        EXPECT_EQ(run.m_strOut, "96x64 (Vendale.ini cannot be read)\n");
        EXPECT_EQ(run.m_strErr, "tramino-cli panel: " + settings.m_vecProblems[0] + "\n");
        fs::remove("Vendale.ini");
    }
}

} // namespace
} // namespace tramino
