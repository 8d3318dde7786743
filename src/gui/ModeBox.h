#pragma once

#include "show/Transition.h"

#include <optional>

class QComboBox;

namespace tramino
{

// The mode box's entries: the four transitions' texts (TEXT10 ... TEXT13, in the order of
// g_arrEffects) in the locale's sorted order, as a sorted combo box keeps them; the second
// entry is shown.
void FillModeBox(QComboBox& box);
// The transition of the entry shown; none for a text that names none.
std::optional<EEffect> ModeBoxEffect(const QComboBox& box);
// Shows the entry of effect.
void SelectModeBoxEffect(QComboBox& box, EEffect effect);

} // namespace tramino
