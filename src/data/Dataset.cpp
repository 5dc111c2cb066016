#include "data/Dataset.h"
#include "data/TextOrder.h"

#include "platform/Prompter.h"
#include "data/Database.h"

#include <QRegularExpression>
#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>

namespace {

const QRegularExpression &parameterPattern() {
    static const QRegularExpression pattern(QStringLiteral("(?<![:\\w]):([A-Za-z_]\\w*)"));
    return pattern;
}

QString normalized(const QString &name) {
    QString n = name.startsWith(u':') ? name.mid(1) : name;
    return n.toLower();
}

QDateTime parseDateTime(const QString &text) {
    static const QString formats[] = {QStringLiteral("yyyy-MM-dd HH:mm:ss"),
                                      QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"),
                                      QStringLiteral("yyyy-MM-dd HH:mm"), QStringLiteral("yyyy-MM-dd")};
    for (const QString &format : formats) {
        const QDateTime value = QDateTime::fromString(text, format);
        if (value.isValid())
            return value;
    }
    return QDateTime::fromString(text, Qt::ISODate);
}

bool sameValue(const QVariant &a, const QVariant &b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    const auto isNumber = [](const QVariant &v) {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Bool:
            return true;
        default:
            return false;
        }
    };
    if (isNumber(a) || isNumber(b)) {
        bool okA = false, okB = false;
        const double x = a.toDouble(&okA);
        const double y = b.toDouble(&okB);
        return okA && okB && x == y;
    }
    if (a.typeId() == QMetaType::QDateTime || b.typeId() == QMetaType::QDateTime)
        return a.toDateTime() == b.toDateTime();
    return a.toString() == b.toString();
}

// A lookup by value: as sameValue, but texts compare as the database compares them (Czech, ignoring case).
bool matchesValue(const QVariant &cell, const QVariant &value) {
    const bool texts = !cell.isNull() && !value.isNull() && cell.typeId() == QMetaType::QString &&
                       value.typeId() == QMetaType::QString;
    return texts ? TextOrder::compare(cell.toString(), value.toString()) == 0 : sameValue(cell, value);
}

} // namespace

QVariant Dataset::RowView::value(const QString &field) const {
    const int index = m_dataset.fieldIndex(field);
    return index >= 0 && std::size_t(index) < m_row.size() ? m_row[std::size_t(index)] : QVariant();
}

Dataset::Dataset(Database &db, Prompter &prompter, const QString &name, QObject *parent)
    : QObject(parent), m_db(db), m_prompter(prompter), m_name(name) {
    setObjectName(name);
}

Dataset::~Dataset() = default;

void Dataset::setSql(const QStringList &lines) {
    m_sqlLines = lines;
}

void Dataset::setLastSqlLine(const QString &line) {
    if (m_sqlLines.isEmpty())
        m_sqlLines << line;
    else
        m_sqlLines.last() = line;
}

void Dataset::setParameter(const QString &name, const QVariant &value) {
    m_params.insert(normalized(name), value);
}

QVariant Dataset::parameter(const QString &name) const {
    return m_params.value(normalized(name));
}

QStringList Dataset::parameterNames() const {
    QStringList names;
    auto it = parameterPattern().globalMatch(sqlText());
    while (it.hasNext()) {
        const QString name = it.next().captured(1);
        if (!names.contains(name, Qt::CaseInsensitive))
            names << name;
    }
    return names;
}

void Dataset::setBaseTable(const QString &table, const QString &keyField) {
    m_baseTable = table;
    m_keyField = keyField;
    m_tableColumns.clear();
}

void Dataset::setDateFields(const QStringList &fields) {
    m_dateFieldNames.clear();
    for (const QString &field : fields)
        m_dateFieldNames << field.toLower();
    m_dateFieldsExplicit = true;
}

void Dataset::addComputedField(const QString &name, ComputeFn compute) {
    m_computed.append({name, std::move(compute)});
}

// --- Opening ------------------------------------------------------------------------------------

void Dataset::readColumns(const QSqlRecord &record) {
    m_fieldNames.clear();
    m_fieldLookup.clear();
    m_isDate.clear();
    m_storedColumns = record.count();
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i);
        m_fieldNames << name;
        const QString key = name.toLower();
        if (!m_fieldLookup.contains(key))
            m_fieldLookup.insert(key, i);
        m_isDate.push_back(m_dateFieldsExplicit ? m_dateFieldNames.contains(key)
                                                : key.startsWith(QLatin1String("datum")));
    }
    for (const auto &computed : std::as_const(m_computed)) {
        const QString key = computed.first.toLower();
        m_fieldLookup.insert(key, int(m_fieldNames.size()));
        m_fieldNames << computed.first;
        m_isDate.push_back(false);
    }
}

QVariant Dataset::fromStored(const QVariant &value, int column) const {
    if (column < 0 || std::size_t(column) >= m_isDate.size() || !m_isDate[std::size_t(column)])
        return value;
    return dateFromStored(value);
}

QVariant Dataset::dateFromStored(const QVariant &value) {
    if (value.isNull())
        return QVariant(QMetaType(QMetaType::QDateTime));
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value;
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    default: {
        const QDateTime parsed = parseDateTime(value.toString());
        return parsed.isValid() ? QVariant(parsed) : value;
    }
    }
}

QVariant Dataset::toStored(const QVariant &value, int column) const {
    if (value.isNull() || !value.isValid())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return Database::dateTimeText(value.toDateTime());
    case QMetaType::QDate:
        return Database::dateTimeText(QDateTime(value.toDate(), QTime(0, 0)));
    case QMetaType::Bool:
        return Database::boolValue(value.toBool());
    default:
        break;
    }
    if (column >= 0 && std::size_t(column) < m_isDate.size() && m_isDate[std::size_t(column)]) {
        const QDateTime parsed = parseDateTime(value.toString());
        if (parsed.isValid())
            return Database::dateTimeText(parsed);
    }
    return value;
}

Dataset::Row Dataset::readRow(const SqlQuery &query) const {
    Row row(std::size_t(m_storedColumns + m_computed.size()));
    for (int i = 0; i < m_storedColumns; ++i)
        row[std::size_t(i)] = fromStored(query.value(i), i);
    computeFields(row);
    return row;
}

void Dataset::computeFields(Row &row) const {
    row.resize(std::size_t(m_storedColumns + m_computed.size()));
    for (int i = 0; i < m_computed.size(); ++i) {
        const RowView view(*this, row);
        row[std::size_t(m_storedColumns + i)] = m_computed[i].second(view);
    }
}

void Dataset::load() {
    SqlQuery query(m_db, sqlText());
    for (const QString &name : parameterNames())
        query.bind(name, m_params.value(name.toLower()));
    query.exec();
    readColumns(query.record());
    std::vector<Row> rows;
    while (query.next())
        rows.push_back(readRow(query));
    if (emitting())
        emit aboutToReset();
    m_rows = std::move(rows);
    m_current = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    m_buffer.clear();
    m_editRow = -1;
    if (emitting())
        emit resetDone();
}

void Dataset::open() {
    if (isOpen())
        return;
    load();
    setState(State::Browse);
    if (emitting())
        emit currentRowChanged(m_current);
    run(Event::AfterOpen);
    run(Event::AfterScroll);
}

void Dataset::close() {
    if (!isOpen())
        return;
    if (emitting())
        emit aboutToReset();
    m_rows.clear();
    m_current = -1;
    m_bof = m_eof = true;
    m_buffer.clear();
    m_editRow = -1;
    m_state = State::Inactive;
    if (emitting()) {
        emit resetDone();
        emit stateChanged(m_state);
        emit currentRowChanged(m_current);
    }
}

void Dataset::requery() {
    if (!isOpen()) {
        open();
        return;
    }
    if (isEditing() && !post())
        cancel();
    try {
        load();
    } catch (...) {
        close();
        throw;
    }
    setState(State::Browse);
    if (emitting())
        emit currentRowChanged(m_current);
    run(Event::AfterScroll);
}

bool Dataset::refresh() {
    try {
        if (isOpen())
            requery();
        else
            open();
        return true;
    } catch (const DatabaseError &error) {
        m_prompter.message(QStringLiteral("Došlo k chybě. \r\nException class name = ") + error.className() +
                           QStringLiteral("\r\n") + QStringLiteral("Exception message = ") + error.message());
        return false;
    }
}

// --- Rows ---------------------------------------------------------------------------------------

bool Dataset::moveTo(int row) {
    if (!isOpen() || m_rows.empty())
        return false;
    if (m_state == State::Insert || m_state == State::Edit) {
        if (!post())
            return false;
    }
    row = std::clamp(row, 0, int(m_rows.size()) - 1);
    if (row == m_current)
        return true;
    m_current = row;
    if (emitting())
        emit currentRowChanged(m_current);
    run(Event::AfterScroll);
    return true;
}

bool Dataset::first() {
    const bool ok = moveTo(0);
    m_bof = true;
    m_eof = m_rows.empty();
    return ok;
}

bool Dataset::last() {
    const bool ok = moveTo(int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.empty();
    return ok;
}

bool Dataset::next() {
    if (m_current + 1 >= int(m_rows.size())) {
        m_eof = true;
        return false;
    }
    const bool ok = moveTo(m_current + 1);
    m_bof = false;
    m_eof = false;
    return ok;
}

bool Dataset::prior() {
    if (m_current <= 0) {
        m_bof = true;
        return false;
    }
    const bool ok = moveTo(m_current - 1);
    m_bof = false;
    m_eof = false;
    return ok;
}

bool Dataset::moveBy(int distance) {
    if (m_rows.empty())
        return false;
    if (distance == 0)
        return true;
    const int target = m_current + distance;
    const bool ok = moveTo(target); // clamped to the first or last row
    m_bof = target < 0;
    m_eof = target >= int(m_rows.size());
    return ok;
}

bool Dataset::setCurrentRow(int row) {
    if (row < 0 || row >= int(m_rows.size()))
        return false;
    const bool ok = moveTo(row);
    m_bof = m_eof = false;
    return ok;
}

int Dataset::find(const QString &field, const QVariant &value) const {
    const int column = fieldIndex(field);
    if (column < 0)
        return -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (matchesValue(m_rows[i][std::size_t(column)], value))
            return int(i);
    return -1;
}

bool Dataset::locate(const QString &field, const QVariant &value) {
    const int row = find(field, value);
    if (row < 0)
        return false;
    return setCurrentRow(row);
}

Dataset::Bookmark Dataset::bookmarkOf(int row) const {
    Bookmark mark;
    if (row < 0 || row >= int(m_rows.size()))
        return mark;
    const int key = keyColumn();
    if (key >= 0)
        mark.key = m_rows[std::size_t(row)][std::size_t(key)];
    else
        mark.row = row;
    return mark;
}

int Dataset::rowOf(const Bookmark &bookmark) const {
    if (bookmark.key.isValid()) {
        const int key = keyColumn();
        if (key < 0)
            return -1;
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            if (sameValue(m_rows[i][std::size_t(key)], bookmark.key))
                return int(i);
        return -1;
    }
    return bookmark.row >= 0 && bookmark.row < int(m_rows.size()) ? bookmark.row : -1;
}

bool Dataset::gotoBookmark(const Bookmark &bookmark) {
    const int row = rowOf(bookmark);
    return row >= 0 && setCurrentRow(row);
}

// --- Fields -------------------------------------------------------------------------------------

int Dataset::fieldIndex(const QString &field) const {
    return m_fieldLookup.value(field.toLower(), -1);
}

bool Dataset::isDateField(int column) const {
    return column >= 0 && std::size_t(column) < m_isDate.size() && m_isDate[std::size_t(column)];
}

QVariant Dataset::value(const QString &field) const {
    const int column = fieldIndex(field);
    if (column < 0)
        return QVariant();
    if (isEditing())
        return m_buffer[std::size_t(column)];
    if (m_current < 0)
        return QVariant();
    return m_rows[std::size_t(m_current)][std::size_t(column)];
}

bool Dataset::isNull(const QString &field) const {
    const QVariant v = value(field);
    return !v.isValid() || v.isNull();
}

QVariant Dataset::value(int row, int column) const {
    if (row < 0 || row >= int(m_rows.size()) || column < 0 || column >= int(m_fieldNames.size()))
        return QVariant();
    if (m_state == State::Edit && row == m_editRow)
        return m_buffer[std::size_t(column)];
    return m_rows[std::size_t(row)][std::size_t(column)];
}

bool Dataset::setValue(const QString &field, const QVariant &value) {
    const int column = fieldIndex(field);
    if (!isEditing() || column < 0 || column >= m_storedColumns)
        return false;
    m_buffer[std::size_t(column)] = fromStored(value, column);
    m_modified[std::size_t(column)] = true;
    if (emitting()) {
        emit fieldChanged(m_fieldNames[column]);
        if (m_state == State::Edit && m_editRow >= 0)
            emit rowChanged(m_editRow);
    }
    return true;
}

// --- Editing ------------------------------------------------------------------------------------

bool Dataset::insert() {
    if (!isOpen())
        return false;
    if (isEditing() && !post())
        return false;
    if (!runBefore(Event::BeforeInsert))
        return false;
    m_buffer.assign(std::size_t(m_fieldNames.size()), QVariant());
    m_modified.assign(std::size_t(m_fieldNames.size()), false);
    m_editRow = -1;
    setState(State::Insert);
    run(Event::AfterInsert);
    return true;
}

bool Dataset::edit() {
    if (!isOpen())
        return false;
    if (isEditing())
        return true;
    if (m_rows.empty())
        return insert();
    if (!runBefore(Event::BeforeEdit))
        return false;
    if (m_current < 0)
        return false;
    m_buffer = m_rows[std::size_t(m_current)];
    m_modified.assign(std::size_t(m_fieldNames.size()), false);
    m_editRow = m_current;
    setState(State::Edit);
    run(Event::AfterEdit);
    return true;
}

void Dataset::ensureTableColumns() {
    if (!m_tableColumns.isEmpty())
        return;
    SqlQuery query(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(m_baseTable));
    query.exec();
    while (query.next())
        m_tableColumns << query.value(QStringLiteral("name")).toString();
    if (m_tableColumns.isEmpty())
        throw DatabaseError(QStringLiteral("Tabulka \"%1\" neexistuje.").arg(m_baseTable));
}

bool Dataset::writeBuffer() {
    if (m_baseTable.isEmpty()) {
        showError(QStringLiteral("Dataset %1 nelze upravovat.").arg(m_name));
        return false;
    }
    try {
        ensureTableColumns();
        QStringList columns;
        QVariantList values;
        for (int i = 0; i < m_storedColumns; ++i) {
            if (!m_modified[std::size_t(i)] || m_fieldNames[i].compare(m_keyField, Qt::CaseInsensitive) == 0)
                continue;
            const auto it = std::find_if(m_tableColumns.begin(), m_tableColumns.end(), [&](const QString &c) {
                return c.compare(m_fieldNames[i], Qt::CaseInsensitive) == 0;
            });
            if (it == m_tableColumns.end() || columns.contains(*it))
                continue;
            columns << *it;
            values << toStored(m_buffer[std::size_t(i)], i);
        }
        QVariant key;
        if (m_state == State::Insert) {
            QString sql;
            if (columns.isEmpty()) {
                sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_baseTable);
            } else {
                QStringList names;
                for (int i = 0; i < columns.size(); ++i)
                    names << QStringLiteral(":v%1").arg(i);
                sql = QStringLiteral("INSERT INTO %1 (\"%2\") VALUES (%3)")
                          .arg(m_baseTable, columns.join(QStringLiteral("\", \"")),
                               names.join(QStringLiteral(", ")));
            }
            SqlQuery query(m_db, sql);
            for (int i = 0; i < values.size(); ++i)
                query.bind(QStringLiteral("v%1").arg(i), values[i]);
            query.exec();
            key = m_db.lastInsertId();
        } else {
            key = m_buffer[std::size_t(keyColumn())];
            if (!columns.isEmpty()) {
                QStringList sets;
                for (int i = 0; i < columns.size(); ++i)
                    sets << QStringLiteral("\"%1\" = :v%2").arg(columns[i]).arg(i);
                SqlQuery query(m_db, QStringLiteral("UPDATE %1 SET %2 WHERE \"%3\" = :key")
                                         .arg(m_baseTable, sets.join(QStringLiteral(", ")), m_keyField));
                for (int i = 0; i < values.size(); ++i)
                    query.bind(QStringLiteral("v%1").arg(i), values[i]);
                query.bind(QStringLiteral("key"), key);
                query.exec();
            }
        }
        Row fresh = rereadRow(key);
        if (m_state == State::Insert) {
            const int target = std::max(m_current, 0);
            if (emitting())
                emit aboutToInsertRow(target);
            m_rows.insert(m_rows.begin() + target, std::move(fresh));
            m_current = target;
            m_eof = m_bof = false;
            if (emitting())
                emit rowInserted(target);
        } else {
            m_rows[std::size_t(m_editRow)] = std::move(fresh);
            m_current = m_editRow;
        }
        return true;
    } catch (const DatabaseError &error) {
        showError(error.message());
        return false;
    }
}

Dataset::Row Dataset::rereadRow(const QVariant &key) const {
    Row fresh;
    bool found = false;
    if (keyColumn() >= 0 && !sqlText().trimmed().isEmpty()) {
        SqlQuery query(
            m_db,
            QStringLiteral("SELECT * FROM (\n%1\n) AS orbelis_row WHERE orbelis_row.\"%2\" = :orbelis_key")
                .arg(sqlText(), m_keyField));
        for (const QString &name : parameterNames())
            query.bind(name, m_params.value(name.toLower()));
        query.bind(QStringLiteral("orbelis_key"), key);
        query.exec();
        if (query.next() && query.record().count() == m_storedColumns) {
            fresh = readRow(query);
            found = true;
        }
    }
    if (!found) {
        // The row no longer matches the statement's filter: show what the table holds.
        fresh = m_buffer;
        SqlQuery query(
            m_db,
            QStringLiteral("SELECT * FROM %1 WHERE \"%2\" = :orbelis_key").arg(m_baseTable, m_keyField));
        query.bind(QStringLiteral("orbelis_key"), key);
        query.exec();
        if (query.next()) {
            const QSqlRecord record = query.record();
            for (int i = 0; i < record.count(); ++i) {
                const int column = fieldIndex(record.fieldName(i));
                if (column >= 0 && column < m_storedColumns)
                    fresh[std::size_t(column)] = fromStored(query.value(i), column);
            }
        } else if (keyColumn() >= 0) {
            fresh[std::size_t(keyColumn())] = key;
        }
        computeFields(fresh);
    }
    return fresh;
}

bool Dataset::post() {
    if (!isEditing())
        return true;
    if (!runBefore(Event::BeforePost))
        return false;
    if (!isEditing()) // a handler finished the change itself
        return true;
    const int editedRow = m_editRow;
    if (!writeBuffer())
        return false;
    const bool inserted = editedRow < 0;
    m_buffer.clear();
    m_editRow = -1;
    setState(State::Browse);
    if (emitting()) {
        if (!inserted)
            emit rowChanged(m_current);
        emit currentRowChanged(m_current);
    }
    run(Event::AfterPost);
    return true;
}

bool Dataset::cancel() {
    if (!isEditing())
        return true;
    if (!runBefore(Event::BeforeCancel))
        return false;
    const int editedRow = m_editRow;
    m_buffer.clear();
    m_editRow = -1;
    setState(State::Browse);
    if (editedRow >= 0 && emitting())
        emit rowChanged(editedRow);
    run(Event::AfterCancel);
    return true;
}

bool Dataset::deleteRecord() {
    if (!isOpen())
        return false;
    if (m_state == State::Insert)
        return cancel();
    if (m_state == State::Edit && !post())
        return false;
    if (m_current < 0)
        return false;
    if (!runBefore(Event::BeforeDelete))
        return false;
    if (m_current < 0)
        return false;
    if (m_baseTable.isEmpty()) {
        showError(QStringLiteral("Dataset %1 nelze upravovat.").arg(m_name));
        return false;
    }
    const int row = m_current;
    const Bookmark mark = bookmarkOf(row);
    try {
        SqlQuery query(m_db,
                       QStringLiteral("DELETE FROM %1 WHERE \"%2\" = :key").arg(m_baseTable, m_keyField));
        query.bind(QStringLiteral("key"), m_rows[std::size_t(row)][std::size_t(keyColumn())]);
        query.exec();
    } catch (const DatabaseError &error) {
        showError(error.message());
        return false;
    }
    if (emitting())
        emit aboutToRemoveRow(row);
    m_rows.erase(m_rows.begin() + row);
    m_current = m_rows.empty() ? -1 : std::min(row, int(m_rows.size()) - 1);
    m_eof = m_rows.empty();
    if (emitting())
        emit rowRemoved(row);
    if (m_selection.removeAll(mark) > 0 && emitting())
        emit selectionChanged();
    if (emitting())
        emit currentRowChanged(m_current);
    run(Event::AfterDelete);
    run(Event::AfterScroll);
    return true;
}

// --- Rules --------------------------------------------------------------------------------------

int Dataset::on(Event event, Handler handler) {
    const int id = m_nextHandlerId++;
    m_handlers.append({id, event, std::move(handler)});
    return id;
}

void Dataset::removeHandler(int handlerId) {
    m_handlers.removeIf([handlerId](const HandlerEntry &entry) { return entry.id == handlerId; });
}

void Dataset::run(Event event) {
    const QList<HandlerEntry> handlers = m_handlers; // a handler may add or remove handlers
    for (const HandlerEntry &entry : handlers) {
        if (entry.event != event)
            continue;
        try {
            entry.handler(*this);
        } catch (const SilentAbort &) {
            return;
        } catch (const DatabaseError &error) {
            showError(error.message());
            return;
        }
    }
}

bool Dataset::runBefore(Event event) {
    const QList<HandlerEntry> handlers = m_handlers;
    for (const HandlerEntry &entry : handlers) {
        if (entry.event != event)
            continue;
        try {
            entry.handler(*this);
        } catch (const SilentAbort &) {
            return false;
        } catch (const DatabaseError &error) {
            showError(error.message());
            return false;
        }
    }
    return true;
}

void Dataset::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    if (emitting())
        emit stateChanged(state);
}

void Dataset::disableControls() {
    ++m_controlsDisabled;
}

void Dataset::enableControls() {
    if (m_controlsDisabled == 0)
        return;
    if (--m_controlsDisabled == 0)
        announceReset();
}

void Dataset::announceReset() {
    emit aboutToReset();
    emit resetDone();
    emit stateChanged(m_state);
    emit currentRowChanged(m_current);
    emit selectionChanged();
}

void Dataset::showError(const QString &message) const {
    m_prompter.message(message, QString(), Prompter::Icon::Error);
}
