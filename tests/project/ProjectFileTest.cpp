#include "PortableTestSupport.h"
#include "document/ShowDocument.h"
#include "project/Project.h"
#include "project/ProjectLock.h"
#include "show/RecordCutter.h"
#include "show/ShowFileSize.h"
#include "show/ShowFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using namespace tramino;

namespace
{

// Every kind of entry once: a panel of its own size, an output, every default changed, a
// picture with overrides and one with an absolute path (ABS, filled in by the fixture).
constexpr const char* g_szProject = R"project({
  "format": 1,
  "panel": {
    "width": 300,
    "height": 200
  },
  "transition": "Shutter(Top to Bottom)",
  "output": "out/show.qrv",
  "defaults": {
    "fit": "contain",
    "gravity": "southeast",
    "background": "FF8000",
    "dither": "diffusion",
    "frames": "all",
    "auto-orient": true
  },
  "pictures": [
    {
      "path": "pics/a.bmp"
    },
    {
      "path": "pics/b.bmp",
      "fit": "cover",
      "auto-orient": false
    },
    {
      "path": "ABS"
    }
  ]
}
)project";

std::string Replaced(std::string str, const std::string& strFrom, const std::string& strTo)
{
    for (size_t n = str.find(strFrom); n != std::string::npos; n = str.find(strFrom, n + strTo.size()))
        str.replace(n, strFrom.size(), strTo);
    return str;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& strText)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << strText;
}

class ProjectFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("tramino-project-" + std::to_string(std::random_device{}()));
        m_dir = m_root / "show";
        // The file content does not matter: reading a project only looks for the pictures.
        WriteText(m_dir / "pics/a.bmp", "a");
        WriteText(m_dir / "pics/b.bmp", "b");
        WriteText(m_root / "elsewhere.bmp", "c");
        // A project stores "/" between names on every system, so that it reads on every system.
        m_strText = Replaced(g_szProject, "ABS", (m_root / "elsewhere.bmp").generic_string());
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string ProjectFile() const { return (m_dir / "show.tramino").string(); }

    fs::path m_root;
    fs::path m_dir;
    std::string m_strText;
};

TEST_F(ProjectFileTest, LoadingAndSavingGivesTheSameBytesForEitherKindOfPanel)
{
    const std::string strCoded = Replaced(m_strText, "\"width\": 300,\n    \"height\": 200", "\"code\": 4");
    for (const std::string& strText : {m_strText, strCoded})
    {
        WriteText(ProjectFile(), strText);
        const CResult<CProject> project = LoadProject(ProjectFile());
        ASSERT_TRUE(project) << project.Message();
        ASSERT_TRUE(SaveProject(project.Value(), ProjectFile()));
        EXPECT_EQ(ReadText(ProjectFile()), strText);
    }
    // The save left nothing beside the file.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);

    const CProject project = LoadProject(ProjectFile()).Value();
    EXPECT_EQ(project.m_panel.m_nCode, 4);
    EXPECT_EQ(project.m_panel.m_size, (CPanelSize{128, 128}));
    EXPECT_EQ(project.m_effect, EEffect::ShutterTopToBottom);
    const CPictureValues values = project.EffectiveValues(1);
    EXPECT_EQ(values[static_cast<size_t>(EPictureOption::Fit)], "cover");
    EXPECT_EQ(values[static_cast<size_t>(EPictureOption::Gravity)], "southeast");
    EXPECT_EQ(values[static_cast<size_t>(EPictureOption::AutoOrient)], "false");
    EXPECT_EQ(project.EffectiveValues(0)[static_cast<size_t>(EPictureOption::AutoOrient)], "true");
}

TEST_F(ProjectFileTest, AProjectMovedWithItsPicturesStillFindsThemAndKeepsAbsolutePaths)
{
    WriteText(ProjectFile(), m_strText);
    const fs::path moved = m_root / "moved";
    fs::rename(m_dir, moved);

    const CResult<CProject> project = LoadProject((moved / "show.tramino").string());
    ASSERT_TRUE(project) << project.Message();
    const CShowPlan plan = PlanShow(project.Value());
    EXPECT_EQ(plan.m_panel, (CPanelSize{300, 200}));
    EXPECT_EQ(plan.m_effect, EEffect::ShutterTopToBottom);
    ASSERT_EQ(plan.m_vecPictures.size(), 3u);
    EXPECT_EQ(fs::path(plan.m_vecPictures[0].m_strPath), moved / "pics/a.bmp");
    EXPECT_EQ(fs::path(plan.m_vecPictures[1].m_strPath), moved / "pics/b.bmp");
    EXPECT_EQ(fs::path(plan.m_vecPictures[2].m_strPath), m_root / "elsewhere.bmp");
    EXPECT_EQ(fs::path(plan.m_strOutput), moved / "out/show.qrv");
    const CConvertOptions& own = plan.m_vecPictures[1].m_options;
    EXPECT_EQ(own.m_eFit, EFit::Cover);
    EXPECT_EQ(own.m_eGravity, EGravity::SouthEast);
    EXPECT_EQ(own.m_crBackground, (CRgb{255, 128, 0}));
    EXPECT_EQ(own.m_eDither, EDither::Diffusion);
    EXPECT_FALSE(own.m_bAutoOrient);
    EXPECT_TRUE(plan.m_vecPictures[0].m_options.m_bAutoOrient);
    EXPECT_EQ(plan.m_vecPictures[0].m_options.m_eFit, EFit::Contain);

    // Saved elsewhere, relative paths follow the new folder.
    const std::string strCopy = (m_root / "copy.tramino").string();
    ASSERT_TRUE(SaveProject(project.Value(), strCopy));
    EXPECT_EQ(ReadText(strCopy),
              Replaced(Replaced(m_strText, "\"pics/", "\"moved/pics/"), "\"out/", "\"moved/out/"));
}

TEST_F(ProjectFileTest, ShowPicturesAndFastImportAreKeptAndTheWindowsOldNamesRecognised)
{
    WriteText(m_dir / "old.qrv", "a show");
    // Saved with both new keys, read back the same; the plan builds the show's picture.
    const std::string strText =
        Replaced(Replaced(m_strText, "\"pics/a.bmp\"", "\"old.qrv\",\n      \"show-picture\": 2"),
                 "\"out/show.qrv\",", "\"out/show.qrv\",\n  \"fast\": true,");
    WriteText(ProjectFile(), strText);
    CResult<CProject> project = LoadProject(ProjectFile());
    ASSERT_TRUE(project) << project.Message();
    ASSERT_TRUE(SaveProject(project.Value(), ProjectFile()));
    EXPECT_EQ(ReadText(ProjectFile()), strText);
    const CShowPlan plan = PlanShow(project.Value());
    EXPECT_EQ(fs::path(plan.m_vecPictures[0].m_strPath), m_dir / "old.qrv");
    EXPECT_EQ(plan.m_vecPictures[0].m_nShowPicture, 2);
    EXPECT_FALSE(plan.m_vecPictures[0].m_bAllFrames); // one picture, whatever frames says
    EXPECT_TRUE(plan.m_vecPictures[0].m_options.m_bFast);
    EXPECT_TRUE(plan.m_vecPictures[1].m_options.m_bFast && plan.m_vecPictures[1].m_bAllFrames);

    // The window's "old.qrv #3" is that picture while the show is there, else a picture not found.
    WriteText(ProjectFile(), Replaced(m_strText, "\"pics/a.bmp\"", "\"old.qrv #3\""));
    project = LoadProject(ProjectFile());
    ASSERT_TRUE(project) << project.Message();
    EXPECT_EQ(project.Value().m_vecPictures[0].m_path.m_path, m_dir / "old.qrv");
    EXPECT_EQ(project.Value().m_vecPictures[0].m_nShowPicture, 3);
    fs::remove(m_dir / "old.qrv");
    EXPECT_EQ(LoadProject(ProjectFile()).Message(), "Cannot read project '" + ProjectFile() +
                                                        "': pictures[0].path: the picture '" +
                                                        (m_dir / "old.qrv #3").string() + "' is not there");
}

TEST_F(ProjectFileTest, TheShowFileADocumentIsGivenIsSavedRelativeToTheProject)
{
    CShowDocument document({96, 64}, EEffect::Normal);
    document.SetOutput((m_root / "shows/trip.qrv").string());
    document.SetFastImport(true);
    EXPECT_TRUE(document.IsModified());
    ASSERT_TRUE(document.Save(ProjectFile()));
    EXPECT_FALSE(document.IsModified());
    const std::string strText = ReadText(ProjectFile());
    EXPECT_NE(strText.find("\"output\": \"../shows/trip.qrv\",\n  \"fast\": true"), std::string::npos)
        << strText;
    EXPECT_EQ(fs::path(PlanShow(LoadProject(ProjectFile()).Value()).m_strOutput), m_root / "shows/trip.qrv");
}

TEST_F(ProjectFileTest, WhatIsNoProjectFileIsRefusedBeforeItIsRead)
{
    const std::string strHuge = ProjectFile();
    WriteText(strHuge, "");
    fs::resize_file(strHuge, (64u << 20) + 1); // sparse: nothing is written
    const std::pair<std::string, std::string> arrCases[] = {
        {strHuge, "': at 67108865 bytes it is far larger than any project"},
        {m_dir.string(), "': Is a directory"},
        {(m_dir / "none.tramino").string(), "': No such file or directory"},
    };
    for (const auto& [strPath, strReason] : arrCases)
        EXPECT_EQ(LoadProject(strPath).Message(), "Cannot read project '" + strPath + strReason);
}

struct CMalformed
{
    const char* m_szName;
    const char* m_szFrom; // the piece of the good project that is replaced
    const char* m_szTo;
    const char* m_szMessage; // what follows "Cannot read project 'FILE': " (DIR: the project's folder)
};

class MalformedProjectTest : public ProjectFileTest, public testing::WithParamInterface<CMalformed>
{
};

TEST_P(MalformedProjectTest, IsRefusedWithThePlaceAndTheReason)
{
    const CMalformed& param = GetParam();
    const std::string strBroken = Replaced(m_strText, param.m_szFrom, param.m_szTo);
    ASSERT_NE(strBroken, m_strText);
    WriteText(ProjectFile(), strBroken);
    const CResult<CProject> project = LoadProject(ProjectFile());
    ASSERT_FALSE(project);
    std::string strMessage = param.m_szMessage;
    if (strMessage.find("DIR") != std::string::npos) // a picture's path, in the system's separators
        strMessage = fs::path(Replaced(strMessage, "DIR", m_dir.string())).make_preferred().string();
    EXPECT_EQ(project.Message(), "Cannot read project '" + ProjectFile() + "': " + strMessage);
}

const CMalformed g_arrMalformed[] = {
    {"Syntax", "\"format\": 1,", "\"format\": 1",
     "parse error at line 3, column 9: syntax error while parsing object - unexpected string literal; "
     "expected '}'"},
    {"NewerFormat", "\"format\": 1,", "\"format\": 2, \"future\": 1,",
     "format: the file is of format 2, newer than this Tramino reads (1); a newer Tramino opens it"},
    {"UnknownKey", "\"output\"", "\"outptu\"",
     "unknown key 'outptu' (known: format, panel, transition, output, fast, defaults, pictures)"},
    {"UnknownPictureKey", "\"fit\": \"cover\"", "\"fitt\": \"cover\"",
     "pictures[1]: unknown key 'fitt' (known: path, show-picture, frame, fit, gravity, background, dither, "
     "frames, "
     "auto-orient)"},
    {"DuplicateKey", "\"fit\": \"cover\"", "\"fit\": \"cover\", \"fit\": \"contain\"",
     "line 23, column 27: the key 'fit' is given twice in one object"},
    {"MissingKey", "\"transition\": \"Shutter(Top to Bottom)\",", "", "the key 'transition' is missing"},
    {"FormatText", "\"format\": 1", "\"format\": \"1\"", "format: a whole number is needed, not a text"},
    {"FractionalWidth", "300,", "300.5,", "panel.width: a whole number is needed, not the number 300.5"},
    {"FlagText", "\"auto-orient\": false", "\"auto-orient\": \"no\"",
     "pictures[1].auto-orient: true or false is needed, not a text"},
    {"OutputList", "\"out/show.qrv\"", "[\"out/show.qrv\"]", "output: a text is needed, not a list"},
    {"PanelNumber", "{\n    \"width\": 300,\n    \"height\": 200\n  }", "9",
     "panel: an object is needed, not the number 9"},
    {"PathNumber", "\"pics/a.bmp\"", "7", "pictures[0].path: a text is needed, not the number 7"},
    {"EmptyPath", "\"pics/a.bmp\"", "\"\"", "pictures[0].path: the path is empty"},
    {"WidthRange", "300,", "4097,", "panel.width: 4097 is not from 1 to 4096"},
    {"HugeNumber", "300,", "123456789012345678901234567890123456789012345e400,",
     "line 4, column 13: the number '1234567890123456789012345678901234567890...' (49 bytes) is beyond any "
     "value a project holds"},
    {"Overflow", "300,", "1e400,",
     "line 4, column 13: the number '1e400' is beyond any value a project holds"},
    {"DeepNesting", "\"pics/a.bmp\"",
     "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]"
     "]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]",
     "line 19, column 76: lists and objects nest more than 64 deep here, far deeper than a project goes"},
    {"NulInPath", "pics/a.bmp", "pics/a.bmp\\u0000.jpg",
     "pictures[0].path: the path holds a NUL character, which no file name can"},
    {"NotRegular", "pics/a.bmp", "pics", "pictures[0].path: the picture 'DIR/pics' is not a regular file"},
    {"CodeRange", "\"width\": 300,\n    \"height\": 200", "\"code\": 10",
     "panel.code: 10 is not from 1 to 9"},
    {"CodeAndSize", "\"width\": 300,", "\"code\": 2, \"width\": 300,",
     "panel: give either a code or a width and height, not both"},
    {"FitValue", "\"cover\"", "\"strech\"",
     "pictures[1].fit: 'strech' is not one of stretch, contain, cover"},
    {"Colour", "FF8000", "FF80G0", "defaults.background: 'FF80G0' is not a colour RRGGBB in hexadecimal"},
    {"Transition", "\"Shutter(Top to Bottom)\"", "\"Shutter\"",
     "transition: 'Shutter' is none of Normal, Shutter(Left to Right), Shutter(Top to Bottom), Circle"},
    {"TransitionPanel", "\"height\": 200", "\"height\": 201",
     "transition: Shutter(Top to Bottom) cannot cover a 300x201 panel"},
    {"MissingPicture", "pics/b.bmp", "pics/c.bmp",
     "pictures[1].path: the picture 'DIR/pics/c.bmp' is not there"},
    {"ShowPictureZero", "\"pics/a.bmp\"", "\"pics/a.bmp\", \"show-picture\": 0",
     "pictures[0].show-picture: 0 is not from 1 to 2147483647"},
    {"FrameZero", "\"pics/a.bmp\"", "\"pics/a.bmp\", \"frame\": 0",
     "pictures[0].frame: 0 is not from 1 to 10000"},
    {"FrameOfShow", "\"pics/a.bmp\"", "\"pics/a.bmp\", \"show-picture\": 1, \"frame\": 2",
     "pictures[0].frame: a show's picture has no frames"},
    {"ShowPictureText", "\"pics/a.bmp\"", "\"pics/a.bmp\", \"show-picture\": \"2\"",
     "pictures[0].show-picture: a whole number is needed, not a text"},
    {"FastText", "\"output\"", "\"fast\": 1, \"output\"", "fast: true or false is needed, not the number 1"},
};

INSTANTIATE_TEST_SUITE_P(Cases, MalformedProjectTest, testing::ValuesIn(g_arrMalformed),
                         [](const testing::TestParamInfo<CMalformed>& paramInfo)
                         { return paramInfo.param.m_szName; });

TEST_F(ProjectFileTest, ALinkedProjectReadsFromTheRealFolderAndAStopKeepsTheOldFile)
{
    WriteText(ProjectFile(), m_strText);
    const CResult<CProject> project = LoadProject(ProjectFile());
    ASSERT_TRUE(project) << project.Message();
    const std::atomic<bool> bStop{true};
    EXPECT_EQ(LoadProject(ProjectFile(), EMissingPicture::Refuse, &bStop).Message(), "stopped");
    CProject changed = project.Value();
    changed.m_vecPictures.pop_back();
    EXPECT_EQ(SaveProject(changed, ProjectFile(), &bStop).Message(), "stopped");
    EXPECT_EQ(ReadText(ProjectFile()), m_strText);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);

    const fs::path link = m_root / "link.tramino";
    if (const std::string strWhy = test::MakeLinkOrWhyNot(ProjectFile(), link); !strWhy.empty())
        GTEST_SKIP() << strWhy;
    const CResult<CProject> linked = LoadProject(link.string());
    ASSERT_TRUE(linked) << linked.Message();
    EXPECT_EQ(linked.Value().m_vecPictures[0].m_path.m_path, m_dir / "pics/a.bmp");
    ASSERT_TRUE(SaveProject(linked.Value(), link.string()));
    EXPECT_EQ(ReadText(ProjectFile()), m_strText);
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(ProjectFileTest, TheLockIsHeldByOneAtATimeAndFollowsAReplacedFile)
{
    WriteText(ProjectFile(), m_strText);
    {
        CResult<CProjectLock> first = CProjectLock::Acquire(ProjectFile(), std::chrono::milliseconds(0));
        ASSERT_TRUE(first) << first.Message();
        const CResult<CProjectLock> second =
            CProjectLock::Acquire(ProjectFile(), std::chrono::milliseconds(50));
        EXPECT_EQ(second.Message(), "Cannot change project '" + ProjectFile() +
                                        "': another program is changing it; try again when it is done");
        // The holder replaces the file: the next one locks the new file, not the old.
        ASSERT_TRUE(SaveProject(LoadProject(ProjectFile()).Value(), ProjectFile()));
        std::thread release(
            [&first]
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                first = CResult<CProjectLock>(CStatus::Error("released"));
            });
        EXPECT_TRUE(CProjectLock::Acquire(ProjectFile(), std::chrono::seconds(5)));
        release.join();
    }
    EXPECT_TRUE(CProjectLock::Acquire(ProjectFile(), std::chrono::milliseconds(0)));
}

TEST(ShowFileSizeTest, EqualsTheSizeOfAWrittenShowForEveryTransition)
{
    const fs::path show =
        fs::temp_directory_path() / ("tramino-size-" + std::to_string(std::random_device{}()));
    for (const CPanelSize panel : {CPanelSize{96, 64}, CPanelSize{220, 176}, CPanelSize{64, 16}})
        for (const EEffect effect : g_arrEffects)
        {
            SCOPED_TRACE(std::string(EffectName(effect)) + " on " + std::to_string(panel.m_nWidth));
            for (const int nPictures : {0, 3})
            {
                CShowFileWriter writer;
                ASSERT_TRUE(writer.Create(show.string()));
                for (int i = 0; i < nPictures; ++i)
                    ASSERT_TRUE(WritePictureRecords(writer, effect, panel.m_nWidth, panel.m_nHeight,
                                                    [](int, int) {
                                                        return CRgb{1, 2, 3};
                                                    }));
                ASSERT_TRUE(writer.Finish());
                EXPECT_EQ(fs::file_size(show), ShowFileBytes(effect, panel.m_nWidth, panel.m_nHeight,
                                                             static_cast<uint64_t>(nPictures)));
            }
        }
    fs::remove(show);
}

TEST(ShowFileSizeTest, APlanCountsEveryFrameOfThePicturesThatTakeThemAll)
{
    const std::string strAnimated =
        TRAMINO_SOURCE_DIR "/tests/fuzz/seeds/picture_gif/animated.gif"; // 2 frames
    const std::string strStill = TRAMINO_SOURCE_DIR "/tests/fuzz/seeds/picture_bmp/rgb24.bmp";
    CShowPlan plan{{96, 64},
                   EEffect::Circle,
                   {{strAnimated, {}, true}, {strAnimated, {}, false}, {strStill, {}, true}},
                   {}};
    const CResult<uint64_t> nBytes = ShowFileSize(plan);
    ASSERT_TRUE(nBytes) << nBytes.Message();
    EXPECT_EQ(nBytes.Value(), ShowFileBytes(EEffect::Circle, 96, 64, 4));

    plan.m_vecPictures.push_back({TRAMINO_SOURCE_DIR "/README.md", {}, true});
    const CResult<uint64_t> nRefused = ShowFileSize(plan);
    ASSERT_FALSE(nRefused);
    EXPECT_NE(nRefused.Message().find("README.md"), std::string::npos) << nRefused.Message();
}

} // namespace

// Every value the table names reaches the conversion as its own choice, and the window's order
// lists the same values.
TEST(PictureOptionTableTest, EveryNamedValueConvertsToItsOwnChoice)
{
    const auto values = [](EPictureOption option, size_t i)
    {
        CPictureValues picture = DefaultPictureValues();
        picture[static_cast<size_t>(option)] = std::string(PictureOptionInfo(option).m_values[i]);
        return ConvertOptionsFor(picture);
    };
    for (size_t i = 0; i < PictureOptionInfo(EPictureOption::Fit).m_values.size(); ++i)
        EXPECT_EQ(values(EPictureOption::Fit, i).m_eFit, static_cast<EFit>(i));
    for (size_t i = 0; i < PictureOptionInfo(EPictureOption::Gravity).m_values.size(); ++i)
        EXPECT_EQ(values(EPictureOption::Gravity, i).m_eGravity, static_cast<EGravity>(i));
    for (size_t i = 0; i < PictureOptionInfo(EPictureOption::Dither).m_values.size(); ++i)
        EXPECT_EQ(values(EPictureOption::Dither, i).m_eDither, static_cast<EDither>(i));
    for (const CPictureOptionInfo& info : PictureOptionTable())
        EXPECT_TRUE(std::is_permutation(info.m_values.begin(), info.m_values.end(),
                                        ListedValues(info).begin(), ListedValues(info).end()))
            << info.m_strKey;
}
