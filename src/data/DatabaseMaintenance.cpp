#include "data/DatabaseMaintenance.h"

#include "data/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QTemporaryFile>
#include <filesystem>
#include <sqlite3.h>
#include <system_error>

namespace {

sqlite3 *engineHandle(Database &db) {
    const QVariant v = db.handle().driver() ? db.handle().driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw DatabaseError(QStringLiteral("Databázový ovladač neposkytl spojení SQLite."));
    sqlite3 *handle = *static_cast<sqlite3 *const *>(v.data());
    if (!handle)
        throw DatabaseError(QStringLiteral("Databáze není otevřená."));
    return handle;
}

QString cannotSave(const QString &target, const QString &detail) {
    return QStringLiteral("Zálohu do souboru \"%1\" nelze uložit: %2")
        .arg(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()), detail);
}

// Copies every page of the source connection's main database into the file at `path` (an empty file).
void copyPages(sqlite3 *source, const QString &path, const QString &target) {
    sqlite3 *destination = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &destination, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString detail =
            QString::fromUtf8(destination ? sqlite3_errmsg(destination) : sqlite3_errstr(rc));
        sqlite3_close(destination);
        throw DatabaseError(cannotSave(target, detail));
    }
    sqlite3_backup *backup = sqlite3_backup_init(destination, "main", source, "main");
    if (!backup) {
        const QString detail = QString::fromUtf8(sqlite3_errmsg(destination));
        sqlite3_close(destination);
        throw DatabaseError(cannotSave(target, detail));
    }
    // All pages in one step; another program holding the file locked is waited for a while.
    int waits = 0;
    do {
        rc = sqlite3_backup_step(backup, -1);
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waits++ < 100)
            sqlite3_sleep(50);
        else
            break;
    } while (true);
    sqlite3_backup_finish(backup);
    const QString detail = QString::fromUtf8(sqlite3_errstr(rc));
    const int closed = sqlite3_close(destination);
    if (rc != SQLITE_DONE)
        throw DatabaseError(cannotSave(target, detail));
    if (closed != SQLITE_OK)
        throw DatabaseError(cannotSave(target, QString::fromUtf8(sqlite3_errstr(closed))));
}

} // namespace

namespace DatabaseMaintenance {

QString sameFileMessage() {
    return QStringLiteral("Došlo k chybě. Soubor nelze duplikovat.");
}

bool sameFile(const QString &a, const QString &b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (!first.exists() || !second.exists())
        return false;
    if (first.canonicalFilePath() == second.canonicalFilePath())
        return true;
    std::error_code error;
    return std::filesystem::equivalent(first.filesystemAbsoluteFilePath(),
                                       second.filesystemAbsoluteFilePath(), error);
}

bool moveIntoPlace(const QString &temporary, const QString &target, const QString &permissionsOf,
                   QString *error) {
    const QFileInfo targetInfo(target);
    if (targetInfo.exists())
        QFile::setPermissions(temporary, targetInfo.permissions());
    else if (QFileInfo::exists(permissionsOf))
        QFile::setPermissions(temporary, QFileInfo(permissionsOf).permissions());
    std::error_code code;
    std::filesystem::rename(QFileInfo(temporary).filesystemAbsoluteFilePath(),
                            targetInfo.filesystemAbsoluteFilePath(), code);
    if (code && error)
        *error = QString::fromLocal8Bit(code.message());
    return !code;
}

void backup(Database &db, const QString &target) {
    if (!db.isOpen())
        throw DatabaseError(QStringLiteral("Databáze není otevřená."));
    if (target.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("Není zadán soubor zálohy."));
    const QString source = db.filePath();
    // The target would be replaced while the engine reads it.
    if (sameFile(target, source))
        throw DatabaseError(sameFileMessage());
    sqlite3 *handle = engineHandle(db);

    const QFileInfo targetInfo(target);
    if (!targetInfo.absoluteDir().exists())
        throw DatabaseError(cannotSave(target, QStringLiteral("složka neexistuje.")));
    if (targetInfo.isDir())
        throw DatabaseError(cannotSave(target, QStringLiteral("je to složka.")));
    QTemporaryFile temporary(targetInfo.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    temporary.setAutoRemove(false);
    if (!temporary.open())
        throw DatabaseError(cannotSave(target, temporary.errorString()));
    const QString part = temporary.fileName();
    temporary.close();
    try {
        copyPages(handle, part, target);
        QString error;
        if (!moveIntoPlace(part, target, source, &error))
            throw DatabaseError(cannotSave(target, error));
    } catch (...) {
        QFile::remove(part);
        throw;
    }
}

WipeCount wipeAnswersAndSessions(Database &db) {
    WipeCount count;
    Transaction transaction(db);
    db.exec(QStringLiteral("DELETE FROM odpovedi"));
    count.answers = db.scalar(QStringLiteral("SELECT changes()")).toLongLong();
    db.exec(QStringLiteral("DELETE FROM vyhodnoceni"));
    count.sessions = db.scalar(QStringLiteral("SELECT changes()")).toLongLong();
    transaction.commit();
    return count;
}

} // namespace DatabaseMaintenance
