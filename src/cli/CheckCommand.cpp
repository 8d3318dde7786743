#include "cli/Command.h"
#include "cli/PanelOptions.h"
#include "show/ShowFileReader.h"

namespace tramino::cli
{

// Tells whether a show file is one the device can play: well-formed for the panel and every
// picture laid down by one of the four transitions.
class CCheckCommand : public CCommand
{
public:
    std::string_view Name() const override { return "check"; }
    std::string_view Summary() const override { return "check a .qrv show file and list its transitions"; }

    std::string Help() const override
    {
        return "Usage: tramino-cli check FILE [--panel-code N | --size WxH | --detect]\n"
               "\n"
               "Reads the show file FILE for one panel size and prints the number of pictures, the\n"
               "transition of each, how many pictures and bytes it read ('read: N pictures, B bytes';\n"
               "an invalid file is read up to its first problem), and a last line 'valid' or\n"
               "'invalid: at byte OFFSET: reason'.\n"
               "Exit status: 0 valid, 1 invalid or unreadable, 2 bad usage.\n"
               "\n"
               "Options:\n" +
               std::string(PanelOptionsHelp()) +
               "  --detect         use the first of the nine table sizes the file fits, else the size\n"
               "                   its first picture covers\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
        vecOptions.push_back({"detect", false});
        return vecOptions;
    }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        if (args.Operands().size() != 1)
            return io.UsageError(args.Operands().empty() ? "missing FILE" : "give one FILE only");
        const std::string& strPath = args.Operands()[0];
        io.SetSubject(strPath);
        CPanelChoice panel;
        if (const int nExit = ChoosePanel(args, strPath, io, panel); nExit != kExitOk)
            return nExit;
        const CPanelSize size = panel.m_size;

        // Only the transitions are kept: a few bytes a picture, whatever the panel.
        std::vector<std::optional<EEffect>> vecEffects;
        CShowFileReader reader(size.m_nWidth, size.m_nHeight, false);
        const CStatus status = reader.ReadFile(strPath,
                                               [&](CShowFilePicture& picture)
                                               {
                                                   vecEffects.push_back(picture.m_optEffect);
                                                   return CStatus();
                                               });
        if (!status && !reader.Violation())
            return io.Failure(status.Message());

        io.Out() << "panel: " << PanelSizeText(size, ESizeText::Typed) << " (" << Printable(panel.m_strOrigin)
                 << ")\n";
        io.Out() << "pictures: " << vecEffects.size() << (reader.Violation() ? " complete" : "") << "\n";
        for (size_t i = 0; i < vecEffects.size(); ++i)
            io.Out() << "picture " << i + 1 << ": "
                     << (vecEffects[i] ? EffectName(*vecEffects[i]) : "unrecognised") << "\n";
        io.Out() << "read: " << reader.PictureCount() << " picture" << (reader.PictureCount() == 1 ? "" : "s")
                 << ", " << reader.BytesRead() << " bytes\n";
        const std::optional<CShowFileViolation> optProblem = reader.FirstProblem();
        if (!optProblem)
        {
            io.Out() << "valid\n";
            return kExitOk;
        }
        io.Out() << "invalid: at byte " << optProblem->m_nOffset << ": " << optProblem->m_strProblem << "\n";
        return kExitFailure;
    }

private:
    static int ChoosePanel(const CArguments& args, const std::string& strPath, CCommandIo& io,
                           CPanelChoice& panel)
    {
        if (!args.Has("detect"))
        {
            CResult<CPanelChoice> choice = ResolvePanel(args, io);
            if (!choice)
                return io.UsageError(choice.Message());
            panel = std::move(choice).Value();
            return kExitOk;
        }
        if (args.Has("panel-code") || args.Has("size"))
            return io.UsageError("--detect does not go with --panel-code or --size");
        const CResult<CPanelSize> size = DetectShowFilePanel(strPath);
        if (!size)
            return io.Failure(size.Message());
        panel = CPanelChoice{size.Value(), "--detect"};
        return kExitOk;
    }
};

TRAMINO_DEFINE_COMMAND(Check)

} // namespace tramino::cli
