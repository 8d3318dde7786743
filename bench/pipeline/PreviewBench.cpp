// The options dialog's preview of a large photo, as the core gives it:
//   tramino_bench_preview [PHOTO]
// the first fast and exact conversions (the decoding kept), then a change of the fit, gravity or
// dither converted from the kept rows, fast and exact, each the best of a few rounds.
#include "pipeline/RepeatedConversion.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace
{

using namespace tramino;

double Milliseconds(CRepeatedConversion& conversion, const CConvertOptions& options)
{
    const auto start = std::chrono::steady_clock::now();
    const CResult<CPicture> picture = conversion.Convert(options, {});
    const double fMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!picture)
        std::fprintf(stderr, "%s\n", picture.Message().c_str());
    return picture ? fMs : -1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string strPhoto =
        argc > 1 ? argv[1] : std::string(TRAMINO_TESTDATA) + "/photos/Kleiber_by_Lukas_Baubkus.jpg";
    const CPanelSize panel{320, 240};
    CRepeatedConversion conversion(strPhoto, 0, panel);
    const CConvertOptions fast{.m_bFast = true};
    const CConvertOptions exact{};
    std::printf("%s at 320 x 240\n", strPhoto.c_str());
    std::printf("first fast conversion (decoding)  %8.1f ms\n", Milliseconds(conversion, fast));
    std::printf("first exact conversion (decoding) %8.1f ms\n", Milliseconds(conversion, exact));
    const CConvertOptions arrChanges[] = {
        {.m_eFit = EFit::Contain, .m_crBackground = {0, 80, 0}},
        {.m_eFit = EFit::Cover, .m_eGravity = EGravity::NorthWest},
        {.m_eFit = EFit::Cover, .m_eDither = EDither::Ordered},
    };
    for (const bool bFast : {true, false})
    {
        double fBest = 1e9;
        for (int nRound = 0; nRound < 3; ++nRound)
            for (CConvertOptions options : arrChanges)
            {
                options.m_bFast = bFast;
                const double fMs = Milliseconds(conversion, options);
                fBest = fMs >= 0 && fMs < fBest ? fMs : fBest;
            }
        std::printf("a change, %s from kept rows     %8.1f ms (best)\n", bFast ? "fast " : "exact", fBest);
    }
    return 0;
}
