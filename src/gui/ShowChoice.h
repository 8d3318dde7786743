#pragma once

#include <QString>

class QWidget;

namespace tramino
{

struct CWindowTexts;

// What to do with a show file that was opened and found valid.
enum class EShowChoice
{
    Cancel,
    Play, // in the preview, with the transitions it was recorded with
    Add,  // its pictures to the end of the list
};

// Asks, in a message box (object name "showChoice") whose buttons are named "play", "add" and
// "cancel". Without pictures only Cancel is offered.
EShowChoice AskShowChoice(QWidget* pParent, const CWindowTexts& texts, const QString& strSummary,
                          bool bHasPictures);

} // namespace tramino
