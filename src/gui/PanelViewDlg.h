#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
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
    CPanelViewDlg(const CWindowTexts& texts, const CPanelCanvas& canvas, QWidget* pParent);

    void SetZoom(int nZoom);
    int Zoom() const;
    // What the two sides show now (tests look at their pixels).
    QImage PictureImage() const;
    QImage PanelImage() const;

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    void Refresh();

    const CPanelCanvas& m_canvas;
    QSpinBox* m_spinZoom = nullptr;
    QLabel* m_pPicture = nullptr;
    QLabel* m_pPanel = nullptr;
    QTimer m_timerRefresh; // gathers the canvas's changes into a few refreshes a second
};

} // namespace tramino
