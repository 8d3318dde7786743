#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>

namespace tramino::cli
{
namespace
{

const COptionSpec* FindOption(const std::vector<COptionSpec>& vecOptions, std::string_view strName)
{
    const auto it = std::find_if(vecOptions.begin(), vecOptions.end(),
                                 [&](const COptionSpec& option) { return option.m_strName == strName; });
    return it == vecOptions.end() ? nullptr : &*it;
}

const COptionSpec* FindShortOption(const std::vector<COptionSpec>& vecOptions, std::string_view strName)
{
    const auto it =
        std::find_if(vecOptions.begin(), vecOptions.end(),
                     [&](const COptionSpec& option) {
                         return option.m_chShort != '\0' && strName == std::string{'-', option.m_chShort};
                     });
    return it == vecOptions.end() ? nullptr : &*it;
}

} // namespace

bool CArguments::Has(std::string_view strName) const
{
    return std::any_of(m_vecOptions.begin(), m_vecOptions.end(),
                       [&](const auto& option) { return option.first == strName; });
}

const std::string* CArguments::Value(std::string_view strName) const
{
    for (const auto& option : m_vecOptions)
    {
        if (option.first == strName)
            return &option.second;
    }
    return nullptr;
}

CResult<CArguments> ParseArguments(const std::vector<std::string>& vecArgs,
                                   const std::vector<COptionSpec>& vecOptions)
{
    CArguments args;
    bool bOptionsEnded = false;
    for (size_t i = 0; i < vecArgs.size(); ++i)
    {
        const std::string& strArg = vecArgs[i];
        if (bOptionsEnded || strArg == "-" || strArg.empty() || strArg[0] != '-')
        {
            args.m_vecOperands.push_back(strArg);
            continue;
        }
        if (strArg == "--")
        {
            bOptionsEnded = true;
            continue;
        }
        // "-j4": a short option's value may follow its letter directly.
        const bool bAttached = !strArg.starts_with("--") && strArg.size() > 2 && strArg[2] != '=';
        const size_t nNameEnd = bAttached ? 2 : strArg.find('=');
        const std::string strName = strArg.substr(0, nNameEnd);
        const COptionSpec* pOption = strName.starts_with("--") ? FindOption(vecOptions, strName.substr(2))
                                                               : FindShortOption(vecOptions, strName);
        if (pOption == nullptr)
            return CStatus::Error("unknown option '" + strName + "'");
        if (args.Has(pOption->m_strName))
            return CStatus::Error("option " + strName + " given twice");
        std::string strValue;
        if (nNameEnd != std::string::npos)
        {
            if (!pOption->m_bTakesValue)
                return CStatus::Error("option " + strName + " takes no value");
            strValue = strArg.substr(bAttached ? nNameEnd : nNameEnd + 1);
        }
        else if (pOption->m_bTakesValue)
        {
            if (i + 1 == vecArgs.size())
                return CStatus::Error("option " + strName + " needs a value");
            strValue = vecArgs[++i];
        }
        args.m_vecOptions.emplace_back(pOption->m_strName, std::move(strValue));
    }
    return args;
}

std::optional<int> ParseInteger(std::string_view str)
{
    if (str.starts_with('+'))
    {
        str.remove_prefix(1);
        if (str.starts_with('-'))
            return std::nullopt;
    }
    int nValue = 0;
    const auto [pEnd, error] = std::from_chars(str.data(), str.data() + str.size(), nValue);
    if (str.empty() || error != std::errc() || pEnd != str.data() + str.size())
        return std::nullopt;
    return nValue;
}

} // namespace tramino::cli
