// The sociometric analysis of one question of one session, beside the raw SQLite time of the statements
// that read the session: on a 30-pupil session of a whole school's generated archive, and on single classes
// of 10 to 300 pupils with 10 questions and 3 positive + 3 negative choices per question.
#include "analysis/SociometricAnalysis.h"
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "support/ArchiveGenerator.h"
#include "../RawStatements.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

// A session and the first of its questions that the analysis takes, in an open database.
struct Subject {
    Database db;
    qint64 session = 0, questionnaire = 0, classId = 0, question = 0;

    Subject(const QString &file, const QString &connection) : db(connection) {
        db.open(file);
        const QString first = QStringLiteral("SELECT %1 FROM vyhodnoceni ORDER BY ID LIMIT 1");
        session = db.scalar(first.arg(QLatin1String("ID"))).toLongLong();
        questionnaire = db.scalar(first.arg(QLatin1String("id_testu"))).toLongLong();
        classId = db.scalar(first.arg(QLatin1String("id_tridy"))).toLongLong();
        question = db.scalar(QStringLiteral("SELECT ID FROM otazky WHERE id_testu = :t AND typ = 0 AND "
                                            "text_otazky_negativni <> '' ORDER BY poradi, ID LIMIT 1"),
                             {{QStringLiteral("t"), questionnaire}})
                       .toLongLong();
    }
};

Subject &archive() {
    static Subject subject(benchmarkArchive(), QStringLiteral("bench-archive"));
    return subject;
}

// One class of that many pupils, one questionnaire of ten questions, one session; generated once per size.
Subject &singleClass(int pupils) {
    static QTemporaryDir dir;
    static std::map<int, std::unique_ptr<Subject>> made;
    auto &slot = made[pupils];
    if (!slot) {
        const QString file = dir.path() + QStringLiteral("/class%1.mdb").arg(pupils);
        {
            Database db(QStringLiteral("bench-make"));
            db.create(file);
            generateArchive(db, classSize(pupils));
        }
        slot = std::make_unique<Subject>(file, QStringLiteral("bench-class%1").arg(pupils));
    }
    return *slot;
}

void analyse(benchmark::State &state, Subject &subject) {
    int people = 0;
    for (auto _ : state) {
        const std::optional<SociometricAnalysis> analysis =
            Sociometry::analyse(subject.db, subject.session, subject.question);
        if (!analysis) {
            state.SkipWithError("no analysis");
            return;
        }
        people = analysis->n;
    }
    state.counters["pupils"] = people;
}

// The statements of the session read on the raw handle.
void rawStatements(benchmark::State &state, Subject &subject) {
    const std::map<QByteArray, qint64> ids = {{"s", subject.session}, {"t", subject.questionnaire}, {"c", subject.classId}};
    const QStringList statements = sessionOutputStatements();
    int rows = 0;
    QByteArray error;
    for (auto _ : state) {
        rows = stepStatements(subject.db, statements, ids, &error);
        if (rows < 0) {
            state.SkipWithError(error.constData());
            return;
        }
    }
    state.counters["rows"] = rows;
}

void BM_AnalysisArchiveSession(benchmark::State &state) { analyse(state, archive()); }
void BM_RawSqliteArchiveSession(benchmark::State &state) { rawStatements(state, archive()); }
void BM_AnalysisClass(benchmark::State &state) { analyse(state, singleClass(int(state.range(0)))); }
void BM_RawSqliteClass(benchmark::State &state) { rawStatements(state, singleClass(int(state.range(0)))); }

BENCHMARK(BM_AnalysisArchiveSession)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqliteArchiveSession)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisClass)->Arg(10)->Arg(30)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqliteClass)->Arg(10)->Arg(30)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace
