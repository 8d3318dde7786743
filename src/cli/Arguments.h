#pragma once

#include "common/Status.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tramino::cli
{

// One `--name` option a command accepts; with a value it is given as `--name V` or `--name=V`.
// An option with a short letter is also given as `-L` (`-L V`, `-L=V`, `-LV`).
struct COptionSpec
{
    std::string_view m_strName; // without the leading "--"
    bool m_bTakesValue = false;
    char m_chShort = '\0';
};

// The options and operands of one command's arguments, checked against its option list.
class CArguments
{
public:
    bool Has(std::string_view strName) const;
    // The value of an option that takes one; nullptr when it was not given.
    const std::string* Value(std::string_view strName) const;
    const std::vector<std::string>& Operands() const { return m_vecOperands; }

private:
    friend CResult<CArguments> ParseArguments(const std::vector<std::string>& vecArgs,
                                              const std::vector<COptionSpec>& vecOptions);
    std::vector<std::pair<std::string, std::string>> m_vecOptions;
    std::vector<std::string> m_vecOperands;
};

// Everything after a "--" is an operand; "-" alone is an operand too. An unknown option, a
// missing value, a value given to a flag and an option given twice are usage errors.
CResult<CArguments> ParseArguments(const std::vector<std::string>& vecArgs,
                                   const std::vector<COptionSpec>& vecOptions);

// A whole decimal int with an optional sign, nothing else; nullopt otherwise.
std::optional<int> ParseInteger(std::string_view str);

} // namespace tramino::cli
