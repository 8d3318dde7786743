#pragma once

#include "picture/Picture.h"

#include <cstddef>
#include <cstdint>

namespace tramino
{

// The panel's 16-bit colour: red in bits 15-11, green 10-5, blue 4-0. The low bits of each
// component are dropped (no rounding, no dithering), as the device expects.
constexpr uint16_t PackRgb565(uint8_t nRed, uint8_t nGreen, uint8_t nBlue)
{
    return static_cast<uint16_t>(((nRed & 0xF8) << 8) | ((nGreen & 0xFC) << 3) | (nBlue >> 3));
}

// nCount pixels packed red, green, blue into as many PackRgb565 values, each big-endian as the
// file stores it: 2 * nCount bytes at pOut, which must not overlap pRgb.
void PackRgb565Row(const uint8_t* pRgb, size_t nCount, uint8_t* pOut);

// Back to 24 bits by bit replication: each component's top bits repeat in its dropped low bits,
// so 0 stays 0, the largest step becomes 255 and PackRgb565(ExpandRgb565(v)) == v for every v.
constexpr CRgb ExpandRgb565(uint16_t nValue)
{
    const int nRed = nValue >> 11;
    const int nGreen = (nValue >> 5) & 0x3F;
    const int nBlue = nValue & 0x1F;
    return CRgb{static_cast<uint8_t>((nRed << 3) | (nRed >> 2)),
                static_cast<uint8_t>((nGreen << 2) | (nGreen >> 4)),
                static_cast<uint8_t>((nBlue << 3) | (nBlue >> 2))};
}

} // namespace tramino
