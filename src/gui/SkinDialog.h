#pragma once

#include <QDialog>
#include <QImage>
#include <QRgb>

namespace tramino
{

// A dialog painted with a bitmap background whose key-coloured pixels are cut out of the
// window, with static texts drawn transparently over it and, optionally, moved by a press
// anywhere on its empty client area.
class CSkinDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CSkinDialog(QWidget* pParent = nullptr);

    // Loads a bitmap file as the background; false (and no background) when it cannot be read.
    bool LoadBackground(const QString& strPath);
    // Uses a copy of the picture as the background; a null image means no background.
    void SetBackground(const QImage& image);
    bool HasBackground() const { return m_bHasBitmap; }
    const QImage& Background() const { return m_imgBackground; }

    void EnableShape(bool bShape);
    void SetKeyColor(QRgb crKey);
    // Rebuilds the window shape from the background and the key colour.
    void UpdateRegion();

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

    // Static texts and group boxes show the background through; set before the dialog shows.
    bool m_bTransparentStatics = true;
    bool m_bDragAnywhere = false;

private:
    void ApplyStaticTransparency();

    bool m_bShapeWindow = false;
    QRgb m_crKey = qRgb(255, 0, 255);
    bool m_bHasBitmap = false;
    QImage m_imgBackground;
};

} // namespace tramino
