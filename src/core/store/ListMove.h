#pragma once

#include <vector>

namespace tramino
{

// The list order after the rows (ascending, each below nCount) move together, in their order, to
// stand before row nBefore of the present order (nCount: to the end). Entry i is the row that
// then stands at position i.
std::vector<int> MovedOrder(int nCount, const std::vector<int>& vecRows, int nBefore);

// Exchanges of neighbours that turn the present order into vecOrder, applied in turn: each value
// j exchanges positions j and j + 1. None when the order is the present one.
std::vector<int> NeighbourSwaps(std::vector<int> vecOrder);

} // namespace tramino
