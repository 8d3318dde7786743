#pragma once

#include "UiTaskQueue.h"

#include "picture/Picture.h"

#include <QImage>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <mutex>

namespace tramino
{

// The panel on the screen: a widget of exactly the panel's size that keeps every pixel drawn
// into it. Any thread may draw; the user-interface thread shows the changes within one frame
// (about 16 ms), however many pixels arrived in between.
class CPanelCanvas : public QWidget
{
    Q_OBJECT

public:
    CPanelCanvas(QWidget* pParent, int nWidth, int nHeight);

    int PanelWidth() const { return m_nWidth; }
    int PanelHeight() const { return m_nHeight; }
    // Another panel, switched off. User-interface thread, while nothing else draws.
    void SetPanelSize(int nWidth, int nHeight);

    // Thread-safe. Pixels outside the panel are ignored.
    void SetPixel(int x, int y, CRgb cr);
    // Thread-safe: the whole picture, stretched to the panel when its size differs.
    void DrawPicture(const CPicture& picture);
    // Thread-safe: the panel switched off (all black).
    void Clear();
    // Thread-safe: what the panel holds now.
    QImage Snapshot() const;
    CRgb PixelAt(int x, int y) const;

    // The colour of a panel that shows nothing.
    static constexpr QRgb g_crBlank = 0xFF000000;

signals:
    // On the user-interface thread, at most once a frame, after pixels changed.
    void Changed();

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    // Called with m_mutex held.
    void MarkDirtyLocked(const QRect& rect);
    void ScheduleFlush();
    void StartFlushTimer();
    void Flush();

    int m_nWidth; // changed only while nothing draws
    int m_nHeight;
    mutable std::mutex m_mutex;
    QImage m_image;    // guarded by m_mutex
    QRect m_rectDirty; // guarded by m_mutex
    std::atomic<bool> m_bFlushPending{false};
    QTimer m_timerFlush;    // user-interface thread only
    CUiTaskQueue m_uiTasks; // carries ScheduleFlush's request from a drawing thread
};

} // namespace tramino
