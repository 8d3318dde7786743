#include "CheckBoxPlacement.h"

#include <QWidget>

#include <algorithm>

namespace tramino
{

void PlaceAboveButtons(QWidget& check, QWidget& modeGroup, QWidget& modeBox, int nButtonsTop, int nTopLimit)
{
    const int nHeight = check.sizeHint().height();
    const int nTop = nButtonsTop - nHeight;
    const int nShort = modeGroup.geometry().bottom() + 1 - nTop;
    if (nShort > 0)
    {
        const int nRise = std::clamp(modeGroup.y() - nTopLimit, 0, nShort);
        modeGroup.move(modeGroup.x(), modeGroup.y() - nRise);
        modeBox.move(modeBox.x(), modeBox.y() - nRise);
        // What the rise could not give comes from below the box, never from the box itself.
        const int nBoxBottom = modeBox.geometry().bottom() + 1 - modeGroup.y();
        modeGroup.resize(modeGroup.width(), std::max(nBoxBottom, modeGroup.height() - (nShort - nRise)));
    }
    check.setGeometry(check.x(), std::max(nTop, modeGroup.geometry().bottom() + 1), check.width(), nHeight);
}

} // namespace tramino
