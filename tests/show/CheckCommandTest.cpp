#include "ShowTestSupport.h"

#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tramino
{
namespace
{
using namespace test;

struct CRun
{
    int m_nExit = 0;
    std::string m_strOut;
    std::string m_strErr;
};

CRun Check(std::vector<std::string> vecArgs)
{
    vecArgs.insert(vecArgs.begin(), "check");
    std::ostringstream out;
    std::ostringstream err;
    const int nExit = cli::RunCommandLine(vecArgs, out, err);
    return {nExit, out.str(), err.str()};
}

class CheckCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::vector<uint8_t> vecFile = MakeShow(EEffect::Circle, {128, 96}, 2);
        Save("good.qrv", vecFile);
        vecFile[40] ^= 1;
        Save("bad.qrv", vecFile);
    }
    void Save(const std::string& strName, const std::vector<uint8_t>& vecFile)
    {
        std::ofstream(m_dir.File(strName), std::ios::binary)
            .write(reinterpret_cast<const char*>(vecFile.data()),
                   static_cast<std::streamsize>(vecFile.size()));
    }
    CScratchDir m_dir;
};

TEST_F(CheckCommand, ListsThePicturesOfAValidFile)
{
    const CRun run = Check({m_dir.File("good.qrv"), "--panel-code", "2"});
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    // A valid file is read to its end.
    EXPECT_EQ(run.m_strOut,
              "panel: 128x96 (--panel-code 2)\npictures: 2\npicture 1: Circle\npicture 2: Circle\n"
              "read: 2 pictures, " +
                  std::to_string(std::filesystem::file_size(m_dir.File("good.qrv"))) + " bytes\nvalid\n");
    EXPECT_EQ(Check({"--detect", m_dir.File("good.qrv")}).m_nExit, 0);
    // A size outside the table is found from what the first picture covers.
    for (const EEffect effect : {EEffect::Normal, EEffect::ShutterTopToBottom, EEffect::Circle})
    {
        Save("own.qrv", MakeShow(effect, {200, 120}, 2));
        const CRun own = Check({"--detect", m_dir.File("own.qrv")});
        EXPECT_EQ(own.m_nExit, 0) << own.m_strOut;
        EXPECT_EQ(own.m_strOut.rfind("panel: 200x120 (--detect)\n", 0), 0u) << own.m_strOut;
    }
}

TEST_F(CheckCommand, GivesTheReasonForAnInvalidFile)
{
    const CRun run = Check({m_dir.File("bad.qrv"), "--size", "128x96"});
    EXPECT_EQ(run.m_nExit, 1);
    // Reading stops with the record head that breaks the format.
    EXPECT_NE(
        run.m_strOut.find("pictures: 0 complete\nread: 0 pictures, 44 bytes\ninvalid: at byte 40: n = "),
        std::string::npos)
        << run.m_strOut;
    EXPECT_EQ(Check({m_dir.File("good.qrv"), "--size", "96x64"}).m_nExit, 1);
    const CRun missing = Check({m_dir.File("missing.qrv"), "--size", "96x64"});
    EXPECT_EQ(missing.m_nExit, 1);
    EXPECT_NE(missing.m_strErr.find("missing.qrv': No such file"), std::string::npos);
}

TEST_F(CheckCommand, BadUsageExitsWithTwo)
{
    EXPECT_EQ(Check({}).m_nExit, 2);
    EXPECT_EQ(Check({"a.qrv", "b.qrv"}).m_nExit, 2);
    EXPECT_EQ(Check({"a.qrv", "--detect", "--size", "96x64"}).m_nExit, 2);
    EXPECT_EQ(Check({"a.qrv", "--size", "96"}).m_nExit, 2);
    EXPECT_EQ(Check({"a.qrv", "--frobnicate"}).m_nExit, 2);
}

} // namespace
} // namespace tramino
