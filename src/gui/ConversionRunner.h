#pragma once

#include "ShowWindow.h"

#include <functional>

class QWidget;

namespace tramino
{

class CImportJob;

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
    // Ends the conversion with the group under way; the close follows then.
    void CloseWhenEnded();

private:
    QWidget& m_window;
    const CWindowTexts& m_texts;
    CShowDocument& m_document;
    CHooks m_hooks;
    CImportJob* m_pJob = nullptr; // while Run runs
    bool m_bCloseAfter = false;
};

} // namespace tramino
