#pragma once

#include "common/Status.h"

#include <QString>

namespace tramino
{

struct CWindowTexts;

// A failure in the window's language: a reason of a known kind is worded by its Reason... text
// with the file and the values; any other keeps the core's English message.
QString ReasonText(const CStatus& status, const CWindowTexts& texts);

} // namespace tramino
