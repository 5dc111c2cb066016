#include "data/Database.h"
#include "data/ClassRoster.h"
#include "pupils/PupilImportText.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const char *const kFirstNames[] = {"Adam",    "Běla",  "Čeněk", "David", "Eva",     "František", "Hana",
                                   "Chrudoš", "Ivan",  "Jana",  "Karel", "Lucie",   "Marek",     "Ondřej",
                                   "Petr",    "Řehoř", "Šárka", "Tomáš", "Vendula", "Zdeněk",    "Žofie"};

// A pasted list of pupils: "jméno příjmení typ" per line, names in random order.
QString pupilList(int count) {
    QRandomGenerator random(2026);
    QString text;
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(kFirstNames[random.bounded(int(std::size(kFirstNames)))]);
        const bool girl = random.bounded(2) == 1;
        text += QStringLiteral("%1 %2%3 %4\n")
                    .arg(name, girl ? QStringLiteral("Nováková") : QStringLiteral("Novák"))
                    .arg(i)
                    .arg(girl ? QStringLiteral("žena") : QStringLiteral("muž"));
    }
    return text;
}

struct School {
    QTemporaryDir dir;
    Database db{QStringLiteral("pupils-bench")};
    School() { db.create(dir.filePath(QStringLiteral("skola.mdb"))); }
    qint64 addClass() {
        db.exec(QStringLiteral("INSERT INTO trida (skola, stupen) VALUES ('ZŠ', '5.A')"));
        return db.lastInsertId();
    }
};

// Parsing a pasted list of 1,000 pupils, adding them to a new class and renumbering it (one transaction).
void BM_ImportThousandPupils(benchmark::State &state) {
    School school;
    const QString text = pupilList(1000);
    for (auto _ : state) {
        const qint64 classId = school.addClass();
        ClassRoster roster(school.db, classId);
        roster.insertAllOptionSets();
        benchmark::DoNotOptimize(roster.importPupils(PupilImportText::parse(text)));
    }
}
BENCHMARK(BM_ImportThousandPupils)->Unit(benchmark::kMillisecond);

// Renumbering a class of 1,000 pupils and 21 option rows whose numbers are all wrong.
void BM_RenumberThousandPupils(benchmark::State &state) {
    School school;
    const qint64 classId = school.addClass();
    ClassRoster roster(school.db, classId);
    roster.insertAllOptionSets();
    roster.importPupils(PupilImportText::parse(pupilList(1000)));
    for (auto _ : state) {
        state.PauseTiming();
        school.db.exec(QStringLiteral("UPDATE zak SET poradi = 5000 - poradi"));
        state.ResumeTiming();
        roster.GenerovatPoradi();
    }
}
BENCHMARK(BM_RenumberThousandPupils)->Unit(benchmark::kMillisecond);

// A list of 100,000 pupils read a piece of 64 Ki characters at a time, as `orbelis-cli pupils import`
// reads a file, added in batches to a new class and renumbered once (one transaction).
void BM_ImportStreamedList(benchmark::State &state) {
    School school;
    const QString text = pupilList(int(state.range(0)));
    for (auto _ : state) {
        const qint64 classId = school.addClass();
        qsizetype pos = 0;
        PupilListReader reader([&](QString &piece) {
            if (pos >= text.size())
                return false;
            piece = text.mid(pos, 64 * 1024);
            pos += piece.size();
            return true;
        });
        benchmark::DoNotOptimize(ClassRoster(school.db, classId).importPupils([&](NewPupil &pupil) {
            return reader.next(pupil);
        }));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ImportStreamedList)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Going through a class of 100,000 pupils row by row, as `orbelis-cli pupils list` writes it.
void BM_ListLargeClass(benchmark::State &state) {
    School school;
    const qint64 classId = school.addClass();
    ClassRoster roster(school.db, classId);
    roster.importPupils(PupilImportText::parse(pupilList(100'000)));
    for (auto _ : state) {
        qint64 characters = 0;
        roster.forEachEntry([&](const RosterEntry &row) { characters += row.jmeno.toString().size(); });
        benchmark::DoNotOptimize(characters);
    }
}
BENCHMARK(BM_ListLargeClass)->Unit(benchmark::kMillisecond);

} // namespace
