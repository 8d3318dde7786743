#include "PanelViewDlg.h"

#include "PanelCanvas.h"
#include "PanelPixmap.h"
#include "UiTexts.h"

#include "show/PanelColours.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tramino
{
namespace
{

constexpr int g_nRefreshMs = 40;

CPicture ToPicture(const QImage& image)
{
    CPicture picture(image.width(), image.height(), 24);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
        {
            const QRgb cr = image.pixel(x, y);
            picture.SetPixel(x, y,
                             {static_cast<uint8_t>(qRed(cr)), static_cast<uint8_t>(qGreen(cr)),
                              static_cast<uint8_t>(qBlue(cr))});
        }
    return picture;
}

} // namespace

CPanelViewDlg::CPanelViewDlg(const CWindowTexts& texts, const CPanelCanvas& canvas, QWidget* pParent)
    : QDialog(pParent, Qt::Tool), m_canvas(canvas)
{
    setWindowTitle(texts.Text(EUiText::PanelViewTitle));

    m_spinZoom = new QSpinBox(this);
    m_spinZoom->setRange(g_nMinZoom, g_nMaxZoom);
    m_spinZoom->setSuffix(QStringLiteral(" \u00D7"));
    m_spinZoom->setValue(g_nStartZoom);
    auto* pZoomLabel = new QLabel(texts.Text(EUiText::PanelViewZoom), this);
    pZoomLabel->setBuddy(m_spinZoom);

    auto* pImages = new QWidget;
    auto* pGrid = new QGridLayout(pImages);
    m_pPicture = new QLabel;
    m_pPanel = new QLabel;
    pGrid->addWidget(new QLabel(texts.Text(EUiText::PanelViewPicture)), 0, 0);
    pGrid->addWidget(new QLabel(texts.Text(EUiText::PanelViewPanel)), 0, 1);
    pGrid->addWidget(m_pPicture, 1, 0, Qt::AlignLeft | Qt::AlignTop);
    pGrid->addWidget(m_pPanel, 1, 1, Qt::AlignLeft | Qt::AlignTop);
    pGrid->setRowStretch(2, 1);
    pGrid->setColumnStretch(2, 1);
    m_pScroll = new QScrollArea(this);
    m_pScroll->setWidget(pImages);
    m_pScroll->setWidgetResizable(true);

    auto* pTop = new QHBoxLayout;
    pTop->addWidget(pZoomLabel);
    pTop->addWidget(m_spinZoom);
    pTop->addStretch();
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addWidget(m_pScroll);

    for (const auto& [key, nStep] :
         {std::pair{QKeySequence::ZoomIn, 1}, std::pair{QKeySequence::ZoomOut, -1}})
    {
        auto* pShortcut = new QShortcut(key, this);
        connect(pShortcut, &QShortcut::activated, this, [this, nStep = nStep] { SetZoom(Zoom() + nStep); });
    }

    m_timerRefresh.setSingleShot(true);
    m_timerRefresh.setInterval(g_nRefreshMs);
    connect(&m_timerRefresh, &QTimer::timeout, this, &CPanelViewDlg::Refresh);
    connect(&canvas, &CPanelCanvas::Changed, this,
            [this]
            {
                if (isVisible() && !m_timerRefresh.isActive())
                    m_timerRefresh.start();
            });
    connect(m_spinZoom, &QSpinBox::valueChanged, this, &CPanelViewDlg::Refresh);
    // Room for both sides of a 96 x 64 panel at the default zoom.
    resize(2 * g_nStartZoom * 96 + 100, g_nStartZoom * 64 + 140);
    Refresh();
}

void CPanelViewDlg::SetZoom(int nZoom)
{
    m_spinZoom->setValue(nZoom);
}

int CPanelViewDlg::Zoom() const
{
    return m_spinZoom->value();
}

QImage CPanelViewDlg::PictureImage() const
{
    return m_pPicture->pixmap().toImage();
}

QImage CPanelViewDlg::PanelImage() const
{
    return m_pPanel->pixmap().toImage();
}

QSize CPanelViewDlg::SizeFor(int nZoom, QSize sizeFrame)
{
    SetZoom(nZoom);
    const QSize sizeImages = m_pScroll->widget()->sizeHint() + QSize(2, 2) * m_pScroll->frameWidth();
    const QMargins margins = layout()->contentsMargins();
    // The zoom row, the margins and the spacing: all but the scroll area.
    const int nRestHeight = layout()->sizeHint().height() - m_pScroll->sizeHint().height();
    return QSize(sizeImages.width() + margins.left() + margins.right(), sizeImages.height() + nRestHeight) +
           sizeFrame;
}

void CPanelViewDlg::PlaceBeside(const QWidget& window, const QRect& rectScreen)
{
    const QSize sizeFrame = window.frameGeometry().size() - window.size();
    const auto fits = [&rectScreen](QSize size)
    { return size.width() <= rectScreen.width() && size.height() <= rectScreen.height(); };
    int nZoom = g_nMaxZoom;
    while (nZoom > g_nMinZoom && !fits(SizeFor(nZoom, sizeFrame)))
    {
        --nZoom;
    }
    resize(SizeFor(nZoom, sizeFrame) - sizeFrame);
    MoveBeside(*this, window, rectScreen, size());
}

void CPanelViewDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    Refresh();
}

void CPanelViewDlg::Refresh()
{
    const CPicture picture = ToPicture(m_canvas.Snapshot());
    m_pPicture->setPixmap(PicturePixmap(ZoomPicture(picture, Zoom())));
    m_pPanel->setPixmap(PanelPixmap(picture, Zoom()));
}

} // namespace tramino
