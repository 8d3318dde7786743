#include "cli/Command.h"
#include "cli/PanelOptions.h"
#include "codec/BmpWriter.h"
#include "common/ReplacingFile.h"
#include "resample/ConvertPicture.h"

namespace tramino::cli
{

// One picture to the panel size, exactly as the import stores it.
class CConvertCommand : public CCommand
{
public:
    std::string_view Name() const override { return "convert"; }
    std::string_view Summary() const override
    {
        return "convert one picture to the panel size as a BMP file";
    }

    std::string Help() const override
    {
        return "Usage: tramino-cli convert [--panel-code N | --size WxH] [--fast] IN OUT.bmp\n"
               "\n"
               "Converts the picture IN (BMP, JPEG or GIF) to the panel size as the import does, and\n"
               "writes it to OUT.bmp (24 bits per pixel).\n"
               "\n"
               "Options:\n" +
               std::string(PanelOptionsHelp()) +
               "  --fast           let the JPEG decoder scale down while decoding\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
        vecOptions.push_back({"fast", false});
        return vecOptions;
    }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        if (args.Operands().size() != 2)
            return io.UsageError("needs the picture to convert and the BMP file to write");
        const CResult<CPanelChoice> panel = ResolvePanel(args, io);
        if (!panel)
            return io.UsageError(panel.Message());
        const std::string& strIn = args.Operands()[0];
        const std::string& strOut = args.Operands()[1];
        if (CStatus status = CheckWritableTarget(strOut, {strIn}); !status)
            return io.Failure(status.Message());
        const CPanelSize size = panel.Value().m_size;
        CConvertOptions options;
        options.m_bFast = args.Has("fast");
        const CResult<CPicture> picture =
            ConvertPictureToPanel(strIn, size.m_nWidth, size.m_nHeight, options);
        if (!picture)
            return io.Failure(picture.Message());
        if (io.StopRequested())
            return kExitFailure;
        if (CStatus status = WriteBmpFile(picture.Value(), strOut); !status)
            return io.Failure(status.Message());
        io.Out() << "Wrote " << Printable(strOut) << ": " << PanelSizeText(size) << " ("
                 << Printable(panel.Value().m_strOrigin) << ")\n";
        return kExitOk;
    }
};

TRAMINO_DEFINE_COMMAND(Convert)

} // namespace tramino::cli
