#include "project/ProjectSession.h"

#include "platform/Platform.h"
#include "project/ProjectLock.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace tramino
{

namespace
{

// Waited for at most: a `project add` of another program holds the lock for a moment.
constexpr std::chrono::seconds g_lockTimeout{5};

// FNV-1a of the file's bytes; empty when it cannot be read.
std::optional<uint64_t> FileDigest(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    if (!file)
        return std::nullopt;
    uint64_t nDigest = 0xcbf29ce484222325ULL;
    for (std::istreambuf_iterator<char> it(file), itEnd; it != itEnd; ++it)
        nDigest = (nDigest ^ static_cast<unsigned char>(*it)) * 0x100000001b3ULL;
    return file.bad() ? std::nullopt : std::optional<uint64_t>(nDigest);
}

} // namespace

CProjectSession::CProjectSession(CPanelSize panel, EEffect effect)
{
    m_project.m_panel = CProjectPanel::ForSize(panel);
    m_project.m_effect = effect;
    m_saved = m_project;
}

void CProjectSession::Append(CProjectPicture picture)
{
    m_project.m_vecPictures.push_back(std::move(picture));
}

namespace
{

// Kept relative to the project's folder when it is saved.
CProjectPath RelativePath(const std::string& strPath)
{
    std::error_code error;
    const std::filesystem::path given = platform::PathFromUtf8(strPath);
    const std::filesystem::path path = std::filesystem::absolute(given, error);
    return {(error ? given : path).lexically_normal(), false};
}

} // namespace

void CProjectSession::InsertPlain(size_t nRow, const std::string& strPath)
{
    std::vector<CProjectPicture>& vecPictures = m_project.m_vecPictures;
    vecPictures.insert(vecPictures.begin() + static_cast<ptrdiff_t>(std::min(nRow, vecPictures.size())),
                       {RelativePath(strPath), OverridesOf(m_project.m_defaults, DefaultPictureValues())});
}

void CProjectSession::SetOutput(const std::string& strShow)
{
    m_project.m_optOutput = RelativePath(strShow);
}

void CProjectSession::SetValues(size_t nRow, const CPictureValues& values)
{
    m_project.m_vecPictures[nRow].m_overrides = OverridesOf(m_project.m_defaults, values);
}

void CProjectSession::Remove(size_t nRow)
{
    m_project.m_vecPictures.erase(m_project.m_vecPictures.begin() + static_cast<ptrdiff_t>(nRow));
}

void CProjectSession::SwapWithNext(size_t nRow)
{
    std::swap(m_project.m_vecPictures[nRow], m_project.m_vecPictures[nRow + 1]);
}

void CProjectSession::SetPanel(CPanelSize panel)
{
    // A size the file gave as width and height stays written so while it holds.
    if (m_project.m_panel.m_size != panel)
        m_project.m_panel = CProjectPanel::ForSize(panel);
}

void CProjectSession::Begin(const CProject& file, std::string strPath, CPanelSize panel)
{
    m_saved = file;
    m_project = file;
    m_project.m_vecPictures.clear();
    SetPanel(panel);
    m_strPath = std::move(strPath);
    m_optFileDigest = FileDigest(m_strPath);
}

bool CProjectSession::ChangedOnDisk(const std::string& strPath) const
{
    // A file gone has nothing a save would lose.
    std::error_code error;
    return !m_strPath.empty() && strPath == m_strPath && std::filesystem::exists(strPath, error) &&
           FileDigest(strPath) != m_optFileDigest;
}

CStatus CProjectSession::Save(const std::string& strPath)
{
    std::optional<CProjectLock> optLock;
    std::error_code error;
    if (std::filesystem::is_regular_file(strPath, error))
    {
        CResult<CProjectLock> lock = CProjectLock::Acquire(strPath, g_lockTimeout);
        if (!lock)
            return lock.Status();
        optLock.emplace(std::move(lock).Value());
    }
    if (CStatus status = SaveProject(m_project, strPath); !status)
        return status;
    m_saved = m_project;
    m_strPath = strPath;
    m_optFileDigest = FileDigest(strPath);
    return {};
}

} // namespace tramino
