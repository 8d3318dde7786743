#include "SkinDialog.h"

#include "SkinRegion.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace tramino
{

CSkinDialog::CSkinDialog(QWidget* pParent) : QDialog(pParent) {}

bool CSkinDialog::LoadBackground(const QString& strPath)
{
    const QImage image(strPath);
    SetBackground(image);
    return m_bHasBitmap;
}

void CSkinDialog::SetBackground(const QImage& image)
{
    // One pixel format, so that the key comparison never depends on the file's depth.
    m_imgBackground = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    m_bHasBitmap = !m_imgBackground.isNull();
    UpdateRegion();
    update();
}

void CSkinDialog::EnableShape(bool bShape)
{
    m_bShapeWindow = bShape;
    UpdateRegion();
}

void CSkinDialog::SetKeyColor(QRgb crKey)
{
    m_crKey = crKey;
    UpdateRegion();
}

void CSkinDialog::UpdateRegion()
{
    // The window manager owns the frame, so the shape only covers the client area.
    const CWindowGeometry geometry{width(), height(), 0, 0, width(), height()};
    const QImage& image = m_imgBackground;
    const CSkinBackground background{
        [&image](int x, int y)
        {
            const QRgb cr = reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
            return CRgb{static_cast<uint8_t>(qRed(cr)), static_cast<uint8_t>(qGreen(cr)),
                        static_cast<uint8_t>(qBlue(cr))};
        },
        image.width(), image.height()};
    const CRgb crKey{static_cast<uint8_t>(qRed(m_crKey)), static_cast<uint8_t>(qGreen(m_crKey)),
                     static_cast<uint8_t>(qBlue(m_crKey))};
    const std::vector<CRegionRect> vecRects =
        BuildWindowRegion(m_bHasBitmap ? &background : nullptr, m_bShapeWindow, crKey, geometry);

    QRegion region;
    for (const CRegionRect& rect : vecRects)
    {
        region +=
            QRect(rect.m_nLeft, rect.m_nTop, rect.m_nRight - rect.m_nLeft, rect.m_nBottom - rect.m_nTop);
    }
    if (m_bShapeWindow && m_bHasBitmap)
    {
        setMask(region);
    }
    else
    {
        clearMask();
    }
}

void CSkinDialog::paintEvent(QPaintEvent* pEvent)
{
    if (!m_bHasBitmap)
    {
        QDialog::paintEvent(pEvent);
        return;
    }
    // One copy of the bitmap at the client's top-left corner, without stretching.
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_imgBackground);
}

void CSkinDialog::mousePressEvent(QMouseEvent* pEvent)
{
    QDialog::mousePressEvent(pEvent);
    // Only presses that no control took arrive here, so buttons and lists keep working.
    if (m_bDragAnywhere && pEvent->button() == Qt::LeftButton && windowHandle() != nullptr)
    {
        windowHandle()->startSystemMove();
    }
}

void CSkinDialog::showEvent(QShowEvent* pEvent)
{
    ApplyStaticTransparency();
    QDialog::showEvent(pEvent);
}

void CSkinDialog::ApplyStaticTransparency()
{
    const auto vecStatics = findChildren<QWidget*>();
    for (QWidget* pWidget : vecStatics)
    {
        if (qobject_cast<QLabel*>(pWidget) != nullptr || qobject_cast<QGroupBox*>(pWidget) != nullptr)
        {
            pWidget->setAutoFillBackground(!m_bTransparentStatics);
        }
    }
}

} // namespace tramino
