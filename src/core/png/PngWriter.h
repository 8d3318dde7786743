#pragma once

#include "common/Status.h"
#include "picture/Picture.h"

#include <string>

namespace tramino
{

// Writes the picture as an 8-bit RGB PNG file (whatever its depth class) through a
// CReplacingFile: on failure no partial file is left and an existing file stays as it was.
CStatus WritePngFile(const CPicture& picture, const std::string& strPath);

} // namespace tramino
