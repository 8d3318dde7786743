#include "CliTestSupport.h"
#include "PortableTestSupport.h"
#include "codec/BmpWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using namespace tramino;
using tramino::test::CRun;
using tramino::test::RunCli;

namespace
{

std::string ReadText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ProjectCommandTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("tramino-cli-project-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_dir / "pics");
        CPicture picture(9, 6, 24);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 9; ++x)
                picture.SetPixel(x, y, CRgb{static_cast<uint8_t>(x * 28), static_cast<uint8_t>(y * 40), 7});
        ASSERT_TRUE(WriteBmpFile(picture, Path("pics/a.bmp")));
        ASSERT_TRUE(WriteBmpFile(picture, Path("pics/b.bmp")));
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // In the separators the program writes.
    std::string Path(const std::string& strName) const { return (m_dir / strName).make_preferred().string(); }

    fs::path m_dir;
};

TEST_F(ProjectCommandTest, NewAddAndListKeepTheShowAndItsExactSize)
{
    const std::string strProject = Path("show.tramino");
    const CRun made =
        RunCli({"project", "new", "--panel-code", "2", "--mode", "circle", "--fit", "contain", "--background",
                "ff8000", "--show", Path("out/show.qrv"), "-o", strProject, Path("pics/a.bmp")});
    ASSERT_EQ(made.m_nStatus, 0) << made.m_strErr;
    EXPECT_EQ(made.m_strOut, "Wrote " + strProject + ": 1 picture, Circle, 128x96 (code 2) panel\n");

    // Only the options that differ from the defaults become the picture's own.
    const CRun added =
        RunCli({"project", "add", strProject, "--fit", "contain", "--dither", "ordered", Path("pics/b.bmp")});
    ASSERT_EQ(added.m_nStatus, 0) << added.m_strErr;
    const std::string strText = ReadText(strProject);
    EXPECT_NE(strText.find("  \"output\": \"out/show.qrv\",\n"), std::string::npos) << strText;
    EXPECT_NE(strText.find("\"background\": \"FF8000\""), std::string::npos) << strText;
    EXPECT_NE(strText.find("{\n      \"path\": \"pics/a.bmp\"\n    },\n"
                           "    {\n      \"path\": \"pics/b.bmp\",\n      \"dither\": \"ordered\"\n    }\n"),
              std::string::npos)
        << strText;

    ASSERT_EQ(RunCli({"project", "add", strProject}).m_nStatus, 0);
    EXPECT_EQ(ReadText(strProject), strText);

    const CRun listed = RunCli({"project", "list", strProject});
    ASSERT_EQ(listed.m_nStatus, 0) << listed.m_strErr;
    const std::string strOptions = " fit=contain gravity=center background=FF8000 dither=";
    EXPECT_NE(listed.m_strOut.find(
                  "Panel: 128x96 (code 2)\nTransition: Circle\nShow file: " + Path("out/show.qrv") +
                  "\nPictures: 2\n  1. " + Path("pics/a.bmp") + strOptions +
                  "none frames=first auto-orient=false\n  2. " + Path("pics/b.bmp") + strOptions +
                  "ordered frames=first auto-orient=false\n"),
              std::string::npos)
        << listed.m_strOut;

    // The size it names is that of the show a build of those pictures writes.
    ASSERT_EQ(RunCli({"build", "--panel-code", "2", "--mode", "circle", "-o", Path("real.qrv"),
                      Path("pics/a.bmp"), Path("pics/b.bmp")})
                  .m_nStatus,
              0);
    EXPECT_NE(listed.m_strOut.find("Show file size: " + std::to_string(fs::file_size(Path("real.qrv"))) +
                                   " bytes\n"),
              std::string::npos)
        << listed.m_strOut;
}

TEST_F(ProjectCommandTest, BadUsageAndBadProjectsAreRefusedWithTheReason)
{
    const std::string strProject = Path("show.tramino");
    ASSERT_EQ(RunCli({"project", "new", "--size", "100x40", "-o", strProject, Path("pics/a.bmp")}).m_nStatus,
              0);
    const std::string strText = ReadText(strProject);
    std::ofstream(Path("broken.tramino")) << "{\"format\": 1, \"panel\": {\"code\": 1}, \"pictures\": []}";

    const struct
    {
        std::vector<std::string> m_vecArgs;
        int m_nStatus;
        std::string m_strError;
    } arrCases[] = {
        {{"project"}, 2, "say new, add or list"},
        {{"project", "remove", strProject}, 2, "unknown action 'remove' (use new, add or list)"},
        {{"project", "new", Path("pics/a.bmp")},
         2,
         "the project file to write is missing (-o PROJECT.tramino)"},
        {{"project", "new", "--panel-code", "12", "-o", Path("x.tramino")},
         2,
         "a project's --panel-code is 1 to 9"},
        {{"project", "new", "--size", "100x40", "--mode", "shutter-lr", "-o", Path("x.tramino")},
         2,
         "the transition Shutter(Left to Right) cannot cover a 100x40 panel"},
        {{"project", "new", "--gravity", "up", "-o", Path("x.tramino")}, 2, "--gravity takes center, north,"},
        {{"project", "new", "-o", strProject}, 1, "'" + strProject + "' exists already"},
        {{"project", "add", strProject, "--mode", "circle", Path("pics/b.bmp")},
         2,
         "--mode is an option of project new only"},
        {{"project", "add", strProject, "--fit", "cover"}, 2, "picture options need pictures to apply to"},
        {{"project", "add", strProject, Path("pics/b.bmp"), Path("pics/c.bmp")},
         1,
         "the picture '" + Path("pics/c.bmp") + "' is not there"},
        {{"project", "list", strProject, "--fit", "cover"}, 2, "project list takes the project file alone"},
        {{"project", "list", Path("broken.tramino")},
         1,
         "Cannot read project '" + Path("broken.tramino") + "': the key 'transition' is missing"},
    };
    for (const auto& testCase : arrCases)
    {
        SCOPED_TRACE(testCase.m_vecArgs.back());
        const CRun run = RunCli(testCase.m_vecArgs);
        EXPECT_EQ(run.m_nStatus, testCase.m_nStatus);
        EXPECT_EQ(run.m_strErr.rfind("tramino-cli project: " + testCase.m_strError, 0), 0u) << run.m_strErr;
    }
    // None of them touched the project or left a new one.
    EXPECT_EQ(ReadText(strProject), strText);
    EXPECT_FALSE(fs::exists(Path("x.tramino")));
}

TEST_F(ProjectCommandTest, BuildOfAProjectWritesTheShowOfItsPictures)
{
    const std::vector<std::string> vecOptions = {"--mode",  "circle",       "--fit",
                                                 "contain", "--background", "ff8000"};
    std::vector<std::string> vecNew = {"project",        "new", "--panel-code",      "2", "--show",
                                       Path("show.qrv"), "-o",  Path("show.tramino")};
    vecNew.insert(vecNew.end(), vecOptions.begin(), vecOptions.end());
    vecNew.insert(vecNew.end(), {Path("pics/a.bmp"), Path("pics/b.bmp")});
    ASSERT_EQ(RunCli(vecNew).m_nStatus, 0);
    // The reference: the same pictures and options given to build itself.
    const auto BuildPictures = [&](const std::string& strPanel, const std::string& strSize)
    {
        std::vector<std::string> vecBuild = {"build", strPanel, strSize, "-o", Path("direct.qrv")};
        vecBuild.insert(vecBuild.end(), vecOptions.begin(), vecOptions.end());
        vecBuild.insert(vecBuild.end(), {Path("pics/a.bmp"), Path("pics/b.bmp")});
        EXPECT_EQ(RunCli(vecBuild).m_nStatus, 0);
        return ReadText(Path("direct.qrv"));
    };
    const std::string strShow = BuildPictures("--panel-code", "2");

    // Moved with its pictures, the project still builds, into the show file it names.
    const fs::path moved = m_dir.string() + "-moved";
    fs::rename(m_dir, moved);
    m_dir = moved;
    const CRun built = RunCli({"build", Path("show.tramino")});
    ASSERT_EQ(built.m_nStatus, 0) << built.m_strErr;
    EXPECT_EQ(built.m_strErr, "");
    EXPECT_EQ(ReadText(Path("show.qrv")), strShow);

    // -o wins over the project's show file; a panel option over the project's panel, and says so.
    const CRun other = RunCli({"build", "--size", "64x32", "-o", Path("other.qrv"), Path("show.tramino")});
    ASSERT_EQ(other.m_nStatus, 0) << other.m_strErr;
    EXPECT_EQ(other.m_strErr, "tramino-cli build: the panel 64x32 of --size replaces the project's 128x96\n");
    EXPECT_EQ(ReadText(Path("other.qrv")), BuildPictures("--size", "64x32"));

    ASSERT_EQ(RunCli({"project", "new", "-o", Path("bare.tramino"), Path("pics/a.bmp")}).m_nStatus, 0);
    const struct
    {
        std::vector<std::string> m_vecArgs;
        std::string m_strError;
    } arrRefused[] = {
        {{"build", Path("bare.tramino")}, "the project names no show file; give one with -o SHOW.qrv"},
        {{"build", "--fit", "cover", Path("show.tramino")}, "--fit is the project's to give"},
        {{"build", "-o", Path("x.qrv"), Path("show.tramino"), Path("pics/a.bmp")},
         "a project file is built alone"},
    };
    for (const auto& refused : arrRefused)
    {
        const CRun run = RunCli(refused.m_vecArgs);
        EXPECT_EQ(run.m_nStatus, 2);
        EXPECT_EQ(run.m_strErr.rfind("tramino-cli build: " + refused.m_strError, 0), 0u) << run.m_strErr;
    }

    // A picture gone: the project is refused, unless --keep-going leaves the picture out.
    fs::remove(Path("pics/b.bmp"));
    const CRun gone = RunCli({"build", Path("show.tramino")});
    EXPECT_EQ(gone.m_nStatus, 1);
    EXPECT_NE(gone.m_strErr.find("pictures[1].path: the picture '" + Path("pics/b.bmp") + "' is not there"),
              std::string::npos)
        << gone.m_strErr;
    const CRun kept = RunCli({"build", "--keep-going", Path("show.tramino")});
    EXPECT_EQ(kept.m_nStatus, 1);
    EXPECT_NE(kept.m_strOut.find("Wrote " + Path("show.qrv") + ": 1 picture,"), std::string::npos)
        << kept.m_strOut;
    EXPECT_NE(kept.m_strErr.find("1 of 2 pictures left out"), std::string::npos) << kept.m_strErr;
}

TEST_F(ProjectCommandTest, ShowPicturesAndFastImportAreTheProjectsAndBuildAsBuildDoes)
{
    const std::string strJpeg = TRAMINO_SOURCE_DIR "/res/samples/hills-baseline.jpg";
    const auto Build = [&](std::vector<std::string> vecArgs)
    {
        vecArgs.insert(vecArgs.begin(),
                       {"build", "--panel-code", "2", "--mode", "circle", "-o", Path("ref.qrv")});
        const CRun run = RunCli(vecArgs);
        EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
        return ReadText(Path("ref.qrv"));
    };
    const std::string strOriginal = Build({Path("pics/a.bmp"), Path("pics/b.bmp")});
    fs::rename(Path("ref.qrv"), Path("orig.qrv"));
    const std::string strProject = Path("show.tramino");
    const CRun made = RunCli({"project", "new", "--panel-code", "2", "--mode", "circle", "--fast", "--show",
                              Path("out.qrv"), "-o", strProject, Path("orig.qrv#2"), strJpeg});
    ASSERT_EQ(made.m_nStatus, 0) << made.m_strErr;
    EXPECT_NE(ReadText(strProject).find("\"path\": \"orig.qrv\",\n      \"show-picture\": 2\n"),
              std::string::npos);
    const CRun listed = RunCli({"project", "list", strProject});
    EXPECT_NE(listed.m_strOut.find("Fast JPEG import: on\nPictures: 2\n  1. " + Path("orig.qrv#2") + " fit="),
              std::string::npos)
        << listed.m_strOut;

    // Without -o into the project's show: the show's own picture, and the photo imported fast.
    const CRun built = RunCli({"build", strProject});
    ASSERT_EQ(built.m_nStatus, 0) << built.m_strErr;
    EXPECT_TRUE(ReadText(Path("out.qrv")) == Build({"--fast", Path("pics/b.bmp"), strJpeg}));
    EXPECT_FALSE(ReadText(Path("out.qrv")) == Build({Path("pics/b.bmp"), strJpeg}));
    EXPECT_TRUE(Build({Path("orig.qrv#2"), Path("orig.qrv#1")}) ==
                Build({Path("pics/b.bmp"), Path("pics/a.bmp")}));

    const struct
    {
        std::vector<std::string> m_vecArgs;
        int m_nStatus;
        std::string m_strError;
    } arrRefused[] = {
        {{"project", "add", strProject, Path("orig.qrv#3")},
         1,
         "project: Cannot take picture 3 of '" + Path("orig.qrv") + "': the show has 2 pictures"},
        {{"project", "add", strProject, Path("none.qrv#1")},
         1,
         "project: the show '" + Path("none.qrv") + "' is not there"},
        {{"project", "add", strProject, "--fast"}, 2, "project: --fast is an option of project new only"},
        {{"build", "-o", Path("x.qrv"), Path("orig.qrv#0")}, 1, "build: Cannot open '" + Path("orig.qrv#0")},
    };
    for (const auto& refused : arrRefused)
    {
        const CRun run = RunCli(refused.m_vecArgs);
        EXPECT_EQ(run.m_nStatus, refused.m_nStatus);
        EXPECT_EQ(run.m_strErr.rfind("tramino-cli " + refused.m_strError, 0), 0u) << run.m_strErr;
    }
    EXPECT_EQ(ReadText(Path("orig.qrv")), strOriginal);
}

TEST_F(ProjectCommandTest, TargetsThatCanOnlyFailLaterAndMisleadingCasesAreRefusedAtOnce)
{
    const std::string strProject = Path("p.tramino");
    const std::string strPicture = Path("pics/a.bmp");
    ASSERT_EQ(RunCli({"project", "new", "-o", strProject, strPicture}).m_nStatus, 0);
    const std::string strText = ReadText(strProject);
    const struct
    {
        std::vector<std::string> m_vecArgs;
        int m_nStatus;
        std::string m_strError;
    } arrCases[] = {
        {{"project", "new", "--show", strPicture, "-o", Path("n.tramino"), strPicture},
         2,
         "project: the show file '" + strPicture + "' is one of the pictures"},
        {{"project", "new", "--show", Path("n.tramino"), "-o", Path("n.tramino")},
         2,
         "project: --show names the project file itself"},
        {{"project", "add", strProject, strProject},
         2,
         "project: '" + strProject + "' is the project file itself"},
        {{"project", "add", strProject, Path("pics")},
         1,
         "project: the picture '" + Path("pics") + "' is not a regular file"},
        {{"build", "--background", "-o", Path("x.qrv"), strPicture}, 2, "build: --background takes RRGGBB"},
        // Each command's words for a picture option's value, written from the one table.
        {{"build", "--fit", "Cover", "-o", Path("x.qrv"), strPicture},
         2,
         "build: --fit takes stretch, contain or cover, not 'Cover'\n"},
        {{"build", "--frames", "both", "-o", Path("x.qrv"), strPicture},
         2,
         "build: --frames takes first or all, not 'both'\n"},
        {{"project", "new", "--gravity", "up", "-o", Path("n.tramino")},
         2,
         "project: --gravity takes center, north, south, east, west, northwest, northeast, southwest or "
         "southeast, not 'up'\n"},
        {{"project", "new", "--frames", "both", "-o", Path("n.tramino")},
         2,
         "project: --frames: 'both' is not one of first, all\n"},
    };
    for (const auto& testCase : arrCases)
    {
        SCOPED_TRACE(testCase.m_strError);
        const CRun run = RunCli(testCase.m_vecArgs);
        EXPECT_EQ(run.m_nStatus, testCase.m_nStatus);
        EXPECT_EQ(run.m_strErr.rfind("tramino-cli " + testCase.m_strError, 0), 0u) << run.m_strErr;
    }
    EXPECT_EQ(ReadText(strProject), strText);
    EXPECT_FALSE(fs::exists(Path("n.tramino")));

    std::ofstream(Path("empty.tramino")) << R"({"format": 1, "panel": {"code": 1}, "transition": "Normal", )"
                                         << R"("output": "e.qrv", "pictures": []})";
    const CRun empty = RunCli({"build", Path("empty.tramino")});
    EXPECT_EQ(empty.m_nStatus, 1);
    EXPECT_NE(empty.m_strErr.find("has no pictures"), std::string::npos) << empty.m_strErr;
}

TEST_F(ProjectCommandTest, ANameWithATerminalsEscapeSequenceIsListedEscaped)
{
    const std::string strProject = Path("p.tramino");
    ASSERT_EQ(RunCli({"project", "new", "-o", strProject, Path("pics/a.bmp")}).m_nStatus, 0);
    std::error_code error;
    fs::copy_file(Path("pics/a.bmp"), Path("pics/\x1b[2Jodd.bmp"), error);
    if (error)
        GTEST_SKIP() << "no control character in a file name here (Windows allows none): " << error.message();
    ASSERT_EQ(RunCli({"project", "add", strProject, Path("pics/\x1b[2Jodd.bmp")}).m_nStatus, 0);
    const CRun listed = RunCli({"project", "list", strProject});
    EXPECT_NE(listed.m_strOut.find("2. " + Path("pics/\\x1b[2Jodd.bmp") + " "), std::string::npos)
        << listed.m_strOut;
}

TEST_F(ProjectCommandTest, AProjectReachedThroughALinkElsewhereUsesItsOwnFolder)
{
    const std::string strProject = Path("p.tramino");
    ASSERT_EQ(RunCli({"project", "new", "-o", strProject, Path("pics/a.bmp")}).m_nStatus, 0);
    fs::create_directories(Path("other"));
    if (const std::string strWhy = test::MakeLinkOrWhyNot(strProject, Path("other/link.tramino"));
        !strWhy.empty())
        GTEST_SKIP() << strWhy;
    ASSERT_EQ(RunCli({"project", "add", Path("other/link.tramino"), Path("pics/b.bmp")}).m_nStatus, 0);
    EXPECT_NE(ReadText(strProject).find("\"path\": \"pics/b.bmp\""), std::string::npos)
        << ReadText(strProject);
    EXPECT_EQ(RunCli({"project", "list", Path("other/link.tramino")}).m_nStatus, 0);
}

} // namespace
