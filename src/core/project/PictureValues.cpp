#include "project/PictureValues.h"

#include "project/ProjectJson.h"

#include "resample/Dither.h"
#include "resample/FitGeometry.h"

#include <charconv>
#include <cstdio>

namespace tramino
{

namespace
{

constexpr std::array<CPictureOptionInfo, g_nPictureOptionCount> g_arrPictureOptions{{
    {EPictureOption::Fit, "fit", false, "stretch", "one of stretch, contain, cover"},
    {EPictureOption::Gravity, "gravity", false, "center",
     "one of center, north, south, east, west, northwest, northeast, southwest, southeast"},
    {EPictureOption::Background, "background", false, "000000", "a colour RRGGBB in hexadecimal"},
    {EPictureOption::Dither, "dither", false, "none", "one of none, ordered, diffusion"},
    {EPictureOption::Frames, "frames", false, "first", "one of first, all"},
    {EPictureOption::AutoOrient, "auto-orient", true, "false", "true or false"},
}};

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

// The lower-case form when the option's parser takes strValue.
std::optional<std::string> Canonical(EPictureOption option, std::string_view strValue)
{
    const std::string strLower = Lower(strValue);
    bool bKnown = false;
    switch (option)
    {
    case EPictureOption::Fit:
        bKnown = ParseFit(strValue).has_value();
        break;
    case EPictureOption::Gravity:
        bKnown = ParseGravity(strValue).has_value();
        break;
    case EPictureOption::Background:
        if (const std::optional<CRgb> cr = ParseRgbHex(strValue))
            return RgbHex(*cr);
        break;
    case EPictureOption::Dither:
        bKnown = ParseDither(strValue).has_value();
        break;
    case EPictureOption::Frames:
        bKnown = strValue == "first" || strValue == "all";
        break;
    case EPictureOption::AutoOrient:
        bKnown = strValue == "true" || strValue == "false";
        break;
    }
    return bKnown ? std::optional<std::string>(strLower) : std::nullopt;
}

} // namespace

const std::array<CPictureOptionInfo, g_nPictureOptionCount>& PictureOptionTable()
{
    return g_arrPictureOptions;
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
    if (std::optional<std::string> strCanonical = Canonical(option, strValue))
        return *strCanonical;
    return CStatus::Error(QuotedPiece(strValue) + " is not " +
                          std::string(g_arrPictureOptions[static_cast<size_t>(option)].m_strExpected));
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
