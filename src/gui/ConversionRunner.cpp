#include "ConversionRunner.h"

#include "ImportJob.h"
#include "ReasonText.h"

#include "document/ShowDocument.h"

#include <QEventLoop>
#include <QProgressDialog>

#include <utility>

namespace tramino
{

CConversionRunner::CConversionRunner(QWidget& window, const CWindowTexts& texts, CShowDocument& document,
                                     CHooks hooks)
    : m_window(window), m_texts(texts), m_document(document), m_hooks(std::move(hooks))
{
}

void CConversionRunner::CloseWhenEnded()
{
    m_bCloseAfter = true;
    m_pJob->Cancel();
}

bool CConversionRunner::Run(CConversionRun run, const IShowWindow::FnTakeConverted& fnTake)
{
    const int nEntries = static_cast<int>(run.m_vecSources.size());
    CImportJob job(std::move(run.m_vecSources), run.m_panel);
    job.SetGate(m_fnGate);
    QProgressDialog progress(run.m_strProgress, m_texts.LangOr(19, "Cancel"), 0, nEntries, &m_window);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);
    progress.setAutoClose(false);

    QStringList vecFailures;
    bool bStopped = false;
    const auto takeResults = [&](int nFirst, std::vector<CResult<CPicture>>& vecResults)
    {
        for (size_t i = 0; i < vecResults.size() && !bStopped; ++i)
        {
            if (const CStatus status = fnTake(nFirst + static_cast<int>(i), vecResults[i]); !status)
            {
                vecFailures += ReasonText(status, m_texts);
                bStopped = run.m_bStopAtFailure;
            }
        }
        if (bStopped)
        {
            job.Cancel();
        }
    };
    m_pJob = &job;
    m_document.SetBusy(true);
    QObject::connect(&progress, &QProgressDialog::canceled, &job, &CImportJob::Cancel);
    QEventLoop loop;
    QObject::connect(&job, &CImportJob::Finished, &loop, &QEventLoop::quit);
    job.Start(takeResults, [&progress](int nDone) { progress.setValue(nDone); });
    loop.exec();
    // Before the dialog closes, which counts as a cancel.
    const bool bCancelled = progress.wasCanceled();
    progress.close();
    m_pJob = nullptr;
    m_document.SetBusy(false);
    const bool bAll = !bCancelled && !bStopped && !m_bCloseAfter;

    if (!vecFailures.isEmpty())
    {
        m_hooks.m_fnReport(run.m_bStopAtFailure
                               ? vecFailures.constFirst() + QStringLiteral("\n\n") + run.m_strFailed
                               : run.m_strFailed + QStringLiteral("\n\n") +
                                     vecFailures.join(QLatin1Char('\n')));
    }
    if (std::exchange(m_bCloseAfter, false))
    {
        m_hooks.m_fnClose();
    }
    return bAll;
}

} // namespace tramino
