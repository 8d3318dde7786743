#include "project/PictureValues.h"

#include "project/ProjectJson.h"

#include "resample/Dither.h"
#include "resample/FitGeometry.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tramino
{

namespace
{

constexpr std::string_view g_arrFits[] = {"stretch", "contain", "cover"};
constexpr std::string_view g_arrGravities[] = {"center",    "north",     "south",     "east",     "west",
                                               "northwest", "northeast", "southwest", "southeast"};
// In reading order, as the nine places lie on the panel.
constexpr std::string_view g_arrGravitiesListed[] = {
    "northwest", "north", "northeast", "west", "center", "east", "southwest", "south", "southeast"};
constexpr std::string_view g_arrDithers[] = {"none", "ordered", "diffusion"};
constexpr std::string_view g_arrFrames[] = {"first", "all"};
constexpr std::string_view g_arrFlag[] = {"false", "true"};

constexpr std::array<CPictureOptionInfo, g_nPictureOptionCount> g_arrPictureOptions{{
    {.m_option = EPictureOption::Fit,
     .m_strKey = "fit",
     .m_bFlag = false,
     .m_strDefault = "stretch",
     .m_values = g_arrFits,
     .m_strHelp = "  --fit HOW        stretch (fill the panel, the default), contain (keep the aspect\n"
                  "                   ratio, bars around it) or cover (keep it, crop what sticks out)\n"},
    {.m_option = EPictureOption::Gravity,
     .m_strKey = "gravity",
     .m_bFlag = false,
     .m_strDefault = "center",
     .m_values = g_arrGravities,
     .m_listed = g_arrGravitiesListed,
     .m_bAnyCase = true,
     .m_strHelp = "  --gravity WHERE  where contain places the picture and cover crops: center (the\n"
                  "                   default), north, south, east, west, northwest, northeast,\n"
                  "                   southwest, southeast\n"},
    {.m_option = EPictureOption::Background,
     .m_strKey = "background",
     .m_bFlag = false,
     .m_strDefault = "000000",
     .m_strTakes = "RRGGBB in hexadecimal",
     .m_strExpected = "a colour RRGGBB in hexadecimal",
     .m_strHelp = "  --background RRGGBB  colour of the bars and under transparent pixels, hexadecimal\n"
                  "                   (default 000000; a GIF's first picture is composed over it\n"
                  "                   only when it is another colour)\n"},
    {.m_option = EPictureOption::Dither,
     .m_strKey = "dither",
     .m_bFlag = false,
     .m_strDefault = "none",
     .m_values = g_arrDithers,
     .m_strHelp = "  --dither HOW     none (truncate to the panel's colours, the default), ordered\n"
                  "                   (8x8 Bayer) or diffusion (Floyd-Steinberg)\n"},
    // Build and project each say what the frames of a picture are to them.
    {.m_option = EPictureOption::Frames,
     .m_strKey = "frames",
     .m_bFlag = false,
     .m_strDefault = "first",
     .m_values = g_arrFrames},
    {.m_option = EPictureOption::AutoOrient,
     .m_strKey = "auto-orient",
     .m_bFlag = true,
     .m_strDefault = "false",
     .m_values = g_arrFlag,
     .m_strExpected = "true or false",
     .m_strHelp = "  --auto-orient    turn JPEG photos upright as their EXIF orientation says\n"},
}};

std::string Joined(std::span<const std::string_view> values, std::string_view strLast)
{
    std::string strJoined;
    for (size_t i = 0; i < values.size(); ++i)
        strJoined.append(i == 0 ? "" : i + 1 == values.size() ? strLast : ", ").append(values[i]);
    return strJoined;
}

std::string Expected(const CPictureOptionInfo& info)
{
    return info.m_strExpected.empty() ? "one of " + Joined(info.m_values, ", ")
                                      : std::string(info.m_strExpected);
}

const std::string& Get(const CPictureValues& values, EPictureOption option)
{
    return *values[static_cast<size_t>(option)];
}

std::string Lower(std::string_view str)
{
    std::string strLower(str);
    for (char& ch : strLower)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return strLower;
}

std::string RgbHex(CRgb cr)
{
    char szHex[7] = {};
    std::snprintf(szHex, sizeof szHex, "%02X%02X%02X", cr.m_nRed, cr.m_nGreen, cr.m_nBlue);
    return szHex;
}

// The written form when the option takes strValue.
std::optional<std::string> Canonical(const CPictureOptionInfo& info, std::string_view strValue)
{
    if (info.m_option == EPictureOption::Background)
    {
        if (const std::optional<CRgb> cr = ParseRgbHex(strValue))
            return RgbHex(*cr);
        return std::nullopt;
    }
    const std::string strName = info.m_bAnyCase ? Lower(strValue) : std::string(strValue);
    const auto it = std::find(info.m_values.begin(), info.m_values.end(), strName);
    return it != info.m_values.end() ? std::optional<std::string>(strName) : std::nullopt;
}

} // namespace

const std::array<CPictureOptionInfo, g_nPictureOptionCount>& PictureOptionTable()
{
    return g_arrPictureOptions;
}

const CPictureOptionInfo& PictureOptionInfo(EPictureOption option)
{
    return g_arrPictureOptions[static_cast<size_t>(option)];
}

std::string PictureOptionTakes(const CPictureOptionInfo& info)
{
    return info.m_strTakes.empty() ? Joined(info.m_values, " or ") : std::string(info.m_strTakes);
}

std::span<const std::string_view> ListedValues(const CPictureOptionInfo& info)
{
    return info.m_listed.empty() ? info.m_values : info.m_listed;
}

CPictureValues DefaultPictureValues()
{
    CPictureValues values;
    for (const CPictureOptionInfo& info : g_arrPictureOptions)
        values[static_cast<size_t>(info.m_option)] = std::string(info.m_strDefault);
    return values;
}

CResult<std::string> CanonicalPictureValue(EPictureOption option, std::string_view strValue)
{
    const CPictureOptionInfo& info = PictureOptionInfo(option);
    if (std::optional<std::string> strCanonical = Canonical(info, strValue))
        return *strCanonical;
    return CStatus::Error(QuotedPiece(strValue) + " is not " + Expected(info));
}

CPictureValues EffectivePictureValues(const CPictureValues& defaults, const CPictureValues& overrides)
{
    CPictureValues values = defaults;
    for (size_t i = 0; i < values.size(); ++i)
        if (overrides[i])
            values[i] = overrides[i];
    return values;
}

CPictureValues OverridesOf(const CPictureValues& defaults, const CPictureValues& values)
{
    CPictureValues overrides;
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i] && values[i] != defaults[i])
            overrides[i] = values[i];
    return overrides;
}

CConvertOptions ConvertOptionsFor(const CPictureValues& values)
{
    CConvertOptions options;
    options.m_eFit = ParseFit(Get(values, EPictureOption::Fit)).value_or(options.m_eFit);
    options.m_eGravity = ParseGravity(Get(values, EPictureOption::Gravity)).value_or(options.m_eGravity);
    options.m_crBackground =
        ParseRgbHex(Get(values, EPictureOption::Background)).value_or(options.m_crBackground);
    options.m_eDither = ParseDither(Get(values, EPictureOption::Dither)).value_or(options.m_eDither);
    options.m_bAutoOrient = Get(values, EPictureOption::AutoOrient) == "true";
    return options;
}

std::optional<CRgb> ParseRgbHex(std::string_view str)
{
    if (!str.empty() && str[0] == '#')
        str.remove_prefix(1);
    if (str.size() != 6)
        return std::nullopt;
    uint8_t arrBytes[3] = {};
    for (size_t i = 0; i < 3; ++i)
    {
        const char* pFirst = str.data() + 2 * i;
        const auto [pEnd, error] = std::from_chars(pFirst, pFirst + 2, arrBytes[i], 16);
        if (error != std::errc() || pEnd != pFirst + 2)
            return std::nullopt;
    }
    return CRgb{arrBytes[0], arrBytes[1], arrBytes[2]};
}

} // namespace tramino
