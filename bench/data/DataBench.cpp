// Data module at the size of a whole school's archive: 100 classes, 3,000 pupils, 20 questionnaires of
// 10 questions, 1,000 sessions, about 2 million answers. The archive is generated once per run; every
// deletion works on a fresh copy of it.
#include "platform/AppFolders.h"
#include "support/ScriptedPrompter.h"
#include "support/ArchiveGenerator.h"
#include "data/DataModule.h"
#include "data/Database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

// The pristine archive, generated at first use.
const QString &archivePath() {
    static const QString path = [] {
        const QString file = workDir().filePath(QStringLiteral("archiv.mdb"));
        QElapsedTimer timer;
        timer.start();
        Database db(QStringLiteral("generator"));
        db.create(file);
        const ArchiveSummary summary = generateArchive(db);
        db.close();
        std::fprintf(stderr,
                     "archive: %d classes, %d pupils, %d questions, %d sessions, %lld answers, %.1f MB, "
                     "generated in %.1f s\n",
                     summary.classes, summary.pupils, summary.questions, summary.sessions,
                     static_cast<long long>(summary.answers), QFileInfo(file).size() / 1048576.0,
                     timer.elapsed() / 1000.0);
        return file;
    }();
    return path;
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
    Module module(archivePath());
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
    Module module(archivePath());
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
    Module module(archivePath());
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
    Module module(archivePath());
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
        if (!QFile::copy(archivePath(), copy)) {
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
