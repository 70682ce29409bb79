#pragma once

class QAbstractItemView;

namespace platform {

// Draws the grid lines of a desk list view in list: a line right of every cell and one below
// every row, in the colour the style gives a table's grid.
void drawGridLines(QAbstractItemView& list);

} // namespace platform
