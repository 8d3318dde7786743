#include "cli/ModeOption.h"

#include <utility>

namespace tramino::cli
{

CResult<EEffect> ParseModeOption(const std::string& strName)
{
    if (std::optional<EEffect> effect = SelectEffect(strName))
        return *effect;
    static const std::pair<const char*, EEffect> s_arrAliases[] = {
        {"normal", EEffect::Normal},
        {"shutter-lr", EEffect::ShutterLeftToRight},
        {"shutter-tb", EEffect::ShutterTopToBottom},
        {"circle", EEffect::Circle},
    };
    for (const auto& [szAlias, effect] : s_arrAliases)
        if (strName == szAlias)
            return effect;
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
