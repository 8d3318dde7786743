#pragma once

#include <QApplication>

namespace tramino
{

// The application: runs the main dialog once, and the program ends when it closes.
class CMainApp : public QApplication
{
    Q_OBJECT

public:
    CMainApp(int& argc, char** argv);

    // Shows the main dialog modally; returns false when it has closed, as there is no
    // message loop to run afterwards.
    bool InitInstance();
    // 0, or 1 after a scripted Transform (TRAMINO_AUTORUN=transform-quit) that wrote no show.
    int ExitCode() const { return m_nExitCode; }

private:
    int m_nExitCode = 0;
};

} // namespace tramino
