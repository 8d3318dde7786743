#pragma once

#include "common/Status.h"
#include "show/Transition.h"

#include <string>
#include <string_view>

namespace tramino::cli
{

// --mode NAME: a transition's canonical name, or a short one that needs no quoting in a shell.
CResult<EEffect> ParseModeOption(const std::string& strName);
// Its lines for a command's help text.
std::string_view ModeOptionHelp();

} // namespace tramino::cli
