#include "PanelCanvas.h"
#include "PanelPixmap.h"
#include "PictureOptionsDlg.h"
#include "ProjectActions.h"
#include "WindowTestSupport.h"
#include "cli/CliTestSupport.h"

#include "resample/ConvertPicture.h"
#include "store/PictureStore.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tramino
{
namespace
{

class PictureOptionsTest : public CWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CWindowTest::SetUp());
        ASSERT_TRUE(QFile::copy(QStringLiteral(TRAMINO_SOURCE_DIR "/res/Lang.txt"),
                                m_dir.filePath(QStringLiteral("Lang.txt"))));
        Create();
        m_pDlg->show();
    }

    // A picture of another shape than the panel's, so that every fit gives another result, in
    // colours that the panel cannot show exactly, so that dithering changes them.
    QString MakeBanner(const QString& strName, QColor crLeft)
    {
        QImage image(60, 20, QImage::Format_RGB888);
        image.fill(QColor(60, 70, 210));
        for (int y = 0; y < image.height(); ++y)
        {
            for (int x = 0; x < image.width() / 2; ++x)
            {
                image.setPixelColor(x, y, crLeft);
            }
        }
        const QString strPath = m_dir.filePath(strName);
        EXPECT_TRUE(image.save(strPath, "BMP"));
        return strPath;
    }

    // While the dialog of fnOpen is open, fnSet changes it; then szButton is pressed.
    void InDialog(const std::function<void()>& fnOpen, const std::function<void(CPictureOptionsDlg&)>& fnSet,
                  const char* szButton)
    {
        bool bOpened = false;
        QTimer::singleShot(0,
                           [&]
                           {
                               auto* pDlg =
                                   qobject_cast<CPictureOptionsDlg*>(QApplication::activeModalWidget());
                               ASSERT_NE(pDlg, nullptr);
                               bOpened = true;
                               fnSet(*pDlg);
                               pDlg->findChild<QPushButton*>(QLatin1String(szButton))->click();
                           });
        fnOpen();
        EXPECT_TRUE(bOpened);
    }

    void EditSelected(const std::function<void(CPictureOptionsDlg&)>& fnSet, const char* szButton = "ok")
    {
        InDialog([this] { m_pDlg->OnPictureOptions(); }, fnSet, szButton);
    }

    static void Choose(CPictureOptionsDlg& dlg, const char* szCombo, const char* szValue)
    {
        auto* pCombo = dlg.findChild<QComboBox*>(QLatin1String(szCombo));
        pCombo->setCurrentIndex(pCombo->findData(QLatin1String(szValue)));
    }

    static QString Current(CPictureOptionsDlg& dlg, const char* szCombo)
    {
        return dlg.findChild<QComboBox*>(QLatin1String(szCombo))->currentData().toString();
    }

    CPicture Converted(const QString& strPath, const CConvertOptions& options) const
    {
        CResult<CPicture> picture = ConvertPictureToPanel(strPath.toStdString(), m_pDlg->Panel(), options);
        EXPECT_TRUE(picture) << picture.Message();
        return picture ? std::move(picture).Value() : CPicture();
    }

    CPicture Stored(int nPosition) const { return m_pDlg->Store()->Read(nPosition).Value(); }
    CProject Project() const { return m_pDlg->Document().Project(); }
};

TEST_F(PictureOptionsTest, AChangeConvertsAgainFromTheSourceAndDifferingValuesStayEachPicturesOwn)
{
    const QString strA = MakeBanner(QStringLiteral("a.bmp"), QColor(200, 100, 50));
    const QString strB = MakeBanner(QStringLiteral("b.bmp"), QColor(30, 160, 90));
    Load({strA, strB});
    ASSERT_EQ(m_pDlg->Store()->Count(), 2);
    const CPicture plainA = Stored(0);

    m_pDialogs->m_strSaveAnswer = m_dir.filePath(QStringLiteral("show.tramino"));
    ASSERT_TRUE(m_pDlg->ProjectActions().OnSaveProjectAs());

    // Cancel changes nothing.
    const CProject loaded = Project();
    Select({0});
    EditSelected([](CPictureOptionsDlg& dlg) { Choose(dlg, "fit", "cover"); }, "cancel");
    EXPECT_EQ(Stored(0), plainA);
    EXPECT_EQ(Project(), loaded);
    EXPECT_FALSE(m_pDlg->Document().IsModified());

    // A double-click opens it on that picture; the preview shows the result at once.
    const QRect rectItem = List()->visualRect(List()->model()->index(1, 0));
    InDialog(
        [&]
        {
            // A double-click as a mouse gives it: press, release, then the second press.
            QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rectItem.center());
            QTest::mousePress(List()->viewport(), Qt::LeftButton, {}, rectItem.center());
            QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, rectItem.center());
        },
        [](CPictureOptionsDlg& dlg) { Choose(dlg, "dither", "ordered"); }, "ok");
    const CPicture orderedB = Converted(strB, {.m_eDither = EDither::Ordered});
    ASSERT_NE(orderedB, Converted(strB, {}));
    EXPECT_EQ(Stored(1), orderedB);
    EXPECT_EQ(m_pDlg->PreviewWindow()->PixelAt(5, 5), orderedB.GetPixel(5, 5));
    EXPECT_EQ(Project().m_vecPictures[1].m_overrides[static_cast<size_t>(EPictureOption::Dither)], "ordered");
    EXPECT_TRUE(m_pDlg->windowTitle().startsWith(QStringLiteral("show*")));

    // Both: the dither differs and stays each one's own; the fit and background apply to both.
    Select({0, 1});
    EditSelected(
        [](CPictureOptionsDlg& dlg)
        {
            EXPECT_EQ(Current(dlg, "dither"), QString());
            EXPECT_EQ(Current(dlg, "fit"), QStringLiteral("stretch"));
            Choose(dlg, "fit", "contain");
            dlg.findChild<QLineEdit*>(QStringLiteral("background"))->setText(QStringLiteral("ffff00"));
        });
    const CConvertOptions contain{.m_eFit = EFit::Contain, .m_crBackground = {255, 255, 0}};
    EXPECT_EQ(Stored(0), Converted(strA, contain));
    CConvertOptions containOrdered = contain;
    containOrdered.m_eDither = EDither::Ordered;
    EXPECT_EQ(Stored(1), Converted(strB, containOrdered));
    EXPECT_EQ(Project().EffectiveValues(0)[static_cast<size_t>(EPictureOption::Background)], "FFFF00");

    // The project's defaults are a click away.
    Select({1});
    EditSelected([](CPictureOptionsDlg& dlg)
                 { dlg.findChild<QPushButton*>(QStringLiteral("defaults"))->click(); });
    EXPECT_EQ(Stored(1), Converted(strB, {}));
    EXPECT_EQ(Project().m_vecPictures[1].m_overrides, CPictureValues());
    EXPECT_TRUE(m_pDialogs->m_vecMessages.isEmpty())
        << m_pDialogs->m_vecMessages.join(QLatin1Char('\n')).toStdString();
}

TEST_F(PictureOptionsTest, ThePreviewFollowsEachChoiceAsTheCommandLineConvertsAndCancelKeepsThePicture)
{
    const QString strA = MakeBanner(QStringLiteral("a.bmp"), QColor(200, 100, 50));
    Load({strA});
    const CPicture before = Stored(0);
    // Zoomed, in the panel's colours, as tramino-cli convert makes the picture.
    const auto converted = [&](std::vector<std::string> vecArgs, int nZoom)
    {
        const std::string strOut = m_dir.filePath(QStringLiteral("cli.bmp")).toStdString();
        const CPanelSize panel = m_pDlg->Panel();
        vecArgs.insert(
            vecArgs.begin(),
            {"convert", "--size", std::to_string(panel.m_nWidth) + "x" + std::to_string(panel.m_nHeight)});
        vecArgs.insert(vecArgs.end(), {strA.toStdString(), strOut});
        const test::CRun run = test::RunCli(vecArgs);
        EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
        const CResult<CPicture> picture = DecodePictureFile(strOut);
        return picture ? PanelPixmap(picture.Value(), nZoom).toImage().convertToFormat(QImage::Format_RGB32)
                       : QImage();
    };
    EditSelected(
        [&](CPictureOptionsDlg& dlg)
        {
            // The panel view's zoom, or less where the screen has no room for it.
            EXPECT_LE(dlg.PreviewZoom(), m_pDlg->PanelViewZoom());
            const int nZoom = dlg.PreviewZoom();
            const auto shows = [&dlg](const QImage& expected)
            {
                return QTest::qWaitFor(
                    [&] {
                        return dlg.IsPreviewFinal() &&
                               dlg.PreviewImage().convertToFormat(QImage::Format_RGB32) == expected;
                    },
                    5000);
            };
            EXPECT_TRUE(shows(converted({}, nZoom)));
            Choose(dlg, "fit", "contain");
            EXPECT_TRUE(shows(converted({"--fit", "contain"}, nZoom)));
            Choose(dlg, "gravity", "north");
            dlg.findChild<QLineEdit*>(QStringLiteral("background"))->setText(QStringLiteral("00ff80"));
            EXPECT_TRUE(shows(
                converted({"--fit", "contain", "--gravity", "north", "--background", "00ff80"}, nZoom)));
            Choose(dlg, "fit", "cover");
            Choose(dlg, "dither", "ordered");
            EXPECT_TRUE(shows(converted(
                {"--fit", "cover", "--gravity", "north", "--background", "00ff80", "--dither", "ordered"},
                nZoom)));
        },
        "cancel");
    EXPECT_EQ(Stored(0), before);
    EXPECT_EQ(Project().m_vecPictures[0].m_overrides, CPictureValues());

    // With room on the screen it stands to the right of the window, off its preview.
    CPictureOptionsDlg dlg(m_pDlg->Texts(), QStringLiteral("a.bmp"), {Project().EffectiveValues(0)},
                           Project().m_defaults, {m_pDlg->Panel(), nullptr, {}, false, 2}, m_pDlg.get());
    dlg.PlaceBeside(*m_pDlg, QRect(0, 0, 2560, 1440));
    EXPECT_EQ(dlg.pos(), m_pDlg->frameGeometry().topRight() + QPoint(1, 0));
    EXPECT_EQ(dlg.PreviewZoom(), 2);
}

TEST_F(PictureOptionsTest, APictureThatCannotBeReadAgainKeepsItsPictureAndOptionsAndIsNamed)
{
    const QString strGone = MakeBanner(QStringLiteral("gone.bmp"), QColor(200, 100, 50));
    const QString strKept = MakeBanner(QStringLiteral("kept.bmp"), QColor(30, 160, 90));
    Load({strGone, strKept});
    ASSERT_EQ(m_pDlg->Store()->Count(), 2);
    const CPicture before = Stored(0);
    const CPictureValues overridesBefore = Project().m_vecPictures[0].m_overrides;
    ASSERT_TRUE(QFile::remove(strGone));

    Select({0, 1});
    EditSelected([](CPictureOptionsDlg& dlg) { Choose(dlg, "fit", "cover"); });
    EXPECT_EQ(Stored(0), before);
    EXPECT_EQ(Project().m_vecPictures[0].m_overrides, overridesBefore);
    EXPECT_EQ(Stored(1), Converted(strKept, {.m_eFit = EFit::Cover}));
    ASSERT_EQ(m_pDialogs->m_vecMessages.size(), 1);
    // The core names the file as the system writes it, with backslashes on Windows.
    EXPECT_TRUE(m_pDialogs->m_vecMessages[0].contains(QDir::toNativeSeparators(strGone)))
        << m_pDialogs->m_vecMessages[0].toStdString();
    EXPECT_FALSE(m_pDialogs->m_vecMessages[0].contains(strKept));
    EXPECT_FALSE(m_pDlg->IsListBusy());
}

TEST_F(PictureOptionsTest, TheColourPickerHasATitleOfItsOwn)
{
    Load({MakeBanner(QStringLiteral("a.bmp"), QColor(200, 10, 10))});
    QString strPickerTitle;
    EditSelected(
        [&strPickerTitle](CPictureOptionsDlg& dlg)
        {
            QTimer::singleShot(0,
                               [&strPickerTitle]
                               {
                                   QWidget* pPicker = QApplication::activeModalWidget();
                                   strPickerTitle = pPicker->windowTitle();
                                   pPicker->close();
                               });
            dlg.findChild<QPushButton*>(QStringLiteral("chooseColour"))->click();
        },
        "cancel");
    EXPECT_EQ(strPickerTitle, m_pDlg->Texts().Text(EUiText::OptionsColourTitle));
    EXPECT_NE(strPickerTitle, m_pDlg->Texts().Text(EUiText::OptionsTitle));
}

} // namespace
} // namespace tramino
