#include "cli/Command.h"
#include "cli/ModeOption.h"
#include "cli/PanelOptions.h"
#include "cli/PictureOptions.h"
#include "cli/ProgressBar.h"
#include "resample/ConvertPicture.h"
#include "show/RecordCutter.h"
#include "show/ShowFileWriter.h"
#include "show/Transition.h"
#include "store/PictureStore.h"

#include <filesystem>
#include <optional>
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
// picture converted to the panel, kept in a picture store, and written with the transition.
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
               std::string(PanelOptionsHelp()) + std::string(ModeOptionHelp()) +
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
        CResult<CBuildRequest> request = ParseRequest(args);
        if (!request)
            return io.UsageError(request.Message());
        return Build(request.Value(), io);
    }

private:
    static CResult<CBuildRequest> ParseRequest(const CArguments& args)
    {
        CBuildRequest request;
        request.m_vecPictures = args.Operands();
        if (request.m_vecPictures.empty())
            return CStatus::Error("no pictures given");
        const std::string* pOutput = args.Value("output");
        if (pOutput == nullptr || pOutput->empty())
            return CStatus::Error("the show file to write is missing (-o SHOW.qrv)");
        request.m_strOutput = *pOutput;
        CResult<CPanelChoice> panel = ResolvePanel(args);
        if (!panel)
            return panel.Status();
        request.m_panel = panel.Value();
        if (const std::string* pMode = args.Value("mode"))
        {
            CResult<EEffect> effect = ParseModeOption(*pMode);
            if (!effect)
                return effect.Status();
            request.m_effect = effect.Value();
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
        const CPanelSize size = request.m_panel.m_size;
        CProgressBar progress(io.Err(), "converting");
        std::vector<CResult<CPicture>> vecConverted = ConvertPicturesToPanel(
            request.m_vecPictures, size.m_nWidth, size.m_nHeight, request.m_convert,
            [&progress](size_t nDone, size_t nTotal) { progress.Update(nDone, nTotal); });
        progress.Finish();

        CResult<CPictureStore> store = CPictureStore::Create(size.m_nWidth, size.m_nHeight);
        if (!store)
            return io.Failure(store.Message());
        size_t nUnreadable = 0;
        for (CResult<CPicture>& picture : vecConverted)
        {
            if (!picture)
            {
                io.Err() << "tramino-cli build: " << picture.Message() << "\n";
                ++nUnreadable;
            }
            else if (CStatus status = store.Value().Add(picture.Value()); !status)
                return io.Failure(status.Message());
            if (picture)
                picture.Value() = CPicture(); // the store holds it now
        }
        if (nUnreadable > 0 && (!request.m_bKeepGoing || store.Value().Count() == 0))
            return io.Failure(std::to_string(nUnreadable) + " of " + std::to_string(vecConverted.size()) +
                              " pictures cannot be read; no show written" +
                              (request.m_bKeepGoing ? "" : " (--keep-going builds it from the others)"));

        if (CStatus status = WriteShow(store.Value(), request, io); !status)
            return io.Failure(status.Message());
        std::error_code error;
        const auto nBytes = std::filesystem::file_size(request.m_strOutput, error);
        io.Out() << "Wrote " << request.m_strOutput << ": " << store.Value().Count() << " picture"
                 << (store.Value().Count() == 1 ? "" : "s") << ", " << EffectName(request.m_effect) << ", "
                 << PanelSizeText(size) << " panel (" << request.m_panel.m_strOrigin << ")";
        if (!error)
            io.Out() << ", " << nBytes << " bytes";
        io.Out() << "\n";
        if (nUnreadable > 0)
            return io.Failure(std::to_string(nUnreadable) + " of " + std::to_string(vecConverted.size()) +
                              " pictures left out");
        return kExitOk;
    }

    // As the transform worker does it: every stored picture read back and cut into records.
    static CStatus WriteShow(const CPictureStore& store, const CBuildRequest& request, CCommandIo& io)
    {
        const CPanelSize size = request.m_panel.m_size;
        CShowFileWriter writer;
        if (CStatus status = writer.Create(request.m_strOutput); !status)
            return status;
        CProgressBar progress(io.Err(), "writing");
        for (int i = 0; i < store.Count(); ++i)
        {
            CResult<CPicture> picture = store.Read(i);
            if (!picture)
                return picture.Status();
            if (CStatus status = WritePictureRecords(writer, request.m_effect, size.m_nWidth, size.m_nHeight,
                                                     picture.Value());
                !status)
                return status;
            progress.Update(static_cast<size_t>(i) + 1, static_cast<size_t>(store.Count()));
        }
        progress.Finish();
        return writer.Finish();
    }
};

TRAMINO_DEFINE_COMMAND(Build)

} // namespace tramino::cli
