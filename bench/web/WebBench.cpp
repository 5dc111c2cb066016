// Web forms of one session of a 30-pupil class on a whole school's generated archive (100 classes, 3,000
// pupils, about 2 million answers): the pages written to disk, the pages built in memory, and side by
// side the raw time of the queries they read.
#include "data/Database.h"
#include "platform/AppFolders.h"
#include "support/ArchiveGenerator.h"
#include "web/FormPages.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Archive {
    Archive() {
        folders.programFolder = dir.path() + QStringLiteral("/");
        folders.dataFolder = dir.path() + QStringLiteral("/");
        db.open(benchmarkArchive());
        session = db.scalar(QStringLiteral("SELECT ID FROM vyhodnoceni ORDER BY ID LIMIT 1")).toLongLong();
    }
    QTemporaryDir dir;
    AppFolders folders;
    Database db{QStringLiteral("bench-web")};
    qint64 session = 0;
};

Archive &archive() {
    static Archive a;
    return a;
}

void BM_GenerateFormPages(benchmark::State &state) {
    Archive &a = archive();
    int pages = 0;
    for (auto _ : state) {
        const auto result = FormPages::generate(a.db, a.folders, a.session);
        if (!result)
            state.SkipWithError("no forms");
        else
            pages = result->pages;
    }
    state.counters["pages"] = pages;
}

void BM_BuildFormPagesInMemory(benchmark::State &state) {
    Archive &a = archive();
    qint64 bytes = 0;
    for (auto _ : state) {
        const auto forms = SessionForms::read(a.db, a.session);
        bytes = 0;
        for (const SessionForms::Row &row : forms->respondents())
            bytes += FormPages::encodePage(FormPages::pupilPage(*forms, row)).size();
        bytes += FormPages::encodePage(FormPages::indexPage(*forms)).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}

// The statements the pages are built from, rows fetched and nothing else.
void BM_RawQueries(benchmark::State &state) {
    Archive &a = archive();
    const QStringList statements = {
        QStringLiteral("SELECT id_tridy, id_testu FROM vyhodnoceni WHERE ID = :s"),
        QStringLiteral(
            "SELECT ID, jmeno, prijmeni, pohlavi FROM zak WHERE id_tridy = (SELECT id_tridy FROM "
            "vyhodnoceni WHERE ID = :s) ORDER BY poradi, jmeno COLLATE czech, prijmeni COLLATE czech"),
        QStringLiteral(
            "SELECT ID, poradi, text_otazky, text_otazky_negativni, popis_pro_web, typ FROM otazky "
            "WHERE id_testu = (SELECT id_testu FROM vyhodnoceni WHERE ID = :s) ORDER BY poradi")};
    for (auto _ : state) {
        int rows = 0;
        for (const QString &sql : statements) {
            SqlQuery query(a.db, sql);
            query.bind(QStringLiteral("s"), a.session).exec();
            while (query.next())
                ++rows;
        }
        benchmark::DoNotOptimize(rows);
    }
}

} // namespace

BENCHMARK(BM_GenerateFormPages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildFormPagesInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawQueries)->Unit(benchmark::kMillisecond);
