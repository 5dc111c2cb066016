#include "data/EngineQuery.h"

#include "data/Database.h"

#include <QByteArray>
#include <sqlite3.h>

EngineQuery::EngineQuery(Database &db, const QString &sql) : m_db(db) {
    if (!db.isOpen())
        throw DatabaseError(QStringLiteral("Databáze není otevřená."));
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db.engine(), text.constData(), int(text.size()), &m_statement, nullptr) !=
        SQLITE_OK) {
        const DatabaseError error = db.engineError();
        sqlite3_finalize(m_statement);
        throw error;
    }
}

EngineQuery::~EngineQuery() {
    sqlite3_finalize(m_statement);
}

EngineQuery &EngineQuery::bind(const QString &name, const QVariant &value) {
    const QByteArray key = (name.startsWith(u':') ? name : u':' + name).toUtf8();
    const int index = sqlite3_bind_parameter_index(m_statement, key.constData());
    if (index == 0)
        return *this;
    int result = SQLITE_OK;
    if (value.isNull() || !value.isValid()) {
        result = sqlite3_bind_null(m_statement, index);
    } else {
        switch (value.metaType().id()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
            result = sqlite3_bind_int64(m_statement, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            result = sqlite3_bind_double(m_statement, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            result = sqlite3_bind_blob64(m_statement, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                         SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            result = sqlite3_bind_text64(m_statement, index, text.constData(), sqlite3_uint64(text.size()),
                                         SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (result != SQLITE_OK)
        throw m_db.engineError();
    return *this;
}

bool EngineQuery::next() {
    switch (sqlite3_step(m_statement)) {
    case SQLITE_ROW:
        return true;
    case SQLITE_DONE:
        return false;
    default:
        throw m_db.engineError();
    }
}

int EngineQuery::columnCount() const {
    return sqlite3_column_count(m_statement);
}

int EngineQuery::column(const QString &name) const {
    for (int i = 0; i < columnCount(); ++i)
        if (QString::fromUtf8(sqlite3_column_name(m_statement, i)).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool EngineQuery::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

qint64 EngineQuery::integer(int column) const {
    if (sqlite3_column_type(m_statement, column) == SQLITE_INTEGER)
        return sqlite3_column_int64(m_statement, column);
    return value(column).toLongLong();
}

QString EngineQuery::text(int column) const {
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    if (!text)
        return QString();
    const int size = sqlite3_column_bytes(m_statement, column);
    return size == 0 ? QStringLiteral("") : QString::fromUtf8(text, size);
}

QVariant EngineQuery::value(int column) const {
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(m_statement, column)));
    }
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    default:
        return QVariant(text(column));
    }
}
