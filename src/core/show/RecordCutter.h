#pragma once

#include "common/Status.h"
#include "picture/Picture.h"
#include "show/ShowFileWriter.h"
#include "show/Transition.h"

#include <functional>
#include <stop_token>

namespace tramino
{

// The colour of panel pixel (x, y) of the picture being written.
using PixelSource = std::function<CRgb(int x, int y)>;
// Told of every pixel right after it went to the writer, in file order (the main window paints
// it); may be empty.
using PixelEcho = std::function<void(int x, int y, CRgb cr)>;

// Writes one picture as the records of the effect on a W x H panel, then its FF FF.
// A stop request is looked at before each record; stopping mid-picture abandons the file, since
// a file holds whole pictures only. An unsupported size is refused before anything is written.
CStatus WritePictureRecords(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                            const PixelSource& source, const PixelEcho& echo = {},
                            const std::stop_token& stop = {});
// The picture must be W x H.
CStatus WritePictureRecords(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                            const CPicture& picture, const PixelEcho& echo = {},
                            const std::stop_token& stop = {});
// Stands in for a picture that could not be read: the same records, every pixel white.
CStatus WriteUnreadablePicture(CShowFileWriter& writer, EEffect effect, int nWidth, int nHeight,
                               const PixelEcho& echo = {}, const std::stop_token& stop = {});

} // namespace tramino
