#include "data/DatabaseMaintenance.h"

#include "data/Database.h"
#include "files/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <sqlite3.h>

namespace {

QString cannotSave(const QString &target, const QString &detail) {
    return QStringLiteral("Zálohu do souboru \"%1\" nelze uložit: %2")
        .arg(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()), detail);
}

// Why the engine could not write the copy, in the words of the file writer.
QString engineReason(int code, const QString &target) {
    switch (code & 0xFF) {
    case SQLITE_FULL:
        return FileWriter::reason(ENOSPC, target);
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return FileWriter::reason(EACCES, target);
    case SQLITE_IOERR:
        return FileWriter::reason(EIO, target);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("databázi právě používá jiný program.");
    default:
        return QString::fromUtf8(sqlite3_errstr(code));
    }
}

// Copies every page of the source connection's main database into the file at `path` (an empty file).
void copyPages(sqlite3 *source, const QString &path, const QString &target) {
    sqlite3 *destination = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &destination, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(destination);
        throw DatabaseError(cannotSave(target, engineReason(rc, target)));
    }
    sqlite3_backup *backup = sqlite3_backup_init(destination, "main", source, "main");
    if (!backup) {
        const QString detail = engineReason(sqlite3_errcode(destination), target);
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
    const int closed = sqlite3_close(destination);
    if (rc != SQLITE_DONE)
        throw DatabaseError(cannotSave(target, engineReason(rc, target)));
    if (closed != SQLITE_OK)
        throw DatabaseError(cannotSave(target, engineReason(closed, target)));
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

void backup(Database &db, const QString &target) {
    if (!db.isOpen())
        throw DatabaseError(QStringLiteral("Databáze není otevřená."));
    if (target.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("Není zadán soubor zálohy."));
    const QString source = db.filePath();
    // The target would be replaced while the engine reads it.
    if (sameFile(target, source))
        throw DatabaseError(sameFileMessage());
    sqlite3 *handle = db.engine();

    EngineFileWriter file(target);
    if (!file.open())
        throw DatabaseError(cannotSave(target, file.reason()));
    copyPages(handle, file.temporaryPath(), target);
    if (!file.commit(source))
        throw DatabaseError(cannotSave(target, file.reason()));
}

WipeCount wipeAnswersAndSessions(Database &db) {
    WipeCount count;
    Transaction transaction(db);
    db.exec(QStringLiteral("DELETE FROM odpovedi"));
    count.answers = db.scalar(QStringLiteral("SELECT changes()")).toLongLong();
    db.exec(QStringLiteral("DELETE FROM vyhodnoceni"));
    count.sessions = db.scalar(QStringLiteral("SELECT changes()")).toLongLong();
    db.exec(QStringLiteral("DELETE FROM kody_zaku"));
    db.exec(QStringLiteral("DELETE FROM rozmisteni"));
    transaction.commit();
    return count;
}

} // namespace DatabaseMaintenance
