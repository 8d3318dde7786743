#include "settings/StartupSettings.h"

#include "settings/DataFile.h"

namespace tramino
{

CStartupSettings LoadStartupSettings()
{
    CStartupSettings settings;
    if (const auto vendaleIni = FindDataFileEntry("Vendale.ini"))
    {
        CResult<CVendaleSettings> codes = TryReadVendaleIni(*vendaleIni);
        if (codes)
            settings.m_codes = codes.Value();
        else
            settings.m_vecProblems.push_back(VendaleIniProblem(codes.Status()));
    }
    settings.m_panelSize = PanelSizeFromCode(settings.m_codes.m_nPanelSizeCode);
    if (const auto langTxt = FindDataFile("Lang.txt"))
        settings.m_langTable = CLangTable::Load(*langTxt, LanguageSection(settings.m_codes.m_nLanguageCode));
    return settings;
}

} // namespace tramino
