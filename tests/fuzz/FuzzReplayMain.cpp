// Runs a fuzz target's entry over files without libFuzzer, so that any build (any compiler,
// with or without sanitizers) replays the kept crashing inputs and the seeds as a test.
// Arguments are files or folders (every regular file inside, in name order). With
// --max-rss-mb=N an input after which the process has ever held more than N MiB fails the run:
// a decoder that allocates for what a small file merely claims shows up here, not only under
// libFuzzer's allocation limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize);

namespace
{

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& path)
{
    std::vector<std::filesystem::path> vecInputs;
    std::error_code error;
    if (!std::filesystem::is_directory(path, error))
        return {path};
    for (const auto& entry : std::filesystem::directory_iterator(path, error))
        if (entry.is_regular_file() && entry.path().filename() != "README.md")
            vecInputs.push_back(entry.path());
    std::sort(vecInputs.begin(), vecInputs.end());
    return vecInputs;
}

long PeakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int nArgs, char** ppArgs)
{
    const std::string strRssOption = "--max-rss-mb=";
    long nMaxRssMiB = 0;
    size_t nRun = 0;
    for (int i = 1; i < nArgs; ++i)
    {
        if (std::string(ppArgs[i]).starts_with(strRssOption))
        {
            nMaxRssMiB = std::stol(ppArgs[i] + strRssOption.size());
            continue;
        }
        // A folder that does not exist yet holds no inputs; a named file must exist.
        std::error_code error;
        if (!std::filesystem::exists(ppArgs[i], error))
        {
            if (std::filesystem::path(ppArgs[i]).has_extension())
            {
                std::cerr << "missing input " << ppArgs[i] << "\n";
                return 1;
            }
            continue;
        }
        for (const std::filesystem::path& input : InputsOf(ppArgs[i]))
        {
            std::ifstream file(input, std::ios::binary);
            std::vector<uint8_t> vecData(std::filesystem::file_size(input, error));
            if (error || !file.read(reinterpret_cast<char*>(vecData.data()),
                                    static_cast<std::streamsize>(vecData.size())))
            {
                std::cerr << "cannot read " << input << "\n";
                return 1;
            }
            std::cout << "replaying " << input.string() << " (" << vecData.size() << " bytes)" << std::endl;
            LLVMFuzzerTestOneInput(vecData.data(), vecData.size());
            ++nRun;
            if (nMaxRssMiB > 0 && PeakRssMiB() > nMaxRssMiB)
            {
                std::cerr << "the process has held " << PeakRssMiB() << " MiB, more than " << nMaxRssMiB
                          << " MiB, by the end of " << input << "\n";
                return 1;
            }
        }
    }
    std::cout << nRun << " inputs replayed without a fault\n";
    return 0;
}
