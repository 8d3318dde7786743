#include "AboutDlg.h"

#include "DialogUnits.h"

#include "common/Version.h"

#include <QLabel>
#include <QPushButton>

namespace tramino
{

CAboutDlg::CAboutDlg(QWidget* pParent) : CSkinDialog(pParent)
{
    setWindowTitle(QStringLiteral("About Tramino"));
    QFont font = this->font();
    font.setPixelSize(g_nDialogFontPixels);
    setFont(font);
    setFixedSize(DluSize(235, 55));

    auto* pVersion = new QLabel(QStringLiteral("Tramino Version " TRAMINO_VERSION), this);
    pVersion->setObjectName(QStringLiteral("IDC_STATIC"));
    pVersion->setGeometry(DluRect(40, 10, 119, 8));

    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setObjectName(QStringLiteral("IDOK"));
    pOk->setGeometry(DluRect(178, 7, 50, 16));
    pOk->setDefault(true);
    connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace tramino
