#include "DocumentUndo.h"
#include "PanelCanvas.h"
#include "PanelSwitch.h"
#include "PictureOptionsCommand.h"
#include "ProjectActions.h"
#include "ShowStatusLine.h"
#include "WindowTestSupport.h"
#include "cli/CliTestSupport.h"

#include "resample/ConvertPicture.h"
#include "store/PictureStore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tramino
{
namespace
{

const QString g_strSamples = QStringLiteral(TRAMINO_SOURCE_DIR "/res/samples/");

// Edit > Undo and Redo over the window's commands.
class UndoTest : public CWindowTest
{
protected:
    void Start(int nLanguage = 1)
    {
        m_pDlg.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("Lang.txt")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TRAMINO_SOURCE_DIR "/res/Lang.txt"),
                                m_dir.filePath(QStringLiteral("Lang.txt"))));
        QFile ini(m_dir.filePath(QStringLiteral("Vendale.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("LanguageSelection = %1\nPanelSize = 1\n").arg(nLanguage).toUtf8());
        ini.close();
        Create();
        m_pDlg->show();
    }

    CDocumentUndo& History() const { return m_pDlg->Undo(); }
    QString UndoText() const { return History().UndoAction().text(); }

    // The rows are these samples, each stored as converted for the panel with its options.
    void Expect(const std::vector<std::pair<QString, CConvertOptions>>& vecRows, const char* szWhen) const
    {
        SCOPED_TRACE(szWhen);
        QStringList vecTexts;
        for (const auto& [strName, options] : vecRows)
        {
            vecTexts += g_strSamples + strName;
        }
        ASSERT_EQ(ListTexts(), vecTexts);
        ASSERT_EQ(m_pDlg->Store()->Count(), static_cast<int>(vecRows.size()));
        for (size_t k = 0; k < vecRows.size(); ++k)
        {
            const CPanelSize panel = m_pDlg->Document().Panel();
            EXPECT_EQ(
                m_pDlg->Store()->Read(static_cast<int>(k)).Value(),
                ConvertPictureToPanel(vecTexts[static_cast<int>(k)].toStdString(), panel, vecRows[k].second)
                    .Value())
                << k;
        }
    }

    static CPictureValues Contain()
    {
        CPictureValues values;
        values[static_cast<size_t>(EPictureOption::Fit)] = "contain";
        return values;
    }

    static CPictureValues AllFrames()
    {
        CPictureValues values;
        values[static_cast<size_t>(EPictureOption::Frames)] = "all";
        return values;
    }

    static QByteArray Bytes(const QString& strPath)
    {
        QFile file(strPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString InDir(const char* szName) const { return m_dir.filePath(QString::fromLatin1(szName)); }

    // tramino-cli build of the project, into strShow unless it is empty; in this process, as the
    // sanitizers want it (no fork of a program with threads).
    static void Build(const QString& strProject, const QString& strShow)
    {
        std::vector<std::string> vecArguments{"build"};
        if (!strShow.isEmpty())
        {
            vecArguments.insert(vecArguments.end(), {"-o", strShow.toStdString()});
        }
        vecArguments.push_back(strProject.toStdString());
        const test::CRun run = test::RunCli(vecArguments);
        ASSERT_EQ(run.m_nStatus, 0) << run.m_strErr;
    }

    // Saves the list as show.tramino, transforms it into window.qrv at full speed and builds the
    // saved project into cli.qrv: both the same show.
    void ExpectTransformIsTheBuild()
    {
        m_pDialogs->m_strSaveAnswer = InDir("show.tramino");
        ASSERT_TRUE(m_pDlg->ProjectActions().OnSaveProjectAs());
        m_pDialogs->m_strSaveAnswer = InDir("window.qrv");
        m_pDlg->FullSpeedCheck()->setChecked(true);
        m_pDlg->TransformButton()->click();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->IsWorkerRunning(); }, 30000));
        Build(InDir("show.tramino"), InDir("cli.qrv"));
        const QByteArray window = Bytes(InDir("window.qrv"));
        EXPECT_FALSE(window.isEmpty());
        EXPECT_EQ(window, Bytes(InDir("cli.qrv")));
    }
};

TEST_F(UndoTest, EachCommandIsUndoneAndRedoneWithItsListAndStore)
{
    Start();
    const QString strLake = QStringLiteral("lake-8bit.bmp");
    const QString strRings = QStringLiteral("rings-4bit.bmp");
    const QString strHills = QStringLiteral("hills-baseline.jpg");
    const CConvertOptions contain{.m_eFit = EFit::Contain};
    EXPECT_EQ(UndoText(), QStringLiteral("&Undo"));
    Load({g_strSamples + strLake, g_strSamples + strRings, g_strSamples + strHills});
    EXPECT_EQ(UndoText(), QStringLiteral("&Undo load 3 pictures"));
    Select({0});
    m_pDlg->DownButton()->click();
    Select({2});
    m_pDlg->DeleteButton()->click();
    EXPECT_EQ(UndoText(), QStringLiteral("&Undo delete 1 picture"));
    CPictureOptionsCommand(*m_pDlg).Apply({0}, Contain());
    EXPECT_EQ(UndoText(), QStringLiteral("&Undo change the options of 1 picture"));
    auto* pMode = m_pDlg->findChild<QComboBox*>(QStringLiteral("1013"));
    pMode->setCurrentIndex((pMode->currentIndex() + 1) % pMode->count());
    const EEffect changed = m_pDlg->Document().Effect();
    EXPECT_EQ(UndoText(), QStringLiteral("&Undo change the transition"));
    ASSERT_TRUE(m_pDlg->windowTitle().contains(QLatin1Char('*')));

    const std::vector<std::vector<std::pair<QString, CConvertOptions>>> vecStates = {
        {},
        {{strLake, {}}, {strRings, {}}, {strHills, {}}},
        {{strRings, {}}, {strLake, {}}, {strHills, {}}},
        {{strRings, {}}, {strLake, {}}},
        {{strRings, contain}, {strLake, {}}},
    };
    for (size_t i = vecStates.size(); i-- > 0;)
    {
        History().Undo();
        Expect(vecStates[i], "undone");
    }
    EXPECT_FALSE(m_pDlg->windowTitle().contains(QLatin1Char('*')));
    EXPECT_EQ(History().RedoAction().text(), QStringLiteral("&Redo load 3 pictures"));
    for (size_t i = 1; i < vecStates.size(); ++i)
    {
        History().Redo();
        Expect(vecStates[i], "redone");
    }
    History().Redo();
    EXPECT_EQ(m_pDlg->Document().Effect(), changed);
    EXPECT_EQ(m_pDlg->CurrentEffect(), changed) << "the mode box follows";

    // The history's texts speak the window's language.
    Start(2);
    Load({g_strSamples + strLake});
    EXPECT_EQ(UndoText(), QStringLiteral("復原載入 1 張圖片(&U)"));
}

// Whatever was done and undone, Transform writes what the command line builds of the saved project.
TEST_F(UndoTest, TransformAfterCommandsAndUndosWritesWhatTheBuildOfTheSavedProjectWrites)
{
    Start();
    m_pDlg->SetWorkerTiming({0, 1, 1});
    Load({g_strSamples + QStringLiteral("lake-8bit.bmp"), g_strSamples + QStringLiteral("rings-4bit.bmp")});
    Load({g_strSamples + QStringLiteral("hills-baseline.jpg")});
    Select({2});
    m_pDlg->UpButton()->click();
    CPictureOptionsCommand(*m_pDlg).Apply({0, 1}, Contain());
    Select({0});
    m_pDlg->DeleteButton()->click();
    History().Undo(); // the delete
    m_pDialogs->m_queAskAnswers = {QMessageBox::Yes};
    ASSERT_TRUE(m_pDlg->PanelSwitch().Choose({128, 128}));
    History().Undo(); // the panel
    History().Undo(); // the options
    History().Redo();
    Select({2});
    m_pDlg->DeleteButton()->click();
    ExpectTransformIsTheBuild();
}

// A GIF row of every frame, with fast import: the window writes what the build of its project
// does, the project remembers the show and its fast import, and opens as it was saved.
TEST_F(UndoTest, EveryFrameOfAGifAndFastImportGoIntoTheShowAsTheBuildWritesThem)
{
    Start();
    m_pDlg->SetWorkerTiming({0, 1, 1});
    m_pDlg->Document().SetFastImport(true); // as the context menu's check does
    EXPECT_TRUE(m_pDlg->windowTitle().contains(QLatin1Char('*')));
    const QString strGif = g_strSamples + QStringLiteral("rings-animated.gif");
    Load({strGif, g_strSamples + QStringLiteral("hills-baseline.jpg")});
    CPictureOptionsCommand(*m_pDlg).Apply({0}, AllFrames());
    EXPECT_EQ(ListTexts().constFirst(), strGif + QStringLiteral(" (6 frames)"));
    EXPECT_TRUE(m_pDlg->StatusLine()->FullText().contains(QStringLiteral("7 pictures")))
        << m_pDlg->StatusLine()->FullText().toStdString();
    ExpectTransformIsTheBuild();

    EXPECT_EQ(UndoText(), QStringLiteral("&Undo remember the show file"));
    EXPECT_TRUE(m_pDlg->windowTitle().contains(QLatin1Char('*')));
    History().Undo();
    EXPECT_FALSE(m_pDlg->Document().Project().m_optOutput);
    History().Redo();
    ASSERT_TRUE(m_pDlg->ProjectActions().OnSaveProject());
    const QByteArray project = Bytes(InDir("show.tramino"));
    EXPECT_TRUE(project.contains("\"output\": \"window.qrv\"")) << project.toStdString();
    const QByteArray window = Bytes(InDir("window.qrv"));
    ASSERT_TRUE(QFile::remove(InDir("window.qrv")));
    Build(InDir("show.tramino"), {});
    EXPECT_EQ(Bytes(InDir("window.qrv")), window) << "built where the project says, without -o";

    Create();
    m_pDlg->show();
    m_pDlg->ProjectActions().OpenProject(InDir("show.tramino"));
    EXPECT_EQ(ListTexts().constFirst(), strGif + QStringLiteral(" (6 frames)"));
    EXPECT_TRUE(m_pDlg->IsFastImport());
    EXPECT_FALSE(m_pDlg->windowTitle().contains(QLatin1Char('*')));
    ASSERT_TRUE(m_pDlg->ProjectActions().OnSaveProject());
    EXPECT_EQ(Bytes(InDir("show.tramino")), project);

    // Shown, the row plays its frames: the preview goes from the last row to frame 1, then on.
    Select({0});
    QList<QImage> vecSeen;
    EXPECT_TRUE(QTest::qWaitFor(
        [&]
        {
            const QImage shot = m_pDlg->PreviewWindow()->Snapshot();
            if (!vecSeen.contains(shot))
            {
                vecSeen += shot;
            }
            return vecSeen.size() >= 3;
        },
        10000));
}

TEST_F(UndoTest, SplitIntoFramesIsOneStepAndBuildsAsTheWindowWrites)
{
    Start();
    m_pDlg->SetWorkerTiming({0, 1, 1});
    const QString strGif = g_strSamples + QStringLiteral("rings-animated.gif");
    Load({g_strSamples + QStringLiteral("lake-8bit.bmp"), strGif});
    CPictureOptionsCommand(*m_pDlg).Apply({1}, AllFrames());
    const QStringList vecBefore = ListTexts();
    Select({1});
    m_pDlg->OnSplitFrames();
    EXPECT_EQ(UndoText(), QStringLiteral("&Undo split a GIF into frames"));
    QStringList vecSplit{vecBefore.constFirst()};
    for (int nFrame = 1; nFrame <= 6; ++nFrame)
    {
        vecSplit += strGif + QStringLiteral(" (frame %1)").arg(nFrame);
        EXPECT_EQ(m_pDlg->Store()->Read(nFrame).Value(),
                  ConvertFrameToPanel(strGif.toStdString(), nFrame, m_pDlg->Document().Panel()).Value());
    }
    EXPECT_EQ(ListTexts(), vecSplit);
    History().Undo();
    EXPECT_EQ(ListTexts(), vecBefore);
    EXPECT_EQ(m_pDlg->Store()->Count(), 2);
    History().Redo();
    EXPECT_EQ(ListTexts(), vecSplit);
    ExpectTransformIsTheBuild();
}

} // namespace
} // namespace tramino
