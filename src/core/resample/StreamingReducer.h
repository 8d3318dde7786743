#pragma once

#include "resample/RowSink.h"

#include <cstdint>
#include <vector>

namespace tramino
{

// The reduction of ReducePicture, bit for bit, fed one row at a time in any order.
//
// Every sum is an exact integer below 2^32, so the order in which rows arrive and splitting
// each sum into a horizontal and a vertical pass change nothing. Each row is first summed
// across: the pixels with the full share of an output column are added plainly and multiplied
// once, only the straddling pixels at its two ends get shares of their own. The row sums are
// then added into the output rows the row belongs to. Memory: one 32-bit sum per output
// channel, the tables, one row of sums.
class CStreamingReducer final : public CRowSink
{
public:
    static CResult<CStreamingReducer> Create(int nSourceWidth, int nSourceHeight, int nWidth, int nHeight);

    void AddRow(int y, const uint8_t* pRgb) override;
    CPicture TakePicture() override;

private:
    // The input pixels of one output column: a run of pixels with the full share, and the
    // straddling pixels before and after it (share 0 where there is none; the index then
    // stays in range).
    struct CColumnSpan
    {
        uint32_t m_nFirst = 0;
        uint32_t m_nCount = 0;
        uint32_t m_nHead = 0;
        uint32_t m_nHeadShare = 0;
        uint32_t m_nTail = 0;
        uint32_t m_nTailShare = 0;
    };
    // Where one input row goes: its output row (top-down) and, when it straddles, the share
    // it gives the output row above.
    struct CRowShare
    {
        size_t m_nOutput = 0;
        uint32_t m_nShare = 0;
        uint32_t m_nCarry = 0;
    };

    CStreamingReducer() = default;
    void SumAcross(const uint8_t* pRgb);

    int m_nWidth = 0;
    int m_nHeight = 0;
    uint32_t m_nFullShare = 0;
    std::vector<CColumnSpan> m_vecColumns;
    std::vector<CRowShare> m_vecRows; // by input row, top-down
    std::vector<uint32_t> m_vecRowSums;
    std::vector<uint32_t> m_vecSums;
};

// Reduces the reader's picture to nWidth x nHeight, streaming.
CResult<CPicture> ReduceRows(CRowReader& reader, int nWidth, int nHeight);

} // namespace tramino
