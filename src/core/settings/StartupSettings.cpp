#include "settings/StartupSettings.h"

#include "settings/DataFile.h"

namespace tramino
{

CStartupSettings LoadStartupSettings()
{
    CStartupSettings settings;
    if (const auto vendaleIni = FindDataFile("Vendale.ini"))
        settings.m_codes = ReadVendaleIni(*vendaleIni);
    settings.m_panelSize = PanelSizeFromCode(settings.m_codes.m_nPanelSizeCode);
    if (const auto langTxt = FindDataFile("Lang.txt"))
        settings.m_langTable = CLangTable::Load(*langTxt, LanguageSection(settings.m_codes.m_nLanguageCode));
    return settings;
}

} // namespace tramino
