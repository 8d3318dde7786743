#include "cli/Command.h"
#include "cli/ModeOption.h"
#include "cli/PanelOptions.h"
#include "cli/PictureOptions.h"
#include "cli/ProgressBar.h"
#include "common/ReplacingFile.h"
#include "pipeline/ConversionPool.h"
#include "pipeline/ShowBuilder.h"
#include "pipeline/ShowPictureSource.h"
#include "platform/Platform.h"
#include "project/Project.h"
#include "project/ShowPictureName.h"
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

namespace fs = std::filesystem;

struct CBuildRequest
{
    CPanelChoice m_panel;
    EEffect m_effect = EEffect::Normal;
    int m_nJobs = 0;
    bool m_bKeepGoing = false;
    std::string m_strOutput;
    std::vector<CShowPlanPicture> m_vecPictures;
    std::vector<std::string> m_vecInputs;   // every file read, which the show must not replace
    std::string m_strProject;               // the project file the rest comes from, if any
    std::optional<CPanelChoice> m_optPanel; // a panel option given beside the project
};

bool IsProjectFile(const std::string& strPath)
{
    return platform::PathFromUtf8(strPath).extension() == ".tramino";
}

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
               "                         [--dither HOW] [--auto-orient] [--frames WHICH]\n"
               "                         [--keep-going] -o SHOW.qrv PICTURE...\n"
               "       tramino-cli build [--panel-code N | --size WxH] [--fast] [-j N] [--keep-going]\n"
               "                         [-o SHOW.qrv] PROJECT.tramino\n"
               "\n"
               "Converts every picture (BMP, JPEG, GIF or PNG) to the panel size, in the order given,\n"
               "and writes them into one show file with the transition. Pictures that cannot be read\n"
               "are listed with the reason, and no show is written unless --keep-going is given; the\n"
               "exit status is 1 whenever a picture was left out.\n"
               "A picture SHOW.qrv#K is picture K (from 1) of that show file, read strictly: as the\n"
               "show lays it down when the panel is the show's, else converted as any picture is.\n"
               "Given a project file, builds the show it describes: its panel (before Vendale.ini's,\n"
               "a panel option replaces it), its transition, its pictures with their options, its fast\n"
               "import if it records it, and its show file unless -o names another; --keep-going\n"
               "leaves out its pictures that are gone.\n"
               "\n"
               "Options:\n" +
               std::string(PanelOptionsHelp()) + std::string(ModeOptionHelp()) +
               "  --fast           let the JPEG decoder scale down while decoding (faster, slightly\n"
               "                   different pixels)\n" +
               std::string(PictureOptionsHelp()) +
               "  --frames WHICH   first (an animated GIF gives its first frame, the default) or all\n"
               "                   (every frame, in order, as a browser shows it)\n"
               "  -j, --jobs N     pictures converted at once, at most 256 (default: one per core)\n"
               "  --keep-going     build the show from the pictures that can be read (an animation\n"
               "                   that fails part-way keeps the frames before the failure)\n"
               "  -o, --output F   the show file to write (replaced only when complete)\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
        vecOptions.insert(vecOptions.end(), {{"mode", true},
                                             {"fast", false},
                                             {"frames", true},
                                             {"jobs", true, 'j'},
                                             {"keep-going", false},
                                             {"output", true, 'o'}});
        const std::vector<COptionSpec> vecPicture = PictureOptions();
        vecOptions.insert(vecOptions.end(), vecPicture.begin(), vecPicture.end());
        return vecOptions;
    }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        CResult<CBuildRequest> parsed = ParseRequest(args, io);
        if (!parsed)
            return io.UsageError(parsed.Message());
        CBuildRequest& request = parsed.Value();
        if (!request.m_strProject.empty())
            if (CStatus status = ReadProject(request, args.Has("keep-going"), io); !status)
                return io.Failure(status.Message());
        if (const std::string* pOutput = args.Value("output"))
            request.m_strOutput = *pOutput;
        if (request.m_strOutput.empty())
            return io.UsageError(request.m_strProject.empty()
                                     ? "the show file to write is missing (-o SHOW.qrv)"
                                     : "the project names no show file; give one with -o SHOW.qrv");
        io.SetSubject(request.m_strOutput);
        if (request.m_vecPictures.empty())
            return io.Failure("the project '" + request.m_strProject +
                              "' has no pictures (tramino-cli project add adds them); no show written");
        const CPanelSize size = request.m_panel.m_size;
        if (!EffectCoversPanel(request.m_effect, size.m_nWidth, size.m_nHeight))
            return io.UsageError(std::string("the transition ") + EffectName(request.m_effect) +
                                 " cannot cover a " + PanelSizeText(size, ESizeText::Typed) + " panel");
        // A project that imports fast builds fast without being told.
        for (CShowPlanPicture& picture : request.m_vecPictures)
            picture.m_options.m_bFast = picture.m_options.m_bFast || args.Has("fast");
        return Build(request, io);
    }

private:
    static CResult<CBuildRequest> ParseRequest(const CArguments& args, CCommandIo& io)
    {
        const std::vector<std::string>& vecOperands = args.Operands();
        if (vecOperands.empty())
            return CStatus::Error("no pictures given");
        const bool bProject = std::any_of(vecOperands.begin(), vecOperands.end(), IsProjectFile);
        if (bProject && vecOperands.size() > 1)
            return CStatus::Error("a project file is built alone, without pictures beside it");
        CResult<CBuildRequest> request = bProject ? ProjectRequest(args, io) : PicturesRequest(args, io);
        if (!request)
            return request;
        if (const std::string* pJobs = args.Value("jobs"))
        {
            std::optional<int> jobs = ParseInteger(*pJobs);
            if (!jobs || *jobs < 1)
                return CStatus::Error("-j needs a positive number, not '" + *pJobs + "'");
            if (*jobs > g_nMaxConversionJobs)
                return CStatus::Error("-j takes at most " + std::to_string(g_nMaxConversionJobs) +
                                      " pictures at once, not " + *pJobs);
            request.Value().m_nJobs = *jobs;
        }
        request.Value().m_bKeepGoing = args.Has("keep-going");
        return request;
    }

    static CResult<CBuildRequest> PicturesRequest(const CArguments& args, CCommandIo& io)
    {
        CBuildRequest request;
        if (const std::string* pMode = args.Value("mode"))
        {
            CResult<EEffect> effect = ParseModeOption(*pMode);
            if (!effect)
                return effect.Status();
            request.m_effect = effect.Value();
        }
        const CResult<CPictureValues> given = ParsePictureValues(args, true);
        if (!given)
            return given.Status();
        const CPictureValues values = EffectivePictureValues(DefaultPictureValues(), given.Value());
        const CConvertOptions convert = ConvertOptionsFor(values);
        const bool bAllFrames = values[static_cast<size_t>(EPictureOption::Frames)] == "all";
        CResult<CPanelChoice> panel = ResolvePanel(args, io);
        if (!panel)
            return panel.Status();
        request.m_panel = panel.Value();
        // After the options: one of them missing its value took "-o" for it.
        if (args.Value("output") == nullptr)
            return CStatus::Error("the show file to write is missing (-o SHOW.qrv)");
        for (const std::string& strOperand : args.Operands())
        {
            const std::optional<CShowPictureName> show = ParseShowPictureName(strOperand);
            request.m_vecPictures.push_back(
                show ? CShowPlanPicture{show->m_strShow, convert, false, show->m_nPicture}
                     : CShowPlanPicture{strOperand, convert, bAllFrames});
            request.m_vecInputs.push_back(request.m_vecPictures.back().m_strPath);
        }
        return request;
    }

    // The options beside a project: those of the run, and a panel to replace the project's.
    static CResult<CBuildRequest> ProjectRequest(const CArguments& args, CCommandIo& io)
    {
        for (const COptionSpec& option : PictureOptions())
            if (args.Has(option.m_strName))
                return CStatus::Error("--" + std::string(option.m_strName) +
                                      " is the project's to give (tramino-cli project add sets it)");
        for (const char* szOption : {"mode", "frames"})
            if (args.Has(szOption))
                return CStatus::Error("--" + std::string(szOption) + " is the project's to give");
        CBuildRequest request;
        request.m_strProject = args.Operands().front();
        if (args.Has("panel-code") || args.Has("size"))
        {
            CResult<CPanelChoice> panel = ResolvePanel(args, io);
            if (!panel)
                return panel.Status();
            request.m_optPanel = panel.Value();
        }
        return request;
    }

    // The project's show; with --keep-going a picture that is not there is left out as one
    // that cannot be read.
    static CStatus ReadProject(CBuildRequest& request, bool bKeepGoing, CCommandIo& io)
    {
        CResult<CProject> project =
            LoadProject(request.m_strProject, bKeepGoing ? EMissingPicture::Keep : EMissingPicture::Refuse,
                        io.StopFlag());
        if (!project)
            return project.Status();
        CShowPlan plan = PlanShow(project.Value());
        request.m_panel = {plan.m_panel, request.m_strProject};
        if (request.m_optPanel)
        {
            request.m_panel = *request.m_optPanel;
            io.Warning("the panel " + PanelSizeText(request.m_panel.m_size, ESizeText::Typed) + " of " +
                       request.m_panel.m_strOrigin + " replaces the project's " +
                       PanelSizeText(plan.m_panel, ESizeText::Typed));
        }
        request.m_effect = plan.m_effect;
        request.m_strOutput = plan.m_strOutput;
        request.m_vecInputs.push_back(request.m_strProject);
        for (const CShowPlanPicture& picture : plan.m_vecPictures)
            request.m_vecInputs.push_back(picture.m_strPath);
        request.m_vecPictures = std::move(plan.m_vecPictures);
        return {};
    }

    static int Build(const CBuildRequest& request, CCommandIo& io)
    {
        if (CStatus status = CheckWritableTarget(request.m_strOutput, request.m_vecInputs); !status)
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
        options.m_nJobs = request.m_nJobs > 0 ? request.m_nJobs : nCores;
        options.m_pbCancel = io.StopFlag();
        CShowBuilder builder(std::move(options), std::move(events));
        const CShowBuildResult result =
            builder.Build(PlanSources(request.m_vecPictures), request.m_strOutput);
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
        const auto nBytes = std::filesystem::file_size(platform::PathFromUtf8(request.m_strOutput), error);
        io.Out() << "Wrote " << Printable(request.m_strOutput) << ": " << result.m_nPictures << " picture"
                 << (result.m_nPictures == 1 ? "" : "s") << ", " << EffectName(request.m_effect) << ", "
                 << PanelSizeText(size, ESizeText::Typed) << " panel ("
                 << Printable(request.m_panel.m_strOrigin) << ")";
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
