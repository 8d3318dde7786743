#include "Dialogs.h"
#include "FileOpening.h"
#include "PanelCanvas.h"
#include "PanelSwitch.h"
#include "PanelViewDlg.h"
#include "ProjectActions.h"
#include "ShowStatusLine.h"
#include "WindowTestSupport.h"

#include "show/Rgb565.h"
#include "show/ShowFileSize.h"
#include "store/PictureStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tramino
{
namespace
{

// The window as an authoring tool: status line, panel view, pace, shows opened, drops.
class AuthoringTest : public CWindowTest
{
protected:
    void Start(int nLanguage = 1, int nPanelCode = 1)
    {
        m_pDlg.reset();
        const QString strRes = QStringLiteral(TRAMINO_SOURCE_DIR "/res/");
        for (const char* szFile : {"Lang.txt", "BG.bmp"})
        {
            QFile::remove(m_dir.filePath(QLatin1String(szFile)));
            ASSERT_TRUE(QFile::copy(strRes + QLatin1String(szFile), m_dir.filePath(QLatin1String(szFile))));
        }
        QFile ini(m_dir.filePath(QStringLiteral("Vendale.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("LanguageSelection = %1\nPanelSize = %2\n")
                      .arg(nLanguage)
                      .arg(nPanelCode)
                      .toUtf8());
        ini.close();
        Create();
        m_pDlg->show();
    }

    // Pictures in distinct colours c0.bmp, c1.bmp ..., not loaded.
    QStringList MakeColours(int nCount, const QString& strPrefix = QStringLiteral("c"))
    {
        QStringList vecPaths;
        for (int i = 0; i < nCount; ++i)
        {
            vecPaths += MakePicture(strPrefix + QString::number(i) + QStringLiteral(".bmp"), Colour(i));
        }
        return vecPaths;
    }

    static QColor Colour(int i) { return QColor(30 * i + 17, 220 - 25 * i, 90 + 13 * i); }

    static QByteArray Bytes(const QString& strPath)
    {
        QFile file(strPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Opens the show and presses the named button of the question that follows.
    void OpenShow(const QString& strPath, const char* szButton)
    {
        QTimer::singleShot(0,
                           [szButton]
                           {
                               auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                               ASSERT_NE(pBox, nullptr);
                               pBox->findChild<QPushButton*>(QLatin1String(szButton))->click();
                           });
        m_pDialogs->m_queOpenAnswers.push_back({strPath});
        m_pDlg->Files().OnOpenShow();
    }

    // The window has a shortcut of these keys (offscreen, key clicks reach it only once it is active).
    bool HasShortcut(const QKeySequence& keys) const
    {
        const QList<QShortcut*> vecShortcuts = m_pDlg->findChildren<QShortcut*>();
        return std::any_of(vecShortcuts.begin(), vecShortcuts.end(),
                           [&keys](const QShortcut* pShortcut) { return pShortcut->key() == keys; });
    }

    // The colour index of each stored picture, in store order.
    std::vector<int> StoreColours() const
    {
        std::vector<int> vecColours;
        for (int k = 0; k < m_pDlg->Store()->Count(); ++k)
        {
            const CRgb cr = m_pDlg->Store()->Read(k).Value().GetPixel(3, 3);
            int nIndex = 0;
            while (nIndex < 10 && Colour(nIndex) != QColor(cr.m_nRed, cr.m_nGreen, cr.m_nBlue))
            {
                ++nIndex;
            }
            vecColours.push_back(nIndex);
        }
        return vecColours;
    }

    // The data dragged onto the list and dropped at pt (viewport coordinates).
    void Drop(QMimeData& data, QPoint pt)
    {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(pt, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(pt, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &drop);
        EXPECT_TRUE(drop.isAccepted());
    }

    QString StatusText() const { return m_pDlg->StatusLine()->FullText(); }

    // Transform into strName and wait for its end; a stop is asked for once picture 0 is written.
    QString Transform(const QString& strName, bool bStop)
    {
        m_pDialogs->m_strSaveAnswer = m_dir.filePath(strName);
        m_pDlg->TransformButton()->click();
        if (bStop)
        {
            EXPECT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->LoadImageButton()->isEnabled(); }, 10000));
            m_pDlg->TransformButton()->click();
        }
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->IsWorkerRunning(); }, 30000));
        return m_pDialogs->m_strSaveAnswer;
    }
};

TEST_F(AuthoringTest, StatusLineCountsOnePictureInTheSingular)
{
    Start();
    Load(MakeColours(1));
    EXPECT_TRUE(StatusText().startsWith(QStringLiteral("Panel 96 × 64  ·  1 picture  ·  show file ")))
        << StatusText().toStdString();
}

TEST_F(AuthoringTest, StatusLineGivesTheSizeOfTheFileTransformWritesAndNamesItAfterwards)
{
    Start();
    EXPECT_EQ(StatusText(), QStringLiteral("Panel 96 × 64  ·  0 pictures"));
    Load(MakeColours(3));
    m_pDlg->ModeCombo()->setCurrentText(g_szLangText[13]);
    const QString strPlanned = StatusText();
    m_pDlg->SetWorkerTiming({0, 1, 1});
    const QString strPath = Transform(QStringLiteral("show.qrv"), false);
    const qint64 nSize = QFileInfo(strPath).size();
    EXPECT_EQ(nSize, ShowFileBytes(EEffect::Circle, 96, 64, 3));
    EXPECT_EQ(
        strPlanned,
        QStringLiteral("Panel 96 × 64  ·  3 pictures  ·  show file %1 bytes").arg(GroupedNumber(nSize)));
    EXPECT_EQ(StatusText(), QStringLiteral("show.qrv written: %1 bytes").arg(GroupedNumber(nSize)));

    // Stopped after its first picture of three.
    m_pDlg->SetWorkerTiming({96 * 64 * 4, 1, 1});
    const QString strStopped = Transform(QStringLiteral("stopped.qrv"), true);
    EXPECT_EQ(QFileInfo(strStopped).size(), ShowFileBytes(EEffect::Circle, 96, 64, 1));
    EXPECT_EQ(StatusText(), QStringLiteral("stopped.qrv: 1 of 3 pictures written, %1 bytes")
                                .arg(GroupedNumber(QFileInfo(strStopped).size())));
    // Any change of list or mode says again what would be written.
    const QString strPlannedNow = QStringLiteral("Panel 96 × 64  ·  3 pictures  ·  show file %1 bytes")
                                      .arg(GroupedNumber(ShowFileBytes(EEffect::Circle, 96, 64, 3)));
    Select({1});
    m_pDlg->UpButton()->click();
    EXPECT_EQ(StatusText(), strPlannedNow);
    m_pDlg->SetWorkerTiming({0, 1, 1});
    Transform(QStringLiteral("again.qrv"), false);
    Select({0, 2});
    m_pDlg->MoveSelected(3);
    EXPECT_EQ(StatusText(), strPlannedNow);
    m_pDlg->ModeCombo()->setCurrentText(g_szLangText[10]);
    EXPECT_EQ(StatusText(), QStringLiteral("Panel 96 × 64  ·  3 pictures  ·  show file %1 bytes")
                                .arg(GroupedNumber(ShowFileBytes(EEffect::Normal, 96, 64, 3))));

    Start(2, 9);
    EXPECT_EQ(StatusText(), QStringLiteral("面板 320 × 240  ·  0 張圖片"));
}

TEST_F(AuthoringTest, PanelViewShowsThePreviewBesideItsPanelColoursZoomedWithAGridFrom6x)
{
    Start();
    // Low bits set in every component, so that the 565 codes differ from the picture.
    Load({MakePicture(QStringLiteral("a.bmp"), QColor(0x13, 0x57, 0x9B)),
          MakePicture(QStringLiteral("b.bmp"), QColor(0xFF, 0x03, 0x07))});
    EXPECT_TRUE(HasShortcut(QKeySequence(Qt::Key_F3)));
    m_pDlg->OnPanelView();
    const CPanelViewDlg* pView = m_pDlg->PanelView();
    ASSERT_NE(pView, nullptr);
    ASSERT_TRUE(pView->isVisible());
    m_pDlg->PanelView()->SetZoom(4);
    const auto shows = [pView](QRgb crPicture, QRgb crPanel, QPoint pt)
    {
        return QTest::qWaitFor(
            [&] {
                return pView->PictureImage().pixel(pt) == crPicture &&
                       pView->PanelImage().pixel(pt) == crPanel;
            },
            3000);
    };
    // r8 = r5 * 8 + r5 / 4, g8 = g6 * 4 + g6 / 16.
    EXPECT_TRUE(shows(qRgb(0xFF, 0x03, 0x07), qRgb(255, 0, 0), {5, 5})); // the last loaded is selected
    EXPECT_EQ(pView->PanelImage().size(), QSize(4 * 96, 4 * 64));
    EXPECT_EQ(pView->PanelImage().pixel(0, 0), qRgb(255, 0, 0)); // no grid below 6x

    Select({0});
    EXPECT_TRUE(shows(qRgb(0x13, 0x57, 0x9B), qRgb(16, 85, 156), {383, 255}));
    m_pDlg->PanelView()->SetZoom(6);
    EXPECT_EQ(pView->PictureImage().size(), QSize(6 * 96, 6 * 64));
    for (const QPoint pt : {QPoint(0, 0), QPoint(6, 3), QPoint(13, 12), QPoint(6 * 95, 100)})
    {
        EXPECT_EQ(pView->PanelImage().pixel(pt), qRgb(96, 96, 96)) << pt.x() << ',' << pt.y();
    }
    EXPECT_EQ(pView->PanelImage().pixel(7, 11), qRgb(16, 85, 156));
    EXPECT_EQ(pView->PictureImage().pixel(6 * 96 - 1, 6 * 64 - 1), qRgb(0x13, 0x57, 0x9B));
}

TEST_F(AuthoringTest, PanelViewOpensAtTheLargestZoomShowingBothSidesBesideOrBelowTheWindowWhereThereIsRoom)
{
    struct CCase
    {
        int m_nPanelCode;
        QRect m_rectScreen;
        int m_nZoom;
        bool m_bBelow; // else to the right
    };
    for (const CCase& c : {CCase{9, {0, 0, 1280, 800}, 1, true}, CCase{1, {0, 0, 2560, 1440}, 8, false},
                           CCase{1, {0, 0, 1280, 800}, 6, false}})
    {
        Start(1, c.m_nPanelCode);
        Load(MakeColours(1));
        m_pDlg->OnPanelView();
        CPanelViewDlg* pView = m_pDlg->PanelView();
        pView->PlaceBeside(*m_pDlg, c.m_rectScreen);
        EXPECT_EQ(pView->Zoom(), c.m_nZoom) << c.m_nPanelCode;
        EXPECT_TRUE(c.m_rectScreen.contains(pView->frameGeometry())) << c.m_nPanelCode;
        auto* pScroll = pView->findChild<QScrollArea*>();
        EXPECT_TRUE(QTest::qWaitFor(
            [pScroll]
            {
                return pScroll->viewport()->size() == pScroll->widget()->sizeHint() ||
                       (pScroll->horizontalScrollBar()->maximum() == 0 &&
                        pScroll->verticalScrollBar()->maximum() == 0);
            },
            2000))
            << "both sides whole";
        const QRect rectWindow = m_pDlg->frameGeometry();
        if (c.m_nZoom < 8 && c.m_nPanelCode == 1)
        {
            continue; // no room beside at that zoom: anywhere on the screen
        }
        EXPECT_EQ(pView->pos(),
                  c.m_bBelow ? rectWindow.bottomLeft() + QPoint(0, 1) : rectWindow.topRight() + QPoint(1, 0));
    }
}

TEST_F(AuthoringTest, TheStatusLineIsWholeAtAnyCountSizeOrLanguage)
{
    for (const int nLanguage : {1, 2, 3})
    {
        Start(nLanguage, 9);
        CShowStatusLine* pLine = m_pDlg->StatusLine();
        for (const int nPictures : {12, 99999})
        {
            pLine->ShowPlanned(320, 240, nPictures, EEffect::Circle);
            EXPECT_FALSE(pLine->text().contains(QChar(0x2026))) << pLine->text().toStdString();
            EXPECT_LE(pLine->fontMetrics().horizontalAdvance(pLine->text()), pLine->contentsRect().width());
        }
    }
}

TEST_F(AuthoringTest, NoOtherTextIsCutInAnyLanguageAndTheFullSpeedBoxIsWholeAboveTheButtons)
{
    for (const int nLanguage : {1, 2, 3})
    {
        Start(nLanguage, 9);
        const QCheckBox* pCheck = m_pDlg->FullSpeedCheck();
        EXPECT_GE(pCheck->height(), pCheck->sizeHint().height());
        EXPECT_LT(pCheck->geometry().bottom(),
                  std::min(m_pDlg->LoadImageButton()->y(), m_pDlg->PreviewButton()->y()));
        EXPECT_GT(pCheck->y(), m_pDlg->findChild<QWidget*>(QStringLiteral("1024"))->geometry().bottom());

        // The box after a transform: room for its bold title beside the frame's three buttons.
        const QString strDone = g_szLangText[9];
        int nWidth = 0;
        QTimer::singleShot(0,
                           [&nWidth]
                           {
                               QWidget* pBox = QApplication::activeModalWidget();
                               ASSERT_NE(pBox, nullptr);
                               nWidth = pBox->width();
                               pBox->close();
                           });
        CQtDialogs().ShowMessage(m_pDlg.get(), strDone, strDone, EMessageKind::Information);
        QFont font = m_pDlg->font();
        font.setBold(true);
        const QFontMetrics metrics(font);
        EXPECT_GT(nWidth, metrics.horizontalAdvance(strDone) + 4 * (metrics.height() + 8))
            << nLanguage << " " << nWidth;
    }
}

TEST_F(AuthoringTest, AtFullSpeedTheSameFileIsWrittenWithoutAnimationOrPause)
{
    Start();
    Load(MakeColours(3));
    EXPECT_FALSE(m_pDlg->FullSpeedCheck()->isChecked());
    m_pDlg->SetWorkerTiming({0, 1, 1});
    const QByteArray animated = Bytes(Transform(QStringLiteral("animated.qrv"), false));

    // A pace that would take minutes with the animation.
    m_pDlg->SetWorkerTiming({100, 60000, 60000});
    m_pDlg->FullSpeedCheck()->click();
    QElapsedTimer timer;
    timer.start();
    const QString strFast = Transform(QStringLiteral("fast.qrv"), false);
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(Bytes(strFast), animated);
    EXPECT_EQ(m_pDlg->PreviewWindow()->Snapshot().pixel(40, 30), Colour(2).rgb());
    EXPECT_EQ(m_pDialogs->m_vecMessages, QStringList(2, g_szLangText[9]));
}

TEST_F(AuthoringTest, APlayingShowSaysWhichPictureItShowsAndPreviewStopsIt)
{
    Start();
    Load(MakeColours(3));
    m_pDlg->FullSpeedCheck()->click();
    const QString strShow = Transform(QStringLiteral("show.qrv"), false);
    const QString strBefore = StatusText();
    QPushButton* pPreview = m_pDlg->PreviewButton();

    m_pDlg->SetWorkerTiming({0, 150, 1});
    OpenShow(strShow, "play");
    EXPECT_EQ(pPreview->text(), g_szLangText[16]);
    EXPECT_EQ(StatusText(), QStringLiteral("Picture 1 of 3"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return StatusText() == QStringLiteral("Picture 3 of 3"); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->IsPlayingShow(); }, 5000));
    EXPECT_EQ(pPreview->text(), g_szLangText[1]);
    EXPECT_EQ(StatusText(), strBefore);

    // Pressed while a show plays, the button stops it and starts no run.
    m_pDlg->SetWorkerTiming({0, 60000, 1});
    OpenShow(strShow, "play");
    pPreview->click();
    EXPECT_FALSE(m_pDlg->IsPlayingShow());
    EXPECT_FALSE(m_pDlg->IsWorkerRunning());
    EXPECT_EQ(pPreview->text(), g_szLangText[1]);
    EXPECT_EQ(StatusText(), strBefore);
}

TEST_F(AuthoringTest, AValidShowPlaysWithItsTransitionsOrJoinsTheListAndABrokenOneIsNamedWithItsOffset)
{
    Start();
    Load(MakeColours(3));
    m_pDlg->FullSpeedCheck()->click();
    m_pDlg->ModeCombo()->setCurrentText(g_szLangText[13]);
    const QString strShow = Transform(QStringLiteral("show.qrv"), false);
    m_pDialogs->m_vecMessages.clear();

    EXPECT_TRUE(HasShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)));
    OpenShow(strShow, "add");
    EXPECT_EQ(m_pDialogs->m_strOpenFilter, QStringLiteral("Show files (*.qrv *.QRV);;All files (*)"));
    ASSERT_EQ(List()->model()->rowCount(), 6);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(List()->model()->index(3 + i, 0).data().toString(),
                  QStringLiteral("show.qrv #%1").arg(i + 1));
        const CRgb cr = m_pDlg->Store()->Read(3 + i).Value().GetPixel(50, 20);
        const QColor crLoaded = Colour(i);
        EXPECT_EQ(cr, ExpandRgb565(PackRgb565(static_cast<uint8_t>(crLoaded.red()),
                                              static_cast<uint8_t>(crLoaded.green()),
                                              static_cast<uint8_t>(crLoaded.blue()))));
    }
    EXPECT_TRUE(StatusText().contains(QStringLiteral("6 pictures")));

    // Played at a pace where the first ring of the circle comes before anything else.
    m_pDlg->SetWorkerTiming({96 * 64 * 4, 100, 1});
    m_pDlg->PreviewWindow()->Clear();
    OpenShow(strShow, "play");
    EXPECT_TRUE(m_pDlg->IsPlayingShow());
    EXPECT_TRUE(List()->selectionModel()->selectedRows().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return m_pDlg->PreviewWindow()->Snapshot().pixel(0, 40) != CPanelCanvas::g_crBlank; },
        3000));
    EXPECT_EQ(m_pDlg->PreviewWindow()->Snapshot().pixel(48, 32), CPanelCanvas::g_crBlank);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->IsPlayingShow(); }, 10000));
    const CRgb crLast = m_pDlg->Store()->Read(5).Value().GetPixel(0, 0);
    EXPECT_EQ(m_pDlg->PreviewWindow()->Snapshot().pixel(48, 32),
              qRgb(crLast.m_nRed, crLast.m_nGreen, crLast.m_nBlue));
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());

    // A count one too large in the first record: the reader names the byte.
    QByteArray bytes = Bytes(strShow);
    bytes[32 + 11] = static_cast<char>(bytes[32 + 11] + 1);
    QFile broken(m_dir.filePath(QStringLiteral("broken.qrv")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(bytes);
    broken.close();
    m_pDialogs->m_queOpenAnswers.push_back({broken.fileName()});
    m_pDlg->Files().OnOpenShow();
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    EXPECT_TRUE(m_pDialogs->m_vecMessages[0].startsWith(
        QStringLiteral("'%1' is not a valid show file for a 96 x 64 panel: at byte 40")
            .arg(broken.fileName())))
        << m_pDialogs->m_vecMessages[0].toStdString();
    EXPECT_EQ(List()->model()->rowCount(), 6);
}

TEST_F(AuthoringTest, APanelSwitchPutsEachPictureInItsOwnRowWhateverOrderTheConversionsFinishIn)
{
    Start();
    Load(MakeColours(6));
    m_pDlg->FullSpeedCheck()->click();
    m_pDlg->SetWorkerTiming({0, 1, 1});
    const QString strShow = Transform(QStringLiteral("show.qrv"), false);
    Select({0, 1, 2, 3, 4, 5});
    m_pDlg->DeleteButton()->click();
    // Pictures of the show (their sources answer to no file) around two files.
    Load({MakePicture(QStringLiteral("p6.bmp"), Colour(6))});
    OpenShow(strShow, "add");
    Load({MakePicture(QStringLiteral("p7.bmp"), Colour(7))});
    ASSERT_EQ(List()->model()->rowCount(), 8);
    // The first group is held until the progress shows (which runs the event loop as it counts);
    // the later ones come at once, while the window still takes the earlier.
    m_pDlg->SetConversionGate(
        [](int nFirst)
        {
            if (nFirst == 0)
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
            }
        });
    const auto colourOf = [](const QString& strText)
    {
        const int nHash = static_cast<int>(strText.indexOf(QLatin1Char('#')));
        return nHash >= 0 ? Colour(strText.mid(nHash + 1).toInt() - 1)
                          : Colour(strText.at(strText.size() - 5).digitValue());
    };
    for (const int nCode : {2, 9, 4, 1, 7})
    {
        const CPanelSize panel = g_arrPanelSizes[static_cast<size_t>(nCode - 1)];
        m_pDialogs->m_queAskAnswers = {QMessageBox::Yes};
        ASSERT_TRUE(m_pDlg->PanelSwitch().Choose(panel));
        ASSERT_EQ(m_pDlg->Store()->Count(), 8);
        for (int i = 0; i < 8; ++i)
        {
            const CRgb cr =
                m_pDlg->Store()->Read(i).Value().GetPixel(panel.m_nWidth / 2, panel.m_nHeight / 2);
            const QColor crWanted = colourOf(List()->model()->index(i, 0).data().toString());
            EXPECT_LE(std::abs(cr.m_nRed - crWanted.red()) + std::abs(cr.m_nGreen - crWanted.green()) +
                          std::abs(cr.m_nBlue - crWanted.blue()),
                      24)
                << "panel " << nCode << ", row " << i;
        }
    }
}

TEST_F(AuthoringTest, DroppedFilesAreInsertedBeforeTheItemInTheirOrderAndDraggedItemsMoveTogether)
{
    Start();
    const QStringList vecLoaded = MakeColours(3);
    Load(vecLoaded);
    const QStringList vecDropped{MakePicture(QStringLiteral("d5.bmp"), Colour(5)),
                                 MakePicture(QStringLiteral("d6.bmp"), Colour(6))};
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(vecDropped[0]), QUrl::fromLocalFile(vecDropped[1])});
    // While dragged, a line marks the border the drop lands on: above the item under it, below the last.
    const auto* pIndicator = List()->viewport()->findChild<QWidget*>(QStringLiteral("dropIndicator"));
    ASSERT_NE(pIndicator, nullptr);
    for (const auto& [pt, nBorder] :
         {std::pair{List()->visualRect(List()->model()->index(1, 0)).center(),
                    List()->visualRect(List()->model()->index(1, 0)).top()},
          std::pair{QPoint(5, List()->viewport()->height() - 3),
                    List()->visualRect(List()->model()->index(2, 0)).bottom() + 1}})
    {
        QDragEnterEvent enter(pt, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &enter);
        EXPECT_TRUE(pIndicator->isVisible());
        EXPECT_LE(std::abs(pIndicator->geometry().center().y() - nBorder), 1);
    }
    QDragLeaveEvent leave;
    QApplication::sendEvent(List()->viewport(), &leave);
    EXPECT_FALSE(pIndicator->isVisible());
    Drop(files, List()->visualRect(List()->model()->index(1, 0)).center());
    ASSERT_TRUE(QTest::qWaitFor([this] { return List()->model()->rowCount() == 5; }, 10000));
    const QStringList vecAfterDrop{vecLoaded[0], vecDropped[0], vecDropped[1], vecLoaded[1], vecLoaded[2]};
    EXPECT_EQ(ListTexts(), vecAfterDrop);
    EXPECT_EQ(StoreColours(), (std::vector<int>{0, 5, 6, 1, 2}));
    EXPECT_TRUE(StatusText().contains(QStringLiteral("5 pictures")));

    // Items 0 and 2 dragged below the last one.
    Select({0, 2});
    std::unique_ptr<QMimeData> pOwn(List()->model()->mimeData(List()->selectionModel()->selectedIndexes()));
    Drop(*pOwn, QPoint(5, List()->viewport()->height() - 3));
    EXPECT_EQ(ListTexts(), (QStringList{vecAfterDrop[1], vecAfterDrop[3], vecAfterDrop[4], vecAfterDrop[0],
                                        vecAfterDrop[2]}));
    EXPECT_EQ(StoreColours(), (std::vector<int>{5, 1, 2, 0, 6}));
    const QModelIndexList vecSelected = List()->selectionModel()->selectedRows();
    EXPECT_EQ(vecSelected.size(), 2);

    // The project follows the drops and moves: saved and dropped back, it lists the same order.
    const QStringList vecShown = ListTexts();
    m_pDialogs->m_strSaveAnswer = m_dir.filePath(QStringLiteral("dropped.tramino"));
    ASSERT_TRUE(m_pDlg->ProjectActions().OnSaveProjectAs());
    m_pDlg->DeleteButton()->click();
    m_pDialogs->m_queAskAnswers.push_back(QMessageBox::Discard);
    QMimeData project;
    project.setUrls({QUrl::fromLocalFile(m_pDialogs->m_strSaveAnswer)});
    Drop(project, QPoint(5, 5));
    ASSERT_TRUE(QTest::qWaitFor([this, &vecShown] { return ListTexts() == vecShown; }, 10000))
        << ListTexts().join(' ').toStdString();
    EXPECT_EQ(StoreColours(), (std::vector<int>{5, 1, 2, 0, 6}));
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty()) << m_pDialogs->m_vecMessages.join('\n').toStdString();
}

} // namespace
} // namespace tramino
