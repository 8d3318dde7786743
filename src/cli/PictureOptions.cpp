#include "cli/PictureOptions.h"

#include "project/PictureValues.h"

#include <string>

namespace tramino::cli
{

namespace
{

// Sets value from option --strName when it is given; a value fnParse refuses is an error.
template <class T, class FnParse>
CStatus ParseValue(const CArguments& args, std::string_view strName, FnParse fnParse,
                   std::string_view strTakes, T& value)
{
    const std::string* pValue = args.Value(strName);
    if (pValue == nullptr)
        return {};
    const std::optional<T> parsed = fnParse(*pValue);
    if (!parsed)
        return CStatus::Error("--" + std::string(strName) + " takes " + std::string(strTakes) + ", not '" +
                              *pValue + "'");
    value = *parsed;
    return {};
}

} // namespace

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
           "  --background RRGGBB  colour of the bars and under transparent pixels, hexadecimal\n"
           "                   (default 000000; a GIF's first picture is composed over it\n"
           "                   only when it is another colour)\n"
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
    CStatus status = ParseValue(args, "fit", ParseFit, "stretch, contain or cover", options.m_eFit);
    if (status)
        status = ParseValue(args, "gravity", ParseGravity,
                            "center, north, south, east, west, northwest, northeast, southwest or southeast",
                            options.m_eGravity);
    if (status)
        status = ParseValue(args, "background", ParseColour, "RRGGBB in hexadecimal", options.m_crBackground);
    if (status)
        status = ParseValue(args, "dither", ParseDither, "none, ordered or diffusion", options.m_eDither);
    options.m_bAutoOrient = args.Has("auto-orient");
    return status;
}

} // namespace tramino::cli
