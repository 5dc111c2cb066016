#include "data/DatabaseMaintenance.h"

#include "data/Database.h"
#include "files/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

quint32 bigEndian(const unsigned char *bytes) {
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | quint32(bytes[3]);
}

qint64 pragmaValue(sqlite3 *handle, const char *pragma) {
    sqlite3_stmt *statement = nullptr;
    qint64 value = -1;
    if (sqlite3_prepare_v2(handle, pragma, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

// Copies `size` bytes of `from` into `to` from the start: in the kernel where it can, else through a buffer.
// 0, or the errno of the failure and whether it was the reading side.
int copyBytes(int from, int to, qint64 size, bool *reading) {
    qint64 done = 0;
    bool inKernel = true;
    std::vector<char> buffer;
    while (done < size) {
        if (inKernel) {
            loff_t in = done, out = done;
            const ssize_t n = ::copy_file_range(from, &in, to, &out, size_t(size - done), 0);
            if (n > 0) {
                done += n;
                continue;
            }
            if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
                errno != EPERM) {
                *reading = false;
                return errno;
            }
            inKernel = false; // a file system that cannot, or a source shorter than it claims
            buffer.resize(1 << 20);
        }
        const ssize_t got = ::pread(from, buffer.data(), std::min<qint64>(qint64(buffer.size()), size - done), done);
        if (got <= 0) {
            *reading = true;
            return got < 0 ? errno : EIO;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t n = ::pwrite(to, buffer.data() + written, size_t(got - written), done + written);
            if (n <= 0) {
                *reading = false;
                return n < 0 ? errno : EIO;
            }
            written += n;
        }
        done += got;
    }
    return 0;
}

// Copies the open database's file whole into the empty file at `path`, while this connection holds it
// read-locked. Outside WAL mode nobody writes the database file while a reader holds its lock (a writer
// waits for the lock to commit, and a reader that finds the journal of a broken write rolls it back before
// it reads), so the bytes are the database as committed at that moment: the same copy the online backup
// makes page by page, in one step. False, with `path` still empty, where that does not hold: a WAL
// database (committed pages may wait in the log), a transaction of this connection's own, or a file that
// does not look like the one the connection reads. Raises DatabaseError for a failure while copying.
bool copyWholeFile(sqlite3 *handle, const QString &path, const QString &target) {
    if (!sqlite3_get_autocommit(handle))
        return false;
    const char *file = sqlite3_db_filename(handle, "main");
    if (!file || !*file)
        return false;
    {
        sqlite3_stmt *mode = nullptr;
        bool wal = true;
        if (sqlite3_prepare_v2(handle, "PRAGMA journal_mode", -1, &mode, nullptr) == SQLITE_OK &&
            sqlite3_step(mode) == SQLITE_ROW)
            wal = qstricmp(reinterpret_cast<const char *>(sqlite3_column_text(mode, 0)), "wal") == 0;
        sqlite3_finalize(mode);
        if (wal)
            return false;
    }
    // The read lock, held until the end of the copy; another program's write in progress is waited for.
    int rc = sqlite3_exec(handle, "BEGIN DEFERRED; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    const auto unlock = qScopeGuard([handle] { sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr); });
    if (rc != SQLITE_OK)
        throw DatabaseError(cannotSave(target, engineReason(rc, target)));
    const qint64 pages = pragmaValue(handle, "PRAGMA page_count");
    const qint64 pageSize = pragmaValue(handle, "PRAGMA page_size");
    const qint64 schema = pragmaValue(handle, "PRAGMA schema_version");
    const qint64 freePages = pragmaValue(handle, "PRAGMA freelist_count");
    if (pages <= 0 || pageSize <= 0)
        return false;

    const int source = ::open(file, O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return false;
    const auto closeSource = qScopeGuard([source] { ::close(source); });
    // The file at the connection's path must be the one it has open (not one renamed over it since), and
    // its header must tell what the connection reads.
    int moved = 1;
    struct stat status, atPath;
    if (sqlite3_file_control(handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved ||
        ::fstat(source, &status) != 0 || ::stat(file, &atPath) != 0 || status.st_dev != atPath.st_dev ||
        status.st_ino != atPath.st_ino)
        return false;
    unsigned char header[100];
    if (::pread(source, header, sizeof header, 0) != qint64(sizeof header) ||
        status.st_size < pages * pageSize || bigEndian(header + 28) != quint32(pages) ||
        bigEndian(header + 36) != quint32(freePages) || bigEndian(header + 40) != quint32(quint64(schema)))
        return false;

    const int copy = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (copy < 0)
        throw DatabaseError(cannotSave(target, FileWriter::reason(errno, target)));
    bool reading = false;
    const int error = copyBytes(source, copy, pages * pageSize, &reading);
    ::close(copy);
    if (error != 0)
        throw DatabaseError(cannotSave(target, reading ? QString::fromLocal8Bit(std::strerror(error))
                                                       : FileWriter::reason(error, target)));
    return true;
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
    if (!copyWholeFile(handle, file.temporaryPath(), target))
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
