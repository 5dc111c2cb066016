// Bar chart of choices received for one session of a 30-pupil class with a 20-question questionnaire, on
// a whole school's generated archive (100 classes, 3,000 pupils, about 2 million answers): the build as
// the window runs it (counts, series, chart layout) beside the raw SQLite time of its statement.
#include "chart/ChartLayouter.h"
#include "chart/ChartModel.h"
#include "data/Database.h"
#include "graphics/BarChartBuilder.h"
#include "support/ArchiveGenerator.h"

#include <QGuiApplication>
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

void ensureApplication() {
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bar-chart-bench";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// The archive with one more session in its first class: a questionnaire of 20 classmate questions,
// each pupil choosing 5 classmates positively and 3 negatively per question.
struct Archive {
    Archive() {
        db.open(benchmarkArchive());
        classId = db.scalar(QStringLiteral("SELECT id_tridy FROM vyhodnoceni ORDER BY ID LIMIT 1")).toLongLong();
        QList<qint64> pupils;
        SqlQuery rows(db, QStringLiteral("SELECT ID FROM zak WHERE id_tridy = :c AND pohlavi IN ('muž', 'žena')"));
        rows.bind(QStringLiteral("c"), classId).exec();
        while (rows.next())
            pupils << rows.value(0).toLongLong();

        Transaction transaction(db);
        db.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES ('Dvacet otázek')"));
        const qint64 test = db.lastInsertId();
        QList<qint64> questions;
        for (int q = 0; q < 20; ++q) {
            db.exec(QStringLiteral("INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, typ, poradi) "
                                   "VALUES (:t, :a, :b, 0, :o)"),
                    {{QStringLiteral("t"), test},
                     {QStringLiteral("a"), QStringLiteral("Otázka %1").arg(q + 1)},
                     {QStringLiteral("b"), QStringLiteral("Záporná otázka %1").arg(q + 1)},
                     {QStringLiteral("o"), q + 1}});
            questions << db.lastInsertId();
        }
        db.exec(QStringLiteral("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum) VALUES (:c, :t, '2024-05-06')"),
                {{QStringLiteral("c"), classId}, {QStringLiteral("t"), test}});
        session = db.lastInsertId();
        QRandomGenerator random(15);
        SqlQuery insert(db, QStringLiteral("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, "
                                           "pozitivni) VALUES (:s, :q, :z, :p, :b)"));
        for (qint64 question : questions)
            for (qint64 pupil : pupils)
                for (int choice = 0; choice < 8; ++choice) {
                    insert.bind(QStringLiteral("s"), session)
                        .bind(QStringLiteral("q"), question)
                        .bind(QStringLiteral("z"), pupil)
                        .bind(QStringLiteral("p"), pupils.at(random.bounded(int(pupils.size()))))
                        .bind(QStringLiteral("b"), choice < 5 ? 1 : 0);
                    insert.exec();
                }
        transaction.commit();
        pupilCount = int(pupils.size());
    }

    Database db{QStringLiteral("bench")};
    qint64 classId = 0;
    qint64 session = 0;
    int pupilCount = 0;
};

Archive &archive() {
    static Archive a;
    return a;
}

// What the window does on a click: read the counts, put them into the chart and lay it out.
void BM_BuildBarChart(benchmark::State &state) {
    ensureApplication();
    Archive &a = archive();
    ChartModel chart;
    BarChartBuilder::setUp(chart);
    const BarChartFilter filter{QString::number(a.session), QStringLiteral("-1"), QStringLiteral("-1"), false};
    int series = 0;
    for (auto _ : state) {
        const BarChartData data = BarChartBuilder::read(a.db, filter);
        BarChartBuilder::fill(chart, data, data.defaultTitle, false);
        const ChartLayout layout = ChartLayouter::layout(chart, QSize(1280, 720), 96);
        benchmark::DoNotOptimize(layout.series.size());
        series = int(data.series.size());
    }
    state.counters["pupils"] = a.pupilCount;
    state.counters["series"] = series;
}
BENCHMARK(BM_BuildBarChart)->Unit(benchmark::kMillisecond);

// The counts alone, through the data layer.
void BM_ReadBarChartCounts(benchmark::State &state) {
    Archive &a = archive();
    const BarChartFilter filter{QString::number(a.session), QStringLiteral("-1"), QStringLiteral("-1"), false};
    for (auto _ : state)
        benchmark::DoNotOptimize(BarChartBuilder::read(a.db, filter).series.size());
}
BENCHMARK(BM_ReadBarChartCounts)->Unit(benchmark::kMillisecond);

// The same statement on the raw SQLite handle: prepare, bind, step through every row.
void BM_RawSqliteCounts(benchmark::State &state) {
    Archive &a = archive();
    sqlite3 *handle = *static_cast<sqlite3 *const *>(a.db.handle().driver()->handle().data());
    const QByteArray sql = BarChartBuilder::countsSql(false, false, false, false).toUtf8();
    const qint64 test = a.db.scalar(QStringLiteral("SELECT id_testu FROM vyhodnoceni WHERE ID = :s"),
                                    {{QStringLiteral("s"), a.session}})
                            .toLongLong();
    int rows = 0;
    for (auto _ : state) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(handle));
            break;
        }
        sqlite3_bind_int64(statement, sqlite3_bind_parameter_index(statement, ":s"), a.session);
        sqlite3_bind_int64(statement, sqlite3_bind_parameter_index(statement, ":c"), a.classId);
        sqlite3_bind_int64(statement, sqlite3_bind_parameter_index(statement, ":t"), test);
        rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(statement);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_RawSqliteCounts)->Unit(benchmark::kMillisecond);

} // namespace
