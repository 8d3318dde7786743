#pragma once

class QWidget;

namespace tramino
{

// Puts the check box between the mode group and the button row below it, as tall as its font
// needs. Where the room between them is too low for that, the mode group and its box move up into
// the gap above them (down to nTopLimit) and, if that is not enough, the group loses some of its
// bottom margin: a taller font never clips the check box.
void PlaceAboveButtons(QWidget& check, QWidget& modeGroup, QWidget& modeBox, int nButtonsTop, int nTopLimit);

} // namespace tramino
