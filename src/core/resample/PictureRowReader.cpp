#include "resample/PictureRowReader.h"

namespace tramino
{

CPictureRowReader::CPictureRowReader(const CPicture& picture, bool bBottomUp)
    : m_picture(picture), m_bBottomUp(bBottomUp)
{
    m_info.m_nWidth = m_info.m_nFileWidth = picture.Width();
    m_info.m_nHeight = m_info.m_nFileHeight = picture.Height();
    m_info.m_nBitsPerPixel = picture.BitsPerPixel();
}

CStatus CPictureRowReader::ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow)
{
    const int nWidth = m_picture.Width();
    std::vector<uint8_t> vecRow(3 * static_cast<size_t>(nWidth));
    for (int i = 0; i < m_picture.Height(); ++i)
    {
        const int y = m_bBottomUp ? m_picture.Height() - 1 - i : i;
        const uint8_t* pRow = m_picture.Row(y);
        if (m_picture.BytesPerPixel() != 3)
        {
            for (int x = 0; x < nWidth; ++x)
            {
                const CRgb cr = m_picture.GetPixel(x, y);
                vecRow[3 * static_cast<size_t>(x)] = cr.m_nRed;
                vecRow[3 * static_cast<size_t>(x) + 1] = cr.m_nGreen;
                vecRow[3 * static_cast<size_t>(x) + 2] = cr.m_nBlue;
            }
            pRow = vecRow.data();
        }
        if (!fnRow(y, pRow))
            break;
    }
    return {};
}

} // namespace tramino
