#pragma once

#include "cli/Arguments.h"
#include "cli/CommandIo.h"
#include "common/Status.h"
#include "settings/PanelSize.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tramino::cli
{

// The panel a command works for, and how it was chosen (for messages).
struct CPanelChoice
{
    CPanelSize m_size;
    std::string m_strOrigin;       // "--size", "--panel-code 2", "PanelSize 2 of ./Vendale.ini", ...
    std::string m_strWarning = {}; // why a Vendale.ini that is there could not be read
};

// --panel-code N and --size WxH, for the option list of every command that needs a panel.
std::vector<COptionSpec> PanelOptions();
// Their lines for a command's help text.
std::string_view PanelOptionsHelp();

// --panel-code N: the table's size for code N (codes it does not list give 96x64, as in
// Vendale.ini). --size WxH: any width and height from 1 to 4096. Neither: the PanelSize code of
// Vendale.ini, looked up in the current directory and then beside the program; without one, or
// when it cannot be read (said once on the command's standard error), 96x64.
// Both, or a malformed value: an error meant as a usage error.
CResult<CPanelChoice> ResolvePanel(const CArguments& args, CCommandIo& io);
// The same with the Vendale.ini to fall back on given (nullopt: there is none).
CResult<CPanelChoice> ResolvePanel(const CArguments& args,
                                   const std::optional<std::filesystem::path>& vendaleIni);

// "WxH" (or "WXH"), each side 1 ... 4096.
std::optional<CPanelSize> ParsePanelSize(std::string_view str);

} // namespace tramino::cli
