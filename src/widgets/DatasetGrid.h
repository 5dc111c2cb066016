#pragma once

#include <QAbstractItemView>

class DatasetTableModel;
class QTableView;

// Puts a dataset's model into a read-only grid that selects whole rows: the model's selection follows the
// dataset both ways, the columns get the model's widths, there are no row headers, and the grid keeps its
// current row selected (below).
void setUpDatasetGrid(QTableView *grid, DatasetTableModel *model, QAbstractItemView::SelectionMode mode);

// Commands act on the rows a grid shows as selected. This keeps what the grid shows and what the dataset
// holds the same: whenever the grid is shown, its rows are read again or the dataset moves to another row
// (after a save, a search), a selection that does not hold the current row is replaced by the current row
// alone, and the grid scrolls to the current row.
void keepCurrentRowSelected(QTableView *grid, DatasetTableModel *model);
