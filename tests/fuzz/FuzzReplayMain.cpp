// Runs a fuzz target's entry over files without libFuzzer, so that any build (any compiler,
// with or without sanitizers) replays the kept crashing inputs and the seeds as a test.
// Arguments are files or folders (every regular file inside, in name order).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
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

} // namespace

int main(int nArgs, char** ppArgs)
{
    size_t nRun = 0;
    for (int i = 1; i < nArgs; ++i)
    {
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
        }
    }
    std::cout << nRun << " inputs replayed without a fault\n";
    return 0;
}
