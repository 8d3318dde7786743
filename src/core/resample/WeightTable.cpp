#include "resample/WeightTable.h"

#include <cassert>
#include <cstddef>

namespace tramino
{

std::vector<CWeightEntry> BuildWeightTable(int n, int m)
{
    assert(1 <= m && m <= n && n <= g_nMaxReduceSide);
    std::vector<CWeightEntry> vecTable(static_cast<size_t>(n));
    const int32_t nFull = (m << 12) / n;
    // Position inside the current output pixel; an input pixel is m long, an output pixel n.
    int32_t d = 0;
    for (CWeightEntry& entry : vecTable)
    {
        const int32_t e = d + m;
        if (e > n)
        {
            entry.m_nWeight = ((n - d) << 12) / n;
            entry.m_nCarry = ((e - n) << 12) / n;
            if (entry.m_nCarry == 0)
                entry.m_nCarry = -1;
            d = e - n;
        }
        else if (e == n)
        {
            entry = {nFull, -1};
            d = 0;
        }
        else
        {
            entry = {nFull, 0};
            d = e;
        }
    }
    return vecTable;
}

} // namespace tramino
