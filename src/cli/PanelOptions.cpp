#include "cli/PanelOptions.h"

#include "platform/Platform.h"
#include "settings/DataFile.h"
#include "settings/VendaleIni.h"

namespace tramino::cli
{
namespace
{

std::optional<int> ParseSide(std::string_view str)
{
    // Signs are not part of a size.
    if (str.empty() || str[0] < '0' || str[0] > '9')
        return std::nullopt;
    const std::optional<int> nSide = ParseInteger(str);
    if (!nSide || *nSide < 1 || *nSide > g_nMaxPanelSide)
        return std::nullopt;
    return nSide;
}

} // namespace

std::vector<COptionSpec> PanelOptions()
{
    return {{"panel-code", true}, {"size", true}};
}

std::string_view PanelOptionsHelp()
{
    return "  --panel-code N   panel of size code N (1 96x64, 2 128x96, 3 160x128, 4 128x128,\n"
           "                   5 160x112, 6 176x144, 7 208x176, 8 220x176, 9 320x240;\n"
           "                   any other code 96x64)\n"
           "  --size WxH       panel of W x H pixels (1 to 4096 each)\n"
           "                   Without either: the PanelSize of Vendale.ini in the current\n"
           "                   directory or beside tramino-cli; without that file, 96x64.\n";
}

std::optional<CPanelSize> ParsePanelSize(std::string_view str)
{
    const size_t nCross = str.find_first_of("xX");
    if (nCross == std::string_view::npos)
        return std::nullopt;
    const std::optional<int> nWidth = ParseSide(str.substr(0, nCross));
    const std::optional<int> nHeight = ParseSide(str.substr(nCross + 1));
    if (!nWidth || !nHeight)
        return std::nullopt;
    return CPanelSize{*nWidth, *nHeight};
}

CResult<CPanelChoice> ResolvePanel(const CArguments& args,
                                   const std::optional<std::filesystem::path>& vendaleIni)
{
    const std::string* pCode = args.Value("panel-code");
    const std::string* pSize = args.Value("size");
    if (pCode != nullptr && pSize != nullptr)
        return CStatus::Error("give either --panel-code or --size, not both");
    if (pCode != nullptr)
    {
        const std::optional<int> nCode = ParseInteger(*pCode);
        if (!nCode)
            return CStatus::Error("--panel-code needs a whole number, not '" + *pCode + "'");
        const CPanelSize size = PanelSizeFromCode(*nCode);
        return CPanelChoice{size, "--panel-code " + std::to_string(*nCode)};
    }
    if (pSize != nullptr)
    {
        const std::optional<CPanelSize> size = ParsePanelSize(*pSize);
        if (!size)
            return CStatus::Error("--size needs WxH with sides from 1 to " + std::to_string(g_nMaxPanelSide) +
                                  ", not '" + *pSize + "'");
        return CPanelChoice{*size, "--size"};
    }
    if (!vendaleIni)
        return CPanelChoice{PanelSizeFromCode(0), "no Vendale.ini found"};
    const CResult<CVendaleSettings> codes = TryReadVendaleIni(*vendaleIni);
    if (!codes)
        return CPanelChoice{PanelSizeFromCode(0), platform::Utf8FromPath(*vendaleIni) + " cannot be read",
                            VendaleIniProblem(codes.Status())};
    const int nCode = codes.Value().m_nPanelSizeCode;
    return CPanelChoice{PanelSizeFromCode(nCode),
                        "PanelSize " + std::to_string(nCode) + " of " + platform::Utf8FromPath(*vendaleIni)};
}

CResult<CPanelChoice> ResolvePanel(const CArguments& args, CCommandIo& io)
{
    CResult<CPanelChoice> choice = ResolvePanel(args, FindDataFileEntry("Vendale.ini"));
    if (choice && !choice.Value().m_strWarning.empty())
        io.Warning(choice.Value().m_strWarning);
    return choice;
}

} // namespace tramino::cli
