#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tramino
{

// Leaves the elements a vector grows by as they come, for buffers that are written whole before
// they are read.
template <class T> class CUninitialisedAllocator : public std::allocator<T>
{
public:
    template <class U> struct rebind
    {
        using other = CUninitialisedAllocator<U>;
    };
    CUninitialisedAllocator() = default;
    template <class U> CUninitialisedAllocator(const CUninitialisedAllocator<U>&) noexcept {}

    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... TArgs> void construct(U* p, TArgs&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<TArgs>(args)...);
    }
};

struct CRgb
{
    uint8_t m_nRed = 0;
    uint8_t m_nGreen = 0;
    uint8_t m_nBlue = 0;

    friend bool operator==(const CRgb&, const CRgb&) = default;
};

// A decoded picture at its own size, rows top-down.
//
// It keeps the depth class the file had, because the conversion to the panel decides by it:
//   1, 4, 8 bits  - indexed: one palette index per pixel (one byte each), colours in Palette();
//   16, 24 bits   - direct: three bytes per pixel, red, green, blue;
//   32 bits       - direct: four bytes per pixel, red, green, blue, alpha (255 when the file has none).
class CPicture
{
public:
    CPicture() = default;
    // The caller has checked the size against the decoder's limits; pixels start at 0.
    CPicture(int nWidth, int nHeight, int nBitsPerPixel);
    // Same, with pixels left as they come, for a caller that writes every row before any is read
    // (a resampler's output): clearing each picture first cost a build some 5% of its time.
    static CPicture ForOverwrite(int nWidth, int nHeight, int nBitsPerPixel);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int BitsPerPixel() const { return m_nBitsPerPixel; }
    bool IsIndexed() const { return m_nBitsPerPixel <= 8; }
    bool IsEmpty() const { return m_nWidth == 0 || m_nHeight == 0; }

    // Bytes that one pixel takes in a row: 1, 3 or 4.
    int BytesPerPixel() const { return BytesPerPixelFor(m_nBitsPerPixel); }
    size_t RowBytes() const { return static_cast<size_t>(m_nWidth) * static_cast<size_t>(BytesPerPixel()); }

    uint8_t* Row(int y) { return m_vecPixels.data() + static_cast<size_t>(y) * RowBytes(); }
    const uint8_t* Row(int y) const { return m_vecPixels.data() + static_cast<size_t>(y) * RowBytes(); }

    std::vector<CRgb>& Palette() { return m_vecPalette; }
    const std::vector<CRgb>& Palette() const { return m_vecPalette; }

    // The colour at (x, y); an index beyond the palette reads as black.
    CRgb GetPixel(int x, int y) const;
    // Direct pictures only.
    void SetPixel(int x, int y, CRgb cr);

    static int BytesPerPixelFor(int nBitsPerPixel)
    {
        return nBitsPerPixel <= 8 ? 1 : nBitsPerPixel == 32 ? 4 : 3;
    }

    friend bool operator==(const CPicture&, const CPicture&) = default;

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBitsPerPixel = 24;
    std::vector<CRgb> m_vecPalette;
    std::vector<uint8_t, CUninitialisedAllocator<uint8_t>> m_vecPixels;
};

} // namespace tramino
