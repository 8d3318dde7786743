#include "cli/PictureOptions.h"

#include <string>

namespace tramino::cli
{

namespace
{

bool IsEveryCommands(const CPictureOptionInfo& info)
{
    return info.m_option != EPictureOption::Frames;
}

} // namespace

std::vector<COptionSpec> PictureOptions()
{
    std::vector<COptionSpec> vecOptions;
    for (const CPictureOptionInfo& info : PictureOptionTable())
        if (IsEveryCommands(info))
            vecOptions.push_back({info.m_strKey, !info.m_bFlag});
    return vecOptions;
}

std::string_view PictureOptionsHelp()
{
    static const std::string s_strHelp = []
    {
        std::string strHelp;
        for (const CPictureOptionInfo& info : PictureOptionTable())
            strHelp += info.m_strHelp;
        return strHelp;
    }();
    return s_strHelp;
}

CResult<CPictureValues> ParsePictureValues(const CArguments& args, bool bFrames)
{
    CPictureValues values;
    for (const CPictureOptionInfo& info : PictureOptionTable())
    {
        if ((!bFrames && !IsEveryCommands(info)) || !args.Has(info.m_strKey))
            continue;
        const std::string* pValue = args.Value(info.m_strKey);
        CResult<std::string> strValue = CanonicalPictureValue(info.m_option, info.m_bFlag ? "true" : *pValue);
        if (!strValue)
            return CStatus::Error("--" + std::string(info.m_strKey) + " takes " + PictureOptionTakes(info) +
                                  ", not '" + *pValue + "'");
        values[static_cast<size_t>(info.m_option)] = std::move(strValue).Value();
    }
    return values;
}

CResult<CConvertOptions> ParsePictureOptions(const CArguments& args)
{
    const CResult<CPictureValues> values = ParsePictureValues(args, false);
    if (!values)
        return values.Status();
    return ConvertOptionsFor(EffectivePictureValues(DefaultPictureValues(), values.Value()));
}

} // namespace tramino::cli
