#include "PanelSwitch.h"
#include "DocumentUndo.h"
#include "PanelCanvas.h"
#include "PathText.h"
#include "ProjectActions.h"
#include "ShowStatusLine.h"
#include "WindowTestSupport.h"

#include "codec/PictureDecoder.h"
#include "resample/ConvertPicture.h"
#include "store/PictureStore.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace tramino
{
namespace
{

const QString g_strSamples = QStringLiteral(TRAMINO_SOURCE_DIR "/res/samples/");

// The panel chosen in the window, and drops on a list that is busy.
class PanelSwitchTest : public CWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CWindowTest::SetUp());
        // The stores in a folder of the test's own, to see which of them are left.
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("tmp")));
        // TMPDIR on Linux, TMP on Windows.
        m_strOldTmp = qgetenv("TMPDIR");
        m_strOldWindowsTmp = qgetenv("TMP");
        qputenv("TMPDIR", QFile::encodeName(m_dir.filePath(QStringLiteral("tmp"))));
        qputenv("TMP", QFile::encodeName(QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("tmp")))));
        QFile ini(m_dir.filePath(QStringLiteral("Vendale.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("LanguageSelection = 1\nPanelSize = 1\n");
        ini.close();
        ASSERT_TRUE(QFile::copy(QStringLiteral(TRAMINO_SOURCE_DIR "/res/Lang.txt"),
                                m_dir.filePath(QStringLiteral("Lang.txt"))));
        Create();
        m_pDlg->show();
    }

    void TearDown() override
    {
        CWindowTest::TearDown();
        qputenv("TMPDIR", m_strOldTmp);
        qputenv("TMP", m_strOldWindowsTmp);
    }

    QStringList Stores() const
    {
        return QDir(m_dir.filePath(QStringLiteral("tmp"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }

    CPanelSize WindowPanel() const { return m_pDlg->Panel(); }

    bool Choose(CPanelSize panel, QMessageBox::StandardButton eAnswer = QMessageBox::Yes)
    {
        m_pDialogs->m_queAskAnswers = {eAnswer};
        return m_pDlg->PanelSwitch().Choose(panel);
    }

    // Everything the window shows of its panel agrees with it.
    void ExpectWindowPanel(CPanelSize panel) const
    {
        EXPECT_EQ(WindowPanel(), panel);
        const QRect rectGroup = m_pDlg->findChild<QGroupBox*>(QStringLiteral("1001"))->geometry();
        const QRect rectPreview = m_pDlg->PreviewWindow()->geometry();
        EXPECT_EQ(rectPreview.size(), QSize(panel.m_nWidth, panel.m_nHeight));
        EXPECT_LE(std::abs(rectPreview.center().x() - rectGroup.center().x()), 1);
        EXPECT_EQ(m_pDlg->findChild<QLineEdit*>(QStringLiteral("1014"))->text().toInt(), panel.m_nWidth);
        EXPECT_EQ(m_pDlg->findChild<QLineEdit*>(QStringLiteral("1015"))->text().toInt(), panel.m_nHeight);
        EXPECT_TRUE(
            m_pDlg->StatusLine()->FullText().startsWith(QStringLiteral("Panel ") + PanelSizeText(panel)));
        EXPECT_EQ(m_pDlg->Document().Project().m_panel.m_size, panel);
    }

    // The drop of data at pt of the list's viewport; whether the list took it.
    bool Drop(QMimeData& data, QPoint pt)
    {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(pt, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &enter);
        QDropEvent drop(pt, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &drop);
        return enter.isAccepted() || drop.isAccepted();
    }

    QStringList SessionPaths() const
    {
        QStringList vecPaths;
        const CProject project = m_pDlg->Document().Project();
        for (const CProjectPicture& picture : project.m_vecPictures)
        {
            vecPaths += PathText(picture.m_path.m_path);
        }
        return vecPaths;
    }

    QByteArray m_strOldTmp;
    QByteArray m_strOldWindowsTmp;
};

TEST_F(PanelSwitchTest, AProjectForAnotherPanelOpensAtItsOwnPanelOrConvertedToTheWindowsOrNotAtAll)
{
    const QString strPhoto = g_strSamples + QStringLiteral("hills-baseline.jpg");
    QFile project(m_dir.filePath(QStringLiteral("big.tramino")));
    ASSERT_TRUE(project.open(QIODevice::WriteOnly));
    project.write(QStringLiteral(R"({"format": 1, "panel": {"code": 9}, "transition": "Circle",
        "pictures": [{"path": "%1"}]})")
                      .arg(strPhoto)
                      .toUtf8());
    project.close();
    const auto open = [&](const char* szButton)
    {
        QTimer::singleShot(0,
                           [szButton]
                           {
                               QWidget* pBox = QApplication::activeModalWidget();
                               ASSERT_NE(pBox, nullptr);
                               EXPECT_EQ(pBox->objectName(), QStringLiteral("otherPanel"));
                               pBox->findChild<QPushButton*>(QLatin1String(szButton))->click();
                           });
        m_pDlg->ProjectActions().OpenProject(project.fileName());
    };

    open("cancel");
    EXPECT_EQ(List()->model()->rowCount(), 0);
    ExpectWindowPanel({96, 64});

    open("ownPanel");
    ASSERT_EQ(List()->model()->rowCount(), 1);
    ExpectWindowPanel({320, 240});
    EXPECT_EQ(m_pDlg->Store()->PanelWidth(), 320);
    EXPECT_EQ(m_pDlg->Store()->Read(0).Value(),
              ConvertPictureToPanel(strPhoto.toStdString(), {320, 240}).Value());
    EXPECT_FALSE(m_pDlg->Document().IsModified()) << "opened as the file is";
    m_pDlg->Undo().Undo();
    EXPECT_EQ(List()->model()->rowCount(), 0);
    ExpectWindowPanel({96, 64});

    open("convert");
    ASSERT_EQ(List()->model()->rowCount(), 1);
    ExpectWindowPanel({96, 64});
    EXPECT_TRUE(m_pDlg->Document().IsModified()) << "saved, it keeps the window's panel";
}

TEST_F(PanelSwitchTest, ASwitchConvertsEachPictureAgainWithItsOwnOptionsAndAGoneOneFromItsOldPicture)
{
    const QString strPhoto = g_strSamples + QStringLiteral("hills-baseline.jpg");
    const QString strLake = g_strSamples + QStringLiteral("lake-8bit.bmp");
    QFile project(m_dir.filePath(QStringLiteral("two.tramino")));
    ASSERT_TRUE(project.open(QIODevice::WriteOnly));
    project.write(QStringLiteral(R"({"format": 1, "panel": {"code": 1}, "transition": "Circle",
        "pictures": [{"path": "%1", "fit": "contain", "background": "FF8000"}, {"path": "%2"}]})")
                      .arg(strPhoto, strLake)
                      .toUtf8());
    project.close();
    m_pDlg->ProjectActions().OpenProject(project.fileName());
    const QString strGone = m_dir.filePath(QStringLiteral("gone.bmp"));
    ASSERT_TRUE(QFile::copy(g_strSamples + QStringLiteral("rings-4bit.bmp"), strGone));
    m_pDialogs->m_queOpenAnswers.push_back({strGone});
    m_pDlg->LoadImageButton()->click();
    ASSERT_EQ(List()->model()->rowCount(), 3);
    const QString strOldGone = m_dir.filePath(QStringLiteral("old.bmp"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(m_pDlg->Store()->PathOf(2)), strOldGone));
    ASSERT_TRUE(QFile::remove(strGone));
    const QByteArray ini = [this]
    {
        QFile file(m_dir.filePath(QStringLiteral("Vendale.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    ASSERT_TRUE(Choose({160, 128})) << m_pDialogs->m_vecMessages.join('\n').toStdString()
                                    << m_pDialogs->m_vecQuestions.join('\n').toStdString();
    EXPECT_EQ(m_pDialogs->m_vecQuestions.size(), 1);
    ExpectWindowPanel({160, 128});
    ASSERT_EQ(m_pDlg->Store()->Count(), 3);
    EXPECT_EQ(m_pDlg->Store()->PanelWidth(), 160);
    const CConvertOptions contain{.m_eFit = EFit::Contain, .m_crBackground = {0xFF, 0x80, 0x00}};
    const std::pair<QString, CConvertOptions> aExpected[] = {
        {strPhoto, contain}, {strLake, {}}, {strOldGone, {}}};
    for (int k = 0; k < 3; ++k)
    {
        const auto& [strSource, options] = aExpected[k];
        EXPECT_EQ(m_pDlg->Store()->Read(k).Value(),
                  ConvertPictureToPanel(strSource.toStdString(), {160, 128}, options).Value())
            << k;
    }
    EXPECT_EQ(Stores().size(), 2) << "the old store waits for an undo";
    EXPECT_EQ(m_pDialogs->m_vecMessages,
              QStringList{m_pDlg->Texts().Text(EUiText::PanelFromOld).arg(QStringLiteral("96 × 64")) +
                          QStringLiteral("\n\n") + strGone});
    EXPECT_TRUE(m_pDlg->Document().IsModified());
    EXPECT_TRUE(m_pDlg->windowTitle().startsWith(QStringLiteral("two*")));
    QFile file(m_dir.filePath(QStringLiteral("Vendale.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ini);
    const CPicture shown = m_pDlg->Store()->Read(m_pDlg->Document().ShownImage()).Value();
    EXPECT_TRUE(QTest::qWaitFor(
        [&]
        {
            return m_pDlg->PreviewWindow()->PixelAt(80, 64) == shown.GetPixel(80, 64) &&
                   m_pDlg->PreviewWindow()->PixelAt(159, 127) == shown.GetPixel(159, 127);
        },
        2000))
        << "the selected picture is shown at the new size";

    // Undone, the old panel's pictures are back as they were, without a conversion; redone, the new.
    m_pDlg->Undo().Undo();
    ExpectWindowPanel({96, 64});
    ASSERT_EQ(m_pDlg->Store()->Count(), 3);
    EXPECT_EQ(m_pDlg->Store()->Read(2).Value(), DecodePictureFile(strOldGone.toStdString()).Value());
    m_pDlg->Undo().Redo();
    ExpectWindowPanel({160, 128});
    EXPECT_EQ(m_pDlg->Store()->Read(0).Value(),
              ConvertPictureToPanel(strPhoto.toStdString(), {160, 128}, contain).Value());

    // An empty list switches without a question.
    m_pDialogs->m_vecQuestions.clear();
    for (int k = 0; k < 3; ++k)
    {
        List()->selectRow(0);
        m_pDlg->DeleteButton()->click();
    }
    ASSERT_TRUE(Choose({96, 64}));
    EXPECT_TRUE(m_pDialogs->m_vecQuestions.isEmpty());
    ExpectWindowPanel({96, 64});
}

TEST_F(PanelSwitchTest, ACancelledOrFailedSwitchLeavesPanelListAndStoreAsTheyWere)
{
    // Far more groups of one picture per core than a cancel lets through, each slow enough to
    // leave the window time for the cancel.
    QImage big(1600, 1200, QImage::Format_RGB888);
    big.fill(Qt::darkCyan);
    const QString strBig = m_dir.filePath(QStringLiteral("big.bmp"));
    ASSERT_TRUE(big.save(strBig, "BMP"));
    QStringList vecPaths{MakePicture(QStringLiteral("first.bmp"), Qt::red)};
    for (int i = 0; i < 8 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); ++i)
    {
        vecPaths += strBig;
    }
    Load(vecPaths);
    const std::string strFolder = m_pDlg->Store()->Folder();
    const QString strTitle = m_pDlg->windowTitle();
    const auto expectAsBefore = [&]
    {
        ExpectWindowPanel({96, 64});
        EXPECT_EQ(ListTexts(), vecPaths);
        EXPECT_EQ(SessionPaths(), vecPaths);
        EXPECT_EQ(m_pDlg->Store()->Folder(), strFolder);
        EXPECT_EQ(m_pDlg->Store()->Count(), vecPaths.size());
        EXPECT_EQ(m_pDlg->windowTitle(), strTitle);
        EXPECT_EQ(Stores().size(), 1);
    };

    EXPECT_FALSE(Choose({320, 240}, QMessageBox::No));
    expectAsBefore();

    QTimer timerCancel;
    QObject::connect(&timerCancel, &QTimer::timeout, m_pDlg.get(),
                     [this]
                     {
                         if (auto* pProgress = m_pDlg->findChild<QProgressDialog*>())
                         {
                             pProgress->findChild<QPushButton*>()->click();
                         }
                     });
    timerCancel.start(0);
    EXPECT_FALSE(Choose({320, 240}));
    timerCancel.stop();
    expectAsBefore();
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());

    // Neither the source nor the old picture of the first one can be read.
    ASSERT_TRUE(QFile::remove(vecPaths[0]));
    ASSERT_TRUE(QFile::remove(QString::fromStdString(m_pDlg->Store()->PathOf(0))));
    EXPECT_FALSE(Choose({320, 240}));
    expectAsBefore();
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    EXPECT_TRUE(m_pDialogs->m_vecMessages[0].contains(QString::fromStdString(m_pDlg->Store()->PathOf(0))));
    EXPECT_TRUE(m_pDialogs->m_vecMessages[0].endsWith(QStringLiteral("The panel stays 96 × 64.")));
}

TEST_F(PanelSwitchTest, DropsAndPanelSwitchesWhileTheListIsBusyChangeNothingAndWorkAgainAfterwards)
{
    const QStringList vecFirst{MakePicture(QStringLiteral("a.bmp"), Qt::red),
                               MakePicture(QStringLiteral("b.bmp"), Qt::green)};
    Load(vecFirst);
    const QString strDropped = MakePicture(QStringLiteral("dropped.bmp"), Qt::blue);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(strDropped)});
    const auto dropAll = [&]
    {
        EXPECT_TRUE(m_pDlg->IsListBusy());
        EXPECT_FALSE(Drop(files, QPoint(5, 5)));
        List()->selectRow(0);
        std::unique_ptr<QMimeData> pOwn(
            List()->model()->mimeData(List()->selectionModel()->selectedIndexes()));
        EXPECT_FALSE(Drop(*pOwn, QPoint(5, List()->viewport()->height() - 3)));
        EXPECT_FALSE(m_pDlg->PanelSwitch().Choose({160, 128}));
    };

    // During an import, before it lists anything and after each picture it lists.
    const QStringList vecMore{MakePicture(QStringLiteral("c.bmp"), Qt::cyan),
                              MakePicture(QStringLiteral("d.bmp"), Qt::magenta)};
    int nDrops = 0;
    const auto dropCounted = [&]
    {
        dropAll();
        ++nDrops;
    };
    QTimer::singleShot(0, m_pDlg.get(), dropCounted);
    QObject::connect(List()->model(), &QAbstractItemModel::rowsInserted, m_pDlg.get(), dropCounted);
    Load(vecMore);
    QObject::disconnect(List()->model(), &QAbstractItemModel::rowsInserted, m_pDlg.get(), nullptr);
    QApplication::processEvents();
    EXPECT_EQ(nDrops, 3);
    const QStringList vecListed = vecFirst + vecMore;
    EXPECT_EQ(ListTexts(), vecListed);
    EXPECT_EQ(SessionPaths(), vecListed);
    EXPECT_EQ(m_pDlg->Store()->Count(), 4);

    // During a Preview.
    m_pDlg->SetWorkerTiming({0, 500, 1});
    m_pDlg->PreviewButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->LoadImageButton()->isEnabled(); }, 10000));
    dropAll();
    QApplication::processEvents();
    m_pDlg->PreviewButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->IsWorkerRunning(); }, 10000));
    EXPECT_EQ(ListTexts(), vecListed);
    EXPECT_EQ(SessionPaths(), vecListed);
    EXPECT_EQ(WindowPanel(), (CPanelSize{96, 64}));
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());

    // Idle again: the drop is taken.
    EXPECT_TRUE(Drop(files, QPoint(5, 5)));
    ASSERT_TRUE(QTest::qWaitFor([this] { return List()->model()->rowCount() == 5; }, 10000));
    EXPECT_EQ(ListTexts().constFirst(), strDropped);
    EXPECT_EQ(SessionPaths(), ListTexts());
}

} // namespace
} // namespace tramino
