// The comparison of two 30-pupil sessions of one class of the generated archive of a whole school, and the
// course of a 30-pupil class over ten sessions, each beside the raw SQLite time of the statements it runs.
#include "analysis/SurveyComparison.h"
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "support/ArchiveGenerator.h"
#include "../RawStatements.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>

namespace {

// A class and its sessions oldest first, the questionnaire of each and its first choice question with both
// wordings.
struct Subject {
    Database db;
    qint64 classId = 0;
    QList<qint64> sessions, questionnaires, questions;
    QString questionText; // of the first session's question

    Subject(const QString &file, const QString &connection) : db(connection) {
        db.open(file);
        classId = db.scalar(QStringLiteral("SELECT id_tridy FROM vyhodnoceni ORDER BY ID LIMIT 1")).toLongLong();
        const QList<OutputSessionItem> items = readClassSessions(db, classId);
        for (auto item = items.crbegin(); item != items.crend(); ++item) {
            const std::optional<SessionOutputData> session = readSession(db, item->id);
            sessions << item->id;
            questionnaires << session->questionnaire.id;
            questions << 0;
            for (const OutputQuestion &q : session->questionnaire.questions)
                if (q.typ.toInt() == 0 && !q.textOtazkyNegativni.isEmpty()) {
                    questions.last() = q.id;
                    break;
                }
        }
        questionText = readQuestionOutput(db, questions.first())->textOtazky;
    }
};

// The first class of the archive: its sessions have different questionnaires, so the teacher names the
// question of the later one.
Subject &archive() {
    static Subject s(benchmarkArchive(), QStringLiteral("bench-comparison"));
    return s;
}

// One class of 30 pupils surveyed ten times with one questionnaire of ten questions.
Subject &tenSurveys() {
    static QTemporaryDir dir;
    static Subject s = [] {
        const QString file = dir.path() + QStringLiteral("/ten.mdb");
        {
            Database db(QStringLiteral("bench-comparison-make"));
            db.create(file);
            ArchiveSize size;
            size.classes = 1;
            size.pupilsPerClass = 30;
            size.questionnaires = 1;
            size.questionsPerQuestionnaire = 10;
            size.sessionsPerClass = 10;
            size.positiveChoices = 3;
            size.negativeChoices = 3;
            generateArchive(db, size);
        }
        return Subject(file, QStringLiteral("bench-comparison-ten"));
    }();
    return s;
}

int rawSession(Subject &s, int index, QByteArray *error) {
    const std::map<QByteArray, qint64> ids = {
        {"s", s.sessions[index]}, {"t", s.questionnaires[index]}, {"c", s.classId}};
    return stepStatements(s.db, sessionOutputStatements(), ids, error);
}

void BM_CompareTwoSessions(benchmark::State &state) {
    Subject &s = archive();
    int pupils = 0;
    for (auto _ : state) {
        QString reason;
        const std::optional<SurveyComparison> c =
            Comparison::compare(s.db, s.sessions[0], s.questions[0], s.sessions[1], s.questions[1], &reason);
        if (!c) {
            state.SkipWithError(reason.toUtf8().constData());
            return;
        }
        pupils = int(c->pupils.size());
    }
    state.counters["pupils"] = pupils;
}

void BM_RawSqliteCompareTwoSessions(benchmark::State &state) {
    Subject &s = archive();
    QByteArray error;
    for (auto _ : state)
        if (rawSession(s, 0, &error) < 0 || rawSession(s, 1, &error) < 0) {
            state.SkipWithError(error.constData());
            return;
        }
}

void BM_TrendOfClass(benchmark::State &state) {
    Subject &s = tenSurveys();
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
    Subject &s = tenSurveys();
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
