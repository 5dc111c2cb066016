#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <exception>
#include <functional>
#include <vector>

class Database;
class Prompter;

// Thrown by a before-handler (before insert/edit/post/cancel/delete) to cancel the operation that is
// running without any message. The Dataset catches it; the operation then returns false.
class SilentAbort final : public std::exception {
public:
    const char *what() const noexcept override { return "operation cancelled"; }
};

// A long-lived query over the shared connection with cached rows, a current row and an edit buffer.
//
// How a window binds to a dataset:
//  - Grids: put a DatasetTableModel over the dataset and call attachSelectionModel() with the view's
//    selection model; the current row and the multi-selection then follow both ways. A row being
//    inserted shows in the grid once it is posted.
//  - Edit fields: one slot "reload my fields from value(field)" connected to resetDone, currentRowChanged,
//    stateChanged and fieldChanged; write back with setValue(field, v) while state() is Insert or Edit.
//    Date fields hold QDateTime values (bind a QDateEdit directly).
//  - During a bulk change (controlsDisabled()) no signal is sent; the end of it sends one reset.
//  - Panels: show the edit panel while isEditing(), enable the grid while state() == Browse.
//  - Buttons of a navigator call first()/prior()/next()/last()/insert()/deleteRecord()/edit()/post()/
//    cancel()/refresh(); each returns false when a rule cancelled it (the rule has told the user why).
//  - Rules (the data module) hook the events with on(Event, handler); a before-handler throws SilentAbort
//    to cancel. Windows never need on(); they watch the Qt signals.
// Statement errors of post and delete are shown through the Prompter with the engine's message and the
// operation returns false; refresh() shows the "Došlo k chybě." text. No DatabaseError leaves the
// navigation or editing methods; open() and requery() do raise it for callers that want to handle it.
class Dataset : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Dataset)
public:
    enum class State { Inactive, Browse, Insert, Edit };
    Q_ENUM(State)
    enum class Event {
        AfterOpen,
        BeforeInsert,
        AfterInsert,
        BeforeEdit,
        AfterEdit,
        BeforePost,
        AfterPost,
        BeforeCancel,
        AfterCancel,
        BeforeDelete,
        AfterDelete,
        AfterScroll,
    };
    using Handler = std::function<void(Dataset &)>;
    using Row = std::vector<QVariant>;

    // Reads fields of one row by name; given to computed-field functions.
    class RowView {
    public:
        RowView(const Dataset &dataset, const Row &row) : m_dataset(dataset), m_row(row) {}
        QVariant value(const QString &field) const;

    private:
        const Dataset &m_dataset;
        const Row &m_row;
    };
    using ComputeFn = std::function<QVariant(const RowView &)>;

    // Identifies a row across refreshes: the key value when the dataset has a key field, else the index.
    struct Bookmark {
        QVariant key;
        int row = -1;
        bool isValid() const { return key.isValid() || row >= 0; }
        bool operator==(const Bookmark &other) const = default;
    };

    Dataset(Database &db, Prompter &prompter, const QString &name, QObject *parent = nullptr);
    ~Dataset() override;

    QString name() const { return m_name; }
    Database &database() const { return m_db; }

    // --- Statement -------------------------------------------------------------------------------
    void setSql(const QStringList &lines);
    QStringList sqlLines() const { return m_sqlLines; }
    QString sqlText() const { return m_sqlLines.join(u'\n'); }
    QString lastSqlLine() const { return m_sqlLines.value(m_sqlLines.size() - 1); }
    // Replaces the last line (the ordering); takes effect at the next open or requery.
    void setLastSqlLine(const QString &line);
    // Named parameters written ":par_x" in the text; set by name with or without the colon.
    // A parameter never set is bound as NULL. Values keep until changed.
    void setParameter(const QString &name, const QVariant &value);
    QVariant parameter(const QString &name) const;
    QStringList parameterNames() const;

    // Table that post and delete write to, and its key column (matched case-insensitively).
    void setBaseTable(const QString &table, const QString &keyField = QStringLiteral("ID"));
    QString baseTable() const { return m_baseTable; }
    // Fields holding dates are read into QDateTime and written as ISO text. By default every field whose
    // name starts with "datum".
    void setDateFields(const QStringList &fields);
    // A field computed from the other fields of its row whenever the row is read (not while editing).
    void addComputedField(const QString &name, ComputeFn compute);

    // --- Opening ---------------------------------------------------------------------------------
    // Runs the statement and caches every row; positions on the first row. Raises DatabaseError.
    void open();
    void close();
    // Runs the statement again with the current parameters; positions on the first row. Raises DatabaseError.
    void requery();
    // Requery when open, else open. Errors are shown as "Došlo k chybě. …" and not passed on; false then,
    // and the dataset is left closed.
    bool refresh();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Insert || m_state == State::Edit; }

    // --- Rows ------------------------------------------------------------------------------------
    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    // Index of the current row; -1 when the dataset is closed or empty.
    int currentRow() const { return m_current; }
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    // Navigation. While inserting or editing, moving posts first (as a grid does); false when that
    // post is refused.
    bool first();
    bool last();
    bool next();
    bool prior();
    bool moveBy(int distance);
    bool setCurrentRow(int row);
    // Moves to the first row whose field equals the value (numbers compared as numbers, texts in
    // Czech ignoring case, as the database compares them);
    // false and no move when there is none.
    bool locate(const QString &field, const QVariant &value);
    // Index of the first such row, or -1.
    int find(const QString &field, const QVariant &value) const;
    Bookmark bookmark() const { return bookmarkOf(m_current); }
    Bookmark bookmarkOf(int row) const;
    bool gotoBookmark(const Bookmark &bookmark);
    int rowOf(const Bookmark &bookmark) const;

    // --- Fields ----------------------------------------------------------------------------------
    QStringList fieldNames() const { return m_fieldNames; }
    int fieldIndex(const QString &field) const; // case-insensitive; -1 when unknown
    bool hasField(const QString &field) const { return fieldIndex(field) >= 0; }
    bool isDateField(int column) const;
    // A stored value of a date column as the datasets give it: a QDateTime (a null one for NULL), or the
    // stored text itself when it is no date. Plain reads of date columns use it to give the same values.
    static QVariant dateFromStored(const QVariant &value);
    // Value of the current row, or of the edit buffer while inserting or editing. Invalid QVariant when
    // the field is unknown or there is no row; a null of the column's kind for NULL.
    QVariant value(const QString &field) const;
    QString text(const QString &field) const { return value(field).toString(); }
    int intValue(const QString &field) const { return value(field).toInt(); }
    qint64 id() const { return value(m_keyField).toLongLong(); }
    bool isNull(const QString &field) const;
    // Value of any cached row (the edit buffer for the row being edited).
    QVariant value(int row, int column) const;
    // Sets a field of the edit buffer; false outside Insert/Edit or for an unknown field.
    bool setValue(const QString &field, const QVariant &value);

    // --- Editing ---------------------------------------------------------------------------------
    // Each returns false when a before-handler cancelled it, or (post, delete) when the statement failed.
    bool insert();
    bool edit();
    bool post();
    bool cancel();
    bool deleteRecord();

    // --- Selection of a grid (multi-row) ------------------------------------------------------------
    void setSelection(const QList<Bookmark> &rows);
    void setSelectedRows(const QList<int> &rows);
    QList<Bookmark> selection() const { return m_selection; }
    void clearSelection();
    // For each listed row, in the order given: go to it, edit, set the field, post. The rows are taken
    // as bookmarks first, so after-post rules that refresh or reorder the dataset do not disturb the walk.
    // Observers hear one reset at the end. Returns how many rows were saved.
    int setFieldOnRows(const QList<int> &rows, const QString &field, const QVariant &value);

    // --- Rules -----------------------------------------------------------------------------------
    int on(Event event, Handler handler);
    void removeHandler(int handlerId);

    // Silences the observer signals during a burst of changes; the last enableControls() announces the
    // new state once (a reset, state and current row).
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_controlsDisabled > 0; }

signals:
    void aboutToReset();
    void resetDone();
    void stateChanged(Dataset::State state);
    void currentRowChanged(int row);
    void rowChanged(int row);
    void aboutToInsertRow(int row);
    void rowInserted(int row);
    void aboutToRemoveRow(int row);
    void rowRemoved(int row);
    // A field of the edit buffer changed.
    void fieldChanged(const QString &field);
    void selectionChanged();

private:
    struct HandlerEntry {
        int id;
        Event event;
        Handler handler;
    };

    void run(Event event);
    bool runBefore(Event event);
    void load();
    void readColumns(const class QSqlRecord &record);
    Row readRow(const class SqlQuery &query) const;
    void computeFields(Row &row) const;
    QVariant toStored(const QVariant &value, int column) const;
    QVariant fromStored(const QVariant &value, int column) const;
    void ensureTableColumns();
    bool writeBuffer();
    Row rereadRow(const QVariant &key) const;
    bool moveTo(int row);
    void setState(State state);
    void announceReset();
    bool emitting() const { return m_controlsDisabled == 0; }
    void showError(const QString &message) const;
    int keyColumn() const { return fieldIndex(m_keyField); }

    Database &m_db;
    Prompter &m_prompter;
    QString m_name;
    QStringList m_sqlLines;
    QHash<QString, QVariant> m_params; // by lower-case name without colon
    QString m_baseTable;
    QString m_keyField = QStringLiteral("ID");
    QStringList m_tableColumns;   // lower-case columns of the base table
    QStringList m_dateFieldNames; // explicit list, lower-case; empty = by "datum" prefix
    bool m_dateFieldsExplicit = false;
    QList<QPair<QString, ComputeFn>> m_computed;

    QStringList m_fieldNames;
    QHash<QString, int> m_fieldLookup; // lower-case name → column
    std::vector<bool> m_isDate;
    int m_storedColumns = 0; // columns read from the statement; computed ones follow
    std::vector<Row> m_rows;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;

    State m_state = State::Inactive;
    Row m_buffer;
    std::vector<bool> m_modified;
    int m_editRow = -1;

    QList<Bookmark> m_selection;
    QList<HandlerEntry> m_handlers;
    int m_nextHandlerId = 1;
    int m_controlsDisabled = 0;
};
