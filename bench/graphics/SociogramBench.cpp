// Sociogram of one session of a 30-pupil class, built and arranged on a whole school's generated archive
// (100 classes, 3,000 pupils, about 2 million answers), as the window builds it after a question click.
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/SessionOutput.h"
#include "graph/GraphDocument.h"
#include "graph/GraphObject.h"
#include "graphics/SociogramBuilder.h"
#include "platform/AppFolders.h"
#include "support/ArchiveGenerator.h"
#include "support/ScriptedPrompter.h"
#include "../RawStatements.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlDriver>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

namespace {

// Captions are laid out with fonts: one offscreen application for the whole run.
void ensureApplication() {
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "graphics-bench";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

// The data module over the archive with the first class current and its sessions read, as the main
// window leaves it when it opens the sociogram window.
struct Module {
    Module() {
        folders.programFolder = workDir().path() + QStringLiteral("/");
        folders.dataFolder = workDir().path() + QStringLiteral("/");
        db.open(benchmarkArchive());
        dm = std::make_unique<TDM>(db, folders, prompter);
        dm->openDatasets();
        classId =
            db.scalar(QStringLiteral("SELECT id_tridy FROM vyhodnoceni ORDER BY ID LIMIT 1")).toLongLong();
        dm->Trida_Query().locate(QStringLiteral("ID"), classId);
        dm->Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), classId);
        dm->RefreshDataset(dm->Vyhodnoceni_Query());
    }

    Database db{QStringLiteral("bench")};
    AppFolders folders;
    ScriptedPrompter prompter;
    std::unique_ptr<TDM> dm;
    qint64 classId = 0;
};

void BM_BuildAndArrangeSociogram(benchmark::State &state) {
    ensureApplication();
    Module module;
    SociogramBuilder builder(*module.dm);
    const QString session = builder.sessionItems().value(0).value;
    const QList<SociogramMenuItem> questions = builder.questionItems(session.toLongLong());
    const QString question = questions.value(int(state.range(0))).value;
    GraphDocument document;
    for (auto _ : state) {
        if (!builder.build(document, session, question))
            state.SkipWithError("sociogram not built");
    }
    int bubbles = 0, arrows = 0;
    for (const TGraphObject *object : document.Objects())
        (object->IsLink() ? arrows : bubbles) += 1;
    state.counters["objects"] = bubbles;
    state.counters["arrows"] = arrows;
    state.SetLabel(question.endsWith(u'_') ? "negative" : "positive");
}
// Item 0: the first question's positive wording; item 1: its negative wording.
// What a build reads: the session with its class, questionnaire, roster and answers, through the data layer.
void BM_ReadSessionOutput(benchmark::State &state) {
    Module module;
    const qint64 session =
        module.db.scalar(QStringLiteral("SELECT ID FROM vyhodnoceni ORDER BY ID LIMIT 1")).toLongLong();
    int answers = 0;
    for (auto _ : state)
        answers = int(readSessionOutput(module.db, session)->answers.size());
    state.counters["answers"] = answers;
}
BENCHMARK(BM_ReadSessionOutput)->Unit(benchmark::kMillisecond);

// The same statements on the raw SQLite handle: prepare, bind, step through every row.
void BM_RawSqliteSessionOutput(benchmark::State &state) {
    Module module;
    std::map<QByteArray, qint64> ids;
    for (const char *name : {"s", "t", "c"})
        ids[name] = module.db
                        .scalar(QStringLiteral("SELECT %1 FROM vyhodnoceni ORDER BY ID LIMIT 1")
                                    .arg(QLatin1String(*name == 's' ? "ID" : *name == 't' ? "id_testu" : "id_tridy")))
                        .toLongLong();
    const QStringList statements = sessionOutputStatements();
    int rows = 0;
    QByteArray error;
    for (auto _ : state) {
        rows = stepStatements(module.db, statements, ids, &error);
        if (rows < 0) {
            state.SkipWithError(error.constData());
            return;
        }
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_RawSqliteSessionOutput)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_BuildAndArrangeSociogram)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
