#pragma once

#include <cstddef>
#include <cstdint>

namespace tramino
{

// Layout of a show file: "NUVQRV", zero bytes up to offset 32, picture blocks of window records
// (x0, x1, y0, y1 as 16 bits, n as 32 bits, then n RGB565 values; all big-endian) each ended by
// FF FF, and FF F8 at the end of the file.
inline constexpr char g_szShowMagic[] = "NUVQRV";
inline constexpr size_t g_nShowMagicSize = 6;
inline constexpr size_t g_nShowHeaderSize = 32;
inline constexpr size_t g_nRecordHeadSize = 12;
inline constexpr uint16_t g_nPictureEndMarker = 0xFFFF;
inline constexpr uint16_t g_nFileEndMarker = 0xFFF8;
// Columns are far below both markers, so a leading value this large is never a record.
inline constexpr uint16_t g_nMinMarker = g_nFileEndMarker;

} // namespace tramino
