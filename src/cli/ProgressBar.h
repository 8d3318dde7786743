#pragma once

#include <iostream>
#include <string>
#include <unistd.h>

namespace tramino::cli
{

// A one-line bar on standard error, drawn only when that is a terminal, so that logs and
// pipes get no carriage-return clutter. Finish (or the destructor) clears the line.
class CProgressBar
{
public:
    CProgressBar(std::ostream& err, std::string strLabel)
        : m_err(err), m_strLabel(std::move(strLabel)),
          m_bEnabled(&err == &std::cerr && ::isatty(STDERR_FILENO))
    {
    }
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;
    ~CProgressBar() { Finish(); }

    void Update(size_t nDone, size_t nTotal)
    {
        if (!m_bEnabled || nTotal == 0)
            return;
        constexpr size_t nWidth = 30;
        const size_t nFilled = nDone * nWidth / nTotal;
        std::string strLine = m_strLabel + " [" + std::string(nFilled, '#') +
                              std::string(nWidth - nFilled, ' ') + "] " + std::to_string(nDone) + "/" +
                              std::to_string(nTotal);
        m_nDrawn = strLine.size();
        m_err << '\r' << strLine << std::flush;
    }

    void Finish()
    {
        if (m_nDrawn == 0)
            return;
        m_err << '\r' << std::string(m_nDrawn, ' ') << '\r' << std::flush;
        m_nDrawn = 0;
    }

private:
    std::ostream& m_err;
    std::string m_strLabel;
    bool m_bEnabled;
    size_t m_nDrawn = 0;
};

} // namespace tramino::cli
