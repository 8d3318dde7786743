#pragma once

class QTableView;

namespace tramino
{

// The look and behaviour of the window's list of pictures: one column of nColumnWidth pixels
// with rows of nRowHeight, a grid, rows selected whole and several at a time, nothing edited
// in place, blue text and a selection that stays visible without the focus.
void SetUpShowList(QTableView& list, int nColumnWidth, int nRowHeight);

} // namespace tramino
