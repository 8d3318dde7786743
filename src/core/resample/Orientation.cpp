#include "resample/Orientation.h"

#include <vector>

namespace tramino
{

namespace
{

// The shown pixel (x', y') is the stored pixel (x, y) with (a, b) = transposed ? (y', x') : (x', y'),
// x = flipped in x ? w - 1 - a : a, y = flipped in y ? h - 1 - b : b.
struct COrientation
{
    bool m_bTranspose = false;
    bool m_bFlipX = false;
    bool m_bFlipY = false;
};

COrientation OrientationOf(int nOrientation)
{
    switch (nOrientation)
    {
    case 2:
        return {false, true, false};
    case 3:
        return {false, true, true};
    case 4:
        return {false, false, true};
    case 5:
        return {true, false, false};
    case 6:
        return {true, false, true};
    case 7:
        return {true, true, true};
    case 8:
        return {true, true, false};
    default:
        return {};
    }
}

void CopyPixel(const uint8_t* pFrom, uint8_t* pTo)
{
    pTo[0] = pFrom[0];
    pTo[1] = pFrom[1];
    pTo[2] = pFrom[2];
}

class COrientedRowReader final : public CRowReader
{
public:
    COrientedRowReader(std::unique_ptr<CRowReader> pReader, COrientation orientation)
        : m_pReader(std::move(pReader)), m_orientation(orientation)
    {
        m_info = m_pReader->Info();
        if (orientation.m_bTranspose)
        {
            std::swap(m_info.m_nWidth, m_info.m_nHeight);
            std::swap(m_info.m_nFileWidth, m_info.m_nFileHeight);
        }
    }

    bool IsBottomUp() const override
    {
        return !m_orientation.m_bTranspose && m_pReader->IsBottomUp() != m_orientation.m_bFlipY;
    }

    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override
    {
        return m_orientation.m_bTranspose ? ReadTransposed(fnRow) : ReadMirrored(fnRow);
    }

private:
    CStatus ReadMirrored(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow);
    CStatus ReadTransposed(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow);

    std::unique_ptr<CRowReader> m_pReader;
    COrientation m_orientation;
};

CStatus COrientedRowReader::ReadMirrored(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow)
{
    const int nWidth = m_info.m_nWidth;
    std::vector<uint8_t> vecRow(m_orientation.m_bFlipX ? 3 * static_cast<size_t>(nWidth) : 0);
    return m_pReader->ReadRows(
        [&](int y, const uint8_t* pRgb)
        {
            if (m_orientation.m_bFlipX)
            {
                for (int x = 0; x < nWidth; ++x)
                    CopyPixel(pRgb + 3 * static_cast<size_t>(nWidth - 1 - x), vecRow.data() + 3 * x);
                pRgb = vecRow.data();
            }
            return fnRow(m_orientation.m_bFlipY ? m_info.m_nHeight - 1 - y : y, pRgb);
        });
}

CStatus COrientedRowReader::ReadTransposed(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow)
{
    // Stored w x h: every shown row is a stored column, so all of it is needed first.
    const size_t nStoredWidth = static_cast<size_t>(m_info.m_nHeight);
    const int nStoredHeight = m_info.m_nWidth;
    std::vector<uint8_t> vecStored(3 * nStoredWidth * static_cast<size_t>(nStoredHeight));
    std::vector<bool> vecSeen(static_cast<size_t>(nStoredHeight));
    CStatus status = m_pReader->ReadRows(
        [&](int y, const uint8_t* pRgb)
        {
            if (y < 0 || y >= nStoredHeight || vecSeen[static_cast<size_t>(y)])
                return false;
            vecSeen[static_cast<size_t>(y)] = true;
            std::copy(pRgb, pRgb + 3 * nStoredWidth, vecStored.begin() + 3 * nStoredWidth * y);
            return true;
        });
    if (!status)
        return status;
    for (bool bSeen : vecSeen)
        if (!bSeen)
            return CStatus::Error("The decoder handed out too few rows");

    std::vector<uint8_t> vecRow(3 * static_cast<size_t>(m_info.m_nWidth));
    for (int yShown = 0; yShown < m_info.m_nHeight; ++yShown)
    {
        const size_t x = static_cast<size_t>(m_orientation.m_bFlipX ? m_info.m_nHeight - 1 - yShown : yShown);
        for (int xShown = 0; xShown < m_info.m_nWidth; ++xShown)
        {
            const size_t y =
                static_cast<size_t>(m_orientation.m_bFlipY ? nStoredHeight - 1 - xShown : xShown);
            CopyPixel(vecStored.data() + 3 * (y * nStoredWidth + x), vecRow.data() + 3 * xShown);
        }
        if (!fnRow(yShown, vecRow.data()))
            return {};
    }
    return {};
}

} // namespace

std::unique_ptr<CRowReader> OrientRows(std::unique_ptr<CRowReader> pReader, int nOrientation)
{
    const COrientation orientation = OrientationOf(nOrientation);
    if (!orientation.m_bTranspose && !orientation.m_bFlipX && !orientation.m_bFlipY)
        return pReader;
    return std::make_unique<COrientedRowReader>(std::move(pReader), orientation);
}

} // namespace tramino
