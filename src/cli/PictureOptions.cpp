#include "cli/PictureOptions.h"

#include "project/PictureValues.h"

#include <string>

namespace tramino::cli
{

std::vector<COptionSpec> PictureOptions()
{
    return {{"fit", true}, {"gravity", true}, {"background", true}, {"dither", true}, {"auto-orient", false}};
}

std::string_view PictureOptionsHelp()
{
    return "  --fit HOW        stretch (fill the panel, the default), contain (keep the aspect\n"
           "                   ratio, bars around it) or cover (keep it, crop what sticks out)\n"
           "  --gravity WHERE  where contain places the picture and cover crops: center (the\n"
           "                   default), north, south, east, west, northwest, northeast,\n"
           "                   southwest, southeast\n"
           "  --background RRGGBB  colour of the bars, hexadecimal (default 000000)\n"
           "  --dither HOW     none (truncate to the panel's colours, the default), ordered\n"
           "                   (8x8 Bayer) or diffusion (Floyd-Steinberg)\n"
           "  --auto-orient    turn JPEG photos upright as their EXIF orientation says\n";
}

std::optional<CRgb> ParseColour(std::string_view str)
{
    return ParseRgbHex(str);
}

CStatus ParsePictureOptions(const CArguments& args, CConvertOptions& options)
{
    if (const std::string* pFit = args.Value("fit"))
    {
        const std::optional<EFit> fit = ParseFit(*pFit);
        if (!fit)
            return CStatus::Error("--fit takes stretch, contain or cover, not '" + *pFit + "'");
        options.m_eFit = *fit;
    }
    if (const std::string* pGravity = args.Value("gravity"))
    {
        const std::optional<EGravity> gravity = ParseGravity(*pGravity);
        if (!gravity)
            return CStatus::Error("--gravity takes center, north, south, east, west, northwest, northeast, "
                                  "southwest or southeast, not '" +
                                  *pGravity + "'");
        options.m_eGravity = *gravity;
    }
    if (const std::string* pBackground = args.Value("background"))
    {
        const std::optional<CRgb> cr = ParseColour(*pBackground);
        if (!cr)
            return CStatus::Error("--background needs RRGGBB in hexadecimal, not '" + *pBackground + "'");
        options.m_crBackground = *cr;
    }
    if (const std::string* pDither = args.Value("dither"))
    {
        const std::optional<EDither> dither = ParseDither(*pDither);
        if (!dither)
            return CStatus::Error("--dither takes none, ordered or diffusion, not '" + *pDither + "'");
        options.m_eDither = *dither;
    }
    options.m_bAutoOrient = args.Has("auto-orient");
    return {};
}

} // namespace tramino::cli
