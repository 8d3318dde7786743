#pragma once

#include "common/Status.h"

#include <atomic>
#include <chrono>
#include <string>

namespace tramino
{

// An advisory lock on a project file, held around reading and rewriting it, so that two programs
// changing one project take turns and neither loses the other's change. It locks the file
// itself (links followed) and nothing is left beside it; a holder that replaced the file hands
// the next one the new file.
class CProjectLock
{
public:
    // Waits while another program holds the lock: up to timeout, or until *pbStop is set (then
    // the message is "stopped"). A file that cannot be opened gives the reason, as reading it would.
    static CResult<CProjectLock> Acquire(const std::string& strPath, std::chrono::milliseconds timeout,
                                         const std::atomic<bool>* pbStop = nullptr);

    CProjectLock(CProjectLock&& other) noexcept;
    CProjectLock& operator=(CProjectLock&& other) noexcept;
    CProjectLock(const CProjectLock&) = delete;
    CProjectLock& operator=(const CProjectLock&) = delete;
    ~CProjectLock();

private:
    explicit CProjectLock(int hFile) : m_hFile(hFile) {}

    int m_hFile = -1;
};

} // namespace tramino
