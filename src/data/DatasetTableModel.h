#pragma once

#include "data/Dataset.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>

class QItemSelectionModel;

// A read-only table model over a Dataset for grids (QTableView). Columns are given as title, field and
// width; dates are shown as "dd.MM.yyyy" unless a column names its own format (QDateTime::toString form).
// The model follows the dataset's resets, inserted, changed and removed rows; attachSelectionModel()
// keeps the view's current row and multi-selection and the dataset's current row and selection in step.
class DatasetTableModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DatasetTableModel)
public:
    struct Column {
        QString title;
        QString field;
        int width = 64;
        QString dateFormat; // empty: "dd.MM.yyyy"
    };

    explicit DatasetTableModel(Dataset *dataset, const QList<Column> &columns = {},
                               QObject *parent = nullptr);

    Dataset *dataset() const { return m_dataset; }
    void setColumns(const QList<Column> &columns);
    const QList<Column> &columns() const { return m_columns; }
    QString fieldOfColumn(int column) const { return m_columns.value(column).field; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    // DisplayRole: formatted text; EditRole: the raw value. Views apply the column widths from columns().
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Text shown for a value of a column.
    QString displayText(int row, int column) const;

    // Synchronises a view's selection model with the dataset (current row both ways; the selected rows
    // become the dataset's selection).
    void attachSelectionModel(QItemSelectionModel *selection);
    // The selected rows of the attached selection model in the order they were selected.
    QList<int> selectedRows() const;
    // Sets a field on every selected row (edit, set, post each), as the bulk commands of the grids do.
    int setFieldOnSelectedRows(const QString &field, const QVariant &value);

signals:
    // The dataset's rows were read again and the attached view follows its current row and selection.
    void rowsReread();
    // The dataset moved its current row itself (not through the attached view) and the view followed.
    void currentRowMoved(int row);

private:
    void followCurrentRow(int row);
    void followSelection();
    void takeViewSelection();

    QPointer<Dataset> m_dataset;
    QList<Column> m_columns;
    QList<int> m_fieldColumns; // dataset column of each model column, resolved after each reset
    QPointer<QItemSelectionModel> m_selection;
    QList<int> m_selectionOrder;
    bool m_syncing = false;
    void resolveColumns();
};
