#pragma once

#include "cli/Arguments.h"
#include "common/Status.h"
#include "project/PictureValues.h"
#include "resample/ConvertPicture.h"

#include <string_view>
#include <vector>

namespace tramino::cli
{

// --fit, --gravity, --background, --dither and --auto-orient, for every command that converts
// pictures; --frames is each command's own to take.
std::vector<COptionSpec> PictureOptions();
// Their lines for a command's help text.
std::string_view PictureOptionsHelp();

// The picture options given, each in its written form (--frames too when bFrames); options not
// given are unset. A malformed value is an error meant as a usage error.
CResult<CPictureValues> ParsePictureValues(const CArguments& args, bool bFrames);
// The conversion options these flags give; options not given keep their defaults.
CResult<CConvertOptions> ParsePictureOptions(const CArguments& args);

} // namespace tramino::cli
