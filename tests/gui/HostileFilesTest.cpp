#include "PanelCanvas.h"
#include "WindowTestSupport.h"

#include "store/PictureStore.h"

#include <QApplication>
#include <QComboBox>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace tramino
{
namespace
{

constexpr qint64 g_nSparseBytes = qint64{8} << 30;

QByteArray Garbage(int nBytes)
{
    std::mt19937 random(static_cast<unsigned>(nBytes));
    QByteArray bytes(nBytes, Qt::Uninitialized);
    for (char& ch : bytes)
    {
        ch = static_cast<char>(random());
    }
    return bytes;
}

// The headers of a 24-bit BMP that claims 20000 x 20000 pixels (1.2 GB of them).
QByteArray GiantBmpHeader()
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.writeRawData("BM", 2);
    stream << quint32(0) << quint32(0) << quint32(54);
    stream << quint32(40) << qint32(20000) << qint32(20000) << quint16(1) << quint16(24);
    stream << quint32(0) << quint32(0) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    return bytes;
}

// The window started in a folder whose data files each test lays out, and the store beneath it.
class HostileFilesTest : public CWindowTest
{
protected:
    void Put(const char* szName, const QByteArray& bytes, qint64 nSparseSize = 0)
    {
        QFile file(m_dir.filePath(QLatin1String(szName)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        if (nSparseSize > 0)
        {
            ASSERT_TRUE(file.resize(nSparseSize));
        }
    }

    void PutAll(const QByteArray& bytes, qint64 nSparseSize = 0)
    {
        for (const char* szName : {"Vendale.ini", "Lang.txt", "BG.bmp"})
        {
            Put(szName, bytes, nSparseSize);
        }
    }

    // Starts the window on whatever the folder holds; the start must not take long.
    void Start()
    {
        QElapsedTimer timer;
        timer.start();
        Create();
        m_pDlg->show();
        QApplication::processEvents();
        EXPECT_LT(timer.elapsed(), 10000);
    }

    // A started window that fell back to the built-in defaults: the smallest panel, no texts,
    // no background and no shape; and it works.
    void ExpectDefaults()
    {
        EXPECT_EQ(m_pDlg->PreviewWindow()->size(), QSize(96, 64));
        EXPECT_EQ(m_pDlg->LoadImageButton()->text(), QString());
        EXPECT_EQ(List()->model()->headerData(0, Qt::Horizontal).toString(), QString());
        EXPECT_EQ(m_pDlg->ModeCombo()->count(), 4);
        EXPECT_FALSE(m_pDlg->HasBackground());
        EXPECT_TRUE(m_pDlg->mask().isEmpty());
        Load({MakePicture(QStringLiteral("a.bmp"), Qt::red)});
        EXPECT_EQ(List()->model()->rowCount(), 1);
        EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty())
            << m_pDialogs->m_vecMessages.join('\n').toStdString();
    }

    QStringList LoadColours(const QList<QColor>& vecColours)
    {
        QStringList vecPaths;
        for (const QColor& cr : vecColours)
        {
            vecPaths += MakePicture(cr.name().mid(1) + QStringLiteral(".bmp"), cr);
        }
        Load(vecPaths);
        return vecPaths;
    }

    // The file each list item would be read from, as the picture file it was loaded from;
    // "-" where the stored picture cannot be read. In step, this is the list itself.
    QStringList StoreAsList(const QStringList& vecLoaded) const
    {
        QStringList vecFiles;
        const CPictureStore* pStore = m_pDlg->Store();
        for (int k = 0; k < pStore->Count(); ++k)
        {
            const CResult<CPicture> picture = pStore->Read(k);
            const CRgb cr = picture ? picture.Value().GetPixel(1, 1) : CRgb{};
            const QString strName = QColor(cr.m_nRed, cr.m_nGreen, cr.m_nBlue).name().mid(1);
            const auto it = std::find_if(vecLoaded.begin(), vecLoaded.end(),
                                         [&](const QString& strPath) { return strPath.contains(strName); });
            vecFiles += picture && it != vecLoaded.end() ? *it : QStringLiteral("-");
        }
        return vecFiles;
    }
};

TEST_F(HostileFilesTest, MissingDataFilesAreTakenFromBesideTheProgram)
{
    // The build deploys English texts, the 320 x 240 panel and the background there.
    Start();
    EXPECT_EQ(m_pDlg->PreviewWindow()->size(), QSize(320, 240));
    EXPECT_EQ(m_pDlg->LoadImageButton()->text(), QStringLiteral("Load Image"));
    EXPECT_TRUE(m_pDlg->HasBackground());
}

TEST_F(HostileFilesTest, EmptyDataFilesGiveTheDefaults)
{
    PutAll({});
    Start();
    ExpectDefaults();
}

TEST_F(HostileFilesTest, GarbageDataFilesGiveTheDefaults)
{
    PutAll(Garbage(64 << 20));
    Start();
    ExpectDefaults();
}

TEST_F(HostileFilesTest, HugeDataFilesGiveTheDefaultsQuickly)
{
    Put("Vendale.ini", Garbage(4096), g_nSparseBytes);
    Put("Lang.txt", Garbage(4096), g_nSparseBytes);
    Put("BG.bmp", GiantBmpHeader(), g_nSparseBytes);
    Start();
    ExpectDefaults();
}

TEST_F(HostileFilesTest, StoreFilesChangedBehindTheWindowMoveWithTheirItems)
{
    PutAll({});
    Start();
    const QStringList vecPaths = LoadColours({Qt::red, Qt::green, Qt::blue, Qt::yellow});
    const CPictureStore* pStore = m_pDlg->Store();
    std::filesystem::remove(pStore->PathOf(1));
    QFile garbage(QString::fromStdString(pStore->PathOf(2)));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write("BM but no longer a picture");
    garbage.close();

    // The refresh timer meets the unreadable pictures.
    Select({1});
    QTest::qWait(250);
    Select({2});
    QTest::qWait(250);
    m_pDlg->UpButton()->click();
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[2], vecPaths[1], vecPaths[3]}));
    EXPECT_TRUE(std::filesystem::exists(pStore->PathOf(1)));
    EXPECT_FALSE(std::filesystem::exists(pStore->PathOf(2)));
    m_pDlg->DownButton()->click();
    m_pDlg->DownButton()->click();
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[1], vecPaths[3], vecPaths[2]}));
    EXPECT_EQ(StoreAsList(vecPaths), (QStringList{vecPaths[0], "-", vecPaths[3], "-"}));
    EXPECT_FALSE(std::filesystem::exists(pStore->PathOf(1)));

    Select({1});
    m_pDlg->DeleteButton()->click();
    Select({2});
    m_pDlg->DeleteButton()->click();
    EXPECT_EQ(ListTexts(), (QStringList{vecPaths[0], vecPaths[3]}));
    EXPECT_EQ(StoreAsList(vecPaths), ListTexts());
}

TEST_F(HostileFilesTest, ARemovedStoreFolderIsReportedOnLoadAndTheWindowStillCloses)
{
    PutAll({});
    Start();
    const QStringList vecPaths = LoadColours({Qt::red, Qt::green});
    const std::string strFolder = m_pDlg->Store()->Folder();
    std::filesystem::remove_all(strFolder);

    Load({MakePicture(QStringLiteral("more.bmp"), Qt::blue)});
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    const QString& strMessage = m_pDialogs->m_vecMessages.constFirst();
    EXPECT_TRUE(strMessage.contains(QString::fromStdString(strFolder))) << strMessage.toStdString();
    EXPECT_TRUE(strMessage.contains(m_pDlg->Texts().Text(EUiText::ReasonNotThere).arg(QString())))
        << strMessage.toStdString();
    EXPECT_EQ(ListTexts(), vecPaths);
    EXPECT_EQ(m_pDlg->Store()->Count(), 2);

    Select({0});
    m_pDlg->DeleteButton()->click();
    EXPECT_EQ(ListTexts(), QStringList{vecPaths[1]});
    EXPECT_EQ(m_pDlg->Store()->Count(), 1);

    m_pDlg->close();
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDialogs->m_vecMessages.size(), 1) << m_pDialogs->m_vecMessages.last().toStdString();
}

TEST_F(HostileFilesTest, AVendaleIniThatCannotBeReadIsSaidOnceWithoutBlocking)
{
    const QString strIni = m_dir.filePath(QStringLiteral("Vendale.ini"));
    const QByteArray bytesIni = QFile::encodeName(strIni);
    for (const bool bFifo : {false, true})
    {
        SCOPED_TRACE(bFifo);
        std::filesystem::remove(bytesIni.constData());
        if (!bFifo)
        {
            ASSERT_TRUE(std::filesystem::create_directory(bytesIni.constData()));
        }
        else
        {
#ifdef _WIN32
            GTEST_SKIP() << "Windows has no FIFOs (the folder was checked)";
#else
            ASSERT_EQ(::mkfifo(bytesIni.constData(), 0600), 0);
#endif
        }
        Start();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_pDialogs->m_vecMessages.isEmpty(); }, 2000));
        const QString& strMessage = m_pDialogs->m_vecMessages.constFirst();
        EXPECT_TRUE(
            strMessage.contains(QStringLiteral("Vendale.ini")) &&
            strMessage.contains(bFifo ? QStringLiteral("not a regular file") : QStringLiteral("folder")))
            << strMessage.toStdString();
        EXPECT_EQ(m_pDialogs->m_vecMessageKinds, std::vector{EMessageKind::Warning});
        m_pDlg->hide();
        m_pDlg->show();
        QTest::qWait(20);
        EXPECT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    }
}

} // namespace
} // namespace tramino
