#pragma once

#include <QString>

#include <vector>

class QWidget;

namespace tramino
{

struct CChoiceButton
{
    QString m_strName; // the button's object name, by which tests press it
    QString m_strText;
};

// Asks in a question box named strName, titled as pParent, with a button for each choice and
// Cancel ("cancel", also pressed by Escape and the close box); the first choice is the default.
// Returns the index of the choice pressed, or -1 for Cancel.
int AskChoice(QWidget* pParent, const QString& strName, const QString& strText,
              const std::vector<CChoiceButton>& vecChoices);

} // namespace tramino
