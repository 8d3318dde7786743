#include "pipeline/ShowBuilder.h"

#include "pipeline/ConversionPool.h"
#include "show/ShowFileWriter.h"

#include <utility>

namespace tramino
{

struct CShowBuilder::CRun
{
    explicit CRun(const ShowFileSinkOpener& fnOpenSink)
        : m_writer(fnOpenSink ? fnOpenSink : ShowFileSinkOpener(OpenReplacingFile))
    {
    }

    CShowFileWriter m_writer;
    CShowBuildResult m_result;
    size_t m_nEntries = 0;
    // An entry failed and the show is not written; the others are still read.
    bool m_bAbandoned = false;
};

CShowBuilder::CShowBuilder(CShowBuildOptions options, CShowBuildEvents events)
    : m_options(std::move(options)), m_events(std::move(events))
{
}

CShowBuildResult CShowBuilder::Build(const PictureSources& vecSources, const std::string& strPath)
{
    CRun run(m_options.m_fnOpenSink);
    run.m_nEntries = vecSources.size();
    if (CStatus status = run.m_writer.Create(strPath); !status)
    {
        run.m_result.m_status = std::move(status);
        return run.m_result;
    }
    const int nWidth = m_options.m_nPanelWidth;
    const int nHeight = m_options.m_nPanelHeight;
    if (m_options.m_nJobs <= 0)
    {
        for (size_t i = 0; i < vecSources.size(); ++i)
        {
            if (m_events.m_fnEntryStart)
                m_events.m_fnEntryStart(i);
            bool bGoOn = true;
            bool bGaveAny = false;
            const CStatus status = vecSources[i]->Produce({nWidth, nHeight},
                                                          [&](const CPicture& picture)
                                                          {
                                                              bGaveAny = true;
                                                              bGoOn = WritePicture(run, i, &picture);
                                                              return bGoOn;
                                                          });
            if (!bGoOn || !EndEntry(run, i, status, bGaveAny))
                break;
        }
    }
    else
    {
        CConversionPool pool(vecSources, {nWidth, nHeight}, m_options.m_nJobs, m_options.m_nMemoryBudget);
        run.m_result.m_status = pool.Started();
        for (size_t i = 0; run.m_result.m_status && i < vecSources.size(); ++i)
        {
            if (m_events.m_fnEntryStart)
                m_events.m_fnEntryStart(i);
            bool bGoOn = true;
            bool bGaveAny = false;
            CPicture picture;
            CStatus status;
            while (bGoOn && pool.Next(i, picture, status))
            {
                bGaveAny = true;
                bGoOn = WritePicture(run, i, &picture);
                picture = CPicture();
            }
            if (!bGoOn || !EndEntry(run, i, status, bGaveAny))
                break;
        }
    }

    CShowBuildResult& result = run.m_result;
    if (!result.m_status)
        return result;
    if (run.m_bAbandoned || result.m_nPictures == 0)
    {
        run.m_writer.Abandon();
        return result;
    }
    result.m_status = run.m_writer.Finish();
    result.m_bWritten = result.m_status.IsOk();
    return result;
}

bool CShowBuilder::Cancelled(CRun& run) const
{
    if (m_options.m_pbCancel == nullptr || !m_options.m_pbCancel->load())
        return false;
    if (run.m_result.m_status)
        run.m_result.m_status = CStatus::Error("stopped");
    return true;
}

bool CShowBuilder::WritePicture(CRun& run, size_t nEntry, const CPicture* pPicture)
{
    if (Cancelled(run))
        return false;
    if (run.m_bAbandoned)
        return true;
    const int nWidth = m_options.m_nPanelWidth;
    const int nHeight = m_options.m_nPanelHeight;
    const EEffect effect = m_options.m_effect;
    CStatus status =
        pPicture ? WritePictureRecords(run.m_writer, effect, nWidth, nHeight, *pPicture, m_events.m_fnPixel)
                 : WriteUnreadablePicture(run.m_writer, effect, nWidth, nHeight, m_events.m_fnPixel);
    if (!status)
    {
        run.m_result.m_status = std::move(status);
        return false;
    }
    ++run.m_result.m_nPictures;
    if (m_events.m_fnPictureWritten && !m_events.m_fnPictureWritten(nEntry))
    {
        run.m_result.m_bStopped = true;
        return false;
    }
    return true;
}

bool CShowBuilder::EndEntry(CRun& run, size_t nEntry, const CStatus& status, bool bGaveAny)
{
    if (Cancelled(run))
        return false;
    if (!status)
    {
        ++run.m_result.m_nUnreadable;
        if (m_events.m_fnEntryFailed)
            m_events.m_fnEntryFailed(nEntry, status);
        if (m_options.m_eUnreadable == EUnreadable::Abandon && !run.m_bAbandoned)
        {
            run.m_bAbandoned = true;
            run.m_writer.Abandon();
        }
        if (m_options.m_eUnreadable == EUnreadable::WriteWhite && !bGaveAny &&
            !WritePicture(run, nEntry, nullptr))
            return false;
    }
    if (m_events.m_fnProgress)
        m_events.m_fnProgress(nEntry + 1, run.m_nEntries);
    return true;
}

} // namespace tramino
