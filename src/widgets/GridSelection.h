#pragma once

class DatasetTableModel;
class QTableView;

// Commands act on the rows a grid shows as selected. This keeps what the grid shows and what the dataset
// holds the same: whenever the grid is shown, its rows are read again or the dataset moves to another row
// (after a save, a search), a selection that does not hold the current row is replaced by the current row
// alone, and the grid scrolls to the current row.
void keepCurrentRowSelected(QTableView *grid, DatasetTableModel *model);
