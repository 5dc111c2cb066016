#include "widgets/DatasetGrid.h"

#include "data/DatasetTableModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

namespace {

void selectCurrentRow(QTableView *grid, DatasetTableModel *model) {
    const Dataset *dataset = model->dataset();
    const int current = dataset ? dataset->currentRow() : -1;
    if (current < 0 || current >= model->rowCount())
        return;
    // Straight through the selection model: selectRow() would honour a Ctrl still held (Ctrl+S) and add
    // the row to the old selection instead of replacing it.
    if (!model->selectedRows().contains(current))
        grid->selectionModel()->select(model->index(current, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(model->index(current, 0));
}

class ShowWatcher final : public QObject {
public:
    ShowWatcher(QTableView *grid, DatasetTableModel *model) : QObject(grid), m_grid(grid), m_model(model) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == m_grid && event->type() == QEvent::Show)
            selectCurrentRow(m_grid, m_model);
        return false;
    }

private:
    QTableView *m_grid;
    DatasetTableModel *m_model;
};

} // namespace

void keepCurrentRowSelected(QTableView *grid, DatasetTableModel *model) {
    grid->installEventFilter(new ShowWatcher(grid, model));
    const auto follow = [grid, model] {
        if (grid->isVisible())
            selectCurrentRow(grid, model);
    };
    QObject::connect(model, &DatasetTableModel::rowsReread, grid, follow);
    QObject::connect(model, &DatasetTableModel::currentRowMoved, grid, follow);
}

void setUpDatasetGrid(QTableView *grid, DatasetTableModel *model, QAbstractItemView::SelectionMode mode) {
    grid->setModel(model);
    model->attachSelectionModel(grid->selectionModel());
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(mode);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    for (int column = 0; column < model->columns().size(); ++column)
        grid->setColumnWidth(column, model->columns()[column].width);
    keepCurrentRowSelected(grid, model);
}
