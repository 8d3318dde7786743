#include "resample/FitGeometry.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace tramino
{

namespace
{

struct CAnchor
{
    int m_nHalvesX = 1; // 0, 1 or 2 halves of the free space before the picture
    int m_nHalvesY = 1;
};

struct CGravityName
{
    const char* m_szName;
    EGravity m_eGravity;
    CAnchor m_anchor;
};

constexpr CGravityName g_arrGravities[] = {
    {"center", EGravity::Center, {1, 1}},       {"north", EGravity::North, {1, 0}},
    {"south", EGravity::South, {1, 2}},         {"east", EGravity::East, {2, 1}},
    {"west", EGravity::West, {0, 1}},           {"northwest", EGravity::NorthWest, {0, 0}},
    {"northeast", EGravity::NorthEast, {2, 0}}, {"southwest", EGravity::SouthWest, {0, 2}},
    {"southeast", EGravity::SouthEast, {2, 2}},
};

CAnchor AnchorOf(EGravity eGravity)
{
    for (const CGravityName& gravity : g_arrGravities)
        if (gravity.m_eGravity == eGravity)
            return gravity.m_anchor;
    return {};
}

int Place(int nFree, int nHalves)
{
    return nFree * nHalves / 2;
}

// round(nSide * nNumerator / nDenominator), halves rounded up, at least 1; exact in 64 bits.
int ScaledSide(int64_t nSide, int64_t nNumerator, int64_t nDenominator)
{
    return static_cast<int>(
        std::max<int64_t>(1, (2 * nSide * nNumerator + nDenominator) / (2 * nDenominator)));
}

std::string Lower(std::string_view str)
{
    std::string strLower(str);
    for (char& ch : strLower)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return strLower;
}

class CCropRowReader final : public CRowReader
{
public:
    CCropRowReader(std::unique_ptr<CRowReader> pReader, const CRect& rcRows, int nFileWidth, int nFileHeight)
        : m_pReader(std::move(pReader)), m_rcRows(rcRows)
    {
        m_info = m_pReader->Info();
        m_info.m_nWidth = rcRows.m_nWidth;
        m_info.m_nHeight = rcRows.m_nHeight;
        m_info.m_nFileWidth = nFileWidth;
        m_info.m_nFileHeight = nFileHeight;
    }

    bool IsBottomUp() const override { return m_pReader->IsBottomUp(); }

    CStatus ReadRows(const std::function<bool(int y, const uint8_t* pRgb)>& fnRow) override
    {
        int nLeft = m_rcRows.m_nHeight;
        const size_t nOffset = 3 * static_cast<size_t>(m_rcRows.m_nX);
        return m_pReader->ReadRows(
            [&](int y, const uint8_t* pRgb)
            {
                const int yCrop = y - m_rcRows.m_nY;
                if (yCrop < 0 || yCrop >= m_rcRows.m_nHeight)
                    return true;
                // Once the last row of the crop is in, in either order, the rest is not needed.
                return fnRow(yCrop, pRgb + nOffset) && --nLeft > 0;
            });
    }

private:
    std::unique_ptr<CRowReader> m_pReader;
    CRect m_rcRows;
};

} // namespace

std::optional<EFit> ParseFit(std::string_view strName)
{
    if (strName == "stretch")
        return EFit::Stretch;
    if (strName == "contain")
        return EFit::Contain;
    if (strName == "cover")
        return EFit::Cover;
    return std::nullopt;
}

std::optional<EGravity> ParseGravity(std::string_view strName)
{
    const std::string strLower = Lower(strName);
    for (const CGravityName& gravity : g_arrGravities)
        if (strLower == gravity.m_szName)
            return gravity.m_eGravity;
    return std::nullopt;
}

CRect ContainRect(int nSourceWidth, int nSourceHeight, int nPanelWidth, int nPanelHeight, EGravity eGravity)
{
    CRect rc;
    if (int64_t{nSourceWidth} * nPanelHeight >= int64_t{nSourceHeight} * nPanelWidth)
    {
        rc.m_nWidth = nPanelWidth;
        rc.m_nHeight = ScaledSide(nSourceHeight, nPanelWidth, nSourceWidth);
    }
    else
    {
        rc.m_nHeight = nPanelHeight;
        rc.m_nWidth = ScaledSide(nSourceWidth, nPanelHeight, nSourceHeight);
    }
    const CAnchor anchor = AnchorOf(eGravity);
    rc.m_nX = Place(nPanelWidth - rc.m_nWidth, anchor.m_nHalvesX);
    rc.m_nY = Place(nPanelHeight - rc.m_nHeight, anchor.m_nHalvesY);
    return rc;
}

CRect CoverCrop(int nSourceWidth, int nSourceHeight, int nPanelWidth, int nPanelHeight, EGravity eGravity)
{
    CRect rc{0, 0, nSourceWidth, nSourceHeight};
    if (int64_t{nSourceWidth} * nPanelHeight > int64_t{nSourceHeight} * nPanelWidth)
        rc.m_nWidth = ScaledSide(nSourceHeight, nPanelWidth, nPanelHeight);
    else
        rc.m_nHeight = ScaledSide(nSourceWidth, nPanelHeight, nPanelWidth);
    const CAnchor anchor = AnchorOf(eGravity);
    rc.m_nX = Place(nSourceWidth - rc.m_nWidth, anchor.m_nHalvesX);
    rc.m_nY = Place(nSourceHeight - rc.m_nHeight, anchor.m_nHalvesY);
    return rc;
}

std::unique_ptr<CRowReader> CropRows(std::unique_ptr<CRowReader> pReader, const CRect& rcRows, int nFileWidth,
                                     int nFileHeight)
{
    return std::make_unique<CCropRowReader>(std::move(pReader), rcRows, nFileWidth, nFileHeight);
}

} // namespace tramino
