#pragma once

#include "picture/Picture.h"

#include <cstdint>
#include <random>

namespace tramino::test
{

inline CPicture UniformPicture(int nWidth, int nHeight, CRgb cr)
{
    CPicture picture(nWidth, nHeight, 24);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            picture.SetPixel(x, y, cr);
    return picture;
}

inline CPicture RandomPicture(int nWidth, int nHeight, uint32_t nSeed)
{
    CPicture picture(nWidth, nHeight, 24);
    std::mt19937 random(nSeed);
    for (int y = 0; y < nHeight; ++y)
        for (size_t k = 0; k < picture.RowBytes(); ++k)
            picture.Row(y)[k] = static_cast<uint8_t>(random());
    return picture;
}

} // namespace tramino::test
