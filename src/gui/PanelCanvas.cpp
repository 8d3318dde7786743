#include "PanelCanvas.h"

#include <QPaintEvent>
#include <QPainter>

namespace tramino
{
namespace
{

constexpr int g_nFrameMs = 16;

QImage ToImage(const CPicture& picture)
{
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.Height(); ++y)
    {
        auto* pLine = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x)
        {
            const CRgb cr = picture.GetPixel(x, y);
            pLine[x] = qRgb(cr.m_nRed, cr.m_nGreen, cr.m_nBlue);
        }
    }
    return image;
}

} // namespace

CPanelCanvas::CPanelCanvas(QWidget* pParent, int nWidth, int nHeight)
    : QWidget(pParent), m_nWidth(nWidth), m_nHeight(nHeight), m_image(nWidth, nHeight, QImage::Format_RGB32)
{
    m_image.fill(g_crBlank);
    setFixedSize(nWidth, nHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timerFlush.setSingleShot(true);
    m_timerFlush.setInterval(g_nFrameMs);
    connect(&m_timerFlush, &QTimer::timeout, this, &CPanelCanvas::Flush);
}

void CPanelCanvas::SetPanelSize(int nWidth, int nHeight)
{
    {
        const std::lock_guard lock(m_mutex);
        m_nWidth = nWidth;
        m_nHeight = nHeight;
        m_image = QImage(nWidth, nHeight, QImage::Format_RGB32);
        m_image.fill(g_crBlank);
        MarkDirtyLocked(m_image.rect());
    }
    setFixedSize(nWidth, nHeight);
    ScheduleFlush();
}

void CPanelCanvas::SetPixel(int x, int y, CRgb cr)
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
    {
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        reinterpret_cast<QRgb*>(m_image.scanLine(y))[x] = qRgb(cr.m_nRed, cr.m_nGreen, cr.m_nBlue);
        MarkDirtyLocked(QRect(x, y, 1, 1));
    }
    ScheduleFlush();
}

void CPanelCanvas::DrawPicture(const CPicture& picture)
{
    if (picture.IsEmpty())
    {
        return;
    }
    QImage image = ToImage(picture);
    if (image.size() != m_image.size())
    {
        image = image.scaled(m_nWidth, m_nHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    {
        const std::lock_guard lock(m_mutex);
        QPainter painter(&m_image);
        painter.drawImage(QPoint(0, 0), image);
        MarkDirtyLocked(m_image.rect());
    }
    ScheduleFlush();
}

void CPanelCanvas::Clear()
{
    {
        const std::lock_guard lock(m_mutex);
        m_image.fill(g_crBlank);
        MarkDirtyLocked(m_image.rect());
    }
    ScheduleFlush();
}

QImage CPanelCanvas::Snapshot() const
{
    const std::lock_guard lock(m_mutex);
    return m_image.copy();
}

CRgb CPanelCanvas::PixelAt(int x, int y) const
{
    const std::lock_guard lock(m_mutex);
    const QRgb cr = m_image.pixel(x, y);
    return {static_cast<uint8_t>(qRed(cr)), static_cast<uint8_t>(qGreen(cr)),
            static_cast<uint8_t>(qBlue(cr))};
}

void CPanelCanvas::MarkDirtyLocked(const QRect& rect)
{
    m_rectDirty = m_rectDirty.united(rect);
}

void CPanelCanvas::ScheduleFlush()
{
    // One request travels to the user-interface thread per frame, not one per pixel.
    if (!m_bFlushPending.exchange(true))
    {
        m_uiTasks.Post([this] { StartFlushTimer(); });
    }
}

void CPanelCanvas::StartFlushTimer()
{
    if (!m_timerFlush.isActive())
    {
        m_timerFlush.start();
    }
}

void CPanelCanvas::Flush()
{
    // Cleared before the dirty area is taken: a pixel drawn after this schedules the next flush.
    m_bFlushPending.store(false);
    QRect rectDirty;
    {
        const std::lock_guard lock(m_mutex);
        rectDirty = m_rectDirty;
        m_rectDirty = QRect();
    }
    if (!rectDirty.isEmpty())
    {
        update(rectDirty);
        emit Changed();
    }
}

void CPanelCanvas::paintEvent(QPaintEvent* pEvent)
{
    QPainter painter(this);
    const std::lock_guard lock(m_mutex);
    painter.drawImage(pEvent->rect(), m_image, pEvent->rect());
}

} // namespace tramino
