#include "pipeline/ShowPictureSource.h"
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

// Colours of every kind, none of them exact RGB565 steps, different in each picture.
CPicture Scene(int nNumber, CPanelSize panel = g_panel)
{
    CPicture picture(panel.m_nWidth, panel.m_nHeight, 24);
    for (int y = 0; y < panel.m_nHeight; ++y)
        for (int x = 0; x < panel.m_nWidth; ++x)
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
    ShowPictureSourceTest()
    {
        std::string strTemplate = (fs::temp_directory_path() / "show-picture-XXXXXX").string();
        m_dir = ::mkdtemp(strTemplate.data());
    }
    ~ShowPictureSourceTest() override { fs::remove_all(m_dir); }

    std::string Path(const char* szName) const { return (m_dir / szName).string(); }

    void WriteShow(const std::string& strPath, EEffect effect, int nPictures) const
    {
        CShowFileWriter writer;
        ASSERT_TRUE(writer.Create(strPath));
        for (int i = 1; i <= nPictures; ++i)
            ASSERT_TRUE(WritePictureRecords(writer, effect, g_panel.m_nWidth, g_panel.m_nHeight, Scene(i)));
        ASSERT_TRUE(writer.Finish());
    }

    fs::path m_dir;
};

TEST_F(ShowPictureSourceTest, PicturesRebuiltFromAShowAreItsOwnRecordsForEveryTransition)
{
    for (const EEffect effect : g_arrEffects)
    {
        SCOPED_TRACE(EffectName(effect));
        const std::string strShow = Path("show.qrv");
        WriteShow(strShow, effect, 3);
        CShowFileReader reader(g_panel.m_nWidth, g_panel.m_nHeight, false);
        ASSERT_TRUE(reader.ReadFile(strShow));
        const std::string strBytes = FileBytes(strShow);
        const auto Records = [&](size_t nPicture) // from 1, with its end marker
        {
            const uint64_t nStart = reader.Pictures()[nPicture - 1].m_nOffset;
            const uint64_t nEnd = nPicture < reader.Pictures().size() ? reader.Pictures()[nPicture].m_nOffset
                                                                      : strBytes.size() - 2;
            return strBytes.substr(nStart, nEnd - nStart);
        };

        // Out of order and twice, on several threads: one reading of the show serves them all.
        const std::vector<int> vecTaken = {3, 1, 3, 2};
        std::vector<CShowPlanPicture> vecPlan;
        std::string strExpected = strBytes.substr(0, reader.Pictures()[0].m_nOffset);
        for (const int nPicture : vecTaken)
        {
            vecPlan.push_back({strShow, {.m_eDither = EDither::Ordered}, false, nPicture});
            strExpected += Records(static_cast<size_t>(nPicture));
        }
        strExpected += strBytes.substr(strBytes.size() - 2);
        CShowBuildOptions options;
        options.m_nPanelWidth = g_panel.m_nWidth;
        options.m_nPanelHeight = g_panel.m_nHeight;
        options.m_effect = effect;
        options.m_nJobs = 2;
        const CShowBuildResult result = CShowBuilder(options).Build(PlanSources(vecPlan), Path("again.qrv"));
        ASSERT_TRUE(result.m_status) << result.m_status.Message();
        EXPECT_EQ(result.m_nPictures, 4);
        EXPECT_TRUE(FileBytes(Path("again.qrv")) == strExpected);
    }
}

TEST_F(ShowPictureSourceTest, AnotherPanelConvertsThePictureAsAFileOfItAndFaultsNameTheShow)
{
    const std::string strShow = Path("show.qrv");
    WriteShow(strShow, EEffect::Circle, 2);
    CShowFileReader reader(g_panel.m_nWidth, g_panel.m_nHeight);
    ASSERT_TRUE(reader.ReadFile(strShow));
    ASSERT_TRUE(WriteBmpFile(reader.Pictures()[1].m_picture, Path("second.bmp")));

    const CConvertOptions contain{.m_eFit = EFit::Contain, .m_crBackground = {0, 90, 200}};
    const auto Take = [&](const std::string& strPath, int nPicture, CPanelSize panel)
    {
        CShowPictureSource source(std::make_shared<CShowFileIndex>(strPath),
                                  strPath + "#" + std::to_string(nPicture), nPicture, contain);
        CPicture picture;
        const CStatus status = source.Produce(panel.m_nWidth, panel.m_nHeight,
                                              [&](CPicture taken)
                                              {
                                                  picture = std::move(taken);
                                                  return true;
                                              });
        return std::make_pair(status, picture);
    };
    // Both ways of another size: a larger panel stretches it, a smaller one reduces it.
    for (const CPanelSize panel : {CPanelSize{320, 240}, CPanelSize{60, 20}})
    {
        const auto [status, picture] = Take(strShow, 2, panel);
        ASSERT_TRUE(status) << status.Message();
        const CResult<CPicture> file =
            ConvertPictureToPanel(Path("second.bmp"), panel.m_nWidth, panel.m_nHeight, contain);
        ASSERT_TRUE(file) << file.Message();
        EXPECT_TRUE(picture == file.Value()) << panel.m_nWidth;
    }

    const std::string strBytes = FileBytes(strShow);
    std::ofstream(Path("cut.qrv"), std::ios::binary) << strBytes.substr(0, strBytes.size() - 100);
    const struct
    {
        std::string m_strPath;
        int m_nPicture;
        std::string m_strMessage;
    } arrFaults[] = {
        {strShow, 3, "Cannot take picture 3 of '" + strShow + "': the show has 2 pictures"},
        {Path("cut.qrv"), 1,
         "'" + Path("cut.qrv") + "' is not a valid show file for a 96 x 64 panel: at byte "},
        {Path("none.qrv"), 1, "Cannot read '" + Path("none.qrv") + "': No such file or directory"},
    };
    for (const auto& fault : arrFaults)
        EXPECT_EQ(Take(fault.m_strPath, fault.m_nPicture, g_panel)
                      .first.Message()
                      .substr(0, fault.m_strMessage.size()),
                  fault.m_strMessage);
}

} // namespace
} // namespace tramino
