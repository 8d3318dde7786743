#include "ModeBox.h"

#include "Globals.h"

#include <QCollator>
#include <QComboBox>

#include <algorithm>
#include <array>

namespace tramino
{
namespace
{

QString ModeText(int nEffect)
{
    return g_szLangText[static_cast<size_t>(nEffect) + 10];
}

} // namespace

void FillModeBox(QComboBox& box)
{
    const QCollator collator;
    for (int nEffect = 0; nEffect < 4; ++nEffect)
    {
        const QString strText = ModeText(nEffect);
        int nIndex = 0;
        while (nIndex < box.count() && collator.compare(box.itemText(nIndex), strText) <= 0)
        {
            ++nIndex;
        }
        box.insertItem(nIndex, strText);
    }
    box.setCurrentIndex(1);
}

std::optional<EEffect> ModeBoxEffect(const QComboBox& box)
{
    return ResolveEffect(box.currentText().toStdString(),
                         std::array{ModeText(0).toStdString(), ModeText(1).toStdString(),
                                    ModeText(2).toStdString(), ModeText(3).toStdString()});
}

void SelectModeBoxEffect(QComboBox& box, EEffect effect)
{
    const auto it = std::find(g_arrEffects.begin(), g_arrEffects.end(), effect);
    const int nIndex = box.findText(ModeText(static_cast<int>(it - g_arrEffects.begin())));
    if (nIndex >= 0)
    {
        box.setCurrentIndex(nIndex);
    }
}

} // namespace tramino
