#include "cli/Command.h"
#include "cli/PanelOptions.h"

namespace tramino::cli
{

// Tells which panel the other commands would work for, and lists the panels the device knows.
class CPanelCommand : public CCommand
{
public:
    std::string_view Name() const override { return "panel"; }
    std::string_view Summary() const override
    {
        return "show the panel size the options or Vendale.ini choose";
    }

    std::string Help() const override
    {
        return "Usage: tramino-cli panel [--panel-code N | --size WxH] [--list]\n"
               "\n"
               "Prints the panel size (WxH) the other commands would use and where it comes from.\n"
               "\n"
               "Options:\n" +
               std::string(PanelOptionsHelp()) +
               "  --list           list the panel-size codes and their sizes instead\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
        vecOptions.push_back({"list", false});
        return vecOptions;
    }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        if (!args.Operands().empty())
            return io.UsageError("unexpected argument '" + args.Operands()[0] + "'");
        if (args.Has("list"))
        {
            for (size_t i = 0; i < g_arrPanelSizes.size(); ++i)
                io.Out() << i + 1 << " " << PanelSizeText(g_arrPanelSizes[i], ESizeText::Typed) << "\n";
            return kExitOk;
        }
        const CResult<CPanelChoice> panel = ResolvePanel(args, io);
        if (!panel)
            return io.UsageError(panel.Message());
        io.Out() << PanelSizeText(panel.Value().m_size, ESizeText::Typed) << " ("
                 << Printable(panel.Value().m_strOrigin) << ")\n";
        return kExitOk;
    }
};

TRAMINO_DEFINE_COMMAND(Panel)

} // namespace tramino::cli
