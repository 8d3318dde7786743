// Rendering a long show: tramino-cli render of 1,000 pictures of 320 x 240 in a child process,
// its time and peak memory beside their targets, and what the PNG encoding costs at zlib levels.
//   tramino_bench_render [PICTURES]
//   tramino_bench_render --show PATH [PICTURES]    only writes the show, to measure by hand
#include "png/PngWriter.h"
#include "show/RecordCutter.h"
#include "show/ShowFileWriter.h"
#include "show/ShowRenderer.h"

#include "BenchSupport.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using namespace tramino;
using namespace tramino::bench;
namespace fs = std::filesystem;

constexpr int g_nWidth = 320;
constexpr int g_nHeight = 240;
constexpr double g_dTargetSeconds = 6;
constexpr double g_dTargetMiB = 32;

// Photo-like content: a gradient that moves with the picture, a disc, and a little grain, so that
// the encoder finds neither flat areas nor pure noise.
CRgb Pixel(int nPicture, int x, int y)
{
    const uint32_t nHash = (static_cast<uint32_t>(x) * 73856093U) ^ (static_cast<uint32_t>(y) * 19349663U) ^
                           (static_cast<uint32_t>(nPicture) * 83492791U);
    const int nGrain = static_cast<int>(nHash % 13) - 6;
    const int nDx = x - (nPicture * 7) % g_nWidth;
    const int nDy = y - g_nHeight / 2;
    const bool bDisc = nDx * nDx + nDy * nDy < 60 * 60;
    const auto clamp = [](int n) { return static_cast<uint8_t>(n < 0 ? 0 : n > 255 ? 255 : n); };
    return CRgb{clamp((bDisc ? 220 : x * 255 / g_nWidth) + nGrain),
                clamp((y * 255 / g_nHeight + nPicture * 3) % 256 + nGrain),
                clamp((bDisc ? 40 : 128 + nPicture % 100) + nGrain)};
}

bool MakeShow(const std::string& strPath, int nPictures)
{
    CShowFileWriter writer;
    CStatus status = writer.Create(strPath);
    for (int i = 0; status && i < nPictures; ++i)
        status = WritePictureRecords(writer, g_arrEffects[static_cast<size_t>(i) % g_arrEffects.size()],
                                     g_nWidth, g_nHeight, [i](int x, int y) { return Pixel(i, x, y); });
    if (status)
        status = writer.Finish();
    if (!status)
        std::fprintf(stderr, "%s\n", status.Message().c_str());
    return status.IsOk();
}

uint64_t FolderBytes(const fs::path& dir)
{
    uint64_t nBytes = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir))
        nBytes += entry.file_size();
    return nBytes;
}

void RunRender(const fs::path& dir, const std::string& strShow, int nPictures)
{
    std::printf("\n== tramino-cli render of %d pictures of %d x %d (%.0f MB), best of 2 ==\n", nPictures,
                g_nWidth, g_nHeight, static_cast<double>(fs::file_size(strShow)) / 1e6);
    CChildRun best;
    for (int nRun = 0; nRun < 2; ++nRun)
    {
        fs::remove_all(dir / "render");
        const CChildRun run = RunChild({TRAMINO_CLI, "render", strShow, "-o", (dir / "render").string()});
        if (nRun == 0 || run.m_dSeconds < best.m_dSeconds)
            best = run;
    }
    const CChildRun idle = RunChild({TRAMINO_CLI, "--version"});
    std::printf("time                        %7.2f s   %s(target <= %.0f s; CPU time %.2f s)\n",
                best.m_dSeconds, best.m_bOk ? "" : "FAILED ", g_dTargetSeconds, best.m_dCpuSeconds);
    std::printf("peak resident memory        %7.1f MiB %s(target <= %.0f MiB; the program idle: %.1f MiB)\n",
                MiB(best.m_nMaxRssKiB), MiB(best.m_nMaxRssKiB) <= g_dTargetMiB ? "" : "OVER ", g_dTargetMiB,
                MiB(idle.m_nMaxRssKiB));
    std::printf("written                     %7.1f MB\n",
                static_cast<double>(FolderBytes(dir / "render")) / 1e6);
}

// The same rendering in this process at other zlib levels: what the encoding costs.
void RunLevels(const fs::path& dir, const std::string& strShow)
{
    std::printf("\n== PNG encoding: the whole render in this process, by zlib level (ours: %d) ==\n",
                g_nPngZlibLevel);
    for (const int nLevel : {0, 1, 3, 6})
    {
        fs::remove_all(dir / "levels");
        CShowRenderer renderer({g_nWidth, g_nHeight}, g_nDefaultPicturesPerSheet, nLevel);
        const auto start = std::chrono::steady_clock::now();
        const double dCpuStart = OwnCpuSeconds();
        const CStatus status = renderer.Render(strShow, (dir / "levels").string());
        const double dCpu = OwnCpuSeconds() - dCpuStart;
        const double dSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("level %d                     %7.2f s   CPU %6.2f s %7.1f MB%s\n", nLevel, dSeconds, dCpu,
                    static_cast<double>(FolderBytes(dir / "levels")) / 1e6, status ? "" : " FAILED");
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 2 && std::string(argv[1]) == "--show")
        return MakeShow(argv[2], argc > 3 ? std::atoi(argv[3]) : 1000) ? 0 : 1;
    const int nPictures = argc > 1 ? std::atoi(argv[1]) : 1000;
    const fs::path dir = fs::temp_directory_path() / ("tramino-bench-render-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string strShow = (dir / "show.qrv").string();
    if (MakeShow(strShow, nPictures))
    {
        RunRender(dir, strShow, nPictures);
        RunLevels(dir, strShow);
    }
    fs::remove_all(dir);
    return 0;
}
