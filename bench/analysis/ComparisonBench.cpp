// The comparison of two 30-pupil sessions of one class and the course of a class over its ten sessions, on
// the generated archive of a whole school, each beside the raw SQLite time of the statements it runs.
#include "analysis/SurveyComparison.h"
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "support/ArchiveGenerator.h"
#include "../RawStatements.h"

#include <benchmark/benchmark.h>
#include <map>

namespace {

// The first class of the archive, its sessions oldest first, and the first choice question with both
// wordings of the first session's questionnaire.
struct Subject {
    Database db{QStringLiteral("bench-comparison")};
    qint64 classId = 0, question = 0;
    QList<qint64> sessions;
    QList<qint64> questionnaires;
    QString questionText;

    Subject() {
        db.open(benchmarkArchive());
        classId = db.scalar(QStringLiteral("SELECT id_tridy FROM vyhodnoceni ORDER BY ID LIMIT 1")).toLongLong();
        QList<OutputSessionItem> items = readClassSessions(db, classId);
        for (auto item = items.crbegin(); item != items.crend(); ++item)
            sessions << item->id;
        const std::optional<SessionOutputData> first = readSession(db, sessions.first());
        for (const OutputQuestion &q : first->questionnaire.questions)
            if (q.typ.toInt() == 0 && !q.textOtazkyNegativni.isEmpty()) {
                question = q.id;
                questionText = q.textOtazky;
                break;
            }
        for (qint64 session : sessions)
            questionnaires << readSession(db, session)->questionnaire.id;
    }
};

Subject &subject() {
    static Subject s;
    return s;
}

int rawSession(Subject &s, int index, QByteArray *error) {
    const std::map<QByteArray, qint64> ids = {
        {"s", s.sessions[index]}, {"t", s.questionnaires[index]}, {"c", s.classId}};
    return stepStatements(s.db, sessionOutputStatements(), ids, error);
}

void BM_CompareTwoSessions(benchmark::State &state) {
    Subject &s = subject();
    int pupils = 0;
    for (auto _ : state) {
        const std::optional<SurveyComparison> c =
            Comparison::compare(s.db, s.sessions[0], s.question, s.sessions[1], std::nullopt);
        if (!c) {
            state.SkipWithError("no comparison");
            return;
        }
        pupils = int(c->pupils.size());
    }
    state.counters["pupils"] = pupils;
}

void BM_RawSqliteCompareTwoSessions(benchmark::State &state) {
    Subject &s = subject();
    QByteArray error;
    for (auto _ : state)
        if (rawSession(s, 0, &error) < 0 || rawSession(s, 1, &error) < 0) {
            state.SkipWithError(error.constData());
            return;
        }
}

void BM_TrendOfClass(benchmark::State &state) {
    Subject &s = subject();
    int sessions = 0;
    for (auto _ : state) {
        const std::optional<SurveyTrend> t = Comparison::trend(s.db, s.classId, s.questionText);
        if (!t) {
            state.SkipWithError("no trend");
            return;
        }
        sessions = int(t->sessions.size());
    }
    state.counters["sessions"] = sessions;
}

void BM_RawSqliteTrendOfClass(benchmark::State &state) {
    Subject &s = subject();
    QByteArray error;
    for (auto _ : state) {
        if (stepStatements(s.db, classOutputStatements(), {{"c", s.classId}}, &error) < 0) {
            state.SkipWithError(error.constData());
            return;
        }
        for (int i = 0; i < s.sessions.size(); ++i)
            if (rawSession(s, i, &error) < 0) {
                state.SkipWithError(error.constData());
                return;
            }
    }
    state.counters["sessions"] = double(s.sessions.size());
}

BENCHMARK(BM_CompareTwoSessions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqliteCompareTwoSessions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrendOfClass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqliteTrendOfClass)->Unit(benchmark::kMillisecond);

} // namespace
