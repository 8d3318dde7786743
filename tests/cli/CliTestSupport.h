#pragma once

#include "cli/CommandLine.h"

#include <sstream>
#include <string>
#include <vector>

namespace tramino::test
{

struct CRun
{
    int m_nStatus = 0;
    std::string m_strOut;
    std::string m_strErr;
};

// `tramino-cli ARGS...` run in this process.
inline CRun RunCli(const std::vector<std::string>& vecArgs)
{
    std::ostringstream out, err;
    const int nStatus = cli::RunCommandLine(vecArgs, out, err);
    return {nStatus, out.str(), err.str()};
}

} // namespace tramino::test
