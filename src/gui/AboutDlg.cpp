#include "AboutDlg.h"

#include "DialogUnits.h"
#include "LibraryVersions.h"
#include "UiTexts.h"

#include "common/Version.h"

#include <QLabel>
#include <QPushButton>

namespace tramino
{

CAboutDlg::CAboutDlg(const CWindowTexts& texts, QWidget* pParent) : CSkinDialog(pParent)
{
    setWindowTitle(texts.Text(EUiText::AboutTitle));
    QFont font = this->font();
    font.setPixelSize(g_nDialogFontPixels);
    setFont(font);
    setFixedSize(DluSize(235, 82));

    auto* pVersion = new QLabel(texts.Text(EUiText::AboutVersion).arg(QStringLiteral(TRAMINO_VERSION)), this);
    pVersion->setObjectName(QStringLiteral("IDC_STATIC"));
    pVersion->setGeometry(DluRect(40, 10, 119, 8));
    // The licence's name, which stays as it is in every language.
    auto* pLicence = new QLabel(QStringLiteral("MIT License"), this);
    pLicence->setGeometry(DluRect(40, 18, 119, 8));

    const std::pair<QString, int> aLines[] = {
        {texts.Text(EUiText::AboutPurpose), 28},
        {texts.Text(EUiText::AboutLibraries).arg(LibraryVersions()), 52},
    };
    for (const auto& [strText, nY] : aLines)
    {
        auto* pLine = new QLabel(strText, this);
        pLine->setWordWrap(true);
        pLine->setGeometry(DluRect(10, nY, 218, 22));
    }

    auto* pOk = new QPushButton(texts.Text(EUiText::Ok), this);
    pOk->setObjectName(QStringLiteral("IDOK"));
    pOk->setGeometry(DluRect(178, 7, 50, 16));
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace tramino
