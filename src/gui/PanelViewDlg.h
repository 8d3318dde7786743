#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QScrollArea;
class QSpinBox;

namespace tramino
{

class CPanelCanvas;
struct CWindowTexts;

// The preview enlarged: the 24-bit picture beside the colours the panel itself shows (the RGB565
// codes Transform writes, widened by bit replication), both zoomed 1x ... 8x by nearest neighbour
// with a pixel grid from 6x. It follows whatever the preview shows: the selected picture, a
// running Preview or Transform, a show being played.
class CPanelViewDlg : public QDialog
{
    Q_OBJECT

public:
    // The zoom it has until it is placed or zoomed.
    static constexpr int g_nStartZoom = 4;

    CPanelViewDlg(const CWindowTexts& texts, const CPanelCanvas& canvas, QWidget* pParent);

    void SetZoom(int nZoom);
    int Zoom() const;
    // Before it is first shown: the largest zoom at which both sides fit rectScreen whole, and a
    // place to the right of the window, or below it, where the screen has room for that; else the
    // screen's corner farthest from the window.
    void PlaceBeside(const QWidget& window, const QRect& rectScreen);
    // What the two sides show now (tests look at their pixels).
    QImage PictureImage() const;
    QImage PanelImage() const;

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    void Refresh();
    // The outer size the dialog needs to show both sides whole at nZoom, with the frame of the
    // window's own size around it.
    QSize SizeFor(int nZoom, QSize sizeFrame);

    const CPanelCanvas& m_canvas;
    QSpinBox* m_spinZoom = nullptr;
    QLabel* m_pPicture = nullptr;
    QLabel* m_pPanel = nullptr;
    QScrollArea* m_pScroll = nullptr;
    QTimer m_timerRefresh; // gathers the canvas's changes into a few refreshes a second
};

} // namespace tramino
