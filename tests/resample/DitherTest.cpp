#include "resample/Dither.h"
#include "ResampleTestSupport.h"
#include "show/Rgb565.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tramino
{
namespace
{

bool IsPanelColour(CRgb cr)
{
    return ExpandRgb565(PackRgb565(cr.m_nRed, cr.m_nGreen, cr.m_nBlue)) == cr;
}

CPicture Dithered(CPicture picture, EDither eDither)
{
    DitherToPanel(picture, eDither);
    return picture;
}

class Dither : public ::testing::TestWithParam<EDither>
{
};

// Random colours, with a block of one panel colour and of panel levels in single components.
TEST_P(Dither, GivesPanelColoursOnlyAndKeepsEveryLevelThePanelShows)
{
    CPicture source = test::RandomPicture(61, 47, 5);
    for (int y = 10; y < 30; ++y)
        for (int x = 20; x < 50; ++x)
            source.SetPixel(x, y, ExpandRgb565(0x7BEF));
    const CPicture output = Dithered(source, GetParam());
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x)
        {
            ASSERT_TRUE(IsPanelColour(output.GetPixel(x, y))) << x << ", " << y;
            for (int c = 0; c < 3; ++c)
            {
                const uint8_t nIn = source.Row(y)[3 * x + c];
                const CRgb crLevel = ExpandRgb565(PackRgb565(nIn, nIn, nIn));
                if (nIn == (c == 1 ? crLevel.m_nGreen : crLevel.m_nRed))
                {
                    ASSERT_EQ(output.Row(y)[3 * x + c], nIn) << x << ", " << y << ", component " << c;
                }
            }
        }
    EXPECT_TRUE(Dithered(output, GetParam()) == output) << "dithering a dithered picture changes nothing";
    EXPECT_TRUE(Dithered(source, GetParam()) == output) << "the same every time";
}

// A smooth sky; both pictures blurred (Gaussian, sigma 1) before they are compared.
struct CQuality
{
    double m_fPsnr = 0;
    double m_arrMeanError[3] = {};
};

std::vector<double> Blurred(const CPicture& picture)
{
    std::vector<double> vecKernel;
    for (int i = -4; i <= 4; ++i)
        vecKernel.push_back(std::exp(-0.5 * i * i));
    double fSum = 0;
    for (double f : vecKernel)
        fSum += f;
    const int nWidth = picture.Width(), nHeight = picture.Height();
    const auto at = [&](int x, int y, int c) { return 3 * (static_cast<size_t>(y) * nWidth + x) + c; };
    std::vector<double> vecIn(at(0, nHeight, 0)), vecAcross(vecIn.size()), vecOut(vecIn.size());
    for (int y = 0; y < nHeight; ++y)
        for (int k = 0; k < 3 * nWidth; ++k)
            vecIn[3 * static_cast<size_t>(y) * nWidth + k] = picture.Row(y)[k];
    for (int pass = 0; pass < 2; ++pass)
    {
        const std::vector<double>& vecFrom = pass == 0 ? vecIn : vecAcross;
        std::vector<double>& vecTo = pass == 0 ? vecAcross : vecOut;
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
                for (int c = 0; c < 3; ++c)
                {
                    double f = 0;
                    for (int i = -4; i <= 4; ++i)
                    {
                        const int nX = pass == 0 ? std::clamp(x + i, 0, nWidth - 1) : x;
                        const int nY = pass == 1 ? std::clamp(y + i, 0, nHeight - 1) : y;
                        f += vecKernel[static_cast<size_t>(i + 4)] * vecFrom[at(nX, nY, c)];
                    }
                    vecTo[at(x, y, c)] = f / fSum;
                }
    }
    return vecOut;
}

CQuality Quality(const CPicture& source, const CPicture& output)
{
    const std::vector<double> vecSource = Blurred(source), vecOutput = Blurred(output);
    CQuality quality;
    double fSquares = 0;
    for (size_t i = 0; i < vecSource.size(); ++i)
    {
        const double fError = vecOutput[i] - vecSource[i];
        fSquares += fError * fError;
        quality.m_arrMeanError[i % 3] += fError / static_cast<double>(vecSource.size() / 3);
    }
    quality.m_fPsnr = 10 * std::log10(255.0 * 255.0 * static_cast<double>(vecSource.size()) / fSquares);
    return quality;
}

CPicture Sky()
{
    CPicture sky(320, 240, 24);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
        {
            const double fDown = y / 239.0, fAcross = x / 319.0;
            sky.SetPixel(x, y,
                         {static_cast<uint8_t>(std::lround(40 + 110 * fDown + 25 * fAcross)),
                          static_cast<uint8_t>(std::lround(90 + 120 * fDown + 10 * fAcross)),
                          static_cast<uint8_t>(std::lround(235 + 15 * fDown - 30 * fAcross))});
        }
    return sky;
}

TEST_P(Dither, SmoothSkyComesCloseToTheSourceWithoutBias)
{
    const CPicture sky = Sky();
    const CQuality quality = Quality(sky, Dithered(sky, GetParam()));
    RecordProperty("psnr", std::to_string(quality.m_fPsnr));
    EXPECT_GE(quality.m_fPsnr, 57.5);
    for (double fMean : quality.m_arrMeanError)
        EXPECT_LE(std::abs(fMean), 0.1) << fMean;
}

TEST(DitherNone, TruncationIsWhatDitheringImprovesOn)
{
    CPicture sky = Sky();
    for (int y = 0; y < sky.Height(); ++y)
        for (int x = 0; x < sky.Width(); ++x)
        {
            const CRgb cr = sky.GetPixel(x, y);
            sky.SetPixel(x, y, ExpandRgb565(PackRgb565(cr.m_nRed, cr.m_nGreen, cr.m_nBlue)));
        }
    const CQuality quality = Quality(Sky(), sky);
    RecordProperty("psnr", std::to_string(quality.m_fPsnr));
    EXPECT_NEAR(quality.m_fPsnr, 40, 3);
}

INSTANTIATE_TEST_SUITE_P(, Dither, ::testing::Values(EDither::Ordered, EDither::Diffusion),
                         [](const auto& param)
                         { return param.param == EDither::Ordered ? "Ordered" : "Diffusion"; });

} // namespace
} // namespace tramino
