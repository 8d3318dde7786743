#include "cli/CommandLine.h"

namespace tramino::cli
{

// CommandList.inc is generated from the list in CMakeLists.txt: TRAMINO_CLI_COMMAND(Name) a line.
#define TRAMINO_CLI_COMMAND(Name) std::unique_ptr<CCommand> Make##Name##Command();
#include "CommandList.inc"
#undef TRAMINO_CLI_COMMAND

std::vector<std::unique_ptr<CCommand>> MakeCommands()
{
    std::vector<std::unique_ptr<CCommand>> vecCommands;
#define TRAMINO_CLI_COMMAND(Name) vecCommands.push_back(Make##Name##Command());
#include "CommandList.inc"
#undef TRAMINO_CLI_COMMAND
    return vecCommands;
}

} // namespace tramino::cli
