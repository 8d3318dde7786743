#include "cli/Command.h"
#include "cli/PanelOptions.h"
#include "cli/PictureOptions.h"
#include "cli/ProgressBar.h"
#include "common/ReplacingFile.h"
#include "pipeline/ShowBuilder.h"
#include "show/Transition.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>
#include <utility>

namespace tramino::cli
{

namespace
{

struct CBuildRequest
{
    CPanelChoice m_panel;
    EEffect m_effect = EEffect::Normal;
    CConvertOptions m_convert;
    bool m_bKeepGoing = false;
    std::string m_strOutput;
    std::vector<std::string> m_vecPictures;
};

} // namespace

// Builds a show from picture files as the main window's Load Image and Transform do: every
// picture converted to the panel and written with the transition, streaming, so that the
// memory does not grow with the number of pictures.
class CBuildCommand : public CCommand
{
public:
    std::string_view Name() const override { return "build"; }
    std::string_view Summary() const override { return "build a show file from pictures"; }

    std::string Help() const override
    {
        return "Usage: tramino-cli build [--panel-code N | --size WxH] [--mode NAME] [--fast] [-j N]\n"
               "                         [--fit HOW] [--gravity WHERE] [--background RRGGBB]\n"
               "                         [--dither HOW] [--auto-orient] [--keep-going]\n"
               "                         -o SHOW.qrv PICTURE...\n"
               "\n"
               "Converts every picture (BMP, JPEG or GIF) to the panel size, in the order given, and\n"
               "writes them into one show file with the transition. Pictures that cannot be read are\n"
               "listed with the reason, and no show is written unless --keep-going is given; the exit\n"
               "status is 1 whenever a picture was left out.\n"
               "\n"
               "Options:\n" +
               std::string(PanelOptionsHelp()) +
               "  --mode NAME      the transition: \"Normal\" (normal, the default),\n"
               "                   \"Shutter(Left to Right)\" (shutter-lr),\n"
               "                   \"Shutter(Top to Bottom)\" (shutter-tb), \"Circle\" (circle)\n"
               "  --fast           let the JPEG decoder scale down while decoding (faster, slightly\n"
               "                   different pixels)\n" +
               std::string(PictureOptionsHelp()) +
               "  -j, --jobs N     pictures converted at once (default: one per core)\n"
               "  --keep-going     build the show from the pictures that can be read\n"
               "  -o, --output F   the show file to write (replaced only when complete)\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
        vecOptions.insert(vecOptions.end(), {{"mode", true},
                                             {"fast", false},
                                             {"jobs", true, 'j'},
                                             {"keep-going", false},
                                             {"output", true, 'o'}});
        const std::vector<COptionSpec> vecPicture = PictureOptions();
        vecOptions.insert(vecOptions.end(), vecPicture.begin(), vecPicture.end());
        return vecOptions;
    }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        CResult<CBuildRequest> request = ParseRequest(args, io);
        if (!request)
            return io.UsageError(request.Message());
        return Build(request.Value(), io);
    }

private:
    static CResult<CBuildRequest> ParseRequest(const CArguments& args, CCommandIo& io)
    {
        CBuildRequest request;
        request.m_vecPictures = args.Operands();
        if (request.m_vecPictures.empty())
            return CStatus::Error("no pictures given");
        const std::string* pOutput = args.Value("output");
        if (pOutput == nullptr || pOutput->empty())
            return CStatus::Error("the show file to write is missing (-o SHOW.qrv)");
        request.m_strOutput = *pOutput;
        CResult<CPanelChoice> panel = ResolvePanel(args, io);
        if (!panel)
            return panel.Status();
        request.m_panel = panel.Value();
        if (const std::string* pMode = args.Value("mode"))
        {
            const std::optional<EEffect> effect = ResolveEffect(*pMode, g_arrEffectAliases);
            if (!effect)
                return CStatus::Error(
                    "unknown mode '" + *pMode +
                    "' (use Normal, \"Shutter(Left to Right)\", \"Shutter(Top to Bottom)\", "
                    "Circle or normal, shutter-lr, shutter-tb, circle)");
            request.m_effect = *effect;
        }
        const CPanelSize size = request.m_panel.m_size;
        if (!EffectCoversPanel(request.m_effect, size.m_nWidth, size.m_nHeight))
            return CStatus::Error(std::string("the transition ") + EffectName(request.m_effect) +
                                  " cannot cover a " + PanelSizeText(size) + " panel");
        if (const std::string* pJobs = args.Value("jobs"))
        {
            std::optional<int> jobs = ParseInteger(*pJobs);
            if (!jobs || *jobs < 1)
                return CStatus::Error("-j needs a positive number, not '" + *pJobs + "'");
            request.m_convert.m_nThreads = *jobs;
        }
        request.m_convert.m_bFast = args.Has("fast");
        if (CStatus status = ParsePictureOptions(args, request.m_convert); !status)
            return status;
        request.m_bKeepGoing = args.Has("keep-going");
        return request;
    }

    static int Build(const CBuildRequest& request, CCommandIo& io)
    {
        if (CStatus status = CheckWritableTarget(request.m_strOutput, request.m_vecPictures); !status)
            return io.Failure(status.Message());
        const CPanelSize size = request.m_panel.m_size;
        const size_t nPictures = request.m_vecPictures.size();
        CProgressBar progress(io.Err(), "building");
        CShowBuildEvents events;
        events.m_fnEntryFailed = [&](size_t, const CStatus& status)
        {
            progress.Finish();
            io.Warning(status.Message());
        };
        events.m_fnProgress = [&progress](size_t nDone, size_t nTotal) { progress.Update(nDone, nTotal); };
        const int nCores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        CShowBuildOptions options;
        options.m_nPanelWidth = size.m_nWidth;
        options.m_nPanelHeight = size.m_nHeight;
        options.m_effect = request.m_effect;
        options.m_eUnreadable = request.m_bKeepGoing ? EUnreadable::LeaveOut : EUnreadable::Abandon;
        options.m_nJobs = request.m_convert.m_nThreads > 0 ? request.m_convert.m_nThreads : nCores;
        options.m_pbCancel = io.StopFlag();
        CShowBuilder builder(std::move(options), std::move(events));
        const CShowBuildResult result =
            builder.Build(FileSources(request.m_vecPictures, request.m_convert), request.m_strOutput);
        progress.Finish();
        if (io.StopRequested())
            return kExitFailure;
        if (!result.m_status)
            return io.Failure(result.m_status.Message());
        const std::string strUnreadable =
            std::to_string(result.m_nUnreadable) + " of " + std::to_string(nPictures) + " pictures";
        if (!result.m_bWritten)
            return io.Failure(strUnreadable + " cannot be read; no show written" +
                              (request.m_bKeepGoing ? "" : " (--keep-going builds it from the others)"));

        std::error_code error;
        const auto nBytes = std::filesystem::file_size(request.m_strOutput, error);
        io.Out() << "Wrote " << Printable(request.m_strOutput) << ": " << result.m_nPictures << " picture"
                 << (result.m_nPictures == 1 ? "" : "s") << ", " << EffectName(request.m_effect) << ", "
                 << PanelSizeText(size) << " panel (" << Printable(request.m_panel.m_strOrigin) << ")";
        if (!error)
            io.Out() << ", " << nBytes << " bytes";
        io.Out() << "\n";
        if (result.m_nUnreadable > 0)
            return io.Failure(strUnreadable + " left out");
        return kExitOk;
    }
};

TRAMINO_DEFINE_COMMAND(Build)

} // namespace tramino::cli
