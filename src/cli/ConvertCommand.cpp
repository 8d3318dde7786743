#include "cli/Command.h"
#include "cli/PanelOptions.h"
#include "cli/PictureOptions.h"
#include "codec/BmpWriter.h"
#include "common/ReplacingFile.h"
#include "png/PngWriter.h"
#include "resample/ConvertPicture.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace tramino::cli
{

namespace
{

bool EndsInPng(const std::string& strPath)
{
    std::string strEnd = strPath.substr(strPath.size() - std::min<size_t>(strPath.size(), 4));
    std::transform(strEnd.begin(), strEnd.end(), strEnd.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return strEnd == ".png";
}

} // namespace

// One picture to the panel size, exactly as the import stores it.
class CConvertCommand : public CCommand
{
public:
    std::string_view Name() const override { return "convert"; }
    std::string_view Summary() const override
    {
        return "convert one picture to the panel size as a BMP or PNG file";
    }

    std::string Help() const override
    {
        return "Usage: tramino-cli convert [--panel-code N | --size WxH] [--fast] [--fit HOW]\n"
               "                           [--gravity WHERE] [--background RRGGBB] [--dither HOW]\n"
               "                           [--auto-orient] [--frame N] IN OUT.bmp|OUT.png\n"
               "\n"
               "Converts the picture IN (BMP, JPEG, GIF or PNG) to the panel size as the import does,\n"
               "and writes it to OUT (24 bits per pixel; a PNG file when its name ends in .png).\n"
               "\n"
               "Options:\n" +
               std::string(PanelOptionsHelp()) +
               "  --fast           let the JPEG decoder scale down while decoding\n" +
               std::string(PictureOptionsHelp()) +
               "  --frame N        frame N (from 1) of an animated GIF, as build --frames all makes\n"
               "                   it, instead of the file's picture\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
        vecOptions.insert(vecOptions.end(), {{"fast", false}, {"frame", true}});
        const std::vector<COptionSpec> vecPicture = PictureOptions();
        vecOptions.insert(vecOptions.end(), vecPicture.begin(), vecPicture.end());
        return vecOptions;
    }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        if (args.Operands().size() != 2)
            return io.UsageError("needs the picture to convert and the BMP or PNG file to write");
        const CResult<CPanelChoice> panel = ResolvePanel(args, io);
        if (!panel)
            return io.UsageError(panel.Message());
        const std::string& strIn = args.Operands()[0];
        const std::string& strOut = args.Operands()[1];
        io.SetSubject(strIn);
        if (CStatus status = CheckWritableTarget(strOut, {strIn}); !status)
            return io.Failure(status.Message());
        const CPanelSize size = panel.Value().m_size;
        CResult<CConvertOptions> parsed = ParsePictureOptions(args);
        if (!parsed)
            return io.UsageError(parsed.Message());
        CConvertOptions options = parsed.Value();
        options.m_bFast = args.Has("fast");
        std::optional<int> frame;
        if (const std::string* pFrame = args.Value("frame"))
        {
            frame = ParseInteger(*pFrame);
            if (!frame || *frame < 1)
                return io.UsageError("--frame needs a positive number, not '" + *pFrame + "'");
        }
        const CResult<CPicture> picture = frame ? ConvertFrameToPanel(strIn, *frame, size, options)
                                                : ConvertPictureToPanel(strIn, size, options);
        if (!picture)
            return io.Failure(picture.Message());
        if (io.StopRequested())
            return kExitFailure;
        const CStatus status =
            EndsInPng(strOut) ? WritePngFile(picture.Value(), strOut) : WriteBmpFile(picture.Value(), strOut);
        if (!status)
            return io.Failure(status.Message());
        io.Out() << "Wrote " << Printable(strOut) << ": " << PanelSizeText(size, ESizeText::Typed) << " ("
                 << Printable(panel.Value().m_strOrigin) << ")\n";
        return kExitOk;
    }
};

TRAMINO_DEFINE_COMMAND(Convert)

} // namespace tramino::cli
