// Groups formed from a session's choices: 40 pupils in 8 groups with the gender balance (the speed the
// arrangement promises: under 2 s on one core), 26 pupils in 4 groups, 30 pupils in desk pairs, beside the
// raw SQLite time of the statements that read the session. The counters give the score reached and, as
// optimum_*, the best score the Z3 solver proves for the same request (optimum_proven 0: it ran out of its
// minute).
#include "../RawStatements.h"
#include "GroupingOptimum.h"
#include "analysis/grouping/Grouping.h"
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "support/ArchiveGenerator.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

struct Subject {
    explicit Subject(const QString &connection) : db(connection) {}
    Database db;
    qint64 session = 0, questionnaire = 0, classId = 0, question = 0;
};

// One generated class of that many pupils with three questions; made once per size.
Subject &singleClass(int pupils) {
    static QTemporaryDir dir;
    static std::map<int, std::unique_ptr<Subject>> made;
    auto &slot = made[pupils];
    if (!slot) {
        const QString file = dir.path() + QStringLiteral("/class%1.mdb").arg(pupils);
        {
            Database db(QStringLiteral("bench-make"));
            db.create(file);
            generateArchive(db, classSize(pupils, 3, 1));
        }
        slot = std::make_unique<Subject>(QStringLiteral("bench-class%1").arg(pupils));
        Subject &s = *slot;
        s.db.open(file);
        const QString first = QStringLiteral("SELECT %1 FROM vyhodnoceni ORDER BY ID LIMIT 1");
        s.session = s.db.scalar(first.arg(QLatin1String("ID"))).toLongLong();
        s.questionnaire = s.db.scalar(first.arg(QLatin1String("id_testu"))).toLongLong();
        s.classId = s.db.scalar(first.arg(QLatin1String("id_tridy"))).toLongLong();
        s.question = s.db.scalar(QStringLiteral("SELECT ID FROM otazky WHERE id_testu = :t AND typ = 0 ORDER BY poradi, "
                                                "ID LIMIT 1"),
                                 {{QStringLiteral("t"), s.questionnaire}})
                         .toLongLong();
    }
    return *slot;
}

void arrange(benchmark::State &state, int pupils, Grouping::SizeMode mode, int groups, bool balance) {
    Subject &subject = singleClass(pupils);
    Grouping::Request request;
    request.session = subject.session;
    request.questions = {subject.question};
    request.mode = mode;
    request.groups = groups;
    request.balanceGender = balance;
    Grouping::Score score;
    for (auto _ : state) {
        QString reason;
        const std::optional<Grouping::Result> result = Grouping::arrange(subject.db, request, &reason);
        if (!result) {
            state.SkipWithError(reason.toUtf8().constData());
            return;
        }
        score = result->score;
    }
    state.counters["unmatched"] = score.unmatched;
    state.counters["unwanted"] = score.unwanted;
    state.counters["rejections"] = score.rejectionsInside;
    state.counters["mutual"] = score.mutualKept;
    state.counters["honoured"] = score.choicesHonoured;

    QString error;
    const QList<GroupingOptimum::Optimum> optimum = GroupingOptimum::solve(
        {GroupingOptimum::problem(*readSessionOutput(subject.db, subject.session), request)}, 60, &error);
    const bool proven = !optimum.isEmpty() && optimum[0].kind == GroupingOptimum::Optimum::Kind::Proven;
    state.counters["optimum_proven"] = proven;
    if (proven) {
        const std::array<int, 5> &best = optimum[0].key;
        state.counters["optimum_unmatched"] = best[0];
        state.counters["optimum_unwanted"] = best[1];
        state.counters["optimum_rejections"] = best[2];
        state.counters["optimum_mutual"] = -best[3];
        state.counters["optimum_honoured"] = -best[4];
    }
}

void rawStatements(benchmark::State &state, int pupils) {
    Subject &subject = singleClass(pupils);
    const std::map<QByteArray, qint64> ids = {{"s", subject.session}, {"t", subject.questionnaire}, {"c", subject.classId}};
    const QStringList statements = sessionOutputStatements();
    QByteArray error;
    for (auto _ : state)
        if (stepStatements(subject.db, statements, ids, &error) < 0) {
            state.SkipWithError(error.constData());
            return;
        }
}

void BM_Groups40In8Balanced(benchmark::State &state) { arrange(state, 40, Grouping::SizeMode::Groups, 8, true); }
void BM_RawSqlite40(benchmark::State &state) { rawStatements(state, 40); }
void BM_Groups26In4Balanced(benchmark::State &state) {
    arrange(state, 26, Grouping::SizeMode::Groups, 4, true);
}
void BM_RawSqlite26(benchmark::State &state) {
    rawStatements(state, 26);
}
void BM_DeskPairs30(benchmark::State &state) { arrange(state, 30, Grouping::SizeMode::Pairs, 0, false); }
void BM_RawSqlite30(benchmark::State &state) { rawStatements(state, 30); }

BENCHMARK(BM_Groups40In8Balanced)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqlite40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Groups26In4Balanced)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqlite26)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeskPairs30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqlite30)->Unit(benchmark::kMillisecond);

} // namespace
