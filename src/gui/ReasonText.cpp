#include "ReasonText.h"

#include "PathText.h"
#include "UiTexts.h"

#include <utility>

namespace tramino
{
namespace
{

constexpr std::pair<EReason, EUiText> g_arrReasonTexts[] = {
    {EReason::NotThere, EUiText::ReasonNotThere},       {EReason::NoPermission, EUiText::ReasonNoPermission},
    {EReason::NotAFile, EUiText::ReasonNotAFile},       {EReason::NoSpace, EUiText::ReasonNoSpace},
    {EReason::SystemError, EUiText::ReasonSystem},      {EReason::Empty, EUiText::ReasonEmpty},
    {EReason::NotAPicture, EUiText::ReasonNotAPicture}, {EReason::Truncated, EUiText::ReasonTruncated},
    {EReason::TooLarge, EUiText::ReasonTooLarge},       {EReason::NoPixels, EUiText::ReasonNoPixels},
    {EReason::Damaged, EUiText::ReasonDamaged},         {EReason::NotJson, EUiText::ReasonNotJson},
    {EReason::BadValue, EUiText::ReasonBadValue},       {EReason::NewFormat, EUiText::ReasonNewFormat},
    {EReason::NotAShow, EUiText::ReasonNotAShow},
};

} // namespace

QString ReasonText(const CStatus& status, const CWindowTexts& texts)
{
    const CReason& reason = status.Reason();
    for (const auto& [eKind, eText] : g_arrReasonTexts)
    {
        if (eKind == reason.m_eKind)
        {
            QString strText = texts.Text(eText).arg(PathText(reason.m_strFile));
            for (const std::string& strValue : reason.m_vecValues)
            {
                strText = strText.arg(QString::fromStdString(strValue));
            }
            return strText;
        }
    }
    return QString::fromStdString(status.Message());
}

} // namespace tramino
