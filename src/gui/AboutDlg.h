#pragma once

#include "SkinDialog.h"

namespace tramino
{

struct CWindowTexts;

// "About Tramino": the version, what Tramino is, the libraries it runs with and an OK button;
// a skinned dialog without a background.
class CAboutDlg : public CSkinDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(const CWindowTexts& texts, QWidget* pParent = nullptr);
};

} // namespace tramino
