#include "ButtonChoice.h"

#include "Dialogs.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace tramino
{

int AskChoice(QWidget* pParent, const QString& strName, const QString& strText,
              const std::vector<CChoiceButton>& vecChoices)
{
    QMessageBox box(QMessageBox::Question, pParent->windowTitle(), strText, QMessageBox::Cancel, pParent);
    box.setObjectName(strName);
    box.button(QMessageBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    std::vector<QPushButton*> vecButtons;
    for (const CChoiceButton& choice : vecChoices)
    {
        vecButtons.push_back(box.addButton(choice.m_strText, QMessageBox::AcceptRole));
        vecButtons.back()->setObjectName(choice.m_strName);
    }
    if (!vecButtons.empty())
    {
        box.setDefaultButton(vecButtons.front());
    }
    KeepTitleWhole(box);
    box.exec();
    for (size_t i = 0; i < vecButtons.size(); ++i)
    {
        if (box.clickedButton() == vecButtons[i])
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace tramino
