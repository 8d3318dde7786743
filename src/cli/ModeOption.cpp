#include "cli/ModeOption.h"

namespace tramino::cli
{

CResult<EEffect> ParseModeOption(const std::string& strName)
{
    if (const std::optional<EEffect> effect = ResolveEffect(strName, g_arrEffectAliases))
        return *effect;
    return CStatus::Error("unknown mode '" + strName +
                          "' (use Normal, \"Shutter(Left to Right)\", \"Shutter(Top to Bottom)\", "
                          "Circle or normal, shutter-lr, shutter-tb, circle)");
}

std::string_view ModeOptionHelp()
{
    return "  --mode NAME      the transition: \"Normal\" (normal, the default),\n"
           "                   \"Shutter(Left to Right)\" (shutter-lr),\n"
           "                   \"Shutter(Top to Bottom)\" (shutter-tb), \"Circle\" (circle)\n";
}

} // namespace tramino::cli
