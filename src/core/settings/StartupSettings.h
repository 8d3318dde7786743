#pragma once

#include "settings/LangTable.h"
#include "settings/PanelSize.h"
#include "settings/VendaleIni.h"

#include <string>
#include <vector>

namespace tramino
{

// Everything the program takes from its data files at start-up.
struct CStartupSettings
{
    CVendaleSettings m_codes;
    CPanelSize m_panelSize;
    CLangTable m_langTable;
    // Data files that are there but cannot be read (each read as missing), for the user.
    std::vector<std::string> m_vecProblems;
};

// Reads `Vendale.ini`, then the section it chooses from `Lang.txt`, each found in the current
// directory or beside the program. Missing files give the defaults: Simplified Chinese (empty
// texts without a `Lang.txt`) on a 96 x 64 panel. A `Vendale.ini` in the current directory that
// cannot be read counts as a file without keys, with the reason in m_vecProblems.
CStartupSettings LoadStartupSettings();

} // namespace tramino
