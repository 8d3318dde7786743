#include "project/Project.h"

#include "codec/PictureDecoder.h"
#include "platform/Platform.h"
#include "show/ShowFileSize.h"

namespace tramino
{

CProjectPanel CProjectPanel::ForSize(CPanelSize size)
{
    for (size_t i = 0; i < g_arrPanelSizes.size(); ++i)
        if (g_arrPanelSizes[i] == size)
            return {static_cast<int>(i) + 1, size};
    return {0, size};
}

bool TakesAllFrames(const CProjectPicture& picture, const CPictureValues& values)
{
    return picture.m_nShowPicture == 0 && picture.m_nFrame == 0 &&
           values[static_cast<size_t>(EPictureOption::Frames)] == "all";
}

CShowPlan PlanShow(const CProject& project)
{
    CShowPlan plan{project.m_panel.m_size, project.m_effect, {}, {}};
    for (size_t i = 0; i < project.m_vecPictures.size(); ++i)
    {
        const CProjectPicture& picture = project.m_vecPictures[i];
        const CPictureValues values = project.EffectiveValues(i);
        CConvertOptions options = ConvertOptionsFor(values);
        options.m_bFast = project.m_bFastImport;
        plan.m_vecPictures.push_back({platform::Utf8FromPath(picture.m_path.m_path), options,
                                      TakesAllFrames(picture, values), picture.m_nShowPicture,
                                      picture.m_nFrame});
    }
    if (project.m_optOutput)
        plan.m_strOutput = platform::Utf8FromPath(project.m_optOutput->m_path);
    return plan;
}

CResult<uint64_t> ShowFileSize(const CShowPlan& plan)
{
    uint64_t nPictures = 0;
    for (const CShowPlanPicture& picture : plan.m_vecPictures)
    {
        CResult<int> nFrames = picture.m_bAllFrames ? CountPictureFrames(picture.m_strPath) : CResult<int>(1);
        if (!nFrames)
            return nFrames.Status();
        nPictures += static_cast<uint64_t>(nFrames.Value());
    }
    return ShowFileBytes(plan.m_effect, plan.m_panel.m_nWidth, plan.m_panel.m_nHeight, nPictures);
}

} // namespace tramino
