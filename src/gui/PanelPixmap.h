#pragma once

#include "picture/Picture.h"

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tramino
{

// A 24-bit picture as it is.
QPixmap PicturePixmap(const CPicture& picture);
// The picture in the panel's own colours, zoomed as the panel view zooms it.
QPixmap PanelPixmap(const CPicture& picture, int nZoom);

// Moves the dialog, of client size sizeDialog with a frame like the window's, to the right of the
// window, or else below it, where rectScreen has room for it whole; false when neither has, and
// then it goes into the screen's bottom right corner.
bool MoveBeside(QWidget& dialog, const QWidget& window, const QRect& rectScreen, QSize sizeDialog);

} // namespace tramino
