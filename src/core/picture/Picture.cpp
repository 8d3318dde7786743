#include "picture/Picture.h"

namespace tramino
{

CPicture::CPicture(int nWidth, int nHeight, int nBitsPerPixel)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_nBitsPerPixel(nBitsPerPixel),
      m_vecPixels(static_cast<size_t>(nWidth) * static_cast<size_t>(BytesPerPixelFor(nBitsPerPixel)) *
                      static_cast<size_t>(nHeight),
                  0)
{
}

CPicture CPicture::ForOverwrite(int nWidth, int nHeight, int nBitsPerPixel)
{
    CPicture picture;
    picture.m_nWidth = nWidth;
    picture.m_nHeight = nHeight;
    picture.m_nBitsPerPixel = nBitsPerPixel;
    picture.m_vecPixels.resize(picture.RowBytes() * static_cast<size_t>(nHeight));
    return picture;
}

CRgb CPicture::GetPixel(int x, int y) const
{
    const uint8_t* p = Row(y) + static_cast<size_t>(x) * static_cast<size_t>(BytesPerPixel());
    if (IsIndexed())
        return *p < m_vecPalette.size() ? m_vecPalette[*p] : CRgb{};
    return CRgb{p[0], p[1], p[2]};
}

void CPicture::SetPixel(int x, int y, CRgb cr)
{
    uint8_t* p = Row(y) + static_cast<size_t>(x) * static_cast<size_t>(BytesPerPixel());
    p[0] = cr.m_nRed;
    p[1] = cr.m_nGreen;
    p[2] = cr.m_nBlue;
}

} // namespace tramino
