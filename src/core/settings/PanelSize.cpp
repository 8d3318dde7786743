#include "settings/PanelSize.h"

namespace tramino
{

std::string PanelSizeText(CPanelSize size, ESizeText eStyle)
{
    const char* szBetween = eStyle == ESizeText::Typed    ? "x"
                            : eStyle == ESizeText::Spaced ? " x "
                                                          : " \u00D7 ";
    return std::to_string(size.m_nWidth) + szBetween + std::to_string(size.m_nHeight);
}

} // namespace tramino
