#pragma once

#include <QString>
#include <QVariant>

class Database;
struct sqlite3;
struct sqlite3_stmt;

// A forward-only read on the engine's own connection, for statements of many rows (the evaluation, the
// answer counts): each value is taken as the engine holds it, only when asked for, and a text is decoded
// only by text(). Through QtSql every value of every row would first become a QVariant, which costs about
// as much again as the statement itself. Parameters are bound and failures explained as SqlQuery does:
// a statement that cannot be prepared or fails while stepping raises DatabaseError.
class EngineQuery final {
    Q_DISABLE_COPY_MOVE(EngineQuery)
public:
    EngineQuery(Database &db, const QString &sql);
    ~EngineQuery();

    // Binds the value to every occurrence of ":name"; a name the statement does not have is ignored.
    // Values are stored as QtSql stores them: whole numbers and yes/no as integers, texts as texts.
    EngineQuery &bind(const QString &name, const QVariant &value);
    // The next row; false after the last.
    bool next();

    int columnCount() const;
    // The column of that name (case-insensitive; the first of equal names), or -1.
    int column(const QString &name) const;
    bool isNull(int column) const;
    // The value as a whole number, as value().toLongLong() gives it (at once for a stored integer).
    qint64 integer(int column) const;
    // A null value is a null QString, an empty text an empty one that is not null.
    QString text(int column) const;
    // The value as QtSql gives it: qlonglong, double, QString, QByteArray, or a null QString.
    QVariant value(int column) const;

private:
    Database &m_db;
    sqlite3_stmt *m_statement = nullptr;
};
