#include "codec/PictureRowReader.h"

#include <cstring>

namespace tramino
{

void DepthRowToRgb(int nBitsPerPixel, const std::vector<CRgb>& vecPalette, const uint8_t* pRow, int nWidth,
                   uint8_t* pRgb)
{
    if (nBitsPerPixel <= 8)
    {
        for (int x = 0; x < nWidth; ++x, pRgb += 3)
        {
            const CRgb cr = pRow[x] < vecPalette.size() ? vecPalette[pRow[x]] : CRgb{};
            pRgb[0] = cr.m_nRed;
            pRgb[1] = cr.m_nGreen;
            pRgb[2] = cr.m_nBlue;
        }
    }
    else if (nBitsPerPixel == 32)
    {
        for (int x = 0; x < nWidth; ++x, pRgb += 3, pRow += 4)
        {
            pRgb[0] = pRow[0];
            pRgb[1] = pRow[1];
            pRgb[2] = pRow[2];
        }
    }
    else
        std::memcpy(pRgb, pRow, static_cast<size_t>(nWidth) * 3);
}

CPictureRowReader::CPictureRowReader(CPicture picture, EPictureFormat eFormat, bool bBottomUp,
                                     int nDepthClass)
    : m_picture(std::move(picture)), m_bBottomUp(bBottomUp)
{
    m_info.m_eFormat = eFormat;
    m_info.m_nWidth = m_info.m_nFileWidth = m_picture.Width();
    m_info.m_nHeight = m_info.m_nFileHeight = m_picture.Height();
    m_info.m_nBitsPerPixel = nDepthClass ? nDepthClass : m_picture.BitsPerPixel();
}

CStatus CPictureRowReader::ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow)
{
    const int nWidth = m_picture.Width();
    const int nHeight = m_picture.Height();
    std::vector<uint8_t> vecRgb(static_cast<size_t>(nWidth) * 3);
    for (int i = 0; i < nHeight; ++i)
    {
        const int y = m_bBottomUp ? nHeight - 1 - i : i;
        DepthRowToRgb(m_picture.BitsPerPixel(), m_picture.Palette(), m_picture.Row(y), nWidth, vecRgb.data());
        if (!fnRow(y, vecRgb.data()))
            break;
    }
    return {};
}

} // namespace tramino
