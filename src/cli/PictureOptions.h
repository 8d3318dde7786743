#pragma once

#include "cli/Arguments.h"
#include "common/Status.h"
#include "resample/ConvertPicture.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tramino::cli
{

// --fit, --gravity, --background, --dither and --auto-orient, for every command that converts
// pictures.
std::vector<COptionSpec> PictureOptions();
// Their lines for a command's help text.
std::string_view PictureOptionsHelp();

// Sets the conversion options these flags give; options not given keep their defaults. A
// malformed value is an error meant as a usage error.
CStatus ParsePictureOptions(const CArguments& args, CConvertOptions& options);

// "RRGGBB" in hexadecimal, an optional '#' before it.
std::optional<CRgb> ParseColour(std::string_view str);

} // namespace tramino::cli
