#pragma once

#include "common/Status.h"
#include "picture/Picture.h"
#include "resample/ConvertPicture.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tramino
{

// The per-picture choices of a show, named as the build command's options name them.
enum class EPictureOption
{
    Fit,
    Gravity,
    Background,
    Dither,
    Frames,
    AutoOrient,
};
inline constexpr size_t g_nPictureOptionCount = 6;

struct CPictureOptionInfo
{
    EPictureOption m_option;
    std::string_view m_strKey; // the option's name on the command line and in a project file
    bool m_bFlag;              // on or off (a command-line flag, true or false in a file)
    std::string_view m_strDefault;
    // The values taken by name, in the order of their type (EFit, EGravity, ...); none for a colour.
    std::span<const std::string_view> m_values = {};
    // The same values as a list of choices offers them, where that order differs (the window's).
    std::span<const std::string_view> m_listed = {};
    bool m_bAnyCase = false; // "NorthWest" is "northwest"
    // What a value must be, for messages, where the values are not simply listed.
    std::string_view m_strTakes = {};    // after "--KEY takes" on the command line
    std::string_view m_strExpected = {}; // after "is not" in a project file
    // Its lines of a command's help; empty where each command words its own.
    std::string_view m_strHelp = {};
};

const std::array<CPictureOptionInfo, g_nPictureOptionCount>& PictureOptionTable();
const CPictureOptionInfo& PictureOptionInfo(EPictureOption option);

// What a value of the option must be: "stretch, contain or cover".
std::string PictureOptionTakes(const CPictureOptionInfo& info);
// The values in the order a list of choices offers them.
std::span<const std::string_view> ListedValues(const CPictureOptionInfo& info);

// The value of each option in its one written form ("true" and "false" for flags); unset ones
// are empty.
using CPictureValues = std::array<std::optional<std::string>, g_nPictureOptionCount>;

// Every option at its default: the conversion of a build given none of them.
CPictureValues DefaultPictureValues();

// The written form of strValue for the option (names in lower case, colours as upper-case
// RRGGBB), or the reason it is no value of it.
CResult<std::string> CanonicalPictureValue(EPictureOption option, std::string_view strValue);

// Each option of overrides that is set, otherwise the one of defaults.
CPictureValues EffectivePictureValues(const CPictureValues& defaults, const CPictureValues& overrides);
// The options of values that are set and differ from defaults: a picture's overrides.
CPictureValues OverridesOf(const CPictureValues& defaults, const CPictureValues& values);

// The conversion options that build a picture with these values (each set and canonical).
CConvertOptions ConvertOptionsFor(const CPictureValues& values);

// "RRGGBB" in hexadecimal, an optional '#' before it.
std::optional<CRgb> ParseRgbHex(std::string_view str);

} // namespace tramino
