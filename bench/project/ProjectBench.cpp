// Project files read by tramino-cli against their yardsticks, side by side in one run:
//   tramino_bench_project
// `project list` of projects of 100,000, 200,000 and 1,000,000 pictures against a plain parse of
// the same JSON and `jq length` (when jq is on the PATH); how soon SIGTERM ends the reading of
// the largest; and the peak memory of building a project at the largest panel it may give.
#include "BenchSupport.h"
#include "codec/BmpWriter.h"

#include <nlohmann/json.hpp>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

extern char** environ;

namespace
{

using namespace tramino;
using namespace tramino::bench;
namespace fs = std::filesystem;

void WriteProject(const fs::path& file, int nPictures, const std::string& strPanel)
{
    std::ofstream out(file, std::ios::binary);
    out << R"({"format": 1, "panel": )" << strPanel << R"(, "transition": "Normal", "output": "show.qrv", )"
        << R"("pictures": [)";
    for (int i = 0; i < nPictures; ++i)
        out << (i == 0 ? "" : ",") << "\n  {\"path\": \"a.bmp\"}";
    out << "]}\n";
}

double PlainParseSeconds(const fs::path& file)
{
    const auto start = std::chrono::steady_clock::now();
    std::ifstream in(file, std::ios::binary);
    const std::string strText{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const bool bOk = !nlohmann::json::parse(strText, nullptr, false).is_discarded();
    const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return bOk ? dSeconds : -1;
}

// Seconds from SIGTERM, sent once the reading is under way, to the end of the program.
double StopSeconds(const fs::path& file)
{
    std::string strCli = TRAMINO_CLI, strAction = "project", strList = "list", strFile = file.string();
    char* arrArgv[] = {strCli.data(), strAction.data(), strList.data(), strFile.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, arrArgv[0], nullptr, nullptr, arrArgv, environ) != 0)
        return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool ReadingBench(const fs::path& dir)
{
    std::printf("== Reading projects: project list against a plain parse and jq length ==\n");
    std::printf("before the linear reader: 100,000 pictures 6.03 s, 200,000 30.3 s, 1,000,000 over 200 s\n");
    bool bOk = true;
    const bool bJq = RunChild({"jq", "--version"}).m_bOk;
    for (const int nPictures : {100000, 200000, 1000000})
    {
        // Appended, not a literal put in front of a temporary, which GCC 12 at -O3 warns about falsely.
        const fs::path file = dir / std::string("p").append(std::to_string(nPictures)).append(".tramino");
        WriteProject(file, nPictures, R"({"code": 1})");
        const CChildRun list = RunChild({TRAMINO_CLI, "project", "list", file.string()});
        const double dParse = PlainParseSeconds(file);
        std::printf("%8d pictures: project list %7.3f s, %6.1f MiB; plain parse %6.3f s", nPictures,
                    list.m_dSeconds, MiB(list.m_nMaxRssKiB), dParse);
        if (bJq)
        {
            const CChildRun jq = RunChild({"jq", "length", file.string()});
            std::printf("; jq length %6.3f s (%.2fx, target <= 3.00)", jq.m_dSeconds,
                        list.m_dSeconds / jq.m_dSeconds);
            bOk = bOk && jq.m_bOk;
        }
        std::printf("\n");
        bOk = bOk && list.m_bOk && dParse >= 0;
    }
    const double dStop = StopSeconds(dir / "p1000000.tramino");
    std::printf("SIGTERM while reading 1,000,000 pictures ends it in %.3f s (before: 541 s; target <= 1)\n",
                dStop);
    return bOk && dStop >= 0;
}

bool PanelBench(const fs::path& dir)
{
    std::printf("\n== Building a project of one picture at the largest panel it may give ==\n");
    std::printf("before: a project's panel went to 65535 x 65535; 20000 x 20000 took 5.9 GB and aborted\n"
                "        under a 200 MB limit, leaving its temporary file\n");
    const fs::path file = dir / "large.tramino";
    WriteProject(file, 1, R"({"width": 4096, "height": 4096})");
    const CChildRun build = RunChild({TRAMINO_CLI, "build", file.string()});
    std::printf("4096 x 4096: %.3f s, peak memory %.1f MiB\n", build.m_dSeconds, MiB(build.m_nMaxRssKiB));
    WriteProject(file, 1, R"({"width": 20000, "height": 20000})");
    const CChildRun refused = RunChild({TRAMINO_CLI, "build", file.string()});
    std::printf("20000 x 20000: refused in %.3f s, peak memory %.1f MiB\n", refused.m_dSeconds,
                MiB(refused.m_nMaxRssKiB));
    return build.m_bOk && !refused.m_bOk;
}

} // namespace

int main()
{
    const fs::path dir =
        fs::temp_directory_path() / std::string("tramino-bench-project-").append(std::to_string(getpid()));
    fs::create_directories(dir);
    CPicture picture(32, 24, 24);
    bool bOk = WriteBmpFile(picture, (dir / "a.bmp").string()).IsOk();
    bOk = ReadingBench(dir) && bOk;
    bOk = PanelBench(dir) && bOk;
    fs::remove_all(dir);
    if (!bOk)
        std::printf("A RUN FAILED\n");
    return bOk ? 0 : 1;
}
