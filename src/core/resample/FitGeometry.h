#pragma once

#include "codec/PictureDecoder.h"

#include <memory>
#include <optional>
#include <string_view>

namespace tramino
{

// How a picture meets a panel of another shape.
enum class EFit
{
    Stretch, // fill the panel, whatever the aspect ratio
    Contain, // keep the aspect ratio inside the panel, bars of the background around it
    Cover,   // keep the aspect ratio and fill the panel, cropping what sticks out
};

// Where a contained picture sits and which part a crop keeps, as ImageMagick's users name it.
enum class EGravity
{
    Center,
    North,
    South,
    East,
    West,
    NorthWest,
    NorthEast,
    SouthWest,
    SouthEast,
};

std::optional<EFit> ParseFit(std::string_view strName);
// Case does not matter: "NorthWest" and "northwest" are the same.
std::optional<EGravity> ParseGravity(std::string_view strName);

struct CRect
{
    int m_nX = 0;
    int m_nY = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;

    friend bool operator==(const CRect&, const CRect&) = default;
};

// The picture of nSourceWidth x nSourceHeight scaled to fit inside the panel with its aspect
// ratio (rounded to the nearest pixel, at least 1), and placed on the panel by the gravity.
CRect ContainRect(int nSourceWidth, int nSourceHeight, int nPanelWidth, int nPanelHeight, EGravity eGravity);
// The largest part of the source with the panel's aspect ratio (rounded, at least 1), placed
// in the source by the gravity.
CRect CoverCrop(int nSourceWidth, int nSourceHeight, int nPanelWidth, int nPanelHeight, EGravity eGravity);

// Hands out only the rectangle rcRows (in the reader's rows) of the reader's picture, as a reader
// of a file holding just that part would: its file size is nFileWidth x nFileHeight. A top-down
// reader stops decoding after the last row it needs.
std::unique_ptr<CRowReader> CropRows(std::unique_ptr<CRowReader> pReader, const CRect& rcRows, int nFileWidth,
                                     int nFileHeight);

} // namespace tramino
