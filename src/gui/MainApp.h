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
};

} // namespace tramino
