#pragma once

#include "picture/Picture.h"

namespace tramino
{

// The picture as the panel shows it: every pixel packed to the RGB565 code that Transform writes
// for it and widened back to 24 bits by bit replication. Always a 24-bit picture.
CPicture PanelColours(const CPicture& picture);

inline constexpr int g_nMinZoom = 1;
inline constexpr int g_nMaxZoom = 8;
// From this zoom up each enlarged pixel gets a frame line, so that single pixels can be counted.
inline constexpr int g_nGridFromZoom = 6;
inline constexpr CRgb g_crZoomGrid{96, 96, 96};

// The picture enlarged nZoom times (clamped to 1 ... 8) by nearest neighbour, as a 24-bit picture.
// From g_nGridFromZoom up the first row and the first column of every enlarged pixel are grid.
CPicture ZoomPicture(const CPicture& picture, int nZoom);

} // namespace tramino
