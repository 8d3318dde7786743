#include "PhotoBench.h"

#include "BenchSupport.h"
#include "resample/ConvertPicture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <utility>
#include <vector>

namespace tramino::bench
{

namespace
{

namespace fs = std::filesystem;

constexpr int g_nPanelWidth = 320;
constexpr int g_nPanelHeight = 240;

bool ConvertAll(const std::vector<std::string>& vecFiles, const CConvertOptions& options)
{
    bool bAll = true;
    for (const std::string& strFile : vecFiles)
        bAll = ConvertPictureToPanel(strFile, {g_nPanelWidth, g_nPanelHeight}, options).IsOk() && bAll;
    return bAll;
}

void TimeConversions(const std::vector<std::string>& vecFiles)
{
    std::printf("\n== Converting %zu photos to %d x %d, one core, best of 3 ==\n", vecFiles.size(),
                g_nPanelWidth, g_nPanelHeight);
    bool bOk = true;
    const auto djpeg = [&]
    {
        bool bAll = true;
        for (const std::string& strFile : vecFiles)
            bAll = RunChild({"djpeg", "-bmp", "-outfile", "/dev/null", strFile}).m_bOk && bAll;
        return bAll;
    };
    // The default conversion, fast mode, then each picture option on its own.
    const std::pair<const char*, CConvertOptions> arrRuns[] = {
        {"", {}},
        {", fast mode", {.m_bFast = true}},
        {" --fit contain", {.m_eFit = EFit::Contain}},
        {" --fit cover", {.m_eFit = EFit::Cover}},
        {" --dither ordered", {.m_eDither = EDither::Ordered}},
        {" --dither diffusion", {.m_eDither = EDither::Diffusion}},
        {" --auto-orient", {.m_bAutoOrient = true}},
    };
    double fDjpeg = 1e30;
    std::vector<double> vecBest(std::size(arrRuns), 1e30);
    for (int i = 0; i < 3; ++i) // interleaved, so that a busy moment hits all alike
    {
        fDjpeg = std::min(fDjpeg, Seconds(djpeg, bOk));
        for (size_t r = 0; r < std::size(arrRuns); ++r)
            vecBest[r] =
                std::min(vecBest[r], Seconds([&] { return ConvertAll(vecFiles, arrRuns[r].second); }, bOk));
    }
    std::printf("djpeg -bmp, one process per file  %7.3f s\n", fDjpeg);
    std::printf("ConvertPictureToPanel             %7.3f s   %.2fx djpeg (target <= 1.20)\n", vecBest[0],
                vecBest[0] / fDjpeg);
    std::printf("ConvertPictureToPanel, fast mode  %7.3f s   %.2fx djpeg (target <= 0.60)\n", vecBest[1],
                vecBest[1] / fDjpeg);
    for (size_t r = 2; r < std::size(arrRuns); ++r)
        std::printf("  %-31s %7.3f s   %.2fx the default conversion\n", arrRuns[r].first + 1, vecBest[r],
                    vecBest[r] / vecBest[0]);
    if (!bOk)
        std::printf("SOME FILES FAILED to decode or convert\n");
}

} // namespace

void RunMemoryBench(const std::string& strSelf, const std::string& strBigJpeg)
{
    if (!fs::exists(strBigJpeg))
    {
        std::printf("\n%s is absent: memory benchmark skipped\n", strBigJpeg.c_str());
        return;
    }
    std::printf("\n== Peak memory converting %s ==\n", fs::path(strBigJpeg).filename().c_str());
    const CChildRun idle = RunChild({strSelf, "--idle"});
    const CChildRun ours = RunChild({strSelf, "--convert-one", strBigJpeg});
    const CChildRun djpeg = RunChild({"djpeg", "-bmp", "-outfile", "/dev/null", strBigJpeg});
    std::printf("this program idle                 %7.1f MiB\n",
                static_cast<double>(idle.m_nMaxRssKiB) / 1024);
    std::printf("ConvertPictureToPanel             %7.1f MiB %s(target <= 10)\n",
                static_cast<double>(ours.m_nMaxRssKiB) / 1024, ours.m_bOk ? "" : "FAILED ");
    std::printf("djpeg -bmp                        %7.1f MiB   ours %.2fx djpeg\n",
                static_cast<double>(djpeg.m_nMaxRssKiB) / 1024,
                static_cast<double>(ours.m_nMaxRssKiB) /
                    static_cast<double>(std::max(1L, djpeg.m_nMaxRssKiB)));
}

int ConvertOne(const std::string& strPath)
{
    const CResult<CPicture> picture = ConvertPictureToPanel(strPath, {g_nPanelWidth, g_nPanelHeight});
    if (!picture)
        std::fprintf(stderr, "%s\n", picture.Message().c_str());
    return picture ? 0 : 1;
}

void RunPhotoBench(const std::string& strDir)
{
    if (!fs::is_directory(strDir))
    {
        std::printf("\n%s is absent: photo benchmarks skipped\n", strDir.c_str());
        return;
    }
    TimeConversions(JpegFiles(strDir));
}

} // namespace tramino::bench
