#include "ShowChoice.h"

#include "ButtonChoice.h"
#include "UiTexts.h"

namespace tramino
{

EShowChoice AskShowChoice(QWidget* pParent, const CWindowTexts& texts, const QString& strSummary,
                          bool bHasPictures)
{
    std::vector<CChoiceButton> vecChoices;
    if (bHasPictures)
    {
        vecChoices = {{QStringLiteral("play"), texts.Text(EUiText::ShowPlay)},
                      {QStringLiteral("add"), texts.Text(EUiText::ShowAdd)}};
    }
    switch (AskChoice(pParent, QStringLiteral("showChoice"), strSummary, vecChoices))
    {
    case 0:
        return EShowChoice::Play;
    case 1:
        return EShowChoice::Add;
    default:
        return EShowChoice::Cancel;
    }
}

} // namespace tramino
