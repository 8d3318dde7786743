#pragma once

#include "common/Status.h"
#include "picture/Picture.h"

#include <string>

namespace tramino
{

// Writes the picture as an 8-bit RGB PNG file (whatever its depth class). On failure no
// partial file is left under strPath.
CStatus WritePngFile(const CPicture& picture, const std::string& strPath);

} // namespace tramino
