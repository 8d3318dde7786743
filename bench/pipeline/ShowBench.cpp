// tramino-cli build against its yardsticks, side by side in one run:
//   tramino_bench_pipeline [PHOTO_DIR]
// 1,000 panel-size BMPs against cat of the same files into one file of the same folder, with
// the peak memory for 1,000 and 10,000 pictures; photos with -j 2 against decoding them one after
// the other with djpeg, with the peak memory by jobs and by number of photos; a GIF of 1,000
// frames with --frames all beside the BMPs.
#include "BenchSupport.h"
#include "codec/BmpWriter.h"

#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

using namespace tramino;
using namespace tramino::bench;
namespace fs = std::filesystem;

constexpr int g_nPictures = 1000;
constexpr int g_nRounds = 5;

// Panel-size 24-bit pictures that differ from each other.
std::vector<std::string> WritePictures(const fs::path& dir)
{
    std::vector<std::string> vecPaths;
    CPicture picture(320, 240, 24);
    for (int i = 0; i < g_nPictures; ++i)
    {
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                picture.SetPixel(x, y,
                                 CRgb{static_cast<uint8_t>(x + i), static_cast<uint8_t>(y * 3 + i),
                                      static_cast<uint8_t>((x ^ y) + 7 * i)});
        char szName[32];
        std::snprintf(szName, sizeof szName, "p%04d.bmp", i);
        vecPaths.push_back((dir / szName).string());
        if (!WriteBmpFile(picture, vecPaths.back()))
            return {};
    }
    return vecPaths;
}

std::vector<std::string> Command(std::vector<std::string> vecHead, const std::vector<std::string>& vecFiles,
                                 int nRepeat = 1)
{
    for (int i = 0; i < nRepeat; ++i)
        vecHead.insert(vecHead.end(), vecFiles.begin(), vecFiles.end());
    return vecHead;
}

// One run of the command; its time and its peak memory kept when they are the best and the
// highest so far.
void RunMeasured(const std::vector<std::string>& vecArgs, double& fBest, long& nPeakKiB, bool& bOk)
{
    fBest = std::min(fBest, Seconds(
                                [&]
                                {
                                    const CChildRun run = RunChild(vecArgs);
                                    nPeakKiB = std::max(nPeakKiB, run.m_nMaxRssKiB);
                                    return run.m_bOk;
                                },
                                bOk));
}

// An animation of g_nPictures full frames of 320 x 240 that differ from each other.
bool WriteAnimation(const std::string& strPath)
{
    int nError = 0;
    GifFileType* pGif = EGifOpenFileName(strPath.c_str(), false, &nError);
    if (pGif == nullptr)
        return false;
    std::vector<GifColorType> vecColours;
    vecColours.reserve(256);
    for (int i = 0; i < 256; ++i)
        vecColours.push_back({static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i),
                              static_cast<GifByteType>(i * 7)});
    ColorMapObject* pMap = GifMakeMapObject(256, vecColours.data());
    bool bOk = EGifPutScreenDesc(pGif, 320, 240, 8, 0, pMap) == GIF_OK;
    std::vector<GifPixelType> vecLine(320);
    for (int i = 0; bOk && i < g_nPictures; ++i)
    {
        bOk = EGifPutImageDesc(pGif, 0, 0, 320, 240, false, nullptr) == GIF_OK;
        for (int y = 0; bOk && y < 240; ++y)
        {
            for (int x = 0; x < 320; ++x)
                vecLine[static_cast<size_t>(x)] = static_cast<GifPixelType>((x / 4 + y / 4 + i) & 255);
            bOk = EGifPutLine(pGif, vecLine.data(), 320) == GIF_OK;
        }
    }
    bOk = EGifCloseFile(pGif, &nError) == GIF_OK && bOk;
    GifFreeMapObject(pMap);
    return bOk;
}

void RunAnimation(const fs::path& dir, double fBmpBuild)
{
    std::printf("\n== Building a show of a GIF of %d frames of 320 x 240 with --frames all, best of 3 ==\n",
                g_nPictures);
    const std::string strGif = (dir / "animation.gif").string();
    if (!WriteAnimation(strGif))
    {
        std::printf("the animation could not be written in %s\n", dir.c_str());
        return;
    }
    const std::vector<std::string> vecBuild = {
        TRAMINO_CLI, "build", "--panel-code", "9", "--frames", "all", "-o", (dir / "animation.qrv").string(),
        strGif};
    bool bOk = true;
    double fBuild = 1e30;
    long nPeakKiB = 0;
    for (int i = 0; i < 3; ++i)
        RunMeasured(vecBuild, fBuild, nPeakKiB, bOk);
    std::printf("tramino-cli build of %d BMPs        %7.3f s\n", g_nPictures, fBmpBuild);
    std::printf("tramino-cli build --frames all      %7.3f s   %.2fx the BMPs\n", fBuild,
                fBmpBuild > 0 ? fBuild / fBmpBuild : 0.0);
    std::printf("peak memory, --frames all           %7.1f MiB (target <= 32)\n", MiB(nPeakKiB));
    if (!bOk)
        std::printf("A RUN FAILED\n");
}

// nFrames frames of 1 x 1 on a 4000 x 4000 screen, each at a place of its own.
bool WriteSparseAnimation(const std::string& strPath, int nFrames)
{
    int nError = 0;
    GifFileType* pGif = EGifOpenFileName(strPath.c_str(), false, &nError);
    if (pGif == nullptr)
        return false;
    const GifColorType arrColours[2] = {{0, 0, 0}, {255, 255, 255}};
    ColorMapObject* pMap = GifMakeMapObject(2, arrColours);
    bool bOk = EGifPutScreenDesc(pGif, 4000, 4000, 1, 0, pMap) == GIF_OK;
    for (int i = 0; bOk && i < nFrames; ++i)
    {
        GifPixelType nPixel = static_cast<GifPixelType>(i & 1);
        bOk = EGifPutImageDesc(pGif, (i * 37) % 4000, (i * 53) % 4000, 1, 1, false, nullptr) == GIF_OK &&
              EGifPutLine(pGif, &nPixel, 1) == GIF_OK;
    }
    bOk = EGifCloseFile(pGif, &nError) == GIF_OK && bOk;
    GifFreeMapObject(pMap);
    return bOk;
}

void RunSparseAnimation(const fs::path& dir)
{
    std::printf("\n== --frames all of 1 x 1 frames on a 4000 x 4000 screen, at 96 x 64 ==\n");
    for (int nFrames : {200, 10000})
    {
        const std::string strGif = (dir / "sparse.gif").string();
        if (!WriteSparseAnimation(strGif, nFrames))
            return;
        const CChildRun run = RunChild({TRAMINO_CLI, "build", "--size", "96x64", "--frames", "all", "-o",
                                        (dir / "sparse.qrv").string(), strGif});
        std::printf("%5d frames                        %7.3f s   %.1f MiB%s%s\n", nFrames, run.m_dSeconds,
                    MiB(run.m_nMaxRssKiB),
                    nFrames == 200 ? "   (before: 20.5 s of CPU)"
                                   : "   (target <= 10 s; before: about 17 min)",
                    run.m_bOk ? "" : "   A RUN FAILED");
    }
}

// A PNG whose text chunk claims 2 GB, and an interlaced 16000 x 16000 one, four of each with -j 4.
void RunHostilePngs(const fs::path& dir)
{
    std::printf("\n== PNGs that claim much, -j 4 of four ==\n");
    const std::string strGenerate =
        "python3 -c \"import zlib,struct\n"
        "def c(t,d,l=None): return struct.pack('>I',len(d) if l is None else "
        "l)+t+d+struct.pack('>I',zlib.crc32(t+d))\n"
        "s=b'\\x89PNG\\r\\n\\x1a\\n'\n"
        "open('" +
        (dir / "text.png").string() +
        "','wb').write(s+c(b'IHDR',struct.pack('>IIBBBBB',1,1,8,2,0,0,0))+struct.pack('>I',0x7ffffff0)+b'"
        "tEXtk'+b'x'*40)\n"
        "co=zlib.compressobj(9); z=b''\n"
        "for (x,y,dx,dy) in [(0,0,8,8),(4,0,8,8),(0,4,4,8),(2,0,4,4),(0,2,2,4),(1,0,2,2),(0,1,1,2)]:\n"
        " z+=co.compress(b'\\0'*((1+(16000-x+dx-1)//dx)*((16000-y+dy-1)//dy)))\n"
        "z+=co.flush()\n"
        "open('" +
        (dir / "interlaced.png").string() +
        "','wb').write(s+c(b'IHDR',struct.pack('>IIBBBBB',16000,16000,8,0,0,0,1))+c(b'IDAT',z)+c(b'IEND',b'')"
        ")\"";
    if (std::system(strGenerate.c_str()) != 0)
        return;
    for (const char* szName : {"text.png", "interlaced.png"})
    {
        const std::string strFile = (dir / szName).string();
        const CChildRun run =
            RunChild({TRAMINO_CLI, "build", "-j", "4", "--keep-going", "--size", "96x64", "-o",
                      (dir / "png.qrv").string(), strFile, strFile, strFile, strFile});
        std::printf("%-16s peak memory       %7.1f MiB   %s\n", szName, MiB(run.m_nMaxRssKiB),
                    szName[0] == 't' ? "(before: 2.1 GB for one alone)"
                                     : "(before: 3.8 GiB, 0.96 GiB for one)");
    }
}

// The time of the build, 0 when it could not run.
double RunPanelPictures(const fs::path& dir)
{
    std::printf("== Building a show of %d BMPs of 320 x 240, 24 bits, best of %d ==\n", g_nPictures,
                g_nRounds);
    const std::vector<std::string> vecFiles = WritePictures(dir);
    if (vecFiles.empty())
    {
        std::printf("the pictures could not be written in %s\n", dir.c_str());
        return 0;
    }
    const std::string strShow = (dir / "show.qrv").string();
    const std::vector<std::string> vecCat = Command({"cat"}, vecFiles);
    const std::vector<std::string> vecBuild =
        Command({TRAMINO_CLI, "build", "--panel-code", "9", "-o", strShow}, vecFiles);
    bool bOk = true;
    double fCat = 1e30, fBuild = 1e30;
    long nPeakKiB = 0;
    for (int i = 0; i < g_nRounds; ++i) // interleaved, so that a busy moment hits both alike
    {
        fCat =
            std::min(fCat, Seconds([&] { return RunChild(vecCat, (dir / "cat.out").string()).m_bOk; }, bOk));
        RunMeasured(vecBuild, fBuild, nPeakKiB, bOk);
    }
    const CChildRun tenfold =
        RunChild(Command({TRAMINO_CLI, "build", "--panel-code", "9", "-o", strShow}, vecFiles, 10));
    std::printf("cat of the inputs into one file     %7.3f s\n", fCat);
    std::printf("tramino-cli build                   %7.3f s   %.2fx cat (target <= 2.00)\n", fBuild,
                fBuild / fCat);
    std::printf("peak memory, %5d pictures         %7.1f MiB (target <= 32)\n", g_nPictures, MiB(nPeakKiB));
    std::printf("peak memory, %5d pictures         %7.1f MiB (target <= 32)\n", 10 * g_nPictures,
                MiB(tenfold.m_nMaxRssKiB));
    if (!bOk || !tenfold.m_bOk)
        std::printf("A RUN FAILED\n");
    return bOk ? fBuild : 0;
}

void RunPhotos(const std::string& strPhotos, const fs::path& dir)
{
    if (!fs::is_directory(strPhotos))
    {
        std::printf("\n%s is absent: photo benchmark skipped\n", strPhotos.c_str());
        return;
    }
    const std::vector<std::string> vecFiles = JpegFiles(strPhotos);
    std::printf("\n== Building a show of the %zu photos of %s, best of 3 ==\n", vecFiles.size(),
                strPhotos.c_str());
    const std::string strShow = (dir / "photos.qrv").string();
    const auto build = [&](const std::string& strJobs, int nRepeat)
    {
        return RunChild(Command({TRAMINO_CLI, "build", "--panel-code", "9", "-j", strJobs, "-o", strShow},
                                vecFiles, nRepeat));
    };
    bool bOk = true;
    double fDjpeg = 1e30, fBuild = 1e30;
    for (int i = 0; i < 3; ++i)
    {
        fDjpeg = std::min(
            fDjpeg,
            Seconds(
                [&]
                {
                    bool bAll = true;
                    for (const std::string& strFile : vecFiles)
                        bAll = RunChild({"djpeg", "-bmp", "-outfile", "/dev/null", strFile}).m_bOk && bAll;
                    return bAll;
                },
                bOk));
        fBuild = std::min(fBuild, Seconds([&] { return build("2", 1).m_bOk; }, bOk));
    }
    const CChildRun one = build("1", 1), two = build("2", 1), twice = build("2", 2);
    std::printf("djpeg -bmp, one after the other     %7.3f s\n", fDjpeg);
    std::printf("tramino-cli build -j 2              %7.3f s   %.2fx djpeg (target <= 0.50)\n", fBuild,
                fBuild / fDjpeg);
    std::printf("peak memory -j 1                    %7.1f MiB\n", MiB(one.m_nMaxRssKiB));
    std::printf("peak memory -j 2                    %7.1f MiB\n", MiB(two.m_nMaxRssKiB));
    std::printf("peak memory -j 2, each photo twice  %7.1f MiB (bounded by the jobs: about -j 2's)\n",
                MiB(twice.m_nMaxRssKiB));
    if (!bOk || !one.m_bOk || !two.m_bOk || !twice.m_bOk)
        std::printf("A RUN FAILED\n");
}

} // namespace

int main(int argc, char** argv)
{
    const char* szTmp = std::getenv("TMPDIR");
    const fs::path dir = fs::path(szTmp != nullptr && *szTmp != '\0' ? szTmp : "/tmp") /
                         ("tramino-bench-pipeline-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    RunAnimation(dir, RunPanelPictures(dir));
    RunSparseAnimation(dir);
    RunHostilePngs(dir);
    RunPhotos(argc > 1 ? argv[1] : std::string(TRAMINO_TESTDATA) + "/photos", dir);
    fs::remove_all(dir);
    return 0;
}
