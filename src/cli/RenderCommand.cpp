#include "cli/Command.h"
#include "cli/PanelOptions.h"
#include "png/PngWriter.h"
#include "show/ShowFileReader.h"
#include "show/Transition.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace tramino::cli
{

namespace
{

constexpr int g_nFrames = 8;
constexpr int g_nMargin = 8;
constexpr int g_nStripGap = 16; // between a picture and its transition strip
constexpr int g_nFrameGap = 4;
constexpr CRgb g_crSheet{40, 40, 40};

// The panel before and during a picture: what the device shows at eight moments of its
// transition, after 1/8, 2/8, ... 8/8 of the picture's pixels.
std::vector<CPicture> TransitionFrames(CPicture& canvas, const CShowFilePicture& picture)
{
    const int nWidth = canvas.Width();
    const int nHeight = canvas.Height();
    const int64_t nTotal = static_cast<int64_t>(nWidth) * nHeight;
    std::vector<CPicture> vecFrames;
    int64_t nPainted = 0;
    auto paint = [&](int x, int y)
    {
        canvas.SetPixel(x, y, picture.m_picture.GetPixel(x, y));
        ++nPainted;
        while (static_cast<int>(vecFrames.size()) < g_nFrames &&
               nPainted * g_nFrames >= nTotal * static_cast<int64_t>(vecFrames.size() + 1))
            vecFrames.push_back(canvas);
    };
    if (picture.m_optEffect)
        ForEachEffectPosition(*picture.m_optEffect, nWidth, nHeight, paint);
    else // records in an order of no transition we know: rows from the top stand in for them
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
                paint(x, y);
    return vecFrames;
}

// Averages nScale x nScale blocks, so that a wide panel's strip stays a sensible size.
CPicture Shrink(const CPicture& picture, int nScale)
{
    if (nScale == 1)
        return picture;
    CPicture small(std::max(1, picture.Width() / nScale), std::max(1, picture.Height() / nScale), 24);
    for (int y = 0; y < small.Height(); ++y)
        for (int x = 0; x < small.Width(); ++x)
        {
            int nRed = 0, nGreen = 0, nBlue = 0, nCount = 0;
            for (int j = y * nScale; j < std::min(picture.Height(), (y + 1) * nScale); ++j)
                for (int i = x * nScale; i < std::min(picture.Width(), (x + 1) * nScale); ++i, ++nCount)
                {
                    const CRgb cr = picture.GetPixel(i, j);
                    nRed += cr.m_nRed, nGreen += cr.m_nGreen, nBlue += cr.m_nBlue;
                }
            small.SetPixel(x, y,
                           CRgb{static_cast<uint8_t>(nRed / nCount), static_cast<uint8_t>(nGreen / nCount),
                                static_cast<uint8_t>(nBlue / nCount)});
        }
    return small;
}

void Paste(CPicture& sheet, const CPicture& picture, int nLeft, int nTop)
{
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            sheet.SetPixel(nLeft + x, nTop + y, picture.GetPixel(x, y));
}

// One row per picture: the picture as the device shows it, then its transition at eight moments.
// Wide panels get their moments at half size, four by four, so a row stays one panel high.
CPicture ContactSheet(const std::vector<CShowFilePicture>& vecPictures, int nWidth, int nHeight)
{
    const int nScale = nWidth > 160 ? 2 : 1;
    const int nPerRow = g_nFrames / nScale;
    const int nFrameWidth = std::max(1, nWidth / nScale);
    const int nFrameHeight = std::max(1, nHeight / nScale);
    const int nRowHeight = std::max(nHeight, nScale * nFrameHeight + (nScale - 1) * g_nFrameGap);
    const int nStripLeft = g_nMargin + nWidth + g_nStripGap;
    const int nSheetWidth = nStripLeft + nPerRow * nFrameWidth + (nPerRow - 1) * g_nFrameGap + g_nMargin;
    const int nSheetHeight = g_nMargin + static_cast<int>(vecPictures.size()) * (nRowHeight + g_nMargin);
    CPicture sheet(nSheetWidth, nSheetHeight, 24);
    for (int y = 0; y < nSheetHeight; ++y)
        for (int x = 0; x < nSheetWidth; ++x)
            sheet.SetPixel(x, y, g_crSheet);

    CPicture canvas(nWidth, nHeight, 24); // the panel starts black
    for (size_t i = 0; i < vecPictures.size(); ++i)
    {
        const int nTop = g_nMargin + static_cast<int>(i) * (nRowHeight + g_nMargin);
        Paste(sheet, vecPictures[i].m_picture, g_nMargin, nTop);
        const std::vector<CPicture> vecFrames = TransitionFrames(canvas, vecPictures[i]);
        for (int k = 0; k < static_cast<int>(vecFrames.size()); ++k)
            Paste(sheet, Shrink(vecFrames[k], nScale),
                  nStripLeft + (k % nPerRow) * (nFrameWidth + g_nFrameGap),
                  nTop + (k / nPerRow) * (nFrameHeight + g_nFrameGap));
    }
    return sheet;
}

std::string PictureFileName(size_t nIndex, size_t nCount)
{
    const std::string strNumber = std::to_string(nIndex + 1);
    const size_t nDigits = std::max<size_t>(3, std::to_string(nCount).size());
    return "picture-" + std::string(nDigits - strNumber.size(), '0') + strNumber + ".png";
}

} // namespace

// Shows what a show file puts on the panel: every picture as a PNG file, and a contact sheet.
class CRenderCommand : public CCommand
{
public:
    std::string_view Name() const override { return "render"; }
    std::string_view Summary() const override
    {
        return "render a show's pictures and a contact sheet as PNG";
    }

    std::string Help() const override
    {
        return "Usage: tramino-cli render SHOW.qrv [--panel-code N | --size WxH] -o DIR\n"
               "\n"
               "Writes every picture of the show as the panel shows it (DIR/picture-001.png, ...) and\n"
               "DIR/sheet.png: one row per picture, the picture and its transition at eight moments\n"
               "(after 1/8, 2/8, ... of its pixels). DIR is created when missing.\n"
               "\n"
               "Options:\n"
               "  --panel-code N   panel of size code N (see 'tramino-cli panel --list')\n"
               "  --size WxH       panel of W x H pixels\n"
               "                   Without either: the panel size of the table the file fits.\n"
               "  -o, --output DIR the folder for the PNG files\n"
               "  --help           show this help\n";
    }

    std::vector<COptionSpec> Options() const override
    {
        std::vector<COptionSpec> vecOptions = PanelOptions();
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
        const std::string& strShow = args.Operands()[0];
        CPanelSize size;
        if (args.Has("panel-code") || args.Has("size"))
        {
            const CResult<CPanelChoice> choice = ResolvePanel(args, io);
            if (!choice)
                return io.UsageError(choice.Message());
            size = choice.Value().m_size;
        }
        else
        {
            const CResult<CPanelSize> detected = DetectShowFilePanel(strShow);
            if (!detected)
                return io.Failure(detected.Message());
            size = detected.Value();
        }
        const int nWidth = size.m_nWidth;
        const int nHeight = size.m_nHeight;

        CShowFileReader reader(nWidth, nHeight, true);
        if (CStatus status = reader.ReadFile(strShow); !status)
            return io.Failure(status.Message() + " (read as a " + PanelSizeText(size) + " panel)");
        const std::vector<CShowFilePicture>& vecPictures = reader.Pictures();

        const std::filesystem::path dir(*pDir);
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        if (error)
            return io.Failure(ErrnoStatus("create the folder", *pDir, error.value()).Message());
        for (size_t i = 0; i < vecPictures.size(); ++i)
            if (CStatus status = WritePngFile(vecPictures[i].m_picture,
                                              (dir / PictureFileName(i, vecPictures.size())).string());
                !status)
                return io.Failure(status.Message());
        if (!vecPictures.empty())
            if (CStatus status =
                    WritePngFile(ContactSheet(vecPictures, nWidth, nHeight), (dir / "sheet.png").string());
                !status)
                return io.Failure(status.Message());
        io.Out() << "Rendered " << vecPictures.size() << " picture" << (vecPictures.size() == 1 ? "" : "s")
                 << " of a " << PanelSizeText(size) << " panel into " << *pDir
                 << (vecPictures.empty() ? "" : " with sheet.png") << "\n";
        return kExitOk;
    }
};

TRAMINO_DEFINE_COMMAND(Render)

} // namespace tramino::cli
