#include "MainApp.h"
#include "common/MemoryPolicy.h"

int main(int argc, char** argv)
{
    tramino::KeepFreedPicturesForReuse();
    tramino::CMainApp app(argc, argv);
    app.InitInstance();
    return app.ExitCode();
}
