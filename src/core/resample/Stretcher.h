#pragma once

#include "resample/RowSink.h"

#include <cstdint>
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

    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint32_t> m_vecColumnStart;
    std::vector<CTap> m_vecColumnTaps;
    // Grouped by input row: the output rows it goes into.
    std::vector<uint32_t> m_vecRowStart;
    std::vector<CTap> m_vecRowTaps;
    std::vector<float> m_vecRowSums;
    std::vector<float> m_vecSums;
};

// Stretches the reader's picture to nWidth x nHeight, streaming.
CResult<CPicture> StretchRows(CRowReader& reader, int nWidth, int nHeight);

} // namespace tramino
