#pragma once

#include "data/DatabaseError.h"
#include "data/Schema.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QSqlRecord>
#include <QDate>
#include <QDateTime>

class SqlQuery;
struct sqlite3;

// The one connection to the SQLite database file of the data folder.
//
// Booleans (yes/no columns) are stored as 1 (true) and 0 (false), so the SQL literals `true` and
// `false` compare as expected. Orderings that need "true first" say so explicitly: `ORDER BY pozitivni DESC`.
// Dates are ISO text "yyyy-MM-dd HH:mm:ss" (a date literal is 'yyyy-MM-dd'), which sorts chronologically.
// LIKE is replaced by a Unicode-aware, case-insensitive version, so `pohlavi LIKE 'MUŽ'` matches "muž".
// Texts order and compare in Czech, ignoring case, through the collation "czech" (TextOrder), registered
// on every connection. The stored schema never declares it, so that other SQLite clients can read the
// file; every statement that orders or compares texts says `COLLATE czech` itself. A file made by an
// earlier version, which declared it on its text columns, is rebuilt without it when opened
// (SchemaUpgrade).
class Database final
{
    Q_DISABLE_COPY_MOVE(Database)
public:
    // How long a statement waits for another program's hold on the file before it fails as busy.
    static constexpr int kBusyTimeoutMs = 5000;
    // Size of the connection's page cache, which also holds the statements' sorts and temporary indexes.
    static constexpr int kCacheKiB = 8192;

    explicit Database(const QString &connectionName = QStringLiteral("orbelis"));
    ~Database();

    // What opening does with a schema made by an earlier version: bring it to the current form
    // (SchemaUpgrade), or leave the file untouched (a file from outside that is only read).
    enum class Opening { UpgradeSchema, LeaveSchema };

    // Opens an existing database file; raises DatabaseError when it is missing, not a database, lacks
    // one of the required tables (by default those every version of the program made), or cannot be
    // upgraded (the file is then left as it was). Upgrading also makes the tables an older file lacks.
    void open(const QString &filePath, const QStringList &requiredTables = Schema::requiredTableNames(),
              Opening opening = Opening::UpgradeSchema);
    // Creates a new database file, with the schema unless told otherwise (fails when the file exists).
    void create(const QString &filePath, bool withSchema = true);
    void close();
    bool isOpen() const;
    QString filePath() const { return m_filePath; }
    // Connection text of the form "Provider=SQLite;Data Source=<file>;".
    QString connectionText() const;

    // Runs a statement without result; named parameters written ":name".
    void exec(const QString &sql, const QVariantMap &params = {});
    // Runs a query returning the first column of the first row (null when there is no row).
    QVariant scalar(const QString &sql, const QVariantMap &params = {});
    // Counter value of the last insert on this connection.
    qint64 lastInsertId();

    void beginTransaction();
    void commit();
    void rollback();

    QSqlDatabase &handle() { return m_db; }
    // The engine's own connection (for the online backup); raises DatabaseError when there is none.
    sqlite3 *engine();
    // The last failure of a statement run on engine(), explained as SqlQuery explains its own.
    DatabaseError engineError();

    // Text quoting for the few places that must build statement text: inner quotes doubled.
    static QString quoted(const QString &text);
    // Date literal in the engine's form: '2012-09-03'.
    static QString dateLiteral(const QDate &date);
    // Value stored for a yes/no column.
    static int boolValue(bool value) { return value ? 1 : 0; }
    static QString dateTimeText(const QDateTime &value);
    // A plain table or column name (letters, digits, underscores), safe to write into statement text.
    static bool isIdentifier(const QString &text);

private:
    void openConnection(const QString &filePath);
    void registerFunctions();

    QString m_connectionName;
    QString m_filePath;
    QSqlDatabase m_db;
    int m_savepointDepth = 0;
};

// A query on the shared connection with named parameters (":par_x"); raises DatabaseError on failure.
class SqlQuery final
{
public:
    SqlQuery(Database &db, const QString &sql);

    SqlQuery &bind(const QString &name, const QVariant &value);
    void exec();
    // The next row; false after the last. An engine error while stepping (a damaged page, an I/O error)
    // raises DatabaseError, so that no loop over rows ends early without a word.
    bool next();
    QVariant value(const QString &field) const { return m_query.value(field); }
    QVariant value(int column) const { return m_query.value(column); }
    QSqlRecord record() const { return m_query.record(); }
    QSqlQuery &raw() { return m_query; }

private:
    QString m_sql;
    QString m_filePath; // for the Czech error texts
    QSqlQuery m_query;
};

// Runs a block of statements all or nothing: rolls back unless commit() was called.
class Transaction final
{
    Q_DISABLE_COPY_MOVE(Transaction)
public:
    explicit Transaction(Database &db);
    ~Transaction();
    void commit();

private:
    Database &m_db;
    bool m_done = false;
};
