#pragma once

#include "SkinDialog.h"

namespace tramino
{

// "About Tramino": the version and an OK button, a skinned dialog without a background.
class CAboutDlg : public CSkinDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};

} // namespace tramino
