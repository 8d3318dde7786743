#include "resample/StreamingReducer.h"

#include "resample/ReducePicture.h"
#include "resample/WeightTable.h"

#include <algorithm>

namespace tramino
{

CResult<CStreamingReducer> CStreamingReducer::Create(int nSourceWidth, int nSourceHeight, int nWidth,
                                                     int nHeight)
{
    if (CStatus status = CheckReductionSizes(nSourceWidth, nSourceHeight, nWidth, nHeight); !status)
        return status;
    CStreamingReducer reducer;
    reducer.m_nWidth = nWidth;
    reducer.m_nHeight = nHeight;
    reducer.m_nFullShare = static_cast<uint32_t>((nWidth << 12) / nSourceWidth);

    // Only the pixel that ends a column can have less than the full share.
    const uint32_t nLast = static_cast<uint32_t>(nSourceWidth - 1);
    const std::vector<CWeightEntry> vecX = BuildWeightTable(nSourceWidth, nWidth);
    uint32_t nFirst = 0;
    uint32_t nHeadShare = 0;
    for (uint32_t x = 0; x <= nLast; ++x)
    {
        const CWeightEntry entry = vecX[x];
        if (entry.m_nCarry == 0)
            continue;
        CColumnSpan span;
        span.m_nFirst = nFirst;
        span.m_nHead = nFirst > 0 ? nFirst - 1 : 0;
        span.m_nHeadShare = nHeadShare;
        const bool bFull = static_cast<uint32_t>(entry.m_nWeight) == reducer.m_nFullShare;
        span.m_nCount = x - nFirst + (bFull ? 1 : 0);
        span.m_nTail = std::min(nFirst + span.m_nCount, nLast);
        span.m_nTailShare = bFull ? 0 : static_cast<uint32_t>(entry.m_nWeight);
        reducer.m_vecColumns.push_back(span);
        nHeadShare = entry.m_nCarry > 0 ? static_cast<uint32_t>(entry.m_nCarry) : 0;
        nFirst = x + 1;
    }

    // The table counts rows from the bottom, the rows arrive counted from the top.
    const std::vector<CWeightEntry> vecY = BuildWeightTable(nSourceHeight, nHeight);
    reducer.m_vecRows.resize(static_cast<size_t>(nSourceHeight));
    size_t nOutputFromBottom = 0;
    for (size_t y = 0; y < vecY.size(); ++y)
    {
        const CWeightEntry entry = vecY[y];
        CRowShare& share = reducer.m_vecRows[vecY.size() - 1 - y];
        share.m_nOutput = static_cast<size_t>(nHeight) - 1 - nOutputFromBottom;
        share.m_nShare = static_cast<uint32_t>(entry.m_nWeight);
        share.m_nCarry = entry.m_nCarry > 0 ? static_cast<uint32_t>(entry.m_nCarry) : 0;
        if (entry.m_nCarry != 0)
            ++nOutputFromBottom;
    }

    reducer.m_vecRowSums.resize(3 * static_cast<size_t>(nWidth));
    reducer.m_vecSums.resize(3 * static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    return reducer;
}

// Spans are short (tens of pixels of three interleaved channels); GCC's vectorised version of
// that loop is slower than the scalar one, while the row loops below do gain from vectors.
#if defined(__GNUC__) && !defined(__clang__)
#define TRAMINO_SCALAR_LOOPS __attribute__((optimize("no-tree-vectorize")))
#else
#define TRAMINO_SCALAR_LOOPS
#endif

TRAMINO_SCALAR_LOOPS void CStreamingReducer::SumAcross(const uint8_t* pRgb)
{
    uint32_t* pSums = m_vecRowSums.data();
    for (const CColumnSpan& span : m_vecColumns)
    {
        const uint8_t* p = pRgb + 3 * static_cast<size_t>(span.m_nFirst);
        uint32_t nRed = 0, nGreen = 0, nBlue = 0;
        for (uint32_t i = 0; i < span.m_nCount; ++i, p += 3)
        {
            nRed += p[0];
            nGreen += p[1];
            nBlue += p[2];
        }
        const uint8_t* pHead = pRgb + 3 * static_cast<size_t>(span.m_nHead);
        const uint8_t* pTail = pRgb + 3 * static_cast<size_t>(span.m_nTail);
        pSums[0] = m_nFullShare * nRed + span.m_nHeadShare * pHead[0] + span.m_nTailShare * pTail[0];
        pSums[1] = m_nFullShare * nGreen + span.m_nHeadShare * pHead[1] + span.m_nTailShare * pTail[1];
        pSums[2] = m_nFullShare * nBlue + span.m_nHeadShare * pHead[2] + span.m_nTailShare * pTail[2];
        pSums += 3;
    }
}

void CStreamingReducer::AddRow(int y, const uint8_t* pRgb)
{
    SumAcross(pRgb);
    const CRowShare& share = m_vecRows[static_cast<size_t>(y)];
    const size_t nRowSize = m_vecRowSums.size();
    const uint32_t* pRowSums = m_vecRowSums.data();
    uint32_t* pSums = m_vecSums.data() + share.m_nOutput * nRowSize;
    for (size_t k = 0; k < nRowSize; ++k)
        pSums[k] += share.m_nShare * pRowSums[k];
    if (share.m_nCarry == 0)
        return;
    uint32_t* pAbove = pSums - nRowSize;
    for (size_t k = 0; k < nRowSize; ++k)
        pAbove[k] += share.m_nCarry * pRowSums[k];
}

CPicture CStreamingReducer::TakePicture()
{
    CPicture output = CPicture::ForOverwrite(m_nWidth, m_nHeight, 24);
    const size_t nRowSize = m_vecRowSums.size();
    for (int y = 0; y < m_nHeight; ++y)
    {
        uint8_t* pOut = output.Row(y);
        const uint32_t* pSums = m_vecSums.data() + static_cast<size_t>(y) * nRowSize;
        for (size_t k = 0; k < nRowSize; ++k)
            pOut[k] = static_cast<uint8_t>(pSums[k] >> 24);
    }
    return output;
}

CResult<CPicture> ReduceRows(CRowReader& reader, int nWidth, int nHeight)
{
    CResult<CStreamingReducer> reducer =
        CStreamingReducer::Create(reader.Info().m_nWidth, reader.Info().m_nHeight, nWidth, nHeight);
    if (!reducer)
        return reducer.Status();
    return ResampleRows(reader, reducer.Value());
}

} // namespace tramino
