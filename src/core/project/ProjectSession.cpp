#include "project/ProjectSession.h"
#include "platform/Platform.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace tramino
{

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

void CProjectSession::InsertPlain(size_t nRow, const std::string& strPath)
{
    std::error_code error;
    const std::filesystem::path given = platform::PathFromUtf8(strPath);
    const std::filesystem::path path = std::filesystem::absolute(given, error);
    std::vector<CProjectPicture>& vecPictures = m_project.m_vecPictures;
    vecPictures.insert(vecPictures.begin() + static_cast<ptrdiff_t>(std::min(nRow, vecPictures.size())),
                       {{(error ? given : path).lexically_normal(), false},
                        OverridesOf(m_project.m_defaults, DefaultPictureValues())});
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
}

CStatus CProjectSession::Save(const std::string& strPath)
{
    if (CStatus status = SaveProject(m_project, strPath); !status)
        return status;
    m_saved = m_project;
    m_strPath = strPath;
    return {};
}

} // namespace tramino
