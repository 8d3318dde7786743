#include "MainApp.h"

int main(int argc, char** argv)
{
    tramino::CMainApp app(argc, argv);
    app.InitInstance();
    return 0;
}
