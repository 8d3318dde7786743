#include "PhotoBench.h"

#include "BenchSupport.h"
#include "resample/ConvertPicture.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace tramino::bench
{

namespace
{

namespace fs = std::filesystem;

constexpr int g_nPanelWidth = 320;
constexpr int g_nPanelHeight = 240;

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
    const auto convert = [&](bool bFast)
    {
        bool bAll = true;
        for (const std::string& strFile : vecFiles)
            bAll = ConvertPictureToPanel(strFile, g_nPanelWidth, g_nPanelHeight, {.m_bFast = bFast}).IsOk() &&
                   bAll;
        return bAll;
    };
    double fDjpeg = 1e30, fOurs = 1e30, fFast = 1e30;
    for (int i = 0; i < 3; ++i) // interleaved, so that a busy moment hits all three alike
    {
        fDjpeg = std::min(fDjpeg, Seconds(djpeg, bOk));
        fOurs = std::min(fOurs, Seconds([&] { return convert(false); }, bOk));
        fFast = std::min(fFast, Seconds([&] { return convert(true); }, bOk));
    }
    std::printf("djpeg -bmp, one process per file  %7.3f s\n", fDjpeg);
    std::printf("ConvertPictureToPanel             %7.3f s   %.2fx djpeg (target <= 1.20)\n", fOurs,
                fOurs / fDjpeg);
    std::printf("ConvertPictureToPanel, fast mode  %7.3f s   %.2fx djpeg (target <= 0.60)\n", fFast,
                fFast / fDjpeg);
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
    const CResult<CPicture> picture = ConvertPictureToPanel(strPath, g_nPanelWidth, g_nPanelHeight);
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
