#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tramino::bench
{

struct CChildRun
{
    bool m_bOk = false;
    long m_nMaxRssKiB = 0;
    double m_dSeconds = 0;    // wall clock
    double m_dCpuSeconds = 0; // user and system: what a busy machine does not inflate
};

// Runs a program to its end, its standard output into strOutput (thrown away by default);
// reports whether it succeeded, its peak resident memory and its times.
CChildRun RunChild(std::vector<std::string> vecArgs, const std::string& strOutput = "/dev/null");

// Wall-clock seconds of fn; bOk becomes false when fn does.
double Seconds(const std::function<bool()>& fn, bool& bOk);

// User and system seconds of this process so far.
double OwnCpuSeconds();

// The JPEG files directly in strDir, sorted by name.
std::vector<std::string> JpegFiles(const std::string& strDir);

// A size in KiB (as getrusage gives it) in MiB.
inline double MiB(long nKiB)
{
    return static_cast<double>(nKiB) / 1024;
}

} // namespace tramino::bench
