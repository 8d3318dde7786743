#include "PanelPixmap.h"

#include "show/PanelColours.h"

#include <QImage>
#include <QWidget>

namespace tramino
{

QPixmap PicturePixmap(const CPicture& picture)
{
    const QImage image(picture.Row(0), picture.Width(), picture.Height(),
                       static_cast<qsizetype>(picture.RowBytes()), QImage::Format_RGB888);
    return QPixmap::fromImage(image);
}

QPixmap PanelPixmap(const CPicture& picture, int nZoom)
{
    return PicturePixmap(ZoomPicture(PanelColours(picture), nZoom));
}

bool MoveBeside(QWidget& dialog, const QWidget& window, const QRect& rectScreen, QSize sizeDialog)
{
    const QRect rectWindow = window.frameGeometry();
    const QSize sizeOuter = sizeDialog + (rectWindow.size() - window.size());
    for (const QPoint pt : {rectWindow.topRight() + QPoint(1, 0), rectWindow.bottomLeft() + QPoint(0, 1)})
    {
        if (rectScreen.contains(QRect(pt, sizeOuter)))
        {
            dialog.move(pt);
            return true;
        }
    }
    dialog.move(rectScreen.bottomRight() - QPoint(sizeOuter.width() - 1, sizeOuter.height() - 1));
    return false;
}

} // namespace tramino
