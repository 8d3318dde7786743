#include "pipeline/ShowPictureSource.h"
#include "PortableTestSupport.h"
#include "codec/BmpWriter.h"
#include "pipeline/ShowBuilder.h"
#include "project/Project.h"
#include "show/RecordCutter.h"
#include "show/ShowFileReader.h"
#include "show/ShowFileWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tramino
{
namespace
{

namespace fs = std::filesystem;

constexpr CPanelSize g_panel{96, 64};

// Colours of every kind, most of them between RGB565 steps, different in each picture.
CPicture Scene(int nNumber)
{
    CPicture picture(g_panel.m_nWidth, g_panel.m_nHeight, 24);
    for (int y = 0; y < g_panel.m_nHeight; ++y)
        for (int x = 0; x < g_panel.m_nWidth; ++x)
            picture.SetPixel(x, y,
                             CRgb{static_cast<uint8_t>(x * 7 + nNumber * 50),
                                  static_cast<uint8_t>(y * 13 + x),
                                  static_cast<uint8_t>((x ^ y) * 5 + nNumber)});
    return picture;
}

std::string FileBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ShowPictureSourceTest : public testing::Test
{
protected:
    ~ShowPictureSourceTest() override { fs::remove_all(m_dir); }

    std::string Path(const char* szName) const { return (m_dir / szName).string(); }

    // A show of three pictures; the reading of it with each picture's offset.
    CShowFileReader WriteShow(EEffect effect) const
    {
        CShowFileWriter writer;
        EXPECT_TRUE(writer.Create(Path("show.qrv")));
        for (int i = 1; i <= 3; ++i)
            EXPECT_TRUE(WritePictureRecords(writer, effect, g_panel.m_nWidth, g_panel.m_nHeight, Scene(i)));
        EXPECT_TRUE(writer.Finish());
        CShowFileReader reader(g_panel.m_nWidth, g_panel.m_nHeight);
        EXPECT_TRUE(reader.ReadFile(Path("show.qrv")));
        return reader;
    }

    fs::path m_dir = test::MakeTempFolder("show-picture-");
};

TEST_F(ShowPictureSourceTest, PicturesRebuiltFromAShowAreItsOwnRecordsForEveryTransition)
{
    for (const EEffect effect : g_arrEffects)
    {
        SCOPED_TRACE(EffectName(effect));
        const CShowFileReader reader = WriteShow(effect);
        const std::string strBytes = FileBytes(Path("show.qrv"));
        const auto Records = [&](size_t nPicture) // from 1, with its end marker
        {
            const std::vector<CShowFilePicture>& vecPictures = reader.Pictures();
            const uint64_t nEnd =
                nPicture < vecPictures.size() ? vecPictures[nPicture].m_nOffset : strBytes.size() - 2;
            return strBytes.substr(vecPictures[nPicture - 1].m_nOffset,
                                   nEnd - vecPictures[nPicture - 1].m_nOffset);
        };

        // Out of order and twice, on two threads; an option that would change any other picture
        // leaves the show's own alone.
        std::vector<CShowPlanPicture> vecPlan;
        std::string strExpected = strBytes.substr(0, 32);
        for (const int nPicture : {3, 1, 3, 2})
        {
            vecPlan.push_back({Path("show.qrv"), {.m_eDither = EDither::Ordered}, false, nPicture});
            strExpected += Records(static_cast<size_t>(nPicture));
        }
        CShowBuildOptions options;
        options.m_nPanelWidth = g_panel.m_nWidth;
        options.m_nPanelHeight = g_panel.m_nHeight;
        options.m_effect = effect;
        options.m_nJobs = 2;
        const CShowBuildResult result = CShowBuilder(options).Build(PlanSources(vecPlan), Path("again.qrv"));
        ASSERT_TRUE(result.m_status) << result.m_status.Message();
        EXPECT_TRUE(FileBytes(Path("again.qrv")) == strExpected + strBytes.substr(strBytes.size() - 2));
    }
}

TEST_F(ShowPictureSourceTest, AnotherPanelConvertsThePictureAsAFileOfItAndFaultsNameTheShow)
{
    const CShowFileReader reader = WriteShow(EEffect::Circle);
    ASSERT_TRUE(WriteBmpFile(reader.Pictures()[1].m_picture, Path("second.bmp")));
    const CConvertOptions contain{.m_eFit = EFit::Contain, .m_crBackground = {0, 90, 200}};
    const auto Take = [&](const std::string& strPath, int nPicture, CPanelSize panel)
    {
        const CShowPictureSource source(std::make_shared<CShowFileIndex>(strPath), strPath, nPicture,
                                        contain);
        CPicture picture;
        const CStatus status = source.Produce(panel,
                                              [&](CPicture taken)
                                              {
                                                  picture = std::move(taken);
                                                  return true;
                                              });
        return std::make_pair(status, picture);
    };
    // A larger panel stretches it, a smaller one reduces it.
    for (const CPanelSize panel : {CPanelSize{320, 240}, CPanelSize{60, 20}})
    {
        const auto [status, picture] = Take(Path("show.qrv"), 2, panel);
        ASSERT_TRUE(status) << status.Message();
        const CResult<CPicture> file = ConvertPictureToPanel(Path("second.bmp"), panel, contain);
        EXPECT_TRUE(file && picture == file.Value()) << panel.m_nWidth;
    }

    const std::string strBytes = FileBytes(Path("show.qrv"));
    std::ofstream(Path("cut.qrv"), std::ios::binary) << strBytes.substr(0, strBytes.size() - 100);
    // A named path: GCC 12 at -O3 warns falsely about a literal put in front of a temporary.
    const std::string strCut = Path("cut.qrv");
    const std::pair<std::string, std::string> arrFaults[] = {
        {Path("show.qrv"), "Cannot take picture 4 of '" + Path("show.qrv") + "': the show has 3 pictures"},
        {strCut, "'" + strCut + "' is not a valid show file for a 96 x 64 panel: at byte "},
        {Path("none.qrv"), "Cannot read '" + Path("none.qrv") + "': No such file or directory"},
    };
    for (const auto& [strPath, strMessage] : arrFaults)
        EXPECT_EQ(Take(strPath, 4, g_panel).first.Message().substr(0, strMessage.size()), strMessage);
}

} // namespace
} // namespace tramino
