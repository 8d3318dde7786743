#include "resample/Stretcher.h"

#include <algorithm>
#include <string>
#include <utility>

namespace tramino
{

namespace
{

using CTap = CStretcher::CTap;

// Output pixel o covers [o·n, (o + 1)·n) in units in which input pixel i covers [i·m, (i + 1)·m).
void AddAreaTaps(int64_t n, int64_t m, int64_t o, std::vector<CTap>& vecTaps)
{
    const int64_t nBegin = o * n, nEnd = (o + 1) * n;
    for (int64_t i = nBegin / m; i * m < nEnd; ++i)
    {
        const int64_t nOverlap = std::min((i + 1) * m, nEnd) - std::max(i * m, nBegin);
        vecTaps.push_back({static_cast<uint32_t>(i), static_cast<float>(nOverlap) / static_cast<float>(n)});
    }
}

// Output pixel o's centre lies at ((2o + 1)·n − m) / 2m in input pixels from the first centre;
// beyond the outer centres the edge pixel is repeated.
void AddLinearTaps(int64_t n, int64_t m, int64_t o, std::vector<CTap>& vecTaps)
{
    const int64_t nPosition = std::max<int64_t>((2 * o + 1) * n - m, 0);
    int64_t i = nPosition / (2 * m);
    int64_t nRest = nPosition % (2 * m);
    if (i >= n - 1)
    {
        i = n - 1;
        nRest = 0;
    }
    const float fRest = static_cast<float>(nRest) / static_cast<float>(2 * m);
    vecTaps.push_back({static_cast<uint32_t>(i), 1.0f - fRest});
    if (nRest > 0)
        vecTaps.push_back({static_cast<uint32_t>(i + 1), fRest});
}

} // namespace

void CStretcher::BuildTaps(int n, int m, std::vector<uint32_t>& vecStart, std::vector<CTap>& vecTaps)
{
    vecStart.assign(1, 0);
    vecTaps.clear();
    for (int o = 0; o < m; ++o)
    {
        if (n == m)
            vecTaps.push_back({static_cast<uint32_t>(o), 1.0f});
        else if (n > m)
            AddAreaTaps(n, m, o, vecTaps);
        else
            AddLinearTaps(n, m, o, vecTaps);
        vecStart.push_back(static_cast<uint32_t>(vecTaps.size()));
    }
}

CResult<CStretcher> CStretcher::Create(int nSourceWidth, int nSourceHeight, int nWidth, int nHeight)
{
    if (nSourceWidth < 1 || nSourceHeight < 1 || nWidth < 1 || nHeight < 1)
        return CStatus::Error("Cannot stretch " + std::to_string(nSourceWidth) + " x " +
                              std::to_string(nSourceHeight) + " to " + std::to_string(nWidth) + " x " +
                              std::to_string(nHeight) + ": an empty picture");
    CStretcher stretcher;
    stretcher.m_nWidth = nWidth;
    stretcher.m_nHeight = nHeight;
    BuildTaps(nSourceWidth, nWidth, stretcher.m_vecColumnStart, stretcher.m_vecColumnTaps);

    // Rows arrive one at a time, so turn the vertical taps round: by input row.
    std::vector<uint32_t> vecStart;
    std::vector<CTap> vecTaps;
    BuildTaps(nSourceHeight, nHeight, vecStart, vecTaps);
    std::vector<std::vector<CTap>> vecByRow(static_cast<size_t>(nSourceHeight));
    for (uint32_t o = 0; o < static_cast<uint32_t>(nHeight); ++o)
    {
        for (uint32_t t = vecStart[o]; t < vecStart[o + 1]; ++t)
            vecByRow[vecTaps[t].m_nIndex].push_back({o, vecTaps[t].m_fWeight});
        stretcher.m_vecFirstRow.push_back(vecTaps[vecStart[o]].m_nIndex);
        stretcher.m_vecLastRow.push_back(vecTaps[vecStart[o + 1] - 1].m_nIndex);
    }
    stretcher.m_vecRowStart.assign(1, 0);
    for (const std::vector<CTap>& vecRow : vecByRow)
    {
        stretcher.m_vecRowTaps.insert(stretcher.m_vecRowTaps.end(), vecRow.begin(), vecRow.end());
        stretcher.m_vecRowStart.push_back(static_cast<uint32_t>(stretcher.m_vecRowTaps.size()));
    }

    stretcher.m_vecRowSums.resize(3 * static_cast<size_t>(nWidth));
    stretcher.m_vecSums.resize(3 * static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    return stretcher;
}

void CStretcher::AddRow(int y, const uint8_t* pRgb)
{
    AddRowPart(y, pRgb, 0, m_nWidth, 0, m_nHeight);
}

void CStretcher::AddRowPart(int y, const uint8_t* pRgb, int nFrom, int nTo, int nTop, int nBottom)
{
    float* pRowSums = m_vecRowSums.data() + 3 * static_cast<size_t>(nFrom);
    for (size_t o = static_cast<size_t>(nFrom); o < static_cast<size_t>(nTo); ++o, pRowSums += 3)
    {
        float fRed = 0, fGreen = 0, fBlue = 0;
        for (uint32_t t = m_vecColumnStart[o]; t < m_vecColumnStart[o + 1]; ++t)
        {
            const uint8_t* p = pRgb + 3 * static_cast<size_t>(m_vecColumnTaps[t].m_nIndex);
            const float fWeight = m_vecColumnTaps[t].m_fWeight;
            fRed += fWeight * p[0];
            fGreen += fWeight * p[1];
            fBlue += fWeight * p[2];
        }
        pRowSums[0] = fRed;
        pRowSums[1] = fGreen;
        pRowSums[2] = fBlue;
    }

    const size_t nRowSize = m_vecRowSums.size();
    const size_t nBegin = 3 * static_cast<size_t>(nFrom), nEnd = 3 * static_cast<size_t>(nTo);
    for (uint32_t t = m_vecRowStart[static_cast<size_t>(y)]; t < m_vecRowStart[static_cast<size_t>(y) + 1];
         ++t)
    {
        const uint32_t nOut = m_vecRowTaps[t].m_nIndex;
        if (nOut < static_cast<uint32_t>(nTop) || nOut >= static_cast<uint32_t>(nBottom))
            continue;
        float* pSums = m_vecSums.data() + nOut * nRowSize;
        const float fWeight = m_vecRowTaps[t].m_fWeight;
        for (size_t k = nBegin; k < nEnd; ++k)
            pSums[k] += fWeight * m_vecRowSums[k];
    }
}

namespace
{

uint8_t SumToByte(float fSum)
{
    return static_cast<uint8_t>(std::clamp(fSum + 0.5f, 0.0f, 255.0f));
}

// The outputs [first, last) whose inputs, from vecFirst[o] to vecLast[o] and rising with o, meet
// [nBegin, nEnd).
std::pair<int, int> OutputsMeeting(const std::vector<uint32_t>& vecFirst,
                                   const std::vector<uint32_t>& vecLast, int nBegin, int nEnd)
{
    const auto itFirst = std::lower_bound(vecLast.begin(), vecLast.end(), static_cast<uint32_t>(nBegin));
    const auto itLast = std::lower_bound(vecFirst.begin(), vecFirst.end(), static_cast<uint32_t>(nEnd));
    const int nFirst = static_cast<int>(itFirst - vecLast.begin());
    return {nFirst, std::max(nFirst, static_cast<int>(itLast - vecFirst.begin()))};
}

} // namespace

CPicture CStretcher::TakePicture()
{
    CPicture output = CPicture::ForOverwrite(m_nWidth, m_nHeight, 24);
    const size_t nRowSize = m_vecRowSums.size();
    for (int y = 0; y < m_nHeight; ++y)
    {
        uint8_t* pOut = output.Row(y);
        const float* pSums = m_vecSums.data() + static_cast<size_t>(y) * nRowSize;
        for (size_t k = 0; k < nRowSize; ++k)
            pOut[k] = SumToByte(pSums[k]);
    }
    return output;
}

void CStretcher::Refresh(const std::function<const uint8_t*(int y)>& fnRow, const CRect& rc, CPicture& target,
                         int nX, int nY)
{
    std::vector<uint32_t> vecFirstColumn, vecLastColumn;
    for (size_t o = 0; o < static_cast<size_t>(m_nWidth); ++o)
    {
        vecFirstColumn.push_back(m_vecColumnTaps[m_vecColumnStart[o]].m_nIndex);
        vecLastColumn.push_back(m_vecColumnTaps[m_vecColumnStart[o + 1] - 1].m_nIndex);
    }
    if (rc.m_nWidth <= 0 || rc.m_nHeight <= 0)
        return;
    const auto [nFrom, nTo] = OutputsMeeting(vecFirstColumn, vecLastColumn, rc.m_nX, rc.m_nX + rc.m_nWidth);
    const auto [nTop, nBottom] = OutputsMeeting(m_vecFirstRow, m_vecLastRow, rc.m_nY, rc.m_nY + rc.m_nHeight);
    if (nFrom >= nTo || nTop >= nBottom)
        return;
    const size_t nRowSize = m_vecRowSums.size();
    const size_t nBegin = 3 * static_cast<size_t>(nFrom), nEnd = 3 * static_cast<size_t>(nTo);
    for (int y = nTop; y < nBottom; ++y)
        std::fill(m_vecSums.begin() + static_cast<ptrdiff_t>(y * nRowSize + nBegin),
                  m_vecSums.begin() + static_cast<ptrdiff_t>(y * nRowSize + nEnd), 0.0f);
    // In the order a whole pass adds them, so that every sum comes out the same.
    for (uint32_t y = m_vecFirstRow[static_cast<size_t>(nTop)];
         y <= m_vecLastRow[static_cast<size_t>(nBottom - 1)]; ++y)
        AddRowPart(static_cast<int>(y), fnRow(static_cast<int>(y)), nFrom, nTo, nTop, nBottom);
    for (int y = nTop; y < nBottom; ++y)
    {
        uint8_t* pOut = target.Row(nY + y) + 3 * static_cast<size_t>(nX);
        const float* pSums = m_vecSums.data() + static_cast<size_t>(y) * nRowSize;
        for (size_t k = nBegin; k < nEnd; ++k)
            pOut[k] = SumToByte(pSums[k]);
    }
}

namespace
{

// A picture already at its size: the stretch would give back every pixel as it is.
class CRowCopier final : public CRowSink
{
public:
    CRowCopier(int nWidth, int nHeight) : m_picture(CPicture::ForOverwrite(nWidth, nHeight, 24)) {}

    void AddRow(int y, const uint8_t* pRgb) override
    {
        std::copy_n(pRgb, m_picture.RowBytes(), m_picture.Row(y));
    }
    CPicture TakePicture() override { return std::move(m_picture); }

private:
    CPicture m_picture;
};

} // namespace

CResult<CPicture> StretchRows(CRowReader& reader, int nWidth, int nHeight)
{
    if (reader.Info().m_nWidth == nWidth && reader.Info().m_nHeight == nHeight)
    {
        CRowCopier copier(nWidth, nHeight);
        return ResampleRows(reader, copier);
    }
    CResult<CStretcher> stretcher =
        CStretcher::Create(reader.Info().m_nWidth, reader.Info().m_nHeight, nWidth, nHeight);
    if (!stretcher)
        return stretcher.Status();
    return ResampleRows(reader, stretcher.Value());
}

} // namespace tramino
