#include "cli/Command.h"
#include "cli/PanelOptions.h"
#include "png/PngWriter.h"
#include "show/ShowFileReader.h"
#include "show/ShowRenderer.h"

#include <optional>

namespace tramino::cli
{

// Shows what a show file puts on the panel: every picture as a PNG file, and contact sheets.
class CRenderCommand : public CCommand
{
public:
    std::string_view Name() const override { return "render"; }
    std::string_view Summary() const override { return "render a show's pictures and contact sheets as PNG"; }

    std::string Help() const override
    {
        return "Usage: tramino-cli render SHOW.qrv [--panel-code N | --size WxH] [--per-sheet N] -o DIR\n"
               "\n"
               "Writes every picture of the show as the panel shows it (DIR/picture-001.png, ...) and\n"
               "contact sheets: one row per picture, the picture and its transition at eight moments\n"
               "(after 1/8, 2/8, ... of its pixels). A show that fits on one sheet gets DIR/sheet.png,\n"
               "a longer one DIR/sheet-001.png, DIR/sheet-002.png, ... No PNG is larger than 4096\n"
               "pixels a side. DIR is created when missing; names in it that are symbolic links or\n"
               "not regular files are refused before anything is written.\n"
               "\n"
               "Options:\n"
               "  --panel-code N   panel of size code N (see 'tramino-cli panel --list')\n"
               "  --size WxH       panel of W x H pixels, up to 4096 a side\n"
               "                   Without either: the panel size of the table the file fits.\n"
               "  --per-sheet N    pictures on a contact sheet (default " +
               std::to_string(g_nDefaultPicturesPerSheet) +
               "; fewer when the panel is too tall\n"
               "                   for that many rows in 4096 pixels)\n"
               "  -o, --output DIR the folder for the PNG files\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
        vecOptions.push_back({"per-sheet", true});
        vecOptions.push_back({"output", true, 'o'});
        return vecOptions;
    }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        if (args.Operands().size() != 1)
            return io.UsageError("needs exactly one show file");
        const std::string* pDir = args.Value("output");
        if (pDir == nullptr || pDir->empty())
            return io.UsageError("the folder to write is missing (-o DIR)");
        int nPerSheet = g_nDefaultPicturesPerSheet;
        if (const std::string* pPerSheet = args.Value("per-sheet"))
        {
            const std::optional<int> optPerSheet = ParseInteger(*pPerSheet);
            if (!optPerSheet || *optPerSheet < 1)
                return io.UsageError("--per-sheet needs a whole number of at least 1, not '" + *pPerSheet +
                                     "'");
            nPerSheet = *optPerSheet;
        }
        const std::string& strShow = args.Operands()[0];
        io.SetSubject(strShow);
        CPanelSize size;
        if (args.Has("panel-code") || args.Has("size"))
        {
            const CResult<CPanelChoice> choice = ResolvePanel(args, io);
            if (!choice)
                return io.UsageError(choice.Message());
            size = choice.Value().m_size;
            if (size.m_nWidth > g_nMaxPngSide || size.m_nHeight > g_nMaxPngSide)
                return io.UsageError("render draws panels of up to 4096 pixels a side, not " +
                                     PanelSizeText(size, ESizeText::Typed));
        }
        else
        {
            const CResult<CPanelSize> detected = DetectShowFilePanel(strShow);
            if (!detected)
                return io.Failure(detected.Message());
            size = detected.Value();
        }

        CShowRenderer renderer(size, nPerSheet);
        if (CStatus status = renderer.Render(strShow, *pDir, io.StopFlag()); !status)
            return io.Failure(status.Message());
        const size_t nPictures = renderer.PictureCount();
        const size_t nSheets = renderer.SheetCount();
        io.Out() << "Rendered " << nPictures << " picture" << (nPictures == 1 ? "" : "s") << " of a "
                 << PanelSizeText(size, ESizeText::Typed) << " panel into " << Printable(*pDir);
        if (nSheets == 1)
            io.Out() << " with " << renderer.SheetName(0);
        else if (nSheets > 1)
            io.Out() << " with " << nSheets << " sheets, " << renderer.SheetName(0) << " to "
                     << renderer.SheetName(nSheets - 1);
        io.Out() << "\n";
        return kExitOk;
    }
};

TRAMINO_DEFINE_COMMAND(Render)

} // namespace tramino::cli
