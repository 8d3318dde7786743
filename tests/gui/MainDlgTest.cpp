#include "MainDlg.h"
#include "AboutDlg.h"
#include "DialogUnits.h"
#include "Dialogs.h"
#include "Globals.h"
#include "PanelCanvas.h"
#include "QtPrinters.h"
#include <QElapsedTimer>
#include <QFileInfo>

#include "settings/LangTable.h"
#include "settings/PanelSize.h"
#include "settings/VendaleIni.h"
#include "store/PictureStore.h"

#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <thread>

namespace tramino
{
namespace
{

class CFakeDialogs : public IDialogs
{
public:
    std::deque<QStringList> m_queOpenAnswers; // none left: the user cancels
    QString m_strOpenFilter;
    QStringList m_vecMessages;

    QStringList GetOpenFileNames(QWidget*, const QString& strFilter) override
    {
        m_strOpenFilter = strFilter;
        if (m_queOpenAnswers.empty())
        {
            return {};
        }
        QStringList vecAnswer = m_queOpenAnswers.front();
        m_queOpenAnswers.pop_front();
        return vecAnswer;
    }
    QString m_strSaveAnswer;
    QString GetSaveFileName(QWidget*, const QString&, const QString&) override { return m_strSaveAnswer; }
    void ShowMessage(QWidget*, const QString&, const QString& strText) override { m_vecMessages += strText; }
};

// Fails one chosen rename, so that a store operation breaks in the middle of its sequence and
// has to undo what it did.
class CFailingFileOps : public CStoreFileOps
{
public:
    void FailRename(int nNth)
    {
        m_nRenames = 0;
        m_nFailing = nNth;
    }

    int Rename(const std::string& strFrom, const std::string& strTo) override
    {
        return ++m_nRenames == m_nFailing ? EACCES : CStoreFileOps::Rename(strFrom, strTo);
    }

private:
    int m_nRenames = 0;
    int m_nFailing = 0;
};

const QString g_strResDir = QStringLiteral(TRAMINO_SOURCE_DIR "/res/");

// Runs the real dialog in a folder of its own that holds its data files.
class MainDlgTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_strOldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        for (const char* szFile : {"Lang.txt", "BG.bmp"})
        {
            ASSERT_TRUE(
                QFile::copy(g_strResDir + QLatin1String(szFile), m_dir.filePath(QLatin1String(szFile))));
        }
    }

    void TearDown() override
    {
        m_pDlg.reset();
        QDir::setCurrent(m_strOldDir);
    }

    void Start(int nLanguage = 1, int nPanelCode = 1)
    {
        m_pDlg.reset();
        QFile ini(m_dir.filePath(QStringLiteral("Vendale.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("LanguageSelection = %1\nPanelSize = %2\nPanelType = 1\n")
                      .arg(nLanguage)
                      .arg(nPanelCode)
                      .toUtf8());
        ini.close();
        m_pDialogs = std::make_shared<CFakeDialogs>();
        m_pDlg = std::make_unique<CMainDlg>(m_pDialogs);
        m_pDlg->SetStoreFileOps(m_pFileOps);
        m_pDlg->show();
    }

    // A picture of the panel's size in one colour, so that its position in the store can be
    // told from any of its pixels.
    QString MakePicture(const QString& strName, QColor cr)
    {
        QImage image(g_nPanelWidth, g_nPanelHeight, QImage::Format_RGB888);
        image.fill(cr);
        const QString strPath = m_dir.filePath(strName);
        EXPECT_TRUE(image.save(strPath, "BMP"));
        return strPath;
    }

    QString MakeUnreadable(const QString& strName)
    {
        const QString strPath = m_dir.filePath(strName);
        QFile file(strPath);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("BM this is not a picture");
        return strPath;
    }

    // Pictures P, Q, R, S ... in distinct colours, loaded in one command.
    QStringList LoadColours(int nCount)
    {
        QStringList vecPaths;
        for (int i = 0; i < nCount; ++i)
        {
            vecPaths += MakePicture(QStringLiteral("%1.bmp").arg(QChar('P' + i)), Colour(i));
        }
        Load(vecPaths);
        return vecPaths;
    }

    static QColor Colour(int i) { return QColor(40 * i + 20, 200 - 30 * i, 100 + 10 * i); }

    void Load(const QStringList& vecPaths)
    {
        m_pDialogs->m_queOpenAnswers.push_back(vecPaths);
        g_btnLoadImage->click();
    }

    QTableWidget* List() const { return m_pDlg->ListCtrl(); }

    QStringList ListTexts() const
    {
        QStringList vecTexts;
        for (int i = 0; i < List()->rowCount(); ++i)
        {
            vecTexts += List()->item(i, 0)->text();
        }
        return vecTexts;
    }

    // The colour of each stored picture, in store order; -1 where it cannot be read.
    std::vector<int> StoreOrder() const
    {
        std::vector<int> vecOrder;
        const CPictureStore* pStore = m_pDlg->Store();
        for (int k = 0; pStore != nullptr && k < pStore->Count(); ++k)
        {
            const CResult<CPicture> picture = pStore->Read(k);
            vecOrder.push_back(picture ? ColourIndex(picture.Value().GetPixel(3, 2)) : -1);
        }
        return vecOrder;
    }

    static int ColourIndex(CRgb cr)
    {
        for (int i = 0; i < 8; ++i)
        {
            if (Colour(i) == QColor(cr.m_nRed, cr.m_nGreen, cr.m_nBlue))
            {
                return i;
            }
        }
        return -1;
    }

    int ShownColour() const { return ColourIndex(m_pDlg->PreviewWindow()->PixelAt(5, 5)); }

    QList<int> SelectedRows() const
    {
        QList<int> vecRows;
        for (const QModelIndex& index : List()->selectionModel()->selectedRows())
        {
            vecRows += index.row();
        }
        std::sort(vecRows.begin(), vecRows.end());
        return vecRows;
    }

    void Select(QList<int> vecRows)
    {
        List()->clearSelection();
        for (int nRow : vecRows)
        {
            List()->selectionModel()->select(List()->model()->index(nRow, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    template <class T> T* Control(int nId) const { return m_pDlg->findChild<T*>(QString::number(nId)); }

    QTemporaryDir m_dir;
    QString m_strOldDir;
    std::shared_ptr<CFakeDialogs> m_pDialogs;
    std::shared_ptr<CFailingFileOps> m_pFileOps = std::make_shared<CFailingFileOps>();
    std::unique_ptr<CMainDlg> m_pDlg;
};

TEST_F(MainDlgTest, CaptionsComeFromTheChosenLanguageSection)
{
    for (int nLanguage : {1, 2, 3})
    {
        SCOPED_TRACE(nLanguage);
        Start(nLanguage);
        const CLangTable table = CLangTable::Load((g_strResDir + QStringLiteral("Lang.txt")).toStdString(),
                                                  LanguageSection(nLanguage));
        const auto text = [&table](int nKey) { return QString::fromStdString(table.Text(nKey)); };
        ASSERT_FALSE(text(4).isEmpty());

        EXPECT_EQ(Control<QGroupBox>(1001)->title(), text(1));
        EXPECT_EQ(Control<QPushButton>(1017)->text(), text(1));
        EXPECT_EQ(Control<QGroupBox>(1024)->title(), text(2));
        EXPECT_EQ(Control<QGroupBox>(1025)->title(), text(3));
        const std::pair<int, int> aButtons[] = {{1016, 4}, {1018, 5}, {1020, 6}, {1021, 7}, {1023, 8}};
        for (const auto& [nId, nKey] : aButtons)
        {
            EXPECT_EQ(Control<QPushButton>(nId)->text(), text(nKey)) << nId;
        }
        EXPECT_EQ(Control<QLabel>(1026)->text(), text(14));
        EXPECT_EQ(Control<QLabel>(1027)->text(), text(15));
        EXPECT_EQ(List()->horizontalHeaderItem(0)->text(), text(0));
        EXPECT_EQ(g_szLangText[9], text(9));
    }
}

TEST_F(MainDlgTest, ControlsStandWhereTheTemplatePutsThem)
{
    Start();
    EXPECT_EQ(m_pDlg->size(), QSize(754, 443));
    EXPECT_EQ(Control<QPushButton>(1016)->geometry(), DluRect(268, 226, 70, 16));
    EXPECT_EQ(Control<QPushButton>(1023)->geometry(), DluRect(347, 250, 70, 16));
    EXPECT_EQ(List()->geometry(), DluRect(7, 7, 255, 260));
    EXPECT_EQ(Control<QGroupBox>(1001)->geometry(), DluRect(269, 7, 228, 171));

    for (int nId : {1025, 1014, 1015, 1026, 1027, 1019})
    {
        QWidget* pControl = Control<QWidget>(nId);
        ASSERT_NE(pControl, nullptr) << nId;
        EXPECT_FALSE(pControl->isVisible()) << nId;
    }
    EXPECT_EQ(Control<QLineEdit>(1014)->text(), QStringLiteral("96"));
    EXPECT_EQ(Control<QLineEdit>(1015)->text(), QStringLiteral("64"));
    EXPECT_FALSE(Control<QLineEdit>(1014)->isEnabled());

    EXPECT_EQ(List()->columnCount(), 1);
    EXPECT_EQ(List()->columnWidth(0), 715);
    EXPECT_TRUE(List()->showGrid());
    EXPECT_EQ(List()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(List()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(List()->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_EQ(List()->palette().color(QPalette::Inactive, QPalette::Highlight),
              List()->palette().color(QPalette::Active, QPalette::Highlight));

    // The corners of BG.bmp are magenta: cut out; the middle is not.
    ASSERT_TRUE(m_pDlg->HasBackground());
    EXPECT_FALSE(m_pDlg->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(m_pDlg->mask().contains(QPoint(377, 221)));
}

TEST_F(MainDlgTest, PreviewIsExactlyThePanelCentredInItsGroupForEveryCode)
{
    for (int nCode = 1; nCode <= 9; ++nCode)
    {
        SCOPED_TRACE(nCode);
        Start(1, nCode);
        const CPanelSize panel = PanelSizeFromCode(nCode);
        const QRect rectPreview = m_pDlg->PreviewWindow()->geometry();
        const QRect rectGroup = Control<QGroupBox>(1001)->geometry();
        EXPECT_EQ(rectPreview.size(), QSize(panel.m_nWidth, panel.m_nHeight));
        EXPECT_TRUE(rectGroup.contains(rectPreview));
        EXPECT_LE(std::abs(rectPreview.center().x() - rectGroup.center().x()), 1);
        EXPECT_LE(std::abs(rectPreview.center().y() - rectGroup.center().y()), 1);
        EXPECT_EQ(Control<QLineEdit>(1014)->text().toInt(), panel.m_nWidth);
        EXPECT_EQ(Control<QLineEdit>(1015)->text().toInt(), panel.m_nHeight);
    }
}

TEST_F(MainDlgTest, ModeComboHoldsTheFourTextsSortedAndStartsOnTheSecond)
{
    for (int nLanguage : {1, 3})
    {
        SCOPED_TRACE(nLanguage);
        Start(nLanguage);
        QStringList vecExpected;
        for (int nKey = 10; nKey <= 13; ++nKey)
        {
            vecExpected += g_szLangText[static_cast<size_t>(nKey)];
        }
        QCollator collator;
        std::sort(vecExpected.begin(), vecExpected.end(), collator);
        QStringList vecItems;
        for (int i = 0; i < m_pDlg->ModeCombo()->count(); ++i)
        {
            vecItems += m_pDlg->ModeCombo()->itemText(i);
        }
        EXPECT_EQ(vecItems, vecExpected);
        EXPECT_EQ(m_pDlg->ModeCombo()->currentIndex(), 1);
    }
    // English: "Circle", "Normal", "Shutter ...", "Shutter ...".
    Start(1);
    EXPECT_EQ(m_pDlg->ModeCombo()->currentText(), g_szLangText[10]);
}

TEST_F(MainDlgTest, PictureFilterMatchesEveryLetterCase)
{
    const QString strFilter = PictureFileFilter();
    EXPECT_TRUE(strFilter.startsWith(QStringLiteral("*.bmp;*.jpg;*.gif (")));
    const QString strPatterns = strFilter.section(QLatin1Char('('), 1).chopped(1);
    const auto matches = [&strPatterns](const QString& strName)
    {
        for (const QString& strPattern : strPatterns.split(QLatin1Char(' ')))
        {
            if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(strPattern))
                    .match(strName)
                    .hasMatch())
            {
                return true;
            }
        }
        return false;
    };
    for (const char* szName : {"a.bmp", "DSC0001.JPG", "x.Gif", "y.jPg"})
    {
        EXPECT_TRUE(matches(QLatin1String(szName))) << szName;
    }
    for (const char* szName : {"a.png", "b.jpeg", "bmp"})
    {
        EXPECT_FALSE(matches(QLatin1String(szName))) << szName;
    }
}

TEST_F(MainDlgTest, LoadingOnePictureListsStoresSelectsAndShowsIt)
{
    Start();
    const QStringList vecPaths = LoadColours(1);
    EXPECT_EQ(m_pDialogs->m_strOpenFilter, PictureFileFilter());
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(m_pDlg->WorkerShared().m_nImageCount.load(), 1);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0}));
    EXPECT_EQ(SelectedRows(), QList<int>{0});
    EXPECT_EQ(List()->currentIndex().row(), 0);
    EXPECT_EQ(g_nShownImage.load(), 0);
    EXPECT_TRUE(m_pDlg->IsRefreshTimerActive());
    EXPECT_TRUE(QTest::qWaitFor([this] { return ShownColour() == 0; }, 2000));
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
}

TEST_F(MainDlgTest, UnreadableFilesAreLeftOutAndNamedInOneMessage)
{
    Start();
    LoadColours(2);
    Select({0});
    const QStringList vecMore{
        MakePicture(QStringLiteral("c.bmp"), Colour(2)), MakeUnreadable(QStringLiteral("bad.bmp")),
        MakePicture(QStringLiteral("d.bmp"), Colour(3)), MakeUnreadable(QStringLiteral("worse.gif")),
        MakePicture(QStringLiteral("e.bmp"), Colour(4))};
    Load(vecMore);

    EXPECT_EQ(ListTexts().mid(2), (QStringList{vecMore[0], vecMore[2], vecMore[4]}));
    EXPECT_EQ(m_pDlg->WorkerShared().m_nImageCount.load(), 5);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(SelectedRows(), QList<int>{4}) << "the earlier selection is gone";
    EXPECT_EQ(g_nShownImage.load(), 4);
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    const QString& strMessage = m_pDialogs->m_vecMessages.constFirst();
    EXPECT_TRUE(strMessage.contains(vecMore[1]));
    EXPECT_TRUE(strMessage.contains(vecMore[3]));
    EXPECT_FALSE(strMessage.contains(vecMore[0]));
}

TEST_F(MainDlgTest, CancellingALongImportKeepsThePicturesDoneSoFar)
{
    Start();
    // Pictures are converted a group of one per core at a time, at most one group ahead of the
    // list: far more groups than a cancel can let through.
    const int nTotal = 8 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    QStringList vecPaths;
    for (int i = 0; i < nTotal; ++i)
    {
        vecPaths += MakePicture(QStringLiteral("long%1.bmp").arg(i), Colour(i % 8));
    }
    // The user presses Cancel as soon as the first picture is listed.
    auto* pProgress = m_pDlg->findChild<QProgressDialog*>();
    EXPECT_EQ(pProgress, nullptr);
    QObject::connect(List()->model(), &QAbstractItemModel::rowsInserted, m_pDlg.get(),
                     [this]
                     {
                         if (auto* pDialog = m_pDlg->findChild<QProgressDialog*>())
                         {
                             pDialog->findChild<QPushButton*>()->click();
                         }
                     });
    Load(vecPaths);

    const int nListed = List()->rowCount();
    EXPECT_GT(nListed, 0);
    EXPECT_LT(nListed, nTotal);
    EXPECT_EQ(ListTexts(), vecPaths.mid(0, nListed));
    EXPECT_EQ(m_pDlg->Store()->Count(), nListed);
    EXPECT_EQ(m_pDlg->WorkerShared().m_nImageCount.load(), nListed);
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
    EXPECT_EQ(SelectedRows(), QList<int>{nListed - 1});
}

TEST_F(MainDlgTest, CancellingTheOpenDialogChangesNothing)
{
    Start();
    g_btnLoadImage->click();
    EXPECT_EQ(m_pDlg->Store(), nullptr);
    EXPECT_EQ(List()->rowCount(), 0);
    EXPECT_FALSE(m_pDlg->IsRefreshTimerActive());
}

TEST_F(MainDlgTest, ASingleSelectionShowsItsPictureAndSeveralAreIgnored)
{
    Start();
    LoadColours(3);
    Select({1});
    EXPECT_EQ(g_nShownImage.load(), 1);
    EXPECT_TRUE(QTest::qWaitFor([this] { return ShownColour() == 1; }, 2000));

    // Ctrl+click on item 2 adds it to the selection.
    List()->selectionModel()->select(List()->model()->index(2, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(g_nShownImage.load(), 1);
    g_btnUp->click();
    g_btnDown->click();
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(SelectedRows(), (QList<int>{1, 2}));
}

TEST_F(MainDlgTest, DeleteClosesUpListAndStore)
{
    Start();
    const QStringList vecPaths = LoadColours(4);
    Select({1});
    g_btnDelete->click();
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[2], vecPaths[3]}));
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(m_pDlg->Store()->PathOf(3)));
    EXPECT_EQ(m_pDlg->WorkerShared().m_nImageCount.load(), 3);
    EXPECT_TRUE(SelectedRows().isEmpty());
    EXPECT_FALSE(m_pDlg->IsRefreshTimerActive());

    // The last item: nothing behind it moves.
    Select({2});
    g_btnDelete->click();
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 2}));
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[2]}));
}

TEST_F(MainDlgTest, DeleteRemovesEverySelectedItem)
{
    Start();
    const QStringList vecPaths = LoadColours(5);
    Select({0, 2, 4});
    g_btnDelete->click();
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[1], vecPaths[3]}));
    EXPECT_EQ(StoreOrder(), (std::vector<int>{1, 3}));
    EXPECT_EQ(m_pDlg->WorkerShared().m_nImageCount.load(), 2);
    EXPECT_FALSE(m_pDlg->WorkerShared().m_bIgnoreListSelect.load());
    EXPECT_FALSE(m_pDlg->IsRefreshTimerActive());
}

TEST_F(MainDlgTest, UpAndDownMoveOnePlaceAndDoNothingAtTheEnds)
{
    Start();
    const QStringList vecPaths = LoadColours(3);
    Select({0});
    g_btnUp->click();
    Select({2});
    g_btnDown->click();
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));

    g_btnUp->click(); // item 2 still selected
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[2], vecPaths[1]}));
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(SelectedRows(), QList<int>{1});
    EXPECT_EQ(List()->currentIndex().row(), 1);
    EXPECT_EQ(g_nShownImage.load(), 1);
    EXPECT_TRUE(m_pDlg->IsRefreshTimerActive());
    EXPECT_FALSE(m_pDlg->WorkerShared().m_bIgnoreListSelect.load());
    EXPECT_TRUE(QTest::qWaitFor([this] { return ShownColour() == 2; }, 2000));

    Select({0});
    g_btnDown->click();
    EXPECT_EQ(StoreOrder(), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[2], vecPaths[0], vecPaths[1]}));
    EXPECT_EQ(SelectedRows(), QList<int>{1});
}

TEST_F(MainDlgTest, AFailedRenameOrDeleteIsReportedAndListAndStoreStayInStep)
{
    Start();
    const QStringList vecPaths = LoadColours(3);
    m_pFileOps->FailRename(2); // the second rename of the swap
    Select({2});
    g_btnUp->click();
    EXPECT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(m_pDlg->WorkerShared().m_bIgnoreListSelect.load());

    m_pFileOps->FailRename(3); // Qrv2.bmp cannot move up behind the deleted first item
    Select({0, 1});
    g_btnDelete->click();
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 2);
    EXPECT_TRUE(m_pDialogs->m_vecMessages.last().contains(QStringLiteral("Qrv2.bmp")));
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(m_pDlg->WorkerShared().m_nImageCount.load(), 3);
    EXPECT_FALSE(m_pDlg->WorkerShared().m_bIgnoreListSelect.load());
    EXPECT_FALSE(m_pDlg->IsRefreshTimerActive());
}

TEST_F(MainDlgTest, ClosingRemovesTheStore)
{
    Start();
    LoadColours(2);
    const std::string strFolder = m_pDlg->Store()->Folder();
    ASSERT_TRUE(std::filesystem::exists(strFolder));
    m_pDlg->close();
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_FALSE(std::filesystem::exists(strFolder));
    EXPECT_EQ(m_pDlg->Store(), nullptr);
}

TEST_F(MainDlgTest, EnterAndEscapeCloseTheSameWay)
{
    for (const Qt::Key eKey : {Qt::Key_Escape, Qt::Key_Return})
    {
        SCOPED_TRACE(eKey);
        Start(1, 9); // 320 pixels wide: a range check on the width used to stop Enter here
        LoadColours(1);
        const std::string strFolder = m_pDlg->Store()->Folder();
        QTest::keyClick(List(), eKey);
        EXPECT_FALSE(m_pDlg->isVisible());
        EXPECT_FALSE(std::filesystem::exists(strFolder));
    }
}

TEST_F(MainDlgTest, TransformWritesTheShowAndReportsIt)
{
    Start();
    LoadColours(3);
    m_pDlg->SetWorkerTiming({0, 1, 1});
    m_pDialogs->m_strSaveAnswer = m_dir.filePath(QStringLiteral("show.qrv"));
    Control<QPushButton>(1018)->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->WorkerShared().m_bBusy.load(); }, 10000));
    QTest::qWait(20);
    EXPECT_EQ(m_pDialogs->m_vecMessages, QStringList{g_szLangText[9]});
    EXPECT_EQ(QFileInfo(m_pDialogs->m_strSaveAnswer).size(), 32 + 3 * (12 + 2 * 96 * 64 + 2) + 2);
    EXPECT_TRUE(Control<QPushButton>(1017)->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(1018)->isEnabled());
    EXPECT_EQ(Control<QPushButton>(1018)->text(), g_szLangText[5]);
    EXPECT_EQ(SelectedRows(), QList<int>{2});
    EXPECT_TRUE(m_pDlg->IsRefreshTimerActive());
}

TEST_F(MainDlgTest, ClosingDuringASlowPreviewStopsTheWorkerFirst)
{
    Start();
    LoadColours(3);
    m_pDlg->SetWorkerTiming({100, 60000, 60000});
    Control<QPushButton>(1017)->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Control<QPushButton>(1016)->isEnabled(); }, 5000));
    QTest::qWait(50);
    const std::string strFolder = m_pDlg->Store()->Folder();
    QElapsedTimer timer;
    timer.start();
    m_pDlg->close();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_FALSE(std::filesystem::exists(strFolder));
    QTest::qWait(50);
}

TEST_F(MainDlgTest, EnterOnAButtonPressesIt)
{
    Start();
    LoadColours(2);
    Select({1});
    g_btnUp->setFocus();
    QTest::keyClick(g_btnUp, Qt::Key_Return);
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_EQ(StoreOrder(), (std::vector<int>{1, 0}));
}

TEST_F(MainDlgTest, AboutBoxOpensFromContextMenuAndCloses)
{
    Start();
    QString strMenuText;
    QString strVersion;
    QTimer::singleShot(0,
                       [&]
                       {
                           auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                           ASSERT_NE(pMenu, nullptr);
                           strMenuText = pMenu->actions().value(0)->text();
                           QTimer::singleShot(0,
                                              [&]
                                              {
                                                  auto* pAbout = qobject_cast<CAboutDlg*>(
                                                      QApplication::activeModalWidget());
                                                  ASSERT_NE(pAbout, nullptr);
                                                  strVersion = pAbout->findChild<QLabel*>()->text();
                                                  pAbout->findChild<QPushButton*>()->click();
                                              });
                           pMenu->actions().value(0)->trigger();
                           pMenu->close();
                       });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(600, 430),
                            m_pDlg->mapToGlobal(QPoint(600, 430)));
    QApplication::sendEvent(m_pDlg.get(), &event);
    EXPECT_EQ(strMenuText, QStringLiteral("&About Tramino..."));
    EXPECT_EQ(strVersion, QStringLiteral("Tramino Version " TRAMINO_VERSION));
    EXPECT_TRUE(m_pDlg->isVisible());

    bool bF1 = false;
    for (const QShortcut* pShortcut : m_pDlg->findChildren<QShortcut*>())
    {
        bF1 = bF1 || pShortcut->key() == QKeySequence(Qt::Key_F1);
    }
    EXPECT_TRUE(bF1);
}

} // namespace
} // namespace tramino
