#include "cli/PanelOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tramino::cli
{
namespace
{

CResult<CPanelChoice> Resolve(const std::vector<std::string>& vecArgs,
                              const std::optional<std::filesystem::path>& vendaleIni = std::nullopt)
{
    const CResult<CArguments> args = ParseArguments(vecArgs, PanelOptions());
    EXPECT_TRUE(args.IsOk()) << args.Message();
    return ResolvePanel(args.Value(), vendaleIni);
}

TEST(PanelOptions, CodeOrSize)
{
    EXPECT_EQ(Resolve({"--panel-code", "9"}).Value().m_size, (CPanelSize{320, 240}));
    EXPECT_EQ(Resolve({"--panel-code=+4"}).Value().m_size, (CPanelSize{128, 128}));
    // Codes the table does not list give its smallest panel, as in Vendale.ini.
    EXPECT_EQ(Resolve({"--panel-code", "-7"}).Value().m_size, (CPanelSize{96, 64}));
    EXPECT_EQ(Resolve({"--size", "100X50"}).Value().m_size, (CPanelSize{100, 50}));
    EXPECT_EQ(Resolve({"--size", "4096x1"}).Value().m_size, (CPanelSize{4096, 1}));
    EXPECT_EQ(Resolve({}).Value().m_size, (CPanelSize{96, 64}));
}

TEST(PanelOptions, MalformedValuesAreRejected)
{
    for (const char* szSize :
         {"0x5", "5x0", "4097x1", "1x65535", "-5x5", "+5x5", "5x", "x5", "5", "5x5x5", "5 x5", "", "axb"})
        EXPECT_FALSE(Resolve({"--size", szSize}).IsOk()) << szSize;
    for (const char* szCode : {"", "x", "9x", "99999999999", " 9", "+-1"})
        EXPECT_FALSE(Resolve({"--panel-code", szCode}).IsOk()) << szCode;
    EXPECT_FALSE(Resolve({"--panel-code", "2", "--size", "5x5"}).IsOk());
}

TEST(PanelOptions, FallsBackToVendaleIni)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tramino-cli-vendale-" + std::to_string(getpid()) + ".ini");
    std::ofstream(path) << "LanguageSelection=1\nPanelSize = 6\nPanelType=1\n";
    const CResult<CPanelChoice> choice = Resolve({}, path);
    EXPECT_EQ(choice.Value().m_size, (CPanelSize{176, 144}));
    EXPECT_NE(choice.Value().m_strOrigin.find("PanelSize 6"), std::string::npos);
    // Given options win over the file.
    EXPECT_EQ(Resolve({"--panel-code", "2"}, path).Value().m_size, (CPanelSize{128, 96}));
    std::filesystem::remove(path);
}

} // namespace
} // namespace tramino::cli
