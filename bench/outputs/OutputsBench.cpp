// The outputs built on the answer aggregations and the session read: the textual evaluation (`report`,
// plain and with --names --zeros), the answer counts (`export counts`) and the sociometric analysis
// (`analysis`) and the sociogram (`sociogram --out FILE.sgp`, the bands), each made in-process by the headless command's own function, beside the raw SQLite time of
// the statements it runs, stepped through the engine's C interface with every column of every row taken
// (bench/RawStatements.h). Subjects
// (arg `pupils`): 30 = a 30-pupil session of the generated school archive (100 classes, 1,000 sessions,
// about 2 million answers); 100 and 300 = a single class of that size with 10 questions and 3 positive +
// 3 negative choices per classmate question.
#include "../GuiApplication.h"
#include "../RawStatements.h"
#include "cli/AnalysisCommand.h"
#include "cli/ReportCommand.h"
#include "cli/SessionCommands.h"
#include "cli/SociogramCommand.h"
#include "data/AggregationQueries.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "platform/AppFolders.h"
#include "support/ArchiveGenerator.h"
#include "support/ScriptedPrompter.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

// A session, its questionnaire and class, and the first classmate question with a negative wording, in an
// open database with a data module (as `orbelis-cli export` makes one).
struct Subject {
    Database db;
    AppFolders folders;
    ScriptedPrompter prompter;
    std::unique_ptr<TDM> dm;
    qint64 session = 0, questionnaire = 0, classId = 0, question = 0;

    Subject(const QString &file, const QString &connection, qint64 classOfSession) : db(connection) {
        db.open(file);
        folders.programFolder = workDir().path() + u'/';
        folders.dataFolder = workDir().path() + u'/';
        dm = std::make_unique<TDM>(db, folders, prompter);
        const QVariantMap byClass = {{QStringLiteral("c"), classOfSession}};
        const QString first =
            QStringLiteral("SELECT %1 FROM vyhodnoceni WHERE id_tridy = :c ORDER BY ID LIMIT 1");
        session = db.scalar(first.arg(QLatin1String("ID")), byClass).toLongLong();
        questionnaire = db.scalar(first.arg(QLatin1String("id_testu")), byClass).toLongLong();
        classId = classOfSession;
        question = db.scalar(QStringLiteral("SELECT ID FROM otazky WHERE id_testu = :t AND typ = 0 AND "
                                            "text_otazky_negativni <> '' ORDER BY poradi, ID LIMIT 1"),
                             {{QStringLiteral("t"), questionnaire}})
                       .toLongLong();
    }
};

Subject &subject(int pupils) {
    // Kept to the end of the process: closed after QtSql's own globals are gone, a connection would crash.
    static auto &made = *new std::map<int, std::unique_ptr<Subject>>;
    auto &slot = made[pupils];
    if (slot)
        return *slot;
    if (pupils == 30) {
        // A class in the middle of the archive, as the data benchmarks take it.
        slot = std::make_unique<Subject>(benchmarkArchive(), QStringLiteral("bench-outputs-archive"), 50);
        return *slot;
    }
    const QString file = workDir().filePath(QStringLiteral("class%1.mdb").arg(pupils));
    {
        Database db(QStringLiteral("bench-outputs-make"));
        db.create(file);
        generateArchive(db, classSize(pupils));
    }
    slot = std::make_unique<Subject>(file, QStringLiteral("bench-outputs-class%1").arg(pupils), 1);
    return *slot;
}

// Runs a command's function and checks that it succeeded and wrote something.
template <typename Command> void runCommand(benchmark::State &state, Command command) {
    qsizetype size = 0;
    for (auto _ : state) {
        QString text, errors;
        QTextStream out(&text), err(&errors);
        if (command(out, err) != 0) {
            err.flush();
            state.SkipWithError(qPrintable(errors));
            return;
        }
        out.flush();
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["chars"] = double(size);
}

QStringList sessionArgs(const Subject &s) {
    return {QStringLiteral("--session"), QString::number(s.session)};
}

void BM_Report(benchmark::State &state) {
    Subject &s = subject(int(state.range(0)));
    QStringList args = sessionArgs(s);
    if (state.range(1))
        args << QStringLiteral("--names") << QStringLiteral("--zeros");
    runCommand(state,
               [&](QTextStream &out, QTextStream &err) { return runReportCommand(args, s.db, out, err); });
}

void BM_ExportCounts(benchmark::State &state) {
    Subject &s = subject(int(state.range(0)));
    const QStringList args = QStringList{QStringLiteral("counts")} + sessionArgs(s);
    runCommand(state,
               [&](QTextStream &out, QTextStream &err) { return runExportCommand(args, *s.dm, out, err); });
}

void BM_Analysis(benchmark::State &state) {
    Subject &s = subject(int(state.range(0)));
    const QStringList args = sessionArgs(s) << QStringLiteral("--question") << QString::number(s.question);
    runCommand(state,
               [&](QTextStream &out, QTextStream &err) { return runAnalysisCommand(args, s.db, out, err); });
}

void BM_Sociogram(benchmark::State &state) {
    ensureGuiApplication();
    Subject &s = subject(int(state.range(0)));
    const QStringList args = sessionArgs(s) << QStringLiteral("--question") << QString::number(s.question)
                                            << QStringLiteral("--out")
                                            << workDir().filePath(QStringLiteral("sociogram.sgp"));
    runCommand(state,
               [&](QTextStream &out, QTextStream &err) { return runSociogramCommand(args, *s.dm, out, err); });
}

// The raw side: the statements of the output, each parameter bound by its name as the output binds it
// (:s, :t, :c of the session read, :q its question; the session, questionnaire or class by the prefix of an aggregation's).
void rawStatements(benchmark::State &state, const QStringList &statements) {
    Subject &s = subject(int(state.range(0)));
    std::map<QByteArray, qint64> ids = {{"s", s.session}, {"t", s.questionnaire}, {"c", s.classId}, {"q", s.question}};
    static const QRegularExpression parameter(QStringLiteral(":(par_id_(vyhodnoceni|testu|tridy)\\w*)"));
    for (const QString &statement : statements)
        for (auto it = parameter.globalMatch(statement); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            const QString kind = match.captured(2);
            ids[match.captured(1).toUtf8()] = kind == QLatin1String("vyhodnoceni") ? s.session
                                              : kind == QLatin1String("testu")     ? s.questionnaire
                                                                                   : s.classId;
        }
    int rows = 0;
    QByteArray error;
    for (auto _ : state) {
        rows = stepStatements(s.db, statements, ids, &error, true);
        if (rows < 0) {
            state.SkipWithError(error.constData());
            return;
        }
    }
    state.counters["rows"] = rows;
}

// What readSession runs before an output: the session with its class and questionnaire, the questions.
QStringList sessionHead() {
    return sessionOutputStatements().mid(0, 2);
}

void BM_ReportRaw(benchmark::State &state) {
    rawStatements(state, sessionHead()
                             << AggregationQueries::statementText(AggregationQueries::whoChoseWhomSql()));
}
void BM_ExportCountsRaw(benchmark::State &state) {
    rawStatements(state, sessionHead()
                             << AggregationQueries::statementText(AggregationQueries::answerCountsSql()));
}
void BM_AnalysisRaw(benchmark::State &state) {
    rawStatements(state, sessionOutputStatements());
}

// The sociogram reads the session, the roster and the answers to its question.
void BM_SociogramRaw(benchmark::State &state) {
    rawStatements(state, sessionHead() << sessionQuestionStatements());
}

void sizes(benchmark::internal::Benchmark *b) {
    b->ArgName("pupils")->Arg(30)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Report)
    ->ArgNames({"pupils", "names_zeros"})
    ->ArgsProduct({{30, 100, 300}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportRaw)->Apply(sizes);
BENCHMARK(BM_ExportCounts)->Apply(sizes);
BENCHMARK(BM_ExportCountsRaw)->Apply(sizes);
BENCHMARK(BM_Analysis)->Apply(sizes);
BENCHMARK(BM_AnalysisRaw)->Apply(sizes);
BENCHMARK(BM_Sociogram)->Apply(sizes);
BENCHMARK(BM_SociogramRaw)->Apply(sizes);

} // namespace
