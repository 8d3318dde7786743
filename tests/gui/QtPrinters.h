#pragma once

#include <QString>

#include <ostream>

// Failed expectations on texts print the text, not its bytes.
inline void PrintTo(const QString& str, std::ostream* pOut)
{
    *pOut << '"' << str.toStdString() << '"';
}
