#include "BenchSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

extern char** environ;

namespace tramino::bench
{

namespace
{

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

double CpuSeconds(const rusage& usage)
{
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

} // namespace

CChildRun RunChild(std::vector<std::string> vecArgs, const std::string& strOutput)
{
    std::vector<char*> vecArgv;
    vecArgv.reserve(vecArgs.size() + 1);
    for (std::string& str : vecArgs)
        vecArgv.push_back(str.data());
    vecArgv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, strOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int nError = posix_spawnp(&pid, vecArgv[0], &actions, nullptr, vecArgv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0)
        return {};
    int nStatus = 0;
    rusage usage{};
    if (wait4(pid, &nStatus, 0, &usage) != pid)
        return {};
    return {WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0, usage.ru_maxrss,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            CpuSeconds(usage)};
}

double Seconds(const std::function<bool()>& fn, bool& bOk)
{
    const auto start = std::chrono::steady_clock::now();
    bOk = fn() && bOk;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double OwnCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

std::vector<std::string> JpegFiles(const std::string& strDir)
{
    std::vector<std::string> vecFiles;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(strDir))
        if (entry.is_regular_file() && entry.path().extension() == ".jpg")
            vecFiles.push_back(entry.path().string());
    std::sort(vecFiles.begin(), vecFiles.end());
    return vecFiles;
}

} // namespace tramino::bench
