#include "cli/CommandLine.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> vecArgs(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int nStatus = tramino::cli::RunCommandLine(vecArgs, std::cout, std::cerr);
    // Output that never arrived (a full disk, a closed pipe) is a failure, whatever the command said.
    if (!std::cout.flush())
    {
        std::cerr << "tramino-cli: cannot write the output\n";
        return nStatus == 0 ? 1 : nStatus;
    }
    return nStatus;
}
