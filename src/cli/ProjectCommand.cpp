#include "cli/Command.h"
#include "cli/ModeOption.h"
#include "cli/PanelOptions.h"
#include "cli/PictureOptions.h"
#include "pipeline/ShowPictureSource.h"
#include "platform/Platform.h"
#include "project/Project.h"
#include "project/ProjectLock.h"
#include "project/ShowPictureName.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

namespace tramino::cli
{

namespace
{

namespace fs = std::filesystem;

// The options only `project new` takes; `add` changes pictures and `list` nothing.
constexpr std::string_view g_arrProjectWideOptions[] = {"panel-code", "size", "mode",
                                                        "output",     "show", "fast"};

// How long `add` waits for another program changing the same project.
constexpr std::chrono::seconds g_lockTimeout{60};

// The picture options given, each in its written form.
CResult<CPictureValues> GivenPictureValues(const CArguments& args)
{
    // Refused as build refuses them, in the same words; --frames in a project file's.
    CResult<CPictureValues> values = ParsePictureValues(args, false);
    if (!values)
        return values;
    if (const std::string* pFrames = args.Value("frames"))
    {
        CResult<std::string> strValue = CanonicalPictureValue(EPictureOption::Frames, *pFrames);
        if (!strValue)
            return CStatus::Error("--frames: " + strValue.Message());
        values.Value()[static_cast<size_t>(EPictureOption::Frames)] = std::move(strValue).Value();
    }
    return values;
}

bool HasPictureOptions(const CArguments& args)
{
    return std::any_of(PictureOptionTable().begin(), PictureOptionTable().end(),
                       [&args](const CPictureOptionInfo& info) { return args.Has(info.m_strKey); });
}

CResult<CProjectPanel> ProjectPanel(const CArguments& args, CCommandIo& io)
{
    if (const std::string* pCode = args.Value("panel-code"))
    {
        const std::optional<int> nCode = ParseInteger(*pCode);
        if (!nCode || *nCode < 1 || *nCode > static_cast<int>(g_arrPanelSizes.size()))
            return CStatus::Error("a project's --panel-code is 1 to 9, not '" + *pCode + "'");
    }
    CResult<CPanelChoice> panel = ResolvePanel(args, io);
    if (!panel)
        return panel.Status();
    return CProjectPanel::ForSize(panel.Value().m_size);
}

// A file named on the command line, kept relative to the project's folder.
CResult<CProjectPath> GivenPath(const std::string& strPath)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(platform::PathFromUtf8(strPath), error);
    if (error)
        return CStatus::Error("Cannot find '" + strPath + "': " + error.message());
    return CProjectPath{absolute.lexically_normal(), false};
}

// Picture K of a show, refused unless the show, read strictly, holds it.
CResult<CProjectPicture> ShowPicture(const CShowPictureName& name, CPanelSize panel,
                                     std::map<std::string, CShowFileIndex>& mapShows)
{
    std::error_code error;
    if (!fs::is_regular_file(name.m_strShow, error))
        return CStatus::Error("the show '" + name.m_strShow + "' is not there");
    CResult<CPicture> picture =
        mapShows.try_emplace(name.m_strShow, name.m_strShow).first->second.Picture(name.m_nPicture, panel);
    if (!picture)
        return picture.Status();
    CResult<CProjectPath> path = GivenPath(name.m_strShow);
    if (!path)
        return path.Status();
    return CProjectPicture{path.Value(), {}, name.m_nPicture};
}

// The path with its links and dots resolved as far as it exists.
fs::path ResolvedPath(const fs::path& path)
{
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error).lexically_normal() : resolved;
}

bool IsSameFile(const fs::path& first, const fs::path& second)
{
    std::error_code error;
    return fs::equivalent(first, second, error) || ResolvedPath(first) == ResolvedPath(second);
}

// A picture must be neither the project file nor the show the project builds, which a build
// would refuse only later.
CStatus AddPictures(CProject& project, const std::vector<std::string>& vecPaths, const CPictureValues& given,
                    const std::string& strProject)
{
    std::map<std::string, CShowFileIndex> mapShows;
    for (const std::string& strPath : vecPaths)
    {
        if (const std::optional<CShowPictureName> name = ParseShowPictureName(strPath))
        {
            CResult<CProjectPicture> picture = ShowPicture(*name, project.m_panel.m_size, mapShows);
            if (!picture)
                return picture.Status();
            picture.Value().m_overrides = OverridesOf(project.m_defaults, given);
            project.m_vecPictures.push_back(std::move(picture).Value());
            continue;
        }
        if (CStatus status = CheckPictureFile(strPath); !status)
            return status;
        if (IsSameFile(strPath, strProject))
            return CStatus::Error("'" + strPath + "' is the project file itself, not a picture");
        if (project.m_optOutput && IsSameFile(strPath, project.m_optOutput->m_path))
            return CStatus::Error("'" + strPath + "' is the show file the project builds, not a picture");
        CResult<CProjectPath> path = GivenPath(strPath);
        if (!path)
            return path.Status();
        project.m_vecPictures.push_back({path.Value(), OverridesOf(project.m_defaults, given)});
    }
    return {};
}

std::string PicturesText(size_t nCount)
{
    return std::to_string(nCount) + (nCount == 1 ? " picture" : " pictures");
}

std::string PanelText(const CProjectPanel& panel)
{
    return PanelSizeText(panel.m_size, ESizeText::Typed) +
           (panel.m_nCode != 0 ? " (code " + std::to_string(panel.m_nCode) + ")" : "");
}

} // namespace

// Makes, extends and lists the project files the main window opens and saves.
class CProjectCommand : public CCommand
{
public:
    std::string_view Name() const override { return "project"; }
    std::string_view Summary() const override { return "make, extend or list a project file (*.tramino)"; }

    std::string Help() const override
    {
        return "Usage: tramino-cli project new [--panel-code N | --size WxH] [--mode NAME] [--show "
               "SHOW.qrv]\n"
               "                               [--fast] [PICTURE OPTIONS] -o PROJECT.tramino [PICTURE...]\n"
               "       tramino-cli project add PROJECT.tramino [PICTURE OPTIONS] [PICTURE...]\n"
               "       tramino-cli project list PROJECT.tramino\n"
               "\n"
               "A project file keeps a show's description: the panel, the transition, the picture\n"
               "options every picture takes, the ordered pictures (relative to the project's folder)\n"
               "with the options each one changes, and the show file to write.\n"
               "  new   writes a new project; the picture options become its defaults.\n"
               "  add   appends pictures; the picture options given become theirs where they differ\n"
               "        from the defaults. With no picture it rewrites the file in its usual form.\n"
               "  list  prints the panel, the transition, each picture with its options, and the\n"
               "        exact size of the show file it makes.\n"
               "A PICTURE SHOW.qrv#K is picture K (from 1) of that show file, which must hold it; it\n"
               "is kept as the show and the number, and built as build builds it.\n"
               "\n"
               "Options of new:\n" +
               std::string(PanelOptionsHelp()) + std::string(ModeOptionHelp()) +
               "  --show F         the show file the project builds (kept relative to the project)\n"
               "  --fast           JPEG files decode scaled down, as build --fast and the window's\n"
               "                   fast import do; every build of the project then does so\n"
               "  -o, --output F   the project file to write (must not exist yet)\n"
               "Picture options (new and add), as build takes them:\n" +
               std::string(PictureOptionsHelp()) +
               "  --frames WHICH   first (the default) or all frames of an animated GIF\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
        vecOptions.insert(vecOptions.end(),
                          {{"mode", true}, {"show", true}, {"fast", false}, {"output", true, 'o'}});
        const std::vector<COptionSpec> vecPicture = PictureOptions();
        vecOptions.insert(vecOptions.end(), vecPicture.begin(), vecPicture.end());
        vecOptions.push_back({"frames", true});
        return vecOptions;
    }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        const std::vector<std::string>& vecOperands = args.Operands();
        const std::string strAction = vecOperands.empty() ? "" : vecOperands[0];
        const std::vector<std::string> vecRest(vecOperands.begin() + (vecOperands.empty() ? 0 : 1),
                                               vecOperands.end());
        if (strAction == "new")
            return New(args, vecRest, io);
        if (strAction != "add" && strAction != "list")
            return io.UsageError(strAction.empty()
                                     ? "say new, add or list"
                                     : "unknown action '" + strAction + "' (use new, add or list)");
        for (std::string_view strOption : g_arrProjectWideOptions)
            if (args.Has(strOption))
                return io.UsageError("--" + std::string(strOption) + " is an option of project new only");
        if (vecRest.empty())
            return io.UsageError("the project file is missing");
        if (strAction == "add")
            return Add(args, vecRest, io);
        if (vecRest.size() > 1 || HasPictureOptions(args))
            return io.UsageError("project list takes the project file alone");
        return List(vecRest[0], io);
    }

private:
    static int New(const CArguments& args, const std::vector<std::string>& vecPictures, CCommandIo& io)
    {
        const std::string* pProject = args.Value("output");
        if (pProject == nullptr || pProject->empty())
            return io.UsageError("the project file to write is missing (-o PROJECT.tramino)");
        io.SetSubject(*pProject);
        CProject project;
        CResult<CProjectPanel> panel = ProjectPanel(args, io);
        if (!panel)
            return io.UsageError(panel.Message());
        project.m_panel = panel.Value();
        if (const std::string* pMode = args.Value("mode"))
        {
            CResult<EEffect> effect = ParseModeOption(*pMode);
            if (!effect)
                return io.UsageError(effect.Message());
            project.m_effect = effect.Value();
        }
        const CPanelSize size = project.m_panel.m_size;
        if (!EffectCoversPanel(project.m_effect, size.m_nWidth, size.m_nHeight))
            return io.UsageError(std::string("the transition ") + EffectName(project.m_effect) +
                                 " cannot cover a " + PanelSizeText(size, ESizeText::Typed) + " panel");
        CResult<CPictureValues> given = GivenPictureValues(args);
        if (!given)
            return io.UsageError(given.Message());
        project.m_defaults = EffectivePictureValues(project.m_defaults, given.Value());
        if (const std::string* pShow = args.Value("show"))
        {
            if (IsSameFile(*pShow, *pProject))
                return io.UsageError(
                    "--show names the project file itself; the show needs a file of its own");
            for (const std::string& strPicture : vecPictures)
                if (IsSameFile(*pShow, strPicture))
                    return io.UsageError("the show file '" + *pShow +
                                         "' is one of the pictures, which building it would replace");
            CResult<CProjectPath> output = GivenPath(*pShow);
            if (!output)
                return io.Failure(output.Message());
            project.m_optOutput = output.Value();
        }
        project.m_bFastImport = args.Has("fast");
        const auto Taken = [&pProject]
        {
            std::error_code error;
            return fs::exists(platform::PathFromUtf8(*pProject), error);
        };
        const std::string strTaken = "'" + *pProject + "' exists already (project add adds pictures to it)";
        if (Taken())
            return io.Failure(strTaken);
        if (CStatus status = AddPictures(project, vecPictures, {}, *pProject); !status)
            return io.Failure(status.Message());
        // Made only if it is still not there: two programs making one project cannot both succeed,
        // and the one that comes second says what it would have said had it started second.
        if (CStatus status = CreateProject(project, *pProject, io.StopFlag()); !status)
            return io.Failure(Taken() ? strTaken : status.Message());
        io.MarkDone();
        io.Out() << "Wrote " << Printable(*pProject) << ": " << PicturesText(project.m_vecPictures.size())
                 << ", " << EffectName(project.m_effect) << ", " << PanelText(project.m_panel) << " panel\n";
        return kExitOk;
    }

    static int Add(const CArguments& args, const std::vector<std::string>& vecRest, CCommandIo& io)
    {
        const std::string& strProject = vecRest[0];
        const std::vector<std::string> vecPictures(vecRest.begin() + 1, vecRest.end());
        if (vecPictures.empty() && HasPictureOptions(args))
            return io.UsageError("picture options need pictures to apply to");
        CResult<CPictureValues> given = GivenPictureValues(args);
        if (!given)
            return io.UsageError(given.Message());
        for (const std::string& strPicture : vecPictures)
            if (IsSameFile(strPicture, strProject))
                return io.UsageError("'" + strPicture + "' is the project file itself, not a picture");
        io.SetSubject(strProject);
        // Held from the reading to the rewriting, so that another program's change in between is
        // neither lost nor lost to.
        CResult<CProjectLock> lock = CProjectLock::Acquire(strProject, g_lockTimeout, io.StopFlag());
        if (!lock)
            return io.Failure(lock.Message());
        CResult<CProject> project = LoadProject(strProject, EMissingPicture::Refuse, io.StopFlag());
        if (!project)
            return io.Failure(project.Message());
        if (CStatus status = AddPictures(project.Value(), vecPictures, given.Value(), strProject); !status)
            return io.Failure(status.Message());
        if (CStatus status = SaveProject(project.Value(), strProject, io.StopFlag()); !status)
            return io.Failure(status.Message());
        io.MarkDone();
        io.Out() << "Added " << PicturesText(vecPictures.size()) << " to " << Printable(strProject) << " ("
                 << project.Value().m_vecPictures.size() << " in all)\n";
        return kExitOk;
    }

    static int List(const std::string& strProject, CCommandIo& io)
    {
        io.SetSubject(strProject);
        CResult<CProject> loaded = LoadProject(strProject, EMissingPicture::Refuse, io.StopFlag());
        if (!loaded)
            return io.Failure(loaded.Message());
        const CProject& project = loaded.Value();
        std::ostream& out = io.Out();
        out << "Panel: " << PanelText(project.m_panel) << "\n"
            << "Transition: " << EffectName(project.m_effect) << "\n"
            << "Show file: "
            << (project.m_optOutput ? Printable(platform::Utf8FromPath(project.m_optOutput->m_path))
                                    : "none named")
            << "\n"
            << (project.m_bFastImport ? "Fast JPEG import: on\n" : "")
            << "Pictures: " << project.m_vecPictures.size() << "\n";
        // A line is put together first and written at once: a million pictures are a million lines.
        std::string strLine;
        for (size_t i = 0; i < project.m_vecPictures.size() && !io.StopRequested(); ++i)
        {
            const CProjectPicture& picture = project.m_vecPictures[i];
            const std::string strPath = platform::Utf8FromPath(picture.m_path.m_path);
            strLine.assign("  ").append(std::to_string(i + 1)).append(". ");
            strLine.append(Printable(picture.m_nShowPicture != 0
                                         ? ShowPictureNameText({strPath, picture.m_nShowPicture})
                                         : strPath));
            if (picture.m_nFrame != 0) // a GIF's row the window split into frames
                strLine.append(" frame=").append(std::to_string(picture.m_nFrame));
            const CPictureValues values = project.EffectiveValues(i);
            for (const CPictureOptionInfo& info : PictureOptionTable())
                strLine.append(" ")
                    .append(info.m_strKey)
                    .append("=")
                    .append(*values[static_cast<size_t>(info.m_option)]);
            out << strLine.append("\n");
        }
        if (io.StopRequested())
            return kExitFailure;
        const CResult<uint64_t> nBytes = ShowFileSize(PlanShow(project));
        if (!nBytes)
            return io.Failure(nBytes.Message());
        out << "Show file size: " << nBytes.Value() << " bytes\n";
        return kExitOk;
    }
};

TRAMINO_DEFINE_COMMAND(Project)

} // namespace tramino::cli
