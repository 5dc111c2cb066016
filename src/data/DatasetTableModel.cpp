#include "data/DatasetTableModel.h"

#include <QDateTime>
#include <QItemSelectionModel>
#include <QSize>

DatasetTableModel::DatasetTableModel(Dataset *dataset, const QList<Column> &columns, QObject *parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_columns(columns) {
    resolveColumns();
    connect(dataset, &Dataset::aboutToReset, this, [this] { beginResetModel(); });
    connect(dataset, &Dataset::resetDone, this, [this] {
        resolveColumns();
        m_selectionOrder.clear();
        endResetModel();
        followSelection();
        followCurrentRow(m_dataset->currentRow());
        emit rowsReread();
    });
    connect(dataset, &Dataset::aboutToInsertRow, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(dataset, &Dataset::rowInserted, this, [this](int) { endInsertRows(); });
    connect(dataset, &Dataset::aboutToRemoveRow, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(dataset, &Dataset::rowRemoved, this, [this](int) { endRemoveRows(); });
    connect(dataset, &Dataset::rowChanged, this, [this](int row) {
        if (!m_columns.isEmpty())
            emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
    });
    connect(dataset, &Dataset::currentRowChanged, this, &DatasetTableModel::followCurrentRow);
    connect(dataset, &Dataset::selectionChanged, this, &DatasetTableModel::followSelection);
}

void DatasetTableModel::setColumns(const QList<Column> &columns) {
    beginResetModel();
    m_columns = columns;
    resolveColumns();
    endResetModel();
}

void DatasetTableModel::resolveColumns() {
    m_fieldColumns.clear();
    for (const Column &column : std::as_const(m_columns))
        m_fieldColumns << (m_dataset ? m_dataset->fieldIndex(column.field) : -1);
}

int DatasetTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() || !m_dataset ? 0 : m_dataset->recordCount();
}

int DatasetTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString DatasetTableModel::displayText(int row, int column) const {
    if (!m_dataset || column < 0 || column >= m_fieldColumns.size())
        return QString();
    const QVariant value = m_dataset->value(row, m_fieldColumns[column]);
    if (value.isNull() || !value.isValid())
        return QString();
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        const QString format = m_columns[column].dateFormat.isEmpty() ? QStringLiteral("dd.MM.yyyy")
                                                                      : m_columns[column].dateFormat;
        return value.toDateTime().toString(format);
    }
    return value.toString();
}

QVariant DatasetTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || !m_dataset || index.row() >= m_dataset->recordCount() ||
        index.column() >= m_columns.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.row(), index.column());
    case Qt::EditRole:
        return m_dataset->value(index.row(), m_fieldColumns[index.column()]);
    default:
        return QVariant();
    }
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    return QVariant();
}

void DatasetTableModel::attachSelectionModel(QItemSelectionModel *selection) {
    if (m_selection)
        m_selection->disconnect(this);
    m_selection = selection;
    m_selectionOrder.clear();
    if (!selection)
        return;
    connect(selection, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (m_syncing || !m_dataset || !current.isValid())
            return;
        if (current.row() != m_dataset->currentRow()) {
            m_syncing = true;
            const bool moved = m_dataset->setCurrentRow(current.row());
            m_syncing = false;
            if (!moved) // a rule kept the dataset where it was: put the view back
                followCurrentRow(m_dataset->currentRow());
        }
    });
    connect(selection, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected, const QItemSelection &deselected) {
                for (const QModelIndex &index : deselected.indexes())
                    m_selectionOrder.removeAll(index.row());
                for (const QModelIndex &index : selected.indexes())
                    if (!m_selectionOrder.contains(index.row()))
                        m_selectionOrder << index.row();
                if (!m_syncing)
                    takeViewSelection();
            });
    followCurrentRow(m_dataset ? m_dataset->currentRow() : -1);
}

QList<int> DatasetTableModel::selectedRows() const {
    QList<int> rows;
    if (!m_selection)
        return rows;
    const QModelIndexList current = m_selection->selectedRows();
    for (int row : m_selectionOrder)
        for (const QModelIndex &index : current)
            if (index.row() == row) {
                rows << row;
                break;
            }
    for (const QModelIndex &index : current)
        if (!rows.contains(index.row()))
            rows << index.row();
    return rows;
}

int DatasetTableModel::setFieldOnSelectedRows(const QString &field, const QVariant &value) {
    return m_dataset ? m_dataset->setFieldOnRows(selectedRows(), field, value) : 0;
}

void DatasetTableModel::takeViewSelection() {
    if (!m_dataset)
        return;
    m_syncing = true;
    m_dataset->setSelectedRows(selectedRows());
    m_syncing = false;
}

void DatasetTableModel::followCurrentRow(int row) {
    if (!m_selection || m_syncing)
        return;
    m_syncing = true;
    if (row < 0)
        m_selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    else if (m_selection->currentIndex().row() != row)
        m_selection->setCurrentIndex(index(row, 0), QItemSelectionModel::NoUpdate);
    m_syncing = false;
    emit currentRowMoved(row);
}

void DatasetTableModel::followSelection() {
    if (!m_selection || m_syncing || !m_dataset)
        return;
    m_syncing = true;
    QItemSelection wanted;
    for (const Dataset::Bookmark &mark : m_dataset->selection()) {
        const int row = m_dataset->rowOf(mark);
        if (row >= 0 && !m_columns.isEmpty())
            wanted.select(index(row, 0), index(row, int(m_columns.size()) - 1));
    }
    m_selection->select(wanted, QItemSelectionModel::ClearAndSelect);
    m_syncing = false;
}
