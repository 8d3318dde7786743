#include "store/ListMove.h"

#include <algorithm>

namespace tramino
{

std::vector<int> MovedOrder(int nCount, const std::vector<int>& vecRows, int nBefore)
{
    std::vector<bool> vecMoving(static_cast<size_t>(nCount), false);
    for (const int nRow : vecRows)
        vecMoving[static_cast<size_t>(nRow)] = true;
    std::vector<int> vecOrder;
    vecOrder.reserve(static_cast<size_t>(nCount));
    for (int nRow = 0; nRow <= nCount; ++nRow)
    {
        if (nRow == nBefore)
            vecOrder.insert(vecOrder.end(), vecRows.begin(), vecRows.end());
        if (nRow < nCount && !vecMoving[static_cast<size_t>(nRow)])
            vecOrder.push_back(nRow);
    }
    return vecOrder;
}

std::vector<int> NeighbourSwaps(std::vector<int> vecOrder)
{
    // Where each row has to go; sorting the present order by that, one exchange of neighbours at
    // a time, gives the exchanges.
    std::vector<int> vecTarget(vecOrder.size());
    for (size_t i = 0; i < vecOrder.size(); ++i)
        vecTarget[static_cast<size_t>(vecOrder[i])] = static_cast<int>(i);
    std::vector<int> vecSwaps;
    for (size_t nSorted = 0; nSorted < vecTarget.size(); ++nSorted)
        for (size_t j = vecTarget.size() - 1; j > nSorted; --j)
            if (vecTarget[j - 1] > vecTarget[j])
            {
                std::swap(vecTarget[j - 1], vecTarget[j]);
                vecSwaps.push_back(static_cast<int>(j - 1));
            }
    return vecSwaps;
}

} // namespace tramino
