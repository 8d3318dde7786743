#pragma once

#include "ImportJob.h"
#include "ShowWindow.h"

#include <functional>

class QWidget;

namespace tramino
{

// Runs the window's conversions (IShowWindow::RunConversion) behind the progress of a long load
// and its Cancel, the document busy meanwhile; a close asked for during one waits for its end.
class CConversionRunner
{
public:
    struct CHooks
    {
        std::function<void(const QString& strText)> m_fnReport;
        std::function<void()> m_fnClose; // the close asked for meanwhile
    };
    CConversionRunner(QWidget& window, const CWindowTexts& texts, CShowDocument& document, CHooks hooks);

    bool Run(CConversionRun run, const IShowWindow::FnTakeConverted& fnTake);
    bool IsRunning() const { return m_pJob != nullptr; }
    // Every conversion passes its groups through this gate (CImportJob::SetGate).
    void SetGate(CImportJob::FnGate fnGate) { m_fnGate = std::move(fnGate); }
    // Ends the conversion with the group under way; the close follows then.
    void CloseWhenEnded();

private:
    QWidget& m_window;
    const CWindowTexts& m_texts;
    CShowDocument& m_document;
    CHooks m_hooks;
    CImportJob* m_pJob = nullptr; // while Run runs
    bool m_bCloseAfter = false;
    CImportJob::FnGate m_fnGate;
};

} // namespace tramino
