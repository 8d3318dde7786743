#pragma once

#include "resample/FitGeometry.h"
#include "resample/RowSink.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tramino
{

// Brings a picture of any size to exactly nWidth x nHeight, each direction on its own:
// a shrinking direction averages the area each output pixel covers, a growing one
// interpolates linearly between the two nearest pixel centres, and a direction already
// at its size is copied unchanged. Nothing is cropped, no bars are added.
class CStretcher final : public CRowSink
{
public:
    static CResult<CStretcher> Create(int nSourceWidth, int nSourceHeight, int nWidth, int nHeight);

    void AddRow(int y, const uint8_t* pRgb) override;
    CPicture TakePicture() override;

    // Computes again, from the rows fnRow gives, the output pixels whose source area meets the
    // input rectangle rc, exactly as a pass over every row computes them, and writes them into
    // target with the output's origin at (nX, nY). The rest of target stays as it is.
    void Refresh(const std::function<const uint8_t*(int y)>& fnRow, const CRect& rc, CPicture& target, int nX,
                 int nY);

    // One input pixel's part in one output pixel.
    struct CTap
    {
        uint32_t m_nIndex = 0;
        float m_fWeight = 0;
    };
    // The taps of n input pixels onto m output pixels, grouped by output pixel:
    // vecStart[o] .. vecStart[o + 1] are those of output pixel o.
    static void BuildTaps(int n, int m, std::vector<uint32_t>& vecStart, std::vector<CTap>& vecTaps);

private:
    CStretcher() = default;

    // AddRow for output columns [nFrom, nTo) and rows [nTop, nBottom) alone.
    void AddRowPart(int y, const uint8_t* pRgb, int nFrom, int nTo, int nTop, int nBottom);

    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint32_t> m_vecColumnStart;
    std::vector<CTap> m_vecColumnTaps;
    // Grouped by input row: the output rows it goes into.
    std::vector<uint32_t> m_vecRowStart;
    std::vector<CTap> m_vecRowTaps;
    // Grouped by output row: its first and last input row.
    std::vector<uint32_t> m_vecFirstRow;
    std::vector<uint32_t> m_vecLastRow;
    std::vector<float> m_vecRowSums;
    std::vector<float> m_vecSums;
};

// Stretches the reader's picture to nWidth x nHeight, streaming.
CResult<CPicture> StretchRows(CRowReader& reader, int nWidth, int nHeight);

} // namespace tramino
