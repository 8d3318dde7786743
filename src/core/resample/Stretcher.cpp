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
        for (uint32_t t = vecStart[o]; t < vecStart[o + 1]; ++t)
            vecByRow[vecTaps[t].m_nIndex].push_back({o, vecTaps[t].m_fWeight});
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
    float* pRowSums = m_vecRowSums.data();
    for (size_t o = 0; o + 1 < m_vecColumnStart.size(); ++o, pRowSums += 3)
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
    for (uint32_t t = m_vecRowStart[static_cast<size_t>(y)]; t < m_vecRowStart[static_cast<size_t>(y) + 1];
         ++t)
    {
        float* pSums = m_vecSums.data() + m_vecRowTaps[t].m_nIndex * nRowSize;
        const float fWeight = m_vecRowTaps[t].m_fWeight;
        for (size_t k = 0; k < nRowSize; ++k)
            pSums[k] += fWeight * m_vecRowSums[k];
    }
}

CPicture CStretcher::TakePicture()
{
    CPicture output = CPicture::ForOverwrite(m_nWidth, m_nHeight, 24);
    const size_t nRowSize = m_vecRowSums.size();
    for (int y = 0; y < m_nHeight; ++y)
    {
        uint8_t* pOut = output.Row(y);
        const float* pSums = m_vecSums.data() + static_cast<size_t>(y) * nRowSize;
        for (size_t k = 0; k < nRowSize; ++k)
            pOut[k] = static_cast<uint8_t>(std::clamp(pSums[k] + 0.5f, 0.0f, 255.0f));
    }
    return output;
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
