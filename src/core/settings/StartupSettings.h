#pragma once

#include "settings/LangTable.h"
#include "settings/PanelSize.h"
#include "settings/VendaleIni.h"

namespace tramino
{

// Everything the program takes from its data files at start-up.
struct CStartupSettings
{
    CVendaleSettings m_codes;
    CPanelSize m_panelSize;
    CLangTable m_langTable;
};

// Reads `Vendale.ini`, then the section it chooses from `Lang.txt`, each found in the current
// directory or beside the program. Missing files give the defaults: Simplified Chinese (empty
// texts without a `Lang.txt`) on a 96 x 64 panel.
CStartupSettings LoadStartupSettings();

} // namespace tramino
