#include <QApplication>

#include <gtest/gtest.h>

namespace
{

// The offscreen platform cannot shape or raise windows and says so for every window; those
// notes are expected here and would bury real warnings.
void FilterPlatformNotes(QtMsgType eType, const QMessageLogContext& context, const QString& strMessage)
{
    if (!strMessage.startsWith(QLatin1String("This plugin does not support")))
    {
        qt_message_output(eType, context, strMessage);
    }
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(FilterPlatformNotes);
    // CTest sets the platform; a run by hand gets the same one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
