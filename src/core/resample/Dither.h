#pragma once

#include "picture/Picture.h"

#include <optional>
#include <string_view>

namespace tramino
{

enum class EDither
{
    None,      // leave the picture alone: packing truncates each component
    Ordered,   // 8 x 8 Bayer threshold between the two nearest levels the panel shows
    Diffusion, // Floyd-Steinberg error diffusion, serpentine
};

std::optional<EDither> ParseDither(std::string_view strName);

// Brings every pixel of a 24-bit picture to a colour the panel shows (an RGB565 code expanded by
// bit replication), so that packing it gives exactly the chosen code. Components already at such
// a level keep it, so flat areas of those colours never speckle. Integer arithmetic only: the
// result is the same everywhere.
void DitherToPanel(CPicture& picture, EDither eDither);

} // namespace tramino
