#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

// The offscreen platform cannot shape or raise windows and says so for every window, and a run
// outside a login session (CI, a chroot) has no XDG_RUNTIME_DIR, for which Qt picks a folder of
// its own and says so; those notes are expected here and would bury real warnings.
void FilterPlatformNotes(QtMsgType eType, const QMessageLogContext& context, const QString& strMessage)
{
    if (!strMessage.startsWith(QLatin1String("This plugin does not support")) &&
        !strMessage.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
    {
        qt_message_output(eType, context, strMessage);
    }
}

} // namespace

#if defined(__SANITIZE_THREAD__)
#define TRAMINO_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TRAMINO_TSAN 1
#endif
#endif

#ifdef TRAMINO_TSAN
// Qt is not built for ThreadSanitizer: what happens inside it (its thread pool's image
// conversions, its event queue) is left out of the reports. Every access of our own code is
// still checked, and our hand-overs between threads go through locks it sees. TSAN_OPTIONS
// adds to this.
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}
#endif

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
    // Qt's offscreen platform on Windows has no fonts of the system's: every glyph is a box and no
    // text measures as on a desktop. The fonts of TRAMINO_TEST_FONTS (a folder) stand in.
    if (const QString strFonts = qEnvironmentVariable("TRAMINO_TEST_FONTS"); !strFonts.isEmpty())
    {
        for (const QFileInfo& font : QDir(strFonts).entryInfoList(QDir::Files))
        {
            QFontDatabase::addApplicationFont(font.absoluteFilePath());
        }
    }
    // No test reaches the user's own settings; a window test gives each window a file of its own.
    const QTemporaryDir settingsDir;
    qputenv("TRAMINO_SETTINGS", QDir(settingsDir.path()).filePath(QStringLiteral("settings.ini")).toUtf8());
    return RUN_ALL_TESTS();
}
