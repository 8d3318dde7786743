#include "pipeline/RepeatedConversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tramino
{
namespace
{

namespace fs = std::filesystem;

// Kept rows convert as the file itself does, whichever choice follows which, and a stop asked
// for ends a conversion with an error. A JPEG keeps a fast and a whole decoding, a GIF one per
// background, a bottom-up BMP one for all.
TEST(RepeatedConversion, EveryChoiceInTurnConvertsAsTheFileDoesAndAStopEndsIt)
{
    const std::string strData = std::string(TRAMINO_TESTDATA);
    if (!fs::exists(strData + "/photos/"))
        GTEST_SKIP() << strData << " is absent";
    const CPanelSize panel{160, 128};
    const CConvertOptions arrOptions[] = {
        {},
        {.m_bFast = true},
        {.m_bFast = true, .m_eFit = EFit::Cover, .m_eGravity = EGravity::NorthWest},
        {.m_eFit = EFit::Contain, .m_crBackground = {0, 255, 0}},
        {.m_eFit = EFit::Cover, .m_eDither = EDither::Ordered, .m_bAutoOrient = true},
        {.m_bFast = true, .m_crBackground = {9, 9, 9}, .m_bAutoOrient = true},
        {.m_bFast = true},
    };
    for (const char* szName :
         {"/photos/mate_FreshFlower.jpg", "/photos/tk_earth.gif", "/bmpsuite/g/rgb24.bmp"})
    {
        const std::string strPath = strData + szName;
        CRepeatedConversion conversion(strPath, 0, panel);
        for (const CConvertOptions& options : arrOptions)
        {
            const CResult<CPicture> expected = ConvertPictureToPanel(strPath, panel, options);
            const CResult<CPicture> got = conversion.Convert(options, {});
            ASSERT_TRUE(expected && got) << szName << ": " << got.Message();
            EXPECT_TRUE(got.Value() == expected.Value())
                << szName << " fit " << static_cast<int>(options.m_eFit);
        }
        const CResult<CPicture> stopped = conversion.Convert({.m_eFit = EFit::Cover}, [] { return true; });
        EXPECT_FALSE(stopped) << szName;
        EXPECT_NE(stopped.Message().find(strPath), std::string::npos) << stopped.Message();
    }
}

} // namespace
} // namespace tramino
