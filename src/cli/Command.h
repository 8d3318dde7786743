#pragma once

#include "cli/Arguments.h"
#include "cli/CommandIo.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tramino::cli
{

// One command of tramino-cli. A command lives in <Name>Command.cpp as class C<Name>Command,
// ends its file with TRAMINO_DEFINE_COMMAND(<Name>) and is listed in src/cli/CMakeLists.txt.
class CCommand
{
public:
    virtual ~CCommand() = default;

    // The word that selects it: `tramino-cli NAME ...`.
    virtual std::string_view Name() const = 0;
    // One line for the program's list of commands.
    virtual std::string_view Summary() const = 0;
    // What `tramino-cli NAME --help` prints: the usage line, what it does, every option.
    virtual std::string Help() const = 0;
    // The options it accepts; --help is handled before the command runs.
    virtual std::vector<COptionSpec> Options() const = 0;
    // Runs on arguments already checked against Options(); returns the exit status.
    virtual int Run(const CArguments& args, CCommandIo& io) = 0;
};

} // namespace tramino::cli

// Defines the factory the command list calls; use inside namespace tramino::cli.
#define TRAMINO_DEFINE_COMMAND(Name)                                                                         \
    std::unique_ptr<CCommand> Make##Name##Command();                                                         \
    std::unique_ptr<CCommand> Make##Name##Command()                                                          \
    {                                                                                                        \
        return std::make_unique<C##Name##Command>();                                                         \
    }
