#pragma once

#include "cli/Command.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tramino::cli
{

// Every command of tramino-cli, in the order the program's help lists them.
std::vector<std::unique_ptr<CCommand>> MakeCommands();

// Runs `tramino-cli ARGS...` (ARGS without the program name) and returns the exit status. A
// stop that pStop receives ends the command early with 128 + the signal's number.
int RunCommandLine(const std::vector<std::string>& vecArgs, std::ostream& out, std::ostream& err,
                   const CStopRequest* pStop = nullptr);
// The same over a given set of commands.
int RunCommandLine(const std::vector<std::string>& vecArgs,
                   const std::vector<std::unique_ptr<CCommand>>& vecCommands, std::ostream& out,
                   std::ostream& err, const CStopRequest* pStop = nullptr);

} // namespace tramino::cli
