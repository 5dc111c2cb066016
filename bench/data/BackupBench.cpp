// The backup of the whole school's generated archive (100 classes, 3,000 pupils, about 2 million answers,
// 143 MB) side by side with its raw counterparts, every one synced to disk and renamed into place:
//   backup       DatabaseMaintenance::backup: the file whole, read-locked
//   page_steps   the engine's online backup, all pages in one sqlite3_backup_step (the earlier way)
//   plain_copy   the same bytes copied with copy_file_range(2), fsync, rename
#include "data/Database.h"
#include "data/DatabaseMaintenance.h"
#include "support/ArchiveGenerator.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Archive {
    Archive() { db.open(benchmarkArchive()); }
    QTemporaryDir dir;
    Database db{QStringLiteral("bench-backup")};
    QString target(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

Archive &archive() {
    static Archive a;
    return a;
}

bool syncAndRename(const QString &temporary, const QString &target) {
    const int fd = ::open(QFile::encodeName(temporary).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return synced && ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) == 0;
}

void BM_Backup(benchmark::State &state) {
    Archive &a = archive();
    const QString target = a.target("zaloha.mdb");
    for (auto _ : state)
        DatabaseMaintenance::backup(a.db, target);
    state.counters["MB"] = double(QFileInfo(target).size()) / 1e6;
}

void BM_PageSteps(benchmark::State &state) {
    Archive &a = archive();
    const QString temporary = a.target("kroky.tmp"), target = a.target("kroky.mdb");
    for (auto _ : state) {
        QFile::remove(temporary);
        sqlite3 *destination = nullptr;
        sqlite3_open(QFile::encodeName(temporary).constData(), &destination);
        sqlite3_backup *backup = sqlite3_backup_init(destination, "main", a.db.engine(), "main");
        const int rc = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
        sqlite3_backup_finish(backup);
        sqlite3_close(destination);
        if (rc != SQLITE_DONE || !syncAndRename(temporary, target))
            state.SkipWithError("backup failed");
    }
    state.counters["MB"] = double(QFileInfo(target).size()) / 1e6;
}

void BM_PlainCopy(benchmark::State &state) {
    Archive &a = archive();
    const QString temporary = a.target("kopie.tmp"), target = a.target("kopie.mdb");
    for (auto _ : state) {
        const int in = ::open(QFile::encodeName(benchmarkArchive()).constData(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        struct stat status;
        ::fstat(in, &status);
        for (off_t left = status.st_size; left > 0;) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
            if (n <= 0) {
                state.SkipWithError("copy failed");
                break;
            }
            left -= n;
        }
        ::close(in);
        ::close(out);
        if (!syncAndRename(temporary, target))
            state.SkipWithError("copy failed");
    }
    state.counters["MB"] = double(QFileInfo(target).size()) / 1e6;
}

} // namespace

BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);
