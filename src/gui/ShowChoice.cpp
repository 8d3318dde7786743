#include "ShowChoice.h"

#include "Dialogs.h"
#include "UiTexts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace tramino
{

EShowChoice AskShowChoice(QWidget* pParent, const CWindowTexts& texts, const QString& strSummary,
                          bool bHasPictures)
{
    QMessageBox box(QMessageBox::Question, pParent->windowTitle(), strSummary, QMessageBox::Cancel, pParent);
    box.setObjectName(QStringLiteral("showChoice"));
    box.button(QMessageBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    QPushButton* pPlay = nullptr;
    QPushButton* pAdd = nullptr;
    if (bHasPictures)
    {
        pPlay = box.addButton(texts.Text(EUiText::ShowPlay), QMessageBox::AcceptRole);
        pPlay->setObjectName(QStringLiteral("play"));
        pAdd = box.addButton(texts.Text(EUiText::ShowAdd), QMessageBox::AcceptRole);
        pAdd->setObjectName(QStringLiteral("add"));
        box.setDefaultButton(pPlay);
    }
    KeepTitleWhole(box);
    box.exec();
    if (box.clickedButton() == pPlay && pPlay != nullptr)
    {
        return EShowChoice::Play;
    }
    if (box.clickedButton() == pAdd && pAdd != nullptr)
    {
        return EShowChoice::Add;
    }
    return EShowChoice::Cancel;
}

} // namespace tramino
