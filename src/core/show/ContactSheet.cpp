#include "show/ContactSheet.h"

#include "png/PngWriter.h"

#include <algorithm>
#include <cstring>

namespace tramino
{

namespace
{

constexpr int g_nFrames = 8;
constexpr int g_nMargin = 8;
constexpr int g_nStripGap = 16; // between a picture and its transition strip
constexpr int g_nFrameGap = 4;
constexpr CRgb g_crSheet{40, 40, 40};

} // namespace

CContactSheet::CContactSheet(CPanelSize panel, int nPicturesPerSheet)
    : m_panel(panel), m_nFrameScale(panel.m_nWidth > 160 ? 2 : 1), m_nPerRow(g_nFrames / m_nFrameScale),
      m_canvas(panel.m_nWidth, panel.m_nHeight, 24)
{
    for (int nReduce = 1;; ++nReduce)
    {
        Lay(nReduce);
        if (m_nWidth <= g_nMaxPngSide && Height(1) + g_nMargin <= g_nMaxPngSide)
            break;
    }
    m_nPerSheet = std::clamp(nPicturesPerSheet, 1, (g_nMaxPngSide - g_nMargin) / BandHeight());
    m_band = CPicture(m_nWidth, BandHeight(), 24);
    ClearBand();
}

int CContactSheet::Height(int nRows) const
{
    return g_nMargin + nRows * BandHeight();
}

int CContactSheet::BandHeight() const
{
    return m_nRowHeight + g_nMargin;
}

int CContactSheet::TopMarginRows()
{
    return g_nMargin;
}

void CContactSheet::Lay(int nReduce)
{
    m_nReduce = nReduce;
    m_nPictureWidth = std::max(1, m_panel.m_nWidth / nReduce);
    m_nPictureHeight = std::max(1, m_panel.m_nHeight / nReduce);
    m_nFrameWidth = std::max(1, m_panel.m_nWidth / (nReduce * m_nFrameScale));
    m_nFrameHeight = std::max(1, m_panel.m_nHeight / (nReduce * m_nFrameScale));
    m_nRowHeight =
        std::max(m_nPictureHeight, m_nFrameScale * m_nFrameHeight + (m_nFrameScale - 1) * g_nFrameGap);
    m_nStripLeft = g_nMargin + m_nPictureWidth + g_nStripGap;
    m_nWidth = m_nStripLeft + m_nPerRow * m_nFrameWidth + (m_nPerRow - 1) * g_nFrameGap + g_nMargin;
}

void CContactSheet::ClearBand()
{
    for (int y = 0; y < m_band.Height(); ++y)
    {
        uint8_t* pRow = m_band.Row(y);
        for (int x = 0; x < m_band.Width(); ++x, pRow += 3)
            pRow[0] = g_crSheet.m_nRed, pRow[1] = g_crSheet.m_nGreen, pRow[2] = g_crSheet.m_nBlue;
    }
}

void CContactSheet::PasteReduced(const CPicture& picture, int nScale, int nLeft, int nTop)
{
    const int nWidth = std::max(1, picture.Width() / nScale);
    const int nHeight = std::max(1, picture.Height() / nScale);
    const auto target = [&](int y) { return m_band.Row(nTop + y) + static_cast<size_t>(nLeft) * 3; };
    if (nScale == 1)
    {
        for (int y = 0; y < nHeight; ++y)
            std::memcpy(target(y), picture.Row(y), static_cast<size_t>(nWidth) * 3);
        return;
    }
    if (nScale == 2 && picture.Width() >= 2 && picture.Height() >= 2)
    {
        // The moments of every panel wider than 160: whole 2 x 2 blocks, each a quarter of its sum.
        for (int y = 0; y < nHeight; ++y)
        {
            const uint8_t* pTop = picture.Row(2 * y);
            const uint8_t* pBottom = picture.Row(2 * y + 1);
            uint8_t* pTarget = target(y);
            for (int i = 0; i < nWidth * 3; i += 3, pTop += 6, pBottom += 6)
                for (int c = 0; c < 3; ++c)
                    pTarget[i + c] =
                        static_cast<uint8_t>((pTop[c] + pTop[c + 3] + pBottom[c] + pBottom[c + 3]) >> 2);
        }
        return;
    }
    // Dividing by multiplying with 2^32 / area rounded up is exact for the block areas used here
    // (below 4104), and much cheaper than a division per colour.
    const auto reciprocal = [](int nArea) { return (0xFFFFFFFFULL + static_cast<uint64_t>(nArea)) / nArea; };
    const uint64_t nFullBlock = reciprocal(nScale * nScale);
    const auto divide = [](int nSum, uint64_t nReciprocal)
    { return static_cast<uint8_t>((static_cast<uint64_t>(nSum) * nReciprocal) >> 32); };
    for (int y = 0; y < nHeight; ++y)
    {
        const int nRowEnd = std::min(picture.Height(), (y + 1) * nScale);
        uint8_t* pTarget = target(y);
        for (int x = 0; x < nWidth; ++x, pTarget += 3)
        {
            const int nColumnEnd = std::min(picture.Width(), (x + 1) * nScale);
            int nRed = 0, nGreen = 0, nBlue = 0;
            for (int j = y * nScale; j < nRowEnd; ++j)
            {
                const uint8_t* pPixel = picture.Row(j) + static_cast<size_t>(x) * nScale * 3;
                for (int i = x * nScale; i < nColumnEnd; ++i, pPixel += 3)
                    nRed += pPixel[0], nGreen += pPixel[1], nBlue += pPixel[2];
            }
            const int nArea = (nRowEnd - y * nScale) * (nColumnEnd - x * nScale);
            const uint64_t nReciprocal = nArea == nScale * nScale ? nFullBlock : reciprocal(nArea);
            pTarget[0] = divide(nRed, nReciprocal), pTarget[1] = divide(nGreen, nReciprocal),
            pTarget[2] = divide(nBlue, nReciprocal);
        }
    }
}

void CContactSheet::PasteFrame(int nFrame)
{
    PasteReduced(m_canvas, m_nReduce * m_nFrameScale,
                 m_nStripLeft + (nFrame % m_nPerRow) * (m_nFrameWidth + g_nFrameGap),
                 (nFrame / m_nPerRow) * (m_nFrameHeight + g_nFrameGap));
}

void CContactSheet::Skip(const CShowFilePicture& picture)
{
    m_canvas = picture.m_picture;
}

const CPicture& CContactSheet::Draw(const CShowFilePicture& picture)
{
    // The picture and its moments cover the same places of the band every time; the background
    // around them was laid once.
    const CPicture& source = picture.m_picture;
    PasteReduced(source, m_nReduce, g_nMargin, 0);

    const int64_t nTotal = static_cast<int64_t>(m_panel.m_nWidth) * m_panel.m_nHeight;
    int64_t nPainted = 0;
    int nFrame = 0;
    // Each window's rows are copied in runs that end where a moment falls, so that every moment
    // shows exactly the pixels painted before it.
    const auto paint = [&](const CRecordWindow& window)
    {
        for (int y = window.m_nY0; y <= window.m_nY1; ++y)
            for (int x = window.m_nX0; x <= window.m_nX1;)
            {
                int64_t nRun = window.m_nX1 - x + 1;
                if (nFrame < g_nFrames)
                    nRun = std::min(nRun, (nTotal * (nFrame + 1) + g_nFrames - 1) / g_nFrames - nPainted);
                const size_t nOffset = static_cast<size_t>(x) * 3;
                std::memcpy(m_canvas.Row(y) + nOffset, source.Row(y) + nOffset,
                            static_cast<size_t>(nRun) * 3);
                x += static_cast<int>(nRun);
                nPainted += nRun;
                while (nFrame < g_nFrames && nPainted * g_nFrames >= nTotal * (nFrame + 1))
                    PasteFrame(nFrame++);
            }
    };
    if (picture.m_optEffect)
        ForEachEffectRecord(*picture.m_optEffect, m_panel.m_nWidth, m_panel.m_nHeight, paint);
    else // records in an order of no transition we know: rows from the top stand in for them
        paint(CRecordWindow{0, m_panel.m_nWidth - 1, 0, m_panel.m_nHeight - 1});
    return m_band;
}

} // namespace tramino
