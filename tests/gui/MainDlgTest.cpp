#include "AboutDlg.h"
#include "DialogUnits.h"
#include "DocumentUndo.h"
#include "FileOpening.h"
#include "ImportJob.h"
#include "PanelCanvas.h"
#include "PathDelegate.h"
#include "ProjectActions.h"
#include "QtPrinters.h"
#include "WindowTestSupport.h"
#include "cli/CliTestSupport.h"
#include <QElapsedTimer>
#include <QFileInfo>

#include "common/Version.h"
#include "pipeline/ShowBuilder.h"
#include "project/Project.h"
#include "resample/ConvertPicture.h"
#include "settings/LangTable.h"
#include "settings/PanelSize.h"
#include "settings/ProfileFile.h"
#include "settings/VendaleIni.h"
#include "show/Transition.h"
#include "store/PictureStore.h"

#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <semaphore>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <thread>

namespace tramino
{
namespace
{

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

    CResult<ERenamed> Rename(const std::string& strFrom, const std::string& strTo) override
    {
        if (++m_nRenames == m_nFailing)
        {
            return RenameStatus(strFrom, "to", strTo, EACCES);
        }
        return CStoreFileOps::Rename(strFrom, strTo);
    }

private:
    int m_nRenames = 0;
    int m_nFailing = 0;
};

const QString g_strResDir = QStringLiteral(TRAMINO_SOURCE_DIR "/res/");

// Runs the real dialog in a folder of its own that holds its data files.
class MainDlgTest : public CWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CWindowTest::SetUp());
        for (const char* szFile : {"Lang.txt", "BG.bmp"})
        {
            ASSERT_TRUE(
                QFile::copy(g_strResDir + QLatin1String(szFile), m_dir.filePath(QLatin1String(szFile))));
        }
    }

    void Start(int nLanguage = 1, int nPanelCode = 1)
    {
        m_pDlg.reset(); // before its settings are rewritten
        QFile ini(m_dir.filePath(QStringLiteral("Vendale.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("LanguageSelection = %1\nPanelSize = %2\nPanelType = 1\n")
                      .arg(nLanguage)
                      .arg(nPanelCode)
                      .toUtf8());
        ini.close();
        Create();
        m_pDlg->SetStoreFileOps(m_pFileOps);
        m_pDlg->show();
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

    template <class T> T* Control(int nId) const { return m_pDlg->findChild<T*>(QString::number(nId)); }

    std::shared_ptr<CFailingFileOps> m_pFileOps = std::make_shared<CFailingFileOps>();
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
        EXPECT_EQ(List()->model()->headerData(0, Qt::Horizontal).toString(), text(0));
        EXPECT_EQ(g_szLangText[9], text(9));
    }
}

TEST_F(MainDlgTest, OwnAndQtTextsFollowTheLanguageWithEnglishForMissingKeys)
{
    const auto qtCancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    Start(2);
    const CProfileFile lang = CProfileFile::Load((g_strResDir + QStringLiteral("Lang.txt")).toStdString());
    const auto text = [&lang](const char* szKey)
    { return QString::fromStdString(lang.GetString("TraditionalChinese", szKey)); };
    ASSERT_FALSE(text("TipLoadImage").isEmpty());
    EXPECT_EQ(Control<QPushButton>(1016)->toolTip(), text("TipLoadImage"));
    EXPECT_EQ(m_pDlg->ModeCombo()->toolTip(), text("TipMode"));
    EXPECT_EQ(m_pDlg->Texts().Text(EUiText::MenuAbout), text("MenuAbout"));
    if (QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qt_zh_TW.qm")))
    {
        EXPECT_EQ(qtCancel(), QStringLiteral("取消"));
    }
    m_pDlg.reset();
    EXPECT_EQ(qtCancel(), QStringLiteral("Cancel"));

    // A file that lacks keys: the twenty as the file has them, our own in English; no notice.
    QFile file(m_dir.filePath(QStringLiteral("Lang.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[English]\nTEXT4=Add\n");
    file.close();
    Start(1);
    EXPECT_EQ(Control<QPushButton>(1016)->text(), QStringLiteral("Add"));
    EXPECT_EQ(Control<QPushButton>(1018)->text(), QString());
    EXPECT_EQ(Control<QPushButton>(1016)->toolTip(),
              LoadWindowTexts(std::nullopt, 1).Text(EUiText::TipLoadImage));
    QApplication::processEvents();
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
}

TEST(WindowTextsTest, WithoutALangFileEveryTextIsTheBuiltInEnglishOne)
{
    for (const std::optional<std::filesystem::path>& path :
         {std::optional<std::filesystem::path>(),
          std::optional<std::filesystem::path>("/nonexistent/Lang.txt")})
    {
        const CWindowTexts texts = LoadWindowTexts(path, 3);
        EXPECT_TRUE(texts.m_bBuiltIn);
        EXPECT_EQ(texts.m_arrLang[4], QStringLiteral("Load Image"));
        EXPECT_EQ(texts.m_arrLang[13], QStringLiteral("Circle"));
        EXPECT_EQ(texts.Text(EUiText::FilterPictures), QStringLiteral("Pictures"));
    }
    // The bundled file has every key of ours in every language.
    const CProfileFile lang = CProfileFile::Load(TRAMINO_SOURCE_DIR "/res/Lang.txt");
    for (const char* szSection : {"English", "TraditionalChinese", "SimplifiedChinese"})
    {
        for (int i = 0; i < static_cast<int>(EUiText::Count); ++i)
        {
            EXPECT_FALSE(lang.GetString(szSection, UiTextKey(static_cast<EUiText>(i))).empty())
                << szSection << " " << UiTextKey(static_cast<EUiText>(i));
        }
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

    EXPECT_EQ(List()->model()->columnCount(), 1);
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

TEST_F(MainDlgTest, PictureFilterShowsAReadableNameAndMatchesEveryLetterCase)
{
    const QString strFilter = PictureFileFilter(QStringLiteral("Pictures"), QStringLiteral("All files"));
    // What Qt's dialog shows with the patterns hidden, as the window opens it.
    QFileDialog dialog(nullptr, QString(), QString(), strFilter);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    const auto* pTypes = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(pTypes, nullptr);
    ASSERT_EQ(pTypes->count(), 2);
    EXPECT_EQ(pTypes->itemText(0), QStringLiteral("Pictures (*.bmp *.jpg *.jpeg *.gif *.png)"));
    EXPECT_EQ(pTypes->itemText(1), QStringLiteral("All files"));

    const QString strPictures = strFilter.section(QStringLiteral(";;"), 0, 0);
    const QString strPatterns = strPictures.section(QLatin1Char('('), -1).chopped(1);
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
    for (const char* szName : {"a.bmp", "DSC0001.JPG", "x.Gif", "y.jPg", "b.JPEG", "c.png"})
    {
        EXPECT_TRUE(matches(QLatin1String(szName))) << szName;
    }
    for (const char* szName : {"a.tif", "bmp", "a.bmp.txt"})
    {
        EXPECT_FALSE(matches(QLatin1String(szName))) << szName;
    }
}

TEST_F(MainDlgTest, LoadingOnePictureListsStoresSelectsAndShowsIt)
{
    Start();
    const QStringList vecPaths = LoadColours(1);
    EXPECT_EQ(m_pDialogs->m_strOpenFilter,
              PictureFileFilter(QStringLiteral("Pictures"), QStringLiteral("All files")));
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(m_pDlg->Document().ImageCount(), 1);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0}));
    EXPECT_EQ(SelectedRows(), QList<int>{0});
    EXPECT_EQ(List()->currentIndex().row(), 0);
    EXPECT_EQ(m_pDlg->Document().ShownImage(), 0);
    EXPECT_TRUE(m_pDlg->IsRefreshTimerActive());
    EXPECT_TRUE(QTest::qWaitFor([this] { return ShownColour() == 0; }, 2000));
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
}

TEST_F(MainDlgTest, FastImportScalesJpegWhileDecodingOnlyWhenAskedFor)
{
    // 640 x 480 on the 96 x 64 panel: the fast path decodes at 1/4 first, so the two differ.
    const QString strPhoto = g_strResDir + QStringLiteral("samples/hills-baseline.jpg");
    const std::string strPath = strPhoto.toStdString();
    for (const bool bFast : {false, true})
    {
        qputenv("TRAMINO_FAST_IMPORT", bFast ? "1" : "0");
        Start();
        Load({strPhoto});
        ASSERT_EQ(m_pDlg->Store()->Count(), 1);
        const CResult<CPicture> expected =
            ConvertPictureToPanel(strPath, m_pDlg->Panel(), {.m_bFast = bFast});
        const CResult<CPicture> other = ConvertPictureToPanel(strPath, m_pDlg->Panel(), {.m_bFast = !bFast});
        ASSERT_TRUE(expected && other);
        EXPECT_EQ(m_pDlg->Store()->Read(0).Value(), expected.Value());
        EXPECT_NE(expected.Value(), other.Value());
    }
    qunsetenv("TRAMINO_FAST_IMPORT");
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
    EXPECT_EQ(m_pDlg->Document().ImageCount(), 5);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(SelectedRows(), QList<int>{4}) << "the earlier selection is gone";
    EXPECT_EQ(m_pDlg->Document().ShownImage(), 4);
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    const QString& strMessage = m_pDialogs->m_vecMessages.constFirst();
    EXPECT_TRUE(strMessage.contains(vecMore[1]));
    EXPECT_TRUE(strMessage.contains(vecMore[3]));
    EXPECT_FALSE(strMessage.contains(vecMore[0]));
    EXPECT_EQ(m_pDialogs->m_vecMessageKinds, std::vector{EMessageKind::Error});
}

TEST_F(MainDlgTest, AFifoOrDeviceAmongThePicturesIsNamedAndNeverHoldsUpTheImport)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFOs";
#else
    Start();
    const QString strFifo = m_dir.filePath(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(strFifo).constData(), 0600), 0);
    const QStringList vecPaths{MakePicture(QStringLiteral("a.bmp"), Colour(0)), strFifo,
                               QStringLiteral("/dev/null"), MakePicture(QStringLiteral("b.bmp"), Colour(1))};
    QElapsedTimer timer;
    timer.start();
    Load(vecPaths);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[3]}));
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    const QString& strMessage = m_pDialogs->m_vecMessages.constFirst();
    EXPECT_TRUE(strMessage.contains(strFifo + QStringLiteral("': not a regular file")))
        << strMessage.toStdString();
    EXPECT_TRUE(strMessage.contains(QStringLiteral("/dev/null"))) << strMessage.toStdString();
#endif
}

TEST(ImportJobTest, CancelEndsTheImportWhileAConversionStillWaitsForItsFile)
{
    auto pRelease = std::make_shared<std::binary_semaphore>(0);
    std::atomic<bool> bConverting{false};
    int nDelivered = 0;
    {
        // As open() on a FIFO without a writer.
        class CWaitingSource final : public IPictureSource
        {
        public:
            CWaitingSource(std::shared_ptr<std::binary_semaphore> pRelease, std::atomic<bool>& bConverting)
                : m_pRelease(std::move(pRelease)), m_bConverting(bConverting)
            {
            }
            uint64_t PeakBytes(CPanelSize) const override { return 0; }
            CStatus Produce(CPanelSize, const FnTakePicture&) const override
            {
                m_bConverting = true;
                m_pRelease->acquire();
                return CStatus::Error("late");
            }

        private:
            std::shared_ptr<std::binary_semaphore> m_pRelease;
            std::atomic<bool>& m_bConverting;
        };
        PictureSources vecSources;
        vecSources.push_back(std::make_unique<CWaitingSource>(pRelease, bConverting));
        CImportJob job(std::move(vecSources), {96, 64});
        bool bFinished = false;
        QObject::connect(&job, &CImportJob::Finished, [&bFinished] { bFinished = true; });
        job.Start([&nDelivered](int, std::vector<CResult<CPicture>>&) { ++nDelivered; }, [](int) {});
        ASSERT_TRUE(QTest::qWaitFor([&] { return bConverting.load(); }, 5000));
        job.Cancel();
        EXPECT_TRUE(QTest::qWaitFor([&] { return bFinished; }, 1000));
        pRelease->release();
    }
    QApplication::processEvents();
    EXPECT_EQ(nDelivered, 0);
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

    const int nListed = List()->model()->rowCount();
    EXPECT_GT(nListed, 0);
    EXPECT_LT(nListed, nTotal);
    EXPECT_EQ(ListTexts(), vecPaths.mid(0, nListed));
    EXPECT_EQ(m_pDlg->Store()->Count(), nListed);
    EXPECT_EQ(m_pDlg->Document().ImageCount(), nListed);
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
    EXPECT_EQ(SelectedRows(), QList<int>{nListed - 1});
}

TEST_F(MainDlgTest, CancellingTheOpenDialogChangesNothing)
{
    Start();
    m_pDlg->LoadImageButton()->click();
    EXPECT_EQ(m_pDlg->Store(), nullptr);
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_FALSE(m_pDlg->IsRefreshTimerActive());
}

TEST_F(MainDlgTest, ASingleSelectionShowsItsPictureAndSeveralAreIgnored)
{
    Start();
    LoadColours(3);
    Select({1});
    EXPECT_EQ(m_pDlg->Document().ShownImage(), 1);
    EXPECT_TRUE(QTest::qWaitFor([this] { return ShownColour() == 1; }, 2000));

    // Ctrl+click on item 2 adds it to the selection.
    List()->selectionModel()->select(List()->model()->index(2, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(m_pDlg->Document().ShownImage(), 1);
    m_pDlg->UpButton()->click();
    m_pDlg->DownButton()->click();
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(SelectedRows(), (QList<int>{1, 2}));
}

TEST_F(MainDlgTest, DeleteClosesUpListAndStore)
{
    Start();
    const QStringList vecPaths = LoadColours(4);
    Select({1});
    m_pDlg->DeleteButton()->click();
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[2], vecPaths[3]}));
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 2, 3}));
    EXPECT_FALSE(std::filesystem::exists(m_pDlg->Store()->PathOf(3)));
    EXPECT_EQ(m_pDlg->Document().ImageCount(), 3);
    EXPECT_TRUE(SelectedRows().isEmpty());
    EXPECT_FALSE(m_pDlg->IsRefreshTimerActive());

    // The last item: nothing behind it moves.
    Select({2});
    m_pDlg->DeleteButton()->click();
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 2}));
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[2]}));
}

TEST_F(MainDlgTest, DeleteRemovesEverySelectedItem)
{
    Start();
    const QStringList vecPaths = LoadColours(5);
    Select({0, 2, 4});
    m_pDlg->DeleteButton()->click();
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[1], vecPaths[3]}));
    EXPECT_EQ(StoreOrder(), (std::vector<int>{1, 3}));
    EXPECT_EQ(m_pDlg->Document().ImageCount(), 2);
    EXPECT_FALSE(m_pDlg->WorkerShared().m_bIgnoreListSelect.load());
    EXPECT_FALSE(m_pDlg->IsRefreshTimerActive());
}

TEST_F(MainDlgTest, TheListTakesDeleteHomeAndEndAndElidesLongPathsInTheMiddle)
{
    Start();
    QString strFolder = m_dir.path();
    for (int i = 0; i < 6; ++i)
    {
        strFolder += QStringLiteral("/a-rather-long-folder-name-%1").arg(i);
    }
    ASSERT_TRUE(QDir().mkpath(strFolder));
    const QString strLong =
        MakePicture(QStringLiteral("a-rather-long-folder-name-0/a-rather-long-folder-name-1/"
                                   "a-rather-long-folder-name-2/a-rather-long-folder-name-3/"
                                   "a-rather-long-folder-name-4/a-rather-long-folder-name-5/"
                                   "DSC0001.bmp"),
                    Colour(3));
    const QStringList vecPaths = LoadColours(3) << strLong;
    Load({strLong});
    ASSERT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(List()->model()->index(3, 0).data(Qt::ToolTipRole).toString(), strLong);

    QStyleOptionViewItem option;
    option.initFrom(List());
    option.rect = List()->visualRect(List()->model()->index(3, 0));
    option.text = strLong;
    const QString strShown = m_pDlg->ListDelegate()->VisibleText(option);
    EXPECT_TRUE(strShown.endsWith(QStringLiteral("/DSC0001.bmp"))) << strShown.toStdString();
    EXPECT_TRUE(strShown.startsWith(m_dir.path().left(4))) << strShown.toStdString();
    EXPECT_LT(option.fontMetrics.horizontalAdvance(strShown), List()->viewport()->width());

    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Home);
    EXPECT_EQ(SelectedRows(), QList<int>{0});
    EXPECT_EQ(m_pDlg->Document().ShownImage(), 0);
    QTest::keyClick(List(), Qt::Key_End);
    EXPECT_EQ(SelectedRows(), QList<int>{3});
    EXPECT_EQ(m_pDlg->Document().ShownImage(), 3);
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(ListTexts(), vecPaths.mid(0, 3));
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));
}

TEST_F(MainDlgTest, UpAndDownMoveOnePlaceAndDoNothingAtTheEnds)
{
    Start();
    const QStringList vecPaths = LoadColours(3);
    Select({0});
    m_pDlg->UpButton()->click();
    Select({2});
    m_pDlg->DownButton()->click();
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));

    m_pDlg->UpButton()->click(); // item 2 still selected
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[2], vecPaths[1]}));
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(SelectedRows(), QList<int>{1});
    EXPECT_EQ(List()->currentIndex().row(), 1);
    EXPECT_EQ(m_pDlg->Document().ShownImage(), 1);
    EXPECT_TRUE(m_pDlg->IsRefreshTimerActive());
    EXPECT_FALSE(m_pDlg->WorkerShared().m_bIgnoreListSelect.load());
    EXPECT_TRUE(QTest::qWaitFor([this] { return ShownColour() == 2; }, 2000));

    Select({0});
    m_pDlg->DownButton()->click();
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
    m_pDlg->UpButton()->click();
    EXPECT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(m_pDlg->WorkerShared().m_bIgnoreListSelect.load());

    // Deleted from the back: Qrv1.bmp, in place of the deleted second item, cannot move down
    // behind the deleted first one. Neither is deleted then.
    m_pFileOps->FailRename(4);
    Select({0, 1});
    m_pDlg->DeleteButton()->click();
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 2);
    EXPECT_TRUE(m_pDialogs->m_vecMessages.last().contains(QStringLiteral("Qrv1.bmp")))
        << m_pDialogs->m_vecMessages.last().toStdString();
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(m_pDlg->Document().ImageCount(), 3);
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
    EXPECT_EQ(m_pDialogs->m_vecMessageKinds, std::vector{EMessageKind::Information});

    // The next save dialog opens where this one saved; the first where the pictures were chosen.
    QDir(m_dir.path()).mkdir(QStringLiteral("shows"));
    m_pDialogs->m_strSaveAnswer = m_dir.filePath(QStringLiteral("shows/next.qrv"));
    for (int nRun = 0; nRun < 2; ++nRun)
    {
        Control<QPushButton>(1018)->click();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_pDlg->IsWorkerRunning(); }, 10000));
    }
    EXPECT_EQ(m_pDialogs->m_vecSaveFolders,
              (QStringList{m_dir.path(), m_dir.path(), m_dir.filePath(QStringLiteral("shows"))}));
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
    m_pDlg->UpButton()->setFocus();
    QTest::keyClick(m_pDlg->UpButton(), Qt::Key_Return);
    EXPECT_TRUE(m_pDlg->isVisible());
    EXPECT_EQ(StoreOrder(), (std::vector<int>{1, 0}));
}

TEST_F(MainDlgTest, AboutBoxOpensFromContextMenuAndCloses)
{
    Start();
    QString strMenuText;
    QString strVersion;
    QString strAbout;
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
                                                  for (const QLabel* pLabel : pAbout->findChildren<QLabel*>())
                                                  {
                                                      strAbout += pLabel->text() + QLatin1Char('\n');
                                                  }
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
    EXPECT_TRUE(strAbout.contains(QStringLiteral("\nMIT License\n"))) << strAbout.toStdString();
    for (const QString& strName :
         {QStringLiteral(".qrv"), QStringLiteral("Qt ") + QLatin1String(qVersion()),
          QStringLiteral("libjpeg-turbo 2."), QStringLiteral("giflib 5."), QStringLiteral("libpng 1.")})
    {
        // A name and its version are held together by a no-break space.
        EXPECT_TRUE(strAbout.contains(QString(strName).replace(QLatin1Char(' '), QChar::Nbsp)))
            << strAbout.toStdString();
    }
    EXPECT_TRUE(m_pDlg->isVisible());

    bool bF1 = false;
    for (const QShortcut* pShortcut : m_pDlg->findChildren<QShortcut*>())
    {
        bF1 = bF1 || pShortcut->key() == QKeySequence(Qt::Key_F1);
    }
    EXPECT_TRUE(bF1);
}

// Keyboard only: Tab leaves the list without touching its selection, and Shift+F10 opens the
// menu (from the mode box too) with every command and no access key twice, in each language.
TEST_F(MainDlgTest, KeyboardLeavesTheListAndOpensTheMenuWithDistinctAccessKeys)
{
    for (const int nLanguage : {1, 2, 3})
    {
        Start(nLanguage);
        LoadColours(3);
        Select({0});
        List()->setFocus();
        QTest::keyClick(List(), Qt::Key_Tab);
        EXPECT_EQ(SelectedRows(), QList<int>{0});
        EXPECT_FALSE(List()->hasFocus());

        QStringList vecTexts;
        QList<QKeySequence> vecKeys;
        QTimer::singleShot(0,
                           [&]
                           {
                               auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                               ASSERT_NE(pMenu, nullptr);
                               for (const QAction* pAction : pMenu->actions())
                               {
                                   if (!pAction->isSeparator())
                                   {
                                       vecTexts += pAction->text();
                                       vecKeys += QKeySequence::mnemonic(pAction->text());
                                   }
                               }
                               pMenu->close();
                           });
        QComboBox* pMode = Control<QComboBox>(1013);
        pMode->setFocus();
        QTest::keyClick(pMode, Qt::Key_F10, Qt::ShiftModifier);
        EXPECT_TRUE(vecTexts.contains(m_pDlg->Texts().Text(EUiText::MenuOpenShow))) << nLanguage;
        EXPECT_EQ(vecKeys.size(), 14);
        for (const QKeySequence& key : vecKeys)
        {
            EXPECT_FALSE(key.isEmpty()) << nLanguage;
            EXPECT_EQ(vecKeys.count(key), 1) << nLanguage << " " << key.toString().toStdString();
        }
    }
}

// Preview and Transform on the real window: the wiring, the real buttons' captions and states,
// the list, the canvas and the refresh timer. The workers' steps themselves are tested apart.
class MainDlgRunTest : public MainDlgTest
{
protected:
    QPushButton* Button(int nId) const { return Control<QPushButton>(nId); }

    // The running or stopping worker's button, and the other six all enabled or all greyed.
    void ExpectButtons(int nOwn, const QString& strCaption, bool bOwnEnabled, bool bOthersEnabled) const
    {
        EXPECT_EQ(Button(nOwn)->text(), strCaption) << nOwn;
        EXPECT_EQ(Button(nOwn)->isEnabled(), bOwnEnabled) << nOwn;
        for (int nId : {1016, 1017, 1018, 1019, 1020, 1021, 1023})
        {
            if (nId != nOwn)
            {
                EXPECT_EQ(Button(nId)->isEnabled(), bOthersEnabled) << nId;
            }
        }
    }

    void ExpectIdle() const
    {
        ExpectButtons(1017, g_szLangText[1], true, true);
        EXPECT_EQ(Button(1018)->text(), g_szLangText[5]);
        const CWorkerShared& shared = m_pDlg->WorkerShared();
        EXPECT_FALSE(shared.m_bBusy.load());
        EXPECT_FALSE(shared.m_bStopRequested.load());
        EXPECT_FALSE(shared.m_bIgnoreListSelect.load());
    }

    // After a run that ended on picture k: its item selected, the timer redrawing it.
    void ExpectEndedOn(int k) const
    {
        EXPECT_EQ(SelectedRows(), QList<int>{k});
        EXPECT_EQ(List()->currentIndex().row(), k);
        EXPECT_EQ(m_pDlg->Document().ShownImage(), k);
        EXPECT_TRUE(m_pDlg->IsRefreshTimerActive());
        EXPECT_TRUE(CanvasShows(k));
    }

    // Like QTest::qWaitFor, without its 10 ms naps between looks: a worker waits for the
    // user-interface thread at each of its calls, and these add up over a run.
    static bool WaitUntil(const std::function<bool()>& fnDone, int nMs = 30000)
    {
        QTimer timerLook; // wakes the loop to look again when no event comes
        timerLook.start(2);
        const QDeadlineTimer deadline(nMs);
        while (!fnDone())
        {
            if (deadline.hasExpired())
            {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return true;
    }

    // Until the worker has returned, not only cleared its busy flag.
    bool WaitForEnd() const
    {
        return WaitUntil([this] { return !m_pDlg->IsWorkerRunning(); });
    }

    bool WaitForOthersGreyed() const
    {
        return WaitUntil([this] { return !Button(1016)->isEnabled(); });
    }

    // Pictures whose pixels differ along both axes, so that every record's order shows in the file.
    void LoadGradients(int nCount)
    {
        QStringList vecPaths;
        for (int i = 0; i < nCount; ++i)
        {
            QImage image(m_pDlg->Panel().m_nWidth, m_pDlg->Panel().m_nHeight, QImage::Format_RGB888);
            for (int y = 0; y < m_pDlg->Panel().m_nHeight; ++y)
            {
                for (int x = 0; x < m_pDlg->Panel().m_nWidth; ++x)
                {
                    image.setPixel(x, y,
                                   qRgb(x * 255 / m_pDlg->Panel().m_nWidth,
                                        y * 255 / m_pDlg->Panel().m_nHeight, 60 * i + 30));
                }
            }
            vecPaths += m_dir.filePath(QStringLiteral("g%1.bmp").arg(i));
            EXPECT_TRUE(image.save(vecPaths.last(), "BMP"));
        }
        Load(vecPaths);
        ASSERT_EQ(List()->model()->rowCount(), nCount);
    }

    // A started window with nCount gradients listed, the given timing and the mode of TEXT<nKey>.
    EEffect StartOnGradients(int nCount, int nKey, const CWorkerTiming& timing)
    {
        Start();
        LoadGradients(nCount);
        m_pDlg->SetWorkerTiming(timing);
        return ChooseMode(nKey);
    }

    // Chooses the mode entry of TEXT<nKey> and returns the transition it stands for.
    EEffect ChooseMode(int nKey) const
    {
        m_pDlg->ModeCombo()->setCurrentText(g_szLangText[static_cast<size_t>(nKey)]);
        std::array<std::string, 4> arrTexts;
        for (size_t i = 0; i < arrTexts.size(); ++i)
        {
            arrTexts[i] = g_szLangText[10 + i].toStdString();
        }
        const std::optional<EEffect> effect =
            ResolveEffect(m_pDlg->ModeCombo()->currentText().toStdString(), arrTexts);
        EXPECT_TRUE(effect.has_value());
        return effect.value_or(EEffect::Normal);
    }

    bool CanvasShows(int k) const
    {
        const CResult<CPicture> picture = m_pDlg->Store()->Read(k);
        const QImage image = m_pDlg->PreviewWindow()->Snapshot();
        for (int y = 0; picture && y < m_pDlg->Panel().m_nHeight; ++y)
        {
            for (int x = 0; x < m_pDlg->Panel().m_nWidth; ++x)
            {
                const CRgb cr = picture.Value().GetPixel(x, y);
                if (image.pixel(x, y) != qRgb(cr.m_nRed, cr.m_nGreen, cr.m_nBlue))
                {
                    return false;
                }
            }
        }
        return bool(picture);
    }

    static QByteArray FileBytes(const QString& strPath)
    {
        QFile file(strPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // What the core's show builder makes of the first nCount stored pictures; one that cannot be
    // read is written white.
    QByteArray CoreShow(EEffect effect, int nCount)
    {
        const QString strPath = m_dir.filePath(QStringLiteral("core.qrv"));
        PictureSources vecSources;
        for (int k = 0; k < nCount; ++k)
        {
            vecSources.push_back(
                std::make_unique<CReadPictureSource>([this, k] { return m_pDlg->Store()->Read(k); }));
        }
        CShowBuildOptions options;
        options.m_nPanelWidth = m_pDlg->Panel().m_nWidth;
        options.m_nPanelHeight = m_pDlg->Panel().m_nHeight;
        options.m_effect = effect;
        options.m_eUnreadable = EUnreadable::WriteWhite;
        EXPECT_TRUE(CShowBuilder(options).Build(vecSources, strPath.toStdString()).m_bWritten);
        return FileBytes(strPath);
    }

    QString Target(const QString& strName)
    {
        m_pDialogs->m_strSaveAnswer = m_dir.filePath(strName);
        return m_pDialogs->m_strSaveAnswer;
    }
};

TEST_F(MainDlgRunTest, WithAnEmptyListPreviewAndTransformChangeNothing)
{
    Start();
    Target(QStringLiteral("empty.qrv"));
    Button(1017)->click();
    Button(1018)->click();
    EXPECT_FALSE(m_pDlg->IsWorkerRunning());
    ExpectIdle();
    EXPECT_TRUE(m_pDialogs->m_vecSaveQuestions.isEmpty());
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
    EXPECT_FALSE(m_pDlg->IsRefreshTimerActive());
}

TEST_F(MainDlgRunTest, EveryTransitionPlaysTheListAndWritesTheCoresFile)
{
    Start();
    LoadGradients(3);
    m_pDlg->SetWorkerTiming({0, 1, 1});
    for (int nKey = 10; nKey <= 13; ++nKey)
    {
        SCOPED_TRACE(nKey);
        const EEffect effect = ChooseMode(nKey);
        Select({0});
        m_pDlg->PreviewWindow()->Clear();
        Button(1017)->click();
        EXPECT_EQ(Button(1017)->text(), g_szLangText[16]);
        ASSERT_TRUE(WaitForEnd());
        ExpectIdle();
        ExpectEndedOn(2);

        Select({0});
        const QString strPath = Target(QStringLiteral("show%1.qrv").arg(nKey));
        bool bConfirming = false;
        m_pDialogs->m_fnWhileShowing = [&]
        {
            ExpectButtons(1018, g_szLangText[16], true, false);
            EXPECT_TRUE(m_pDlg->IsRefreshTimerActive());
            bConfirming = true;
        };
        Button(1018)->click();
        ASSERT_TRUE(WaitForEnd());
        EXPECT_TRUE(bConfirming);
        EXPECT_EQ(m_pDialogs->m_vecMessages, QStringList{g_szLangText[9]});
        m_pDialogs->m_vecMessages.clear();
        EXPECT_EQ(FileBytes(strPath), CoreShow(effect, 3));
        ExpectIdle();
        ExpectEndedOn(2);
    }
}

TEST_F(MainDlgRunTest, AStopDuringTheFirstPictureEndsTheRunAfterIt)
{
    // A quarter of a second a picture of the 96 x 64 panel: the second press lands while the
    // first is drawn.
    const EEffect effect = StartOnGradients(3, 13, {96 * 64 * 4, 1, 1});
    const QString strPath = Target(QStringLiteral("stopped.qrv"));
    for (const auto& [nOwn, nIdleKey] : {std::pair{1017, 1}, std::pair{1018, 5}})
    {
        SCOPED_TRACE(nOwn);
        Button(nOwn)->click();
        ASSERT_TRUE(WaitForOthersGreyed());
        ExpectButtons(nOwn, g_szLangText[16], true, false); // Playing, Writing
        Button(nOwn)->click();
        ExpectButtons(nOwn, g_szLangText[16], false, false); // Stopping
        ASSERT_TRUE(WaitForEnd());
        ExpectIdle();
        EXPECT_EQ(Button(nOwn)->text(), g_szLangText[static_cast<size_t>(nIdleKey)]);
        ExpectEndedOn(0);
    }
    EXPECT_EQ(FileBytes(strPath), CoreShow(effect, 1));
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
}

TEST_F(MainDlgRunTest, AStopDuringTheLastPauseKeepsTheFileCompleteWithoutMessage)
{
    const EEffect effect = StartOnGradients(2, 11, {0, 1, 300});
    const QString strPath = Target(QStringLiteral("last.qrv"));
    Select({0});
    Button(1018)->click();
    // The timer runs on the last picture only during its pause.
    ASSERT_TRUE(
        WaitUntil([this] { return m_pDlg->Document().ShownImage() == 1 && m_pDlg->IsRefreshTimerActive(); }));
    Button(1018)->click();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(FileBytes(strPath), CoreShow(effect, 2));
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
    ExpectIdle();
    ExpectEndedOn(1);
}

TEST_F(MainDlgRunTest, ACancelledSaveDialogWritesAndReportsNothing)
{
    Start();
    LoadGradients(2);
    bool bAsking = false;
    m_pDialogs->m_fnWhileAsking = [&]
    {
        ExpectButtons(1018, g_szLangText[16], true, false);
        EXPECT_TRUE(SelectedRows().isEmpty());
        bAsking = true;
    };
    Button(1018)->click();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(bAsking);
    EXPECT_EQ(m_pDialogs->m_vecSaveQuestions, QStringList{QStringLiteral("*.qrv|qrv")});
    EXPECT_TRUE(QDir(m_dir.path()).entryList({QStringLiteral("*.qrv")}).isEmpty());
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
    ExpectIdle();
    EXPECT_TRUE(m_pDlg->IsRefreshTimerActive()) << "as before the run";
}

TEST_F(MainDlgRunTest, AnUnwritableTargetIsReportedByName)
{
    Start();
    LoadGradients(2);
    const QString strPath = Target(QStringLiteral("no-such-folder/show.qrv"));
    Button(1018)->click();
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    EXPECT_TRUE(m_pDialogs->m_vecMessages.constFirst().contains(strPath))
        << m_pDialogs->m_vecMessages.constFirst().toStdString();
    EXPECT_FALSE(QFile::exists(strPath));
    EXPECT_EQ(m_pDialogs->m_vecMessageKinds, std::vector{EMessageKind::Error});
    ExpectIdle();
}

TEST_F(MainDlgRunTest, CommandsPressedDuringAnImportLeaveTheListAndTheStoreAlone)
{
    Start();
    const QStringList vecFirst = LoadColours(2);
    m_pDlg->SetWorkerTiming({0, 60000, 60000}); // a run started by mistake would still be going
    Target(QStringLiteral("early.qrv"));
    QStringList vecMore;
    for (int i = 2; i < 6; ++i)
    {
        vecMore += MakePicture(QStringLiteral("more%1.bmp").arg(i), Colour(i));
    }
    int nPresses = 0;
    const auto pressAll = [&]
    {
        EXPECT_TRUE(m_pDlg->IsImporting());
        for (const int nId : {1017, 1018, 1020, 1021, 1023, 1016})
        {
            Button(nId)->click();
        }
        QTest::keyClick(List(), Qt::Key_Delete);
        ++nPresses;
    };
    // Before the import has listed anything, and after each picture it lists.
    QTimer::singleShot(0, m_pDlg.get(), pressAll);
    QObject::connect(List()->model(), &QAbstractItemModel::rowsInserted, m_pDlg.get(), pressAll);
    Load(vecMore);
    QObject::disconnect(List()->model(), &QAbstractItemModel::rowsInserted, m_pDlg.get(), nullptr);

    EXPECT_EQ(nPresses, 1 + vecMore.size());
    EXPECT_FALSE(m_pDlg->IsWorkerRunning());
    EXPECT_TRUE(m_pDialogs->m_vecSaveQuestions.isEmpty());
    EXPECT_EQ(ListTexts(), vecFirst + vecMore);
    EXPECT_EQ(StoreOrder(), (std::vector<int>{0, 1, 2, 3, 4, 5}));

    // While a worker runs, the Delete key leaves the list alone as the greyed button does.
    Button(1017)->click();
    ASSERT_TRUE(WaitForOthersGreyed());
    Select({0});
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(ListTexts(), vecFirst + vecMore);
}

TEST_F(MainDlgRunTest, AStoreFileRemovedBeforeTheRunIsNamedAndWrittenWhite)
{
    const EEffect effect = StartOnGradients(3, 12, {0, 1, 1});
    ASSERT_TRUE(std::filesystem::remove(m_pDlg->Store()->PathOf(1)));
    const QString strPath = Target(QStringLiteral("gap.qrv"));
    Button(1018)->click();
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    const QString& strMessage = m_pDialogs->m_vecMessages.constFirst();
    EXPECT_TRUE(strMessage.startsWith(g_szLangText[9])) << strMessage.toStdString();
    EXPECT_TRUE(strMessage.contains(QString::fromStdString(m_pDlg->Store()->PathOf(1))))
        << strMessage.toStdString();
    EXPECT_EQ(FileBytes(strPath), CoreShow(effect, 3));
    ExpectIdle();
}

TEST_F(MainDlgRunTest, ClosingDuringATransformFinishesTheFileBeforeTheStoreGoes)
{
    const EEffect effect = StartOnGradients(3, 10, {0, 1, 60000});
    const QString strPath = Target(QStringLiteral("closed.qrv"));
    Button(1018)->click();
    // Picture 0 written, its pause under way.
    ASSERT_TRUE(
        WaitUntil([this] { return m_pDlg->Document().ShownImage() == 0 && m_pDlg->IsRefreshTimerActive(); }));
    const QByteArray expected = CoreShow(effect, 1);
    const std::string strFolder = m_pDlg->Store()->Folder();
    QElapsedTimer timer;
    timer.start();
    m_pDlg->close();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_FALSE(m_pDlg->IsWorkerRunning());
    EXPECT_FALSE(std::filesystem::exists(strFolder));
    EXPECT_EQ(FileBytes(strPath), expected);
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty());
}

// The window's project commands, found by their keys.
void PressProjectKeys(CMainDlg& dlg, const QKeySequence& keys)
{
    for (QAction* pAction : dlg.actions())
    {
        if (pAction->shortcut() == keys)
        {
            pAction->trigger();
            return;
        }
    }
    ADD_FAILURE() << "no command on " << keys.toString().toStdString();
}

const QKeySequence g_keysOpenProject(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
const QKeySequence g_keysSaveProject(Qt::CTRL | Qt::Key_S);
const QKeySequence g_keysSaveProjectAs(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
const QString g_strProgramTitle = QStringLiteral("Tramino V" TRAMINO_VERSION);

TEST_F(MainDlgRunTest, ASavedProjectOpensAsSavedAndTheCommandLineBuildsTheBytesOfTransform)
{
    Start();
    LoadColours(2);
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("Untitled* - ") + g_strProgramTitle);
    SelectModeBoxEffect(*m_pDlg->ModeCombo(), EEffect::Circle);
    Select({0});
    m_pDlg->DownButton()->click();
    const QString strProject = m_dir.filePath(QStringLiteral("show.tramino"));
    m_pDialogs->m_strSaveAnswer = strProject;
    PressProjectKeys(*m_pDlg, g_keysSaveProjectAs);
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("show - ") + g_strProgramTitle);

    // A picture of its own size and options, added by the command line, reaches the window's import.
    QImage gradient(50, 30, QImage::Format_RGB888);
    for (int y = 0; y < gradient.height(); ++y)
    {
        for (int x = 0; x < gradient.width(); ++x)
        {
            gradient.setPixelColor(x, y, QColor(x * 5, y * 8, 255 - x * 3));
        }
    }
    const QString strGradient = m_dir.filePath(QStringLiteral("G.bmp"));
    ASSERT_TRUE(gradient.save(strGradient, "BMP"));
    ASSERT_EQ(test::RunCli({"project", "add", strProject.toStdString(), "--fit", "contain", "--background",
                            "123456", strGradient.toStdString()})
                  .m_nStatus,
              0);
    const QByteArray savedText = FileBytes(strProject);

    Start();
    m_pDialogs->m_queOpenAnswers.push_back({strProject});
    PressProjectKeys(*m_pDlg, g_keysOpenProject);
    EXPECT_EQ(ListTexts(), (QStringList{m_dir.filePath(QStringLiteral("Q.bmp")),
                                        m_dir.filePath(QStringLiteral("P.bmp")), strGradient}));
    EXPECT_EQ(m_pDlg->ModeCombo()->currentText(), g_szLangText[13]);
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("show - ") + g_strProgramTitle);
    PressProjectKeys(*m_pDlg, g_keysSaveProject);
    EXPECT_EQ(FileBytes(strProject), savedText);

    m_pDlg->SetWorkerTiming({0, 1, 1});
    m_pDialogs->m_strSaveAnswer = m_dir.filePath(QStringLiteral("window.qrv"));
    Button(1018)->click();
    ASSERT_TRUE(WaitUntil([this] { return !m_pDlg->IsWorkerRunning(); }));
    const std::string strBuilt = m_dir.filePath(QStringLiteral("cli.qrv")).toStdString();
    const test::CRun built = test::RunCli({"build", "-o", strBuilt, strProject.toStdString()});
    ASSERT_EQ(built.m_nStatus, 0) << built.m_strErr;
    EXPECT_EQ(FileBytes(QString::fromStdString(strBuilt)), FileBytes(m_pDialogs->m_strSaveAnswer));
    EXPECT_TRUE(m_pDialogs->m_vecQuestions.isEmpty());

    Select({2});
    m_pDlg->DeleteButton()->click();
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("show* - ") + g_strProgramTitle);
}

TEST_F(MainDlgTest, UnsavedChangesAreAskedAboutBeforeTheWindowCloses)
{
    // Nothing unsaved: Escape closes at once, as it always did.
    Start();
    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_TRUE(m_pDialogs->m_vecQuestions.isEmpty());

    const QString strProject = m_dir.filePath(QStringLiteral("kept.tramino"));
    for (const QMessageBox::StandardButton eAnswer :
         {QMessageBox::Cancel, QMessageBox::Discard, QMessageBox::Save})
    {
        SCOPED_TRACE(eAnswer);
        Start();
        LoadColours(1);
        m_pDialogs->m_queAskAnswers.push_back(eAnswer);
        m_pDialogs->m_strSaveAnswer = strProject;
        QTest::keyClick(List(), Qt::Key_Escape);
        EXPECT_EQ(m_pDialogs->m_vecQuestions,
                  QStringList{
                      QStringLiteral("The show Untitled has changes that are not saved. Save them first?")});
        EXPECT_EQ(m_pDlg->isVisible(), eAnswer == QMessageBox::Cancel);
        EXPECT_EQ(QFileInfo::exists(strProject), eAnswer == QMessageBox::Save);
    }
    const CResult<CProject> saved = LoadProject(strProject.toStdString());
    ASSERT_TRUE(saved) << saved.Message();
    EXPECT_EQ(saved.Value().m_vecPictures.size(), 1u);
}

TEST_F(MainDlgTest, ReasonsFromTheCoreAreSaidInTheWindowsLanguage)
{
    Start(3);
    const auto write = [this](const QString& strName, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(strName));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    QFile whole(MakePicture(QStringLiteral("whole.bmp"), Colour(1)));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const std::pair<QString, EUiText> aFiles[] = {
        {write(QStringLiteral("a.txt"), "no picture at all"), EUiText::ReasonNotAPicture},
        {write(QStringLiteral("empty.bmp"), {}), EUiText::ReasonEmpty},
        {write(QStringLiteral("cut.bmp"), whole.read(1000)), EUiText::ReasonTruncated},
        {m_dir.filePath(QStringLiteral("gone.bmp")), EUiText::ReasonNotThere}};
    QStringList vecPaths;
    for (const auto& [strPath, eReason] : aFiles)
    {
        vecPaths += strPath;
    }
    Load(vecPaths);
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    const QString strMessage = m_pDialogs->m_vecMessages.takeFirst();
    for (const auto& [strPath, eReason] : aFiles)
    {
        EXPECT_TRUE(strMessage.contains(m_pDlg->Texts().Text(eReason).arg(strPath)))
            << strMessage.toStdString();
    }
    EXPECT_FALSE(strMessage.contains(QStringLiteral("BMP, JPEG"))) << "no English reason";

    const QString strGone = m_dir.filePath(QStringLiteral("gone.tramino"));
    const QString strText = write(QStringLiteral("text.tramino"), "hello");
    for (const auto& [strProject, eReason] :
         {std::pair{strGone, EUiText::ReasonNotThere}, std::pair{strText, EUiText::ReasonNotJson}})
    {
        m_pDlg->ProjectActions().OpenProject(strProject);
        EXPECT_EQ(m_pDialogs->m_vecMessages.value(0), m_pDlg->Texts().Text(eReason).arg(strProject));
        m_pDialogs->m_vecMessages.clear();
    }

    const QString strShow = write(QStringLiteral("text.qrv"), "hello");
    m_pDlg->Files().OpenShow(strShow);
    EXPECT_TRUE(m_pDialogs->m_vecMessages.value(0).startsWith(
        m_pDlg->Texts().Text(EUiText::ReasonNotAShow).arg(strShow).section(QStringLiteral("%2"), 0, 0)))
        << m_pDialogs->m_vecMessages.value(0).toStdString();
}

TEST_F(MainDlgTest, AProjectForAnotherPanelOpensOnlyConvertedAndItsMissingPicturesAreNamed)
{
    Start();
    const QString strPicture = MakePicture(QStringLiteral("P.bmp"), Colour(0));
    CProject project;
    project.m_panel = CProjectPanel::ForSize(PanelSizeFromCode(2));
    project.m_vecPictures = {{{strPicture.toStdString(), false}, {}},
                             {{m_dir.filePath(QStringLiteral("gone.bmp")).toStdString(), false}, {}}};
    const QString strProject = m_dir.filePath(QStringLiteral("big.tramino"));
    ASSERT_TRUE(SaveProject(project, strProject.toStdString()));

    QStringList vecQuestions;
    for (const char* szAnswer : {"cancel", "convert"})
    {
        m_pDialogs->m_queOpenAnswers.push_back({strProject});
        QTimer::singleShot(0,
                           [szAnswer, &vecQuestions]
                           {
                               auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                               ASSERT_NE(pBox, nullptr);
                               vecQuestions += pBox->text();
                               pBox->findChild<QPushButton*>(QLatin1String(szAnswer))->click();
                           });
        PressProjectKeys(*m_pDlg, g_keysOpenProject);
    }
    EXPECT_EQ(vecQuestions.value(0),
              QStringLiteral("big.tramino is made for a 128 × 96 panel, but this window works for 96 × 64. "
                             "Open it at its own panel (the window switches to 128 × 96), or convert its "
                             "pictures to 96 × 64 (saved, the project then keeps 96 × 64)?"));
    EXPECT_EQ(vecQuestions.size(), 2);
    // Refused, it changed nothing; converted, it lists what is there and names what is not.
    EXPECT_EQ(ListTexts(), QStringList{strPicture});
    EXPECT_EQ(StoreOrder(), std::vector<int>{0});
    EXPECT_EQ(m_pDialogs->m_vecMessages,
              QStringList{QStringLiteral("These pictures of big could not be found and are left out:\n\n") +
                          m_dir.filePath(QStringLiteral("gone.bmp"))});
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("big* - ") + g_strProgramTitle);
}

// The entries of the right-click menu's submenu strTitle, a greyed one after a "-"; fnChoose may
// pick one of them to trigger.
QStringList SubmenuEntries(CMainDlg& dlg, const QString& strTitle,
                           const std::function<bool(const QAction&)>& fnChoose = {})
{
    QStringList vecEntries;
    QTimer::singleShot(0,
                       [&]
                       {
                           auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                           ASSERT_NE(pMenu, nullptr);
                           QAction* pChosen = nullptr;
                           for (const QAction* pItem : pMenu->actions())
                           {
                               if (pItem->menu() == nullptr || pItem->text() != strTitle)
                               {
                                   continue;
                               }
                               vecEntries += pItem->isEnabled() ? QString() : QStringLiteral("-");
                               for (QAction* pEntry : pItem->menu()->actions())
                               {
                                   vecEntries += (pEntry->isEnabled() ? QString() : QStringLiteral("-")) +
                                                 pEntry->text();
                                   pChosen = fnChoose && fnChoose(*pEntry) ? pEntry : pChosen;
                               }
                           }
                           pMenu->close();
                           if (pChosen != nullptr)
                           {
                               pChosen->trigger();
                           }
                       });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(600, 430), dlg.mapToGlobal(QPoint(600, 430)));
    QApplication::sendEvent(&dlg, &event);
    return vecEntries;
}

void PressShortcut(CMainDlg& dlg, const QKeySequence& keys)
{
    for (QShortcut* pShortcut : dlg.findChildren<QShortcut*>())
    {
        if (pShortcut->key() == keys)
        {
            emit pShortcut->activated();
            return;
        }
    }
    ADD_FAILURE() << "no shortcut " << keys.toString().toStdString();
}

TEST_F(MainDlgTest, FilesNamedAtStartOpenByTheirKindAndTheOthersAreNamedInOneMessage)
{
    Start();
    const QString strPicture = MakePicture(QStringLiteral("P.bmp"), Colour(0));
    const QString strMore = MakePicture(QStringLiteral("Q.bmp"), Colour(1));
    CProject project;
    project.m_panel = CProjectPanel::ForSize(m_pDlg->Panel());
    project.m_vecPictures = {{{strPicture.toStdString(), false}, {}}};
    const QString strProject = m_dir.filePath(QStringLiteral("trip.tramino"));
    ASSERT_TRUE(SaveProject(project, strProject.toStdString()));
    const QString strShow = m_dir.filePath(QStringLiteral("old.qrv"));
    ASSERT_EQ(test::RunCli({"build", "--panel-code", "1", "-o", strShow.toStdString(), strMore.toStdString()})
                  .m_nStatus,
              0);
    QFile notes(m_dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    const QString strGone = m_dir.filePath(QStringLiteral("gone.jpg"));
    const QString strSecond = m_dir.filePath(QStringLiteral("second.tramino"));
    ASSERT_TRUE(QFile::copy(strProject, strSecond));

    // The show's question comes after the project's and the pictures' imports have run.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout,
                     []
                     {
                         if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                         {
                             pBox->findChild<QPushButton*>(QStringLiteral("add"))->click();
                         }
                     });
    answer.start(20);
    m_pDlg->Files().OpenFiles({strShow, strGone, strProject, notes.fileName(), strMore, strSecond});
    const CWindowTexts& texts = m_pDlg->Texts();
    EXPECT_EQ(m_pDialogs->m_vecMessages,
              QStringList{QStringLiteral("These files could not be loaded:\n\n") +
                          texts.Text(EUiText::ReasonNotThere).arg(strGone) + QLatin1Char('\n') +
                          texts.Text(EUiText::ReasonUnknownFile).arg(notes.fileName()) + QLatin1Char('\n') +
                          texts.Text(EUiText::ReasonOneProject).arg(strSecond)});
    // The project first, then the pictures, then the shows.
    EXPECT_EQ(ListTexts(), (QStringList{strPicture, strMore, QStringLiteral("old.qrv #1")}));
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("trip* - ") + g_strProgramTitle);
    EXPECT_EQ(m_pDlg->Settings().RecentFiles(), (QStringList{strShow, strProject}));
}

TEST_F(MainDlgTest, NewProjectAsksAboutUnsavedChangesThenEmptiesTheShowKeepingPanelAndTransition)
{
    Start(1, 2);
    LoadColours(2);
    SelectModeBoxEffect(*m_pDlg->ModeCombo(), EEffect::Circle);
    const QKeySequence keysNew(Qt::CTRL | Qt::Key_N);
    m_pDialogs->m_queAskAnswers = {QMessageBox::Cancel, QMessageBox::Discard};
    PressShortcut(*m_pDlg, keysNew);
    EXPECT_EQ(ListTexts().size(), 2);
    PressShortcut(*m_pDlg, keysNew);
    EXPECT_EQ(m_pDialogs->m_vecQuestions.size(), 2);
    EXPECT_TRUE(ListTexts().isEmpty());
    EXPECT_EQ(m_pDlg->Panel(), PanelSizeFromCode(2));
    EXPECT_EQ(m_pDlg->CurrentEffect(), EEffect::Circle);
    EXPECT_EQ(m_pDlg->windowTitle(), g_strProgramTitle);
    // Nothing unsaved: no question; and the show before is one undo away.
    PressShortcut(*m_pDlg, keysNew);
    EXPECT_EQ(m_pDialogs->m_vecQuestions.size(), 2);
    m_pDlg->Undo().Undo();
    m_pDlg->Undo().Undo();
    EXPECT_EQ(ListTexts().size(), 2);
}

TEST_F(MainDlgTest, RecentFilesSurviveARestartNewestFirstWithAMissingOneGreyed)
{
    Start();
    LoadColours(1);
    const QString strOld = m_dir.filePath(QStringLiteral("old.tramino"));
    const QString strNew = m_dir.filePath(QStringLiteral("new.tramino"));
    for (const QString& strPath : {strOld, strNew})
    {
        m_pDialogs->m_strSaveAnswer = strPath;
        ASSERT_TRUE(m_pDlg->ProjectActions().OnSaveProjectAs());
    }
    ASSERT_TRUE(QFile::remove(strOld));

    Start();
    const QString strRecent = m_pDlg->Texts().Text(EUiText::MenuRecent);
    EXPECT_EQ(SubmenuEntries(*m_pDlg, strRecent,
                             [](const QAction& entry)
                             { return entry.text().startsWith(QLatin1String("&1")); }),
              (QStringList{QString(), QStringLiteral("&1 ") + QDir::toNativeSeparators(strNew),
                           QStringLiteral("-&2 ") + QDir::toNativeSeparators(strOld), QString(),
                           QStringLiteral("&Clear")}));
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("new - ") + g_strProgramTitle);
    EXPECT_EQ(ListTexts().size(), 1);

    // Ten at the most, each once.
    for (int i = 0; i < 12; ++i)
    {
        m_pDlg->AddRecentFile(m_dir.filePath(QStringLiteral("s%1.qrv").arg(i % 11)));
    }
    EXPECT_EQ(m_pDlg->Settings().RecentFiles().size(), CWindowSettings::g_nMaxRecentFiles);
    EXPECT_EQ(m_pDlg->Settings().RecentFiles().value(1), m_dir.filePath(QStringLiteral("s10.qrv")));
    SubmenuEntries(*m_pDlg, strRecent,
                   [](const QAction& entry) { return entry.text() == QLatin1String("&Clear"); });
    EXPECT_EQ(SubmenuEntries(*m_pDlg, strRecent).value(0), QStringLiteral("-"));
}

TEST_F(MainDlgTest, SettingsThatCannotBeWrittenAreSaidOnceWithTheirFile)
{
    // A settings file inside a regular file cannot be made, not even by root.
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString strSettings = blocker.fileName() + QStringLiteral("/settings.ini");
    const QByteArray strOld = qgetenv("TRAMINO_SETTINGS");
    qputenv("TRAMINO_SETTINGS", strSettings.toUtf8());
    Start();
    qputenv("TRAMINO_SETTINGS", strOld);
    m_pDlg->AddRecentFile(m_dir.filePath(QStringLiteral("a.qrv")));
    m_pDlg->AddRecentFile(m_dir.filePath(QStringLiteral("b.qrv")));
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    EXPECT_TRUE(m_pDialogs->m_vecMessages.constFirst().contains(QDir::toNativeSeparators(strSettings)))
        << m_pDialogs->m_vecMessages.constFirst().toStdString();
    EXPECT_EQ(m_pDialogs->m_vecMessageKinds.front(), EMessageKind::Warning);
}

TEST_F(MainDlgTest, FileDialogsStartInTheLastFolderAndSaveAsProposesTheProjectsName)
{
    Start();
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("pictures")));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("projects")));
    const QString strPictures = m_dir.filePath(QStringLiteral("pictures"));
    Load({MakePicture(QStringLiteral("pictures/P.bmp"), Colour(0))});
    EXPECT_TRUE(m_pDlg->ProjectActions().OnSaveProjectAs() == false);
    const QString strProject = m_dir.filePath(QStringLiteral("projects/trip.tramino"));
    m_pDialogs->m_strSaveAnswer = strProject;
    ASSERT_TRUE(m_pDlg->ProjectActions().OnSaveProjectAs());
    ASSERT_TRUE(m_pDlg->ProjectActions().OnSaveProjectAs());
    EXPECT_EQ(m_pDialogs->m_vecOpenFolders, QStringList{QString()});
    EXPECT_EQ(m_pDialogs->m_vecSaveFolders,
              (QStringList{strPictures + QStringLiteral("/Untitled.tramino"),
                           strPictures + QStringLiteral("/Untitled.tramino"), strProject}));

    Start();
    m_pDlg->Files().OnOpenShow();
    EXPECT_EQ(m_pDialogs->m_vecOpenFolders, QStringList{m_dir.filePath(QStringLiteral("projects"))});
}

} // namespace
} // namespace tramino
