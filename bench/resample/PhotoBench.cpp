#include "PhotoBench.h"

#include "resample/ConvertPicture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

extern char** environ;

namespace tramino::bench
{

namespace
{

namespace fs = std::filesystem;

constexpr int g_nPanelWidth = 320;
constexpr int g_nPanelHeight = 240;

struct CChildRun
{
    bool m_bOk = false;
    long m_nMaxRssKiB = 0;
};

// Runs a program to its end, its output thrown away; reports its peak resident memory.
CChildRun RunChild(std::vector<std::string> vecArgs)
{
    std::vector<char*> vecArgv;
    vecArgv.reserve(vecArgs.size() + 1);
    for (std::string& str : vecArgs)
        vecArgv.push_back(str.data());
    vecArgv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int nError = posix_spawnp(&pid, vecArgv[0], &actions, nullptr, vecArgv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0)
        return {};
    int nStatus = 0;
    rusage usage{};
    if (wait4(pid, &nStatus, 0, &usage) != pid)
        return {};
    return {WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0, usage.ru_maxrss};
}

double Seconds(const std::function<bool()>& fn, bool& bOk)
{
    const auto start = std::chrono::steady_clock::now();
    bOk = fn() && bOk;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool ConvertAll(const std::vector<std::string>& vecFiles, const CConvertOptions& options)
{
    bool bAll = true;
    for (const std::string& strFile : vecFiles)
        bAll = ConvertPictureToPanel(strFile, g_nPanelWidth, g_nPanelHeight, options).IsOk() && bAll;
    return bAll;
}

std::vector<std::string> JpegFiles(const std::string& strDir)
{
    std::vector<std::string> vecFiles;
    for (const fs::directory_entry& entry : fs::directory_iterator(strDir))
        if (entry.is_regular_file() && entry.path().extension() == ".jpg")
            vecFiles.push_back(entry.path().string());
    std::sort(vecFiles.begin(), vecFiles.end());
    return vecFiles;
}

// Each picture option on its own, beside the default conversion.
void TimeOptions(const std::vector<std::string>& vecFiles, double fDefault)
{
    const std::pair<const char*, CConvertOptions> arrOptions[] = {
        {"--fit contain", {.m_eFit = EFit::Contain}},
        {"--fit cover", {.m_eFit = EFit::Cover}},
        {"--dither ordered", {.m_eDither = EDither::Ordered}},
        {"--dither diffusion", {.m_eDither = EDither::Diffusion}},
        {"--auto-orient", {.m_bAutoOrient = true}},
    };
    for (const auto& [szName, options] : arrOptions)
    {
        bool bOk = true;
        double fBest = 1e30;
        for (int i = 0; i < 3; ++i)
            fBest = std::min(fBest, Seconds([&] { return ConvertAll(vecFiles, options); }, bOk));
        std::printf("ConvertPictureToPanel %-18s %7.3f s   %.2fx the default%s\n", szName, fBest,
                    fBest / fDefault, bOk ? "" : "   SOME FILES FAILED");
    }
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
    double fDjpeg = 1e30, fOurs = 1e30, fFast = 1e30;
    for (int i = 0; i < 3; ++i) // interleaved, so that a busy moment hits all three alike
    {
        fDjpeg = std::min(fDjpeg, Seconds(djpeg, bOk));
        fOurs = std::min(fOurs, Seconds([&] { return ConvertAll(vecFiles, {}); }, bOk));
        fFast = std::min(fFast, Seconds([&] { return ConvertAll(vecFiles, {.m_bFast = true}); }, bOk));
    }
    std::printf("djpeg -bmp, one process per file  %7.3f s\n", fDjpeg);
    std::printf("ConvertPictureToPanel             %7.3f s   %.2fx djpeg (target <= 1.20)\n", fOurs,
                fOurs / fDjpeg);
    std::printf("ConvertPictureToPanel, fast mode  %7.3f s   %.2fx djpeg (target <= 0.60)\n", fFast,
                fFast / fDjpeg);
    if (!bOk)
        std::printf("SOME FILES FAILED to decode or convert\n");
    TimeOptions(vecFiles, fOurs);
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
