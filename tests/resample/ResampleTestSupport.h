#pragma once

#include "codec/PictureDecoder.h"
#include "picture/Picture.h"

#include <cstdint>
#include <random>
#include <vector>

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

// Hands out the rows of a picture in memory as a decoder would, top-down or bottom-up.
class CInMemoryRowReader final : public CRowReader
{
public:
    explicit CInMemoryRowReader(const CPicture& picture, bool bBottomUp = false)
        : m_picture(picture), m_bBottomUp(bBottomUp)
    {
        m_info.m_nWidth = m_info.m_nFileWidth = picture.Width();
        m_info.m_nHeight = m_info.m_nFileHeight = picture.Height();
        m_info.m_nBitsPerPixel = picture.BitsPerPixel();
    }

    bool IsBottomUp() const override { return m_bBottomUp; }

    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override
    {
        std::vector<uint8_t> vecRow(3 * static_cast<size_t>(m_picture.Width()));
        for (int i = 0; i < m_picture.Height(); ++i)
        {
            const int y = m_bBottomUp ? m_picture.Height() - 1 - i : i;
            for (int x = 0; x < m_picture.Width(); ++x)
            {
                const CRgb cr = m_picture.GetPixel(x, y);
                vecRow[3 * static_cast<size_t>(x)] = cr.m_nRed;
                vecRow[3 * static_cast<size_t>(x) + 1] = cr.m_nGreen;
                vecRow[3 * static_cast<size_t>(x) + 2] = cr.m_nBlue;
            }
            if (!fnRow(y, vecRow.data()))
                break;
        }
        return {};
    }

private:
    const CPicture& m_picture;
    bool m_bBottomUp;
};

} // namespace tramino::test
