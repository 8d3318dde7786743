#include "LibraryVersions.h"

#include <cstdio> // jpeglib.h needs FILE

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace tramino
{

QString LibraryVersions()
{
    constexpr int nJpeg = LIBJPEG_TURBO_VERSION_NUMBER; // 2001005 for 2.1.5
    // A name and its version stay on one line (no-break spaces).
    return QStringLiteral("Qt\u00A0%1, libjpeg-turbo\u00A0%2.%3.%4, giflib\u00A0%5.%6.%7, libpng\u00A0%8")
        .arg(QString::fromLatin1(qVersion()))
        .arg(nJpeg / 1000000)
        .arg(nJpeg / 1000 % 1000)
        .arg(nJpeg % 1000)
        .arg(GIFLIB_MAJOR)
        .arg(GIFLIB_MINOR)
        .arg(GIFLIB_RELEASE)
        .arg(QString::fromLatin1(png_get_libpng_ver(nullptr)));
}

} // namespace tramino
