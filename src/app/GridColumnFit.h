#pragma once

class QString;
class QTableView;

// Keeps every column of grid as wide as its title and cells, and gives the width the grid has
// to spare to the column titled spareTo; contents wider than the grid scroll sideways. Follows
// the grid's model (set before this call) and the grid's size.
void fitColumnsToContents(QTableView& grid, const QString& spareTo);
