// Data module at the size of a whole school's archive: 100 classes, 3,000 pupils, 20 questionnaires of
// 10 questions, 1,000 sessions, about 2 million answers. The archive is generated once per run; every
// deletion works on a fresh copy of it.
#include "platform/AppFolders.h"
#include "support/ScriptedPrompter.h"
#include "support/ArchiveGenerator.h"
#include "data/AggregationQueries.h"
#include "data/DataModule.h"
#include "data/Database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

namespace {

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

// A data module over a database file, with every dataset opened as at start.
struct Module {
    explicit Module(const QString &file) {
        folders.programFolder = workDir().path() + QStringLiteral("/");
        folders.dataFolder = QFileInfo(file).absolutePath() + QStringLiteral("/");
        db.open(file);
        dm = std::make_unique<TDM>(db, folders, prompter);
        dm->openDatasets();
    }
    ~Module() { dm.reset(); }

    Database db{QStringLiteral("bench")};
    AppFolders folders;
    ScriptedPrompter prompter;
    std::unique_ptr<TDM> dm;
};

void BM_OpenDatasets(benchmark::State &state) {
    Module module(benchmarkArchive());
    for (auto _ : state) {
        module.dm->closeDatasets();
        module.dm->openDatasets();
    }
    state.counters["classes"] = module.dm->Trida_Query().recordCount();
}
BENCHMARK(BM_OpenDatasets)->Unit(benchmark::kMillisecond);

// Moving the class register to another class: the session list of the class is reloaded and the
// session menu's items are built.
void BM_ClassChange(benchmark::State &state) {
    Module module(benchmarkArchive());
    Dataset &classes = module.dm->Trida_Query();
    int sessions = 0;
    QObject::connect(module.dm.get(), &TDM::classChanged,
                     [&](qint64, const QList<SessionMenuItem> &items) { sessions = int(items.size()); });
    int row = 0;
    for (auto _ : state) {
        row = (row + 37) % classes.recordCount();
        classes.setCurrentRow(row);
    }
    state.counters["sessions"] = sessions;
}
BENCHMARK(BM_ClassChange)->Unit(benchmark::kMillisecond);

// Opening the roster of a class, as the pupil window does.
void BM_OpenRoster(benchmark::State &state) {
    Module module(benchmarkArchive());
    Dataset &roster = module.dm->Zak_Query();
    roster.setParameter(QStringLiteral("par_vse"), 0);
    qint64 classId = 1;
    for (auto _ : state) {
        classId = classId % 100 + 1;
        roster.setParameter(QStringLiteral("par_id_tridy"), classId);
        module.dm->RefreshDataset(roster);
    }
    state.counters["rows"] = roster.recordCount();
}
BENCHMARK(BM_OpenRoster)->Unit(benchmark::kMillisecond);

// Title-click sorts of the class register (100 classes) and of every pupil of the school (3,000 rows, as
// with "all classes"), in byte order (arg 0, as earlier versions sorted) and in Czech order (arg 1).
void BM_SortedList(benchmark::State &state, bool pupils) {
    Module module(benchmarkArchive());
    Dataset &list = pupils ? module.dm->Zak_Query() : module.dm->Trida_Query();
    if (pupils)
        list.setParameter(QStringLiteral("par_vse"), 1);
    const QString collate = state.range(0) ? QStringLiteral(" COLLATE czech") : QString();
    list.setLastSqlLine(pupils ? QStringLiteral("ORDER BY jmeno%1, prijmeni%1 ASC").arg(collate)
                               : QStringLiteral("ORDER BY tridni_ucitel%1 ASC").arg(collate));
    for (auto _ : state)
        module.dm->RefreshDataset(list);
    state.counters["rows"] = list.recordCount();
}
BENCHMARK_CAPTURE(BM_SortedList, classes, false)->ArgName("czech")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortedList, pupils, true)->ArgName("czech")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The answer aggregations of one session of a class (32 rows of the class, 10 questions, about 2,000
// answers), as the textual evaluation and the bar chart read them: through the data module's dataset
// (arg 0) and, for comparison, the same statement through the engine's C interface (arg 1), which binds
// the same parameters and reads every column of every row. Queries: 0 = Odpovedi_Query, 1 = ADOQuery2.
struct SessionKey {
    qint64 session = 0;
    qint64 questionnaire = 0;
    qint64 classId = 0;
};

SessionKey sessionOfClass(Database &db, qint64 classId) {
    SqlQuery query(
        db, QStringLiteral("SELECT ID, id_testu, id_tridy FROM vyhodnoceni WHERE id_tridy = :c ORDER BY ID"));
    query.bind(QStringLiteral("c"), classId).exec();
    if (!query.next())
        return {};
    return {query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toLongLong()};
}

sqlite3 *engineHandle(Database &db) {
    const QVariant handle = db.handle().driver()->handle();
    return handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
               ? *static_cast<sqlite3 *const *>(handle.data())
               : nullptr;
}

// Prepares, binds by name, steps over every row reading each column, finalizes; the number of rows.
int runDirect(sqlite3 *handle, const QByteArray &sql, const SessionKey &key) {
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        return -1;
    for (int i = 1; i <= sqlite3_bind_parameter_count(statement); ++i) {
        const QByteArray name = QByteArray(sqlite3_bind_parameter_name(statement, i)).toLower();
        const qint64 value = name.startsWith(":par_id_vyhodnoceni") ? key.session
                             : name.startsWith(":par_id_testu")     ? key.questionnaire
                                                                    : key.classId;
        sqlite3_bind_int64(statement, i, value);
    }
    int rows = 0;
    std::size_t bytes = 0;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                bytes += std::size_t(sqlite3_column_int64(statement, c) & 1);
                break;
            case SQLITE_TEXT:
                bytes += std::size_t(sqlite3_column_bytes(statement, c)) +
                         (sqlite3_column_text(statement, c) != nullptr ? 1 : 0);
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(bytes);
    return rows;
}

void BM_AnswerAggregation(benchmark::State &state) {
    Module module(benchmarkArchive());
    const SessionKey key = sessionOfClass(module.db, 50);
    Dataset &dataset = state.range(0) == 0 ? module.dm->Odpovedi_Query() : module.dm->ADOQuery2();
    const bool direct = state.range(1) == 1;
    AggregationQueries::setParameters(dataset, key.session, key.questionnaire, key.classId);
    sqlite3 *handle = engineHandle(module.db);
    const QByteArray sql = dataset.sqlText().toUtf8();
    int rows = 0;
    for (auto _ : state) {
        if (direct) {
            rows = runDirect(handle, sql, key);
        } else {
            module.dm->RefreshDataset(dataset);
            rows = dataset.recordCount();
        }
    }
    if (rows <= 0)
        state.SkipWithError("the statement returned no rows");
    state.counters["rows"] = rows;
    state.counters["answers"] =
        double(module.db
                   .scalar(QStringLiteral("SELECT count(*) FROM odpovedi WHERE id_vyhodnoceni = :s"),
                           {{"s", key.session}})
                   .toLongLong());
}
BENCHMARK(BM_AnswerAggregation)
    ->ArgNames({"query", "direct"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

enum class Kind { Class, Pupil, Questionnaire, Question, Session };

Dataset &positionFor(TDM &dm, Kind kind) {
    switch (kind) {
    case Kind::Class:
        dm.Trida_Query().setCurrentRow(50);
        return dm.Trida_Query();
    case Kind::Pupil:
        dm.Trida_Query().setCurrentRow(50);
        dm.Zak_Query().setParameter(QStringLiteral("par_id_tridy"), dm.currentClassId());
        dm.Zak_Query().setParameter(QStringLiteral("par_vse"), 0);
        dm.RefreshDataset(dm.Zak_Query());
        dm.Zak_Query().setSelectedRows({3});
        return dm.Zak_Query();
    case Kind::Questionnaire:
        dm.Testy_Query().setCurrentRow(5);
        return dm.Testy_Query();
    case Kind::Question:
        dm.Otazky_Query().setParameter(QStringLiteral("par_id_testu"), 6);
        dm.RefreshDataset(dm.Otazky_Query());
        dm.Otazky_Query().setCurrentRow(2);
        return dm.Otazky_Query();
    case Kind::Session:
        dm.Trida_Query().setCurrentRow(50);
        dm.Vyhodnoceni_Query().setCurrentRow(3);
        return dm.Vyhodnoceni_Query();
    }
    return dm.Trida_Query();
}

void BM_CascadingDeletion(benchmark::State &state) {
    const Kind kind = static_cast<Kind>(state.range(0));
    const QString copy = workDir().filePath(QStringLiteral("kopie.mdb"));
    qint64 before = 0, after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        if (!QFile::copy(benchmarkArchive(), copy)) {
            state.SkipWithError("cannot copy the archive");
            break;
        }
        {
            Module module(copy);
            Dataset &dataset = positionFor(*module.dm, kind);
            before = module.db.scalar(QStringLiteral("SELECT count(*) FROM odpovedi")).toLongLong();
            module.prompter.yes().yes();
            state.ResumeTiming();
            dataset.deleteRecord();
            state.PauseTiming();
            after = module.db.scalar(QStringLiteral("SELECT count(*) FROM odpovedi")).toLongLong();
        }
        state.ResumeTiming();
    }
    state.counters["answers_deleted"] = double(before - after);
}
BENCHMARK(BM_CascadingDeletion)
    ->ArgName("kind")
    ->Arg(int(Kind::Class))
    ->Arg(int(Kind::Pupil))
    ->Arg(int(Kind::Questionnaire))
    ->Arg(int(Kind::Question))
    ->Arg(int(Kind::Session))
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
