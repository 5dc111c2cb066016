#include "data/Database.h"

#include "data/Schema.h"
#include "data/SchemaUpgrade.h"
#include "data/TextOrder.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <sqlite3.h>

DatabaseError::DatabaseError(const QString &message, const QString &className, Cause cause)
    : std::runtime_error(message.toStdString()), m_message(message), m_className(className), m_cause(cause)
{
}

namespace {

// LIKE with % and _ wildcards, comparing case-folded Unicode text.
bool likeMatch(const QString &pattern, const QString &text, QChar escape)
{
    const QString p = pattern.toCaseFolded();
    const QString t = text.toCaseFolded();
    qsizetype pi = 0, ti = 0, starP = -1, starT = -1;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == u'%') {
            starP = ++pi;
            starT = ti;
            continue;
        }
        bool escaped = false;
        if (pi < p.size() && !escape.isNull() && p[pi] == escape && pi + 1 < p.size()) {
            escaped = true;
        }
        const qsizetype charAt = escaped ? pi + 1 : pi;
        if (charAt < p.size() && ((!escaped && p[charAt] == u'_') || p[charAt] == t[ti])) {
            pi = charAt + 1;
            ++ti;
        } else if (starP >= 0) {
            pi = starP;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == u'%')
        ++pi;
    return pi == p.size();
}

QString argText(sqlite3_value *value)
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return bytes ? QString::fromUtf8(bytes, sqlite3_value_bytes(value)) : QString();
}

void sqlLike(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    QChar escape;
    if (argc == 3) {
        const QString e = argText(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e[0];
    }
    sqlite3_result_int(context, likeMatch(argText(argv[0]), argText(argv[1]), escape) ? 1 : 0);
}

QString errorText(const QSqlError &error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    return text;
}

// The engine's failures a teacher can act on, as a Czech sentence with the engine's text as detail;
// anything else (a statement's own error) keeps the engine's text alone.
DatabaseError explained(const QSqlError &error, const QString &filePath)
{
    const QString engine = errorText(error);
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xFF;
    const QString file = QDir::toNativeSeparators(QFileInfo(filePath).absoluteFilePath());
    const QString folder = QDir::toNativeSeparators(QFileInfo(filePath).absolutePath());
    QString sentence;
    if (!numeric)
        return DatabaseError(engine);
    switch (code) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        sentence = QStringLiteral("Soubor %1 není databáze programu nebo je poškozený. Otevřete jiný soubor "
                                  "nebo obnovte databázi ze zálohy.")
                       .arg(file);
        break;
    case SQLITE_READONLY:
        sentence = QStringLiteral("Databáze je jen pro čtení – zkontrolujte oprávnění ke složce %1.").arg(folder);
        break;
    case SQLITE_CANTOPEN:
        sentence = QStringLiteral("Databázi %1 nelze otevřít – zkontrolujte, že složka existuje a máte do ní "
                                  "přístup.")
                       .arg(file);
        break;
    case SQLITE_FULL:
        sentence = QStringLiteral("Na disku není dost místa, změna nebyla uložena. Uvolněte místo a zkuste to "
                                  "znovu.");
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        sentence = QStringLiteral("Databázi %1 právě drží jiný program, který do ní zapisuje; ani po %2 s "
                                  "čekání ji neuvolnil. Počkejte, až skončí (nebo ho zavřete), a zkuste to znovu.")
                       .arg(file)
                       .arg(Database::kBusyTimeoutMs / 1000);
        break;
    case SQLITE_IOERR:
        sentence = QStringLiteral("Při čtení nebo zápisu databáze %1 došlo k chybě disku.").arg(file);
        break;
    default:
        return DatabaseError(engine);
    }
    return DatabaseError(sentence + QStringLiteral("\r\nPodrobnosti: ") + engine, QStringLiteral("EOleException"),
                         DatabaseError::Cause::Environment);
}

} // namespace

Database::Database(const QString &connectionName) : m_connectionName(connectionName) {}

Database::~Database()
{
    close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::openConnection(const QString &filePath)
{
    close();
    if (!m_db.isValid()) {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    }
    m_db.setDatabaseName(filePath);
    if (!m_db.open())
        throw explained(m_db.lastError(), filePath);
    m_filePath = filePath;
    registerFunctions();
    exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    // A page cache of 8 MiB instead of the engine's 2 MiB: the sorts and temporary indexes of a large
    // class's evaluation (300 pupils) then stay in memory instead of going to temporary files.
    exec(QStringLiteral("PRAGMA cache_size = -%1").arg(kCacheKiB));
}

void Database::open(const QString &filePath, const QStringList &requiredTables, Opening opening)
{
    close();
    QFileInfo info(filePath);
    if (!info.isFile())
        throw DatabaseError(QStringLiteral("Soubor databáze \"%1\" neexistuje.").arg(QFileInfo(filePath).absoluteFilePath()));
    try {
        openConnection(filePath);
        // Reading the catalogue fails at once on a file that is not a database.
        if (!Schema::hasTables(*this, requiredTables))
            throw DatabaseError(
                QStringLiteral("Soubor \"%1\" není databáze programu Orbelis.").arg(info.absoluteFilePath()));
        if (opening == Opening::UpgradeSchema) {
            SchemaUpgrade::removeCzechCollation(*this);
            SchemaUpgrade::addMissingTables(*this);
        }
    } catch (const DatabaseError &) {
        close();
        throw;
    }
}

void Database::create(const QString &filePath, bool withSchema)
{
    if (QFileInfo::exists(filePath))
        throw DatabaseError(QStringLiteral("Soubor \"%1\" již existuje.").arg(filePath));
    openConnection(filePath);
    if (withSchema) {
        Transaction transaction(*this);
        Schema::create(*this);
        transaction.commit();
    }
}

void Database::close()
{
    if (m_db.isValid() && m_db.isOpen())
        m_db.close();
    m_filePath.clear();
    m_savepointDepth = 0;
}

bool Database::isOpen() const { return m_db.isValid() && m_db.isOpen(); }

QString Database::connectionText() const
{
    return QStringLiteral("Provider=SQLite;Data Source=%1;").arg(m_filePath);
}

sqlite3 *Database::engine()
{
    const QVariant v = m_db.isValid() && m_db.driver() ? m_db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw DatabaseError(QStringLiteral("Databázový ovladač neposkytl spojení SQLite."));
    sqlite3 *handle = *static_cast<sqlite3 *const *>(v.data());
    if (!handle)
        throw DatabaseError(QStringLiteral("Databáze není otevřená."));
    return handle;
}

DatabaseError Database::engineError()
{
    sqlite3 *handle = engine();
    return explained(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(handle)),
                               QSqlError::StatementError, QString::number(sqlite3_extended_errcode(handle))),
                     m_filePath);
}

void Database::registerFunctions()
{
    sqlite3 *handle = engine();
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function(handle, "like", 2, flags, nullptr, sqlLike, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_create_function(handle, "like", 3, flags, nullptr, sqlLike, nullptr, nullptr) != SQLITE_OK ||
        !TextOrder::registerCollation(handle))
        throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(handle)));
}

void Database::exec(const QString &sql, const QVariantMap &params)
{
    SqlQuery query(*this, sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        query.bind(it.key(), it.value());
    query.exec();
}

QVariant Database::scalar(const QString &sql, const QVariantMap &params)
{
    SqlQuery query(*this, sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        query.bind(it.key(), it.value());
    query.exec();
    return query.next() ? query.value(0) : QVariant();
}

qint64 Database::lastInsertId()
{
    return scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
}

// The outermost level takes the write lock at once, so that a second program waits for it (the busy
// timeout) instead of failing when a transaction that has read wants to write; inner levels are savepoints.
void Database::beginTransaction()
{
    if (m_savepointDepth == 0)
        exec(QStringLiteral("BEGIN IMMEDIATE"));
    else
        exec(QStringLiteral("SAVEPOINT orbelis_%1").arg(m_savepointDepth));
    ++m_savepointDepth;
}

// A level that cannot be committed (the disk is full, another program holds the file) is rolled back, so
// the connection never stays inside a transaction whose changes would be lost later.
void Database::commit()
{
    if (m_savepointDepth == 0)
        return;
    try {
        if (m_savepointDepth == 1)
            exec(QStringLiteral("COMMIT"));
        else
            exec(QStringLiteral("RELEASE SAVEPOINT orbelis_%1").arg(m_savepointDepth - 1));
    } catch (const DatabaseError &) {
        try {
            rollback();
        } catch (const DatabaseError &) {
            // The connection is gone; nothing was committed.
        }
        throw;
    }
    --m_savepointDepth;
}

void Database::rollback()
{
    if (m_savepointDepth == 0)
        return;
    --m_savepointDepth;
    if (m_savepointDepth == 0) {
        // A failed statement may have ended the transaction already.
        if (!isOpen())
            return;
        if (!sqlite3_get_autocommit(engine()))
            exec(QStringLiteral("ROLLBACK"));
        return;
    }
    const QString name = QStringLiteral("orbelis_%1").arg(m_savepointDepth);
    exec(QStringLiteral("ROLLBACK TO SAVEPOINT %1").arg(name));
    exec(QStringLiteral("RELEASE SAVEPOINT %1").arg(name));
}

QString Database::quoted(const QString &text)
{
    QString result = text;
    result.replace(u'\'', QStringLiteral("''"));
    return u'\'' + result + u'\'';
}

QString Database::dateLiteral(const QDate &date)
{
    return u'\'' + date.toString(QStringLiteral("yyyy-MM-dd")) + u'\'';
}

QString Database::dateTimeText(const QDateTime &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

SqlQuery::SqlQuery(Database &db, const QString &sql) : m_sql(sql), m_filePath(db.filePath()), m_query(db.handle())
{
    if (!db.isOpen())
        throw DatabaseError(QStringLiteral("Databáze není otevřená."));
    m_query.setForwardOnly(true);
    if (!m_query.prepare(sql))
        throw explained(m_query.lastError(), m_filePath);
}

SqlQuery &SqlQuery::bind(const QString &name, const QVariant &value)
{
    m_query.bindValue(name.startsWith(u':') ? name : u':' + name, value);
    return *this;
}

bool SqlQuery::next()
{
    if (m_query.next())
        return true;
    if (m_query.lastError().isValid())
        throw explained(m_query.lastError(), m_filePath);
    return false;
}

void SqlQuery::exec()
{
    if (!m_query.exec())
        throw explained(m_query.lastError(), m_filePath);
}

Transaction::Transaction(Database &db) : m_db(db) { m_db.beginTransaction(); }

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            m_db.rollback();
        } catch (const DatabaseError &) {
            // The connection is gone; nothing was committed.
        }
    }
}

void Transaction::commit()
{
    // A commit that fails has rolled back already.
    m_done = true;
    m_db.commit();
}

bool Database::isIdentifier(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(text).hasMatch();
}
