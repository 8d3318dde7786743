#include "project/PictureOptions.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace tramino
{

namespace
{

constexpr std::array<CPictureOptionInfo, g_nPictureOptionCount> g_arrPictureOptions{{
    {EPictureOption::Fit, "fit", false, "stretch"},
    {EPictureOption::Gravity, "gravity", false, "center"},
    {EPictureOption::Background, "background", false, "000000"},
    {EPictureOption::Dither, "dither", false, "none"},
    {EPictureOption::Frames, "frames", false, "first"},
    {EPictureOption::AutoOrient, "auto-orient", true, "false"},
}};

CResult<std::string> OneOf(std::string_view strValue, std::initializer_list<std::string_view> names)
{
    if (std::find(names.begin(), names.end(), strValue) != names.end())
        return std::string(strValue);
    std::string strNames;
    for (std::string_view strName : names)
        strNames += (strNames.empty() ? "" : ", ") + std::string(strName);
    return CStatus::Error("'" + std::string(strValue) + "' is none of " + strNames);
}

CResult<std::string> HexColour(std::string_view strValue)
{
    const bool bHex = strValue.size() == 6 &&
                      std::all_of(strValue.begin(), strValue.end(),
                                  [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); });
    if (!bHex)
        return CStatus::Error("'" + std::string(strValue) + "' is no colour RRGGBB (six hexadecimal digits)");
    std::string strColour(strValue);
    std::transform(strColour.begin(), strColour.end(), strColour.begin(),
                   [](char ch) { return static_cast<char>(std::toupper(static_cast<unsigned char>(ch))); });
    return strColour;
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

CPictureValues DefaultPictureValues()
{
    CPictureValues values;
    for (const CPictureOptionInfo& info : g_arrPictureOptions)
        values[static_cast<size_t>(info.m_option)] = std::string(info.m_strDefault);
    return values;
}

CResult<std::string> CanonicalPictureValue(EPictureOption option, std::string_view strValue)
{
    switch (option)
    {
    case EPictureOption::Fit:
        return OneOf(strValue, {"stretch", "contain", "cover"});
    case EPictureOption::Gravity:
        return OneOf(strValue, {"center", "north", "south", "east", "west", "northwest", "northeast",
                                "southwest", "southeast"});
    case EPictureOption::Background:
        return HexColour(strValue);
    case EPictureOption::Dither:
        return OneOf(strValue, {"none", "ordered", "diffusion"});
    case EPictureOption::Frames:
        return OneOf(strValue, {"first", "all"});
    case EPictureOption::AutoOrient:
        return OneOf(strValue, {"true", "false"});
    }
    return CStatus::Error("unknown option");
}

CPictureValues EffectivePictureValues(const CPictureValues& defaults, const CPictureValues& overrides)
{
    CPictureValues values = defaults;
    for (size_t i = 0; i < values.size(); ++i)
        if (overrides[i])
            values[i] = overrides[i];
    return values;
}

CConvertOptions ConvertOptionsFor(const CPictureValues& /*values*/)
{
    return {};
}

} // namespace tramino
