// Web forms of one session, side by side with their raw counterparts: for a 30-pupil class of the whole
// school's generated archive (100 classes, 3,000 pupils, about 2 million answers) and for single classes
// of 100 and 300 pupils (ten questions, eight of them classmate questions with a negative wording).
// Names below are the benchmarks' (BM_Forms, BM_RawWrite, BM_PerFileSync, BM_Pages, BM_RawQueries):
//   forms        FormPages::generate: read, build, write a new folder, one sync, swap into place
//   pages        the pupils' pages built in memory only (PupilPages)
//   raw_write    the same bytes written over the previous files with write(2), one syncfs
//   per_file     the same bytes through FileWriter one file at a time, a sync per file (the earlier way)
//   raw_queries  the statements the pages are read from, through the C API (RawStatements.h)
#include "../RawStatements.h"
#include "data/Database.h"
#include "files/FileWriter.h"
#include "platform/AppFolders.h"
#include "support/ArchiveGenerator.h"
#include "web/FormPages.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace {

struct Subject {
    explicit Subject(const QString &file) {
        folders.programFolder = dir.path() + QStringLiteral("/");
        folders.dataFolder = dir.path() + QStringLiteral("/");
        db.open(file);
        session = db.scalar(QStringLiteral("SELECT ID FROM vyhodnoceni ORDER BY ID LIMIT 1")).toLongLong();
        // The pupils' codes are made by the first generation; the figures are those of making pages again.
        const auto first = FormPages::generate(db, folders, session);
        if (first) {
            pages = first->pages;
            for (const QString &name : first->files)
                files.append({name, readAll(first->folder + name)});
        }
    }
    static QByteArray readAll(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    qint64 bytes() const {
        qint64 total = 0;
        for (const auto &file : files)
            total += file.second.size();
        return total;
    }
    QTemporaryDir dir;
    AppFolders folders;
    Database db{QStringLiteral("bench-web-") + QString::number(quintptr(this))};
    qint64 session = 0;
    int pages = 0;
    QList<QPair<QString, QByteArray>> files; // what one generation writes
};

// 0: the 30-pupil session of the archive; otherwise a single class of that many pupils.
Subject &subject(int pupils) {
    // Kept to the end of the process: the SQL connections must not outlive Qt's registry of them.
    static auto *made = new std::map<int, std::unique_ptr<Subject>>;
    auto &slot = (*made)[pupils];
    if (!slot)
        slot = std::make_unique<Subject>(pupils == 0 ? benchmarkArchive() : benchmarkClass(pupils));
    return *slot;
}

void counters(benchmark::State &state, const Subject &s) {
    state.counters["pages"] = s.pages;
    state.counters["MB"] = double(s.bytes()) / 1e6;
}

void BM_Forms(benchmark::State &state) {
    Subject &s = subject(int(state.range(0)));
    for (auto _ : state)
        if (!FormPages::generate(s.db, s.folders, s.session))
            state.SkipWithError("no forms");
    counters(state, s);
}

void BM_Pages(benchmark::State &state) {
    Subject &s = subject(int(state.range(0)));
    for (auto _ : state) {
        const auto forms = SessionForms::read(s.db, s.session);
        const FormPages::PupilPages pages(*forms);
        qint64 bytes = 0;
        for (const SessionForms::Row &row : forms->respondents())
            bytes += pages.page(row).size();
        benchmark::DoNotOptimize(bytes);
    }
    counters(state, s);
}

void BM_RawWrite(benchmark::State &state) {
    Subject &s = subject(int(state.range(0)));
    // Written over in place from the second round on, as the pages replace those of the previous
    // generation (freeing the old blocks is part of it).
    const QString folder = s.dir.filePath(QStringLiteral("raw"));
    QDir().mkpath(folder);
    for (auto _ : state) {
        for (const auto &[name, bytes] : s.files) {
            const int fd = ::open(QFile::encodeName(folder + u'/' + name).constData(),
                                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
                state.SkipWithError("cannot write");
            ::close(fd);
        }
        const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::syncfs(dir);
        ::close(dir);
    }
    counters(state, s);
}

void BM_PerFileSync(benchmark::State &state) {
    Subject &s = subject(int(state.range(0)));
    const QString folder = s.dir.filePath(QStringLiteral("per_file/"));
    QDir().mkpath(folder);
    for (auto _ : state)
        for (const auto &[name, bytes] : s.files)
            if (!FileWriter::writeWhole(folder + name, bytes, nullptr))
                state.SkipWithError("cannot write");
    counters(state, s);
}

void BM_RawQueries(benchmark::State &state) {
    Subject &s = subject(int(state.range(0)));
    const QStringList statements = {
        QStringLiteral("SELECT id_tridy, id_testu FROM vyhodnoceni WHERE ID = :s"),
        QStringLiteral(
            "SELECT ID, jmeno, prijmeni, pohlavi FROM zak WHERE id_tridy = (SELECT id_tridy FROM "
            "vyhodnoceni WHERE ID = :s) ORDER BY poradi, jmeno COLLATE czech, prijmeni COLLATE czech"),
        QStringLiteral(
            "SELECT ID, poradi, text_otazky, text_otazky_negativni, popis_pro_web, typ FROM otazky "
            "WHERE id_testu = (SELECT id_testu FROM vyhodnoceni WHERE ID = :s) ORDER BY poradi"),
        QStringLiteral("SELECT id_zaka, kod FROM kody_zaku WHERE id_vyhodnoceni = :s")};
    QByteArray error;
    for (auto _ : state)
        if (stepStatements(s.db, statements, {{"s", s.session}}, &error) < 0)
            state.SkipWithError(error.constData());
    counters(state, s);
}

void sizes(benchmark::internal::Benchmark *b) {
    b->ArgName("pupils")->Arg(0)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Forms)->Apply(sizes);
BENCHMARK(BM_RawWrite)->Apply(sizes);
BENCHMARK(BM_PerFileSync)->Apply(sizes);
BENCHMARK(BM_Pages)->Apply(sizes);
BENCHMARK(BM_RawQueries)->Apply(sizes);
