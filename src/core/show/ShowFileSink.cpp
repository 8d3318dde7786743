#include "show/ShowFileSink.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tramino
{

namespace
{

std::string UniqueSuffix()
{
    // Random enough that two programs writing beside each other do not collide; O_EXCL catches
    // the rest.
    static std::atomic<uint64_t> g_nCounter{std::random_device{}()};
    uint64_t nValue = g_nCounter.fetch_add(0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(::getpid());
    static constexpr char g_szDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string strSuffix;
    for (int i = 0; i < 8; ++i, nValue /= 36)
        strSuffix += g_szDigits[nValue % 36];
    return strSuffix;
}

class CReplacingFile final : public IShowFileSink
{
public:
    CReplacingFile(std::string strTarget, std::string strTemp, int hFile)
        : m_strTarget(std::move(strTarget)), m_strTemp(std::move(strTemp)), m_hFile(hFile)
    {
    }
    ~CReplacingFile() override { Discard(); }
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    CStatus Write(const uint8_t* pData, size_t nSize) override
    {
        while (nSize > 0)
        {
            const ssize_t nDone = ::write(m_hFile, pData, nSize);
            if (nDone < 0 && errno == EINTR)
                continue;
            if (nDone <= 0)
                return ErrnoStatus("write", m_strTarget, nDone < 0 ? errno : ENOSPC);
            pData += nDone;
            nSize -= static_cast<size_t>(nDone);
        }
        return {};
    }

    CStatus Commit() override
    {
        if (::fsync(m_hFile) != 0)
            return ErrnoStatus("write", m_strTarget, errno);
        const int hFile = m_hFile;
        m_hFile = -1;
        if (::close(hFile) != 0)
            return ErrnoStatus("close", m_strTarget, errno);
        if (std::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0)
            return ErrnoStatus("replace", m_strTarget, errno);
        m_strTemp.clear();
        SyncDirectory();
        return {};
    }

    void Discard() override
    {
        if (m_hFile >= 0)
            ::close(m_hFile);
        m_hFile = -1;
        if (!m_strTemp.empty())
            ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }

private:
    // Makes the rename itself durable. The file is already complete under its name by now, so a
    // failure here has nothing left to undo and is not worth failing the save for.
    void SyncDirectory() const
    {
        const std::string strDir = std::filesystem::path(m_strTarget).parent_path().string();
        const int hDir = ::open(strDir.empty() ? "." : strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (hDir >= 0)
        {
            ::fsync(hDir);
            ::close(hDir);
        }
    }

    std::string m_strTarget;
    std::string m_strTemp;
    int m_hFile = -1;
};

} // namespace

CResult<std::unique_ptr<IShowFileSink>> OpenReplacingFile(const std::string& strPath)
{
    const std::filesystem::path path(strPath);
    if (strPath.empty() || !path.has_filename())
        return ErrnoStatus("create", strPath, EISDIR);

    struct stat targetStat
    {
    };
    const bool bReplacing = ::stat(strPath.c_str(), &targetStat) == 0;
    if (bReplacing && S_ISDIR(targetStat.st_mode))
        return ErrnoStatus("create", strPath, EISDIR);

    const std::filesystem::path dir = path.parent_path();
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt)
    {
        const std::string strTemp =
            (dir / ("." + path.filename().native() + "." + UniqueSuffix() + ".tmp")).string();
        const int hFile = ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (hFile < 0 && errno == EEXIST)
            continue;
        if (hFile < 0)
            return ErrnoStatus("create", strPath, errno);
        auto pFile = std::make_unique<CReplacingFile>(strPath, strTemp, hFile);
        if (bReplacing && S_ISREG(targetStat.st_mode) && ::fchmod(hFile, targetStat.st_mode & 07777) != 0)
            return ErrnoStatus("set the permissions of", strPath, errno);
        return CResult<std::unique_ptr<IShowFileSink>>(std::move(pFile));
    }
    return ErrnoStatus("create", strPath, EEXIST);
}

} // namespace tramino
