#pragma once

#include <QString>

namespace tramino
{

// The libraries the window runs with and their versions: "Qt 6.4.2, libjpeg-turbo 2.1.5, ...".
// Qt and libpng report theirs at run time; libjpeg-turbo and giflib only have the version built
// against, which their shared libraries keep within a major version.
QString LibraryVersions();

} // namespace tramino
