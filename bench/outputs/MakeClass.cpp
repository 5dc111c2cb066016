// Writes a data folder's database with one generated class of the given size (10 questions, 3 positive +
// 3 negative choices per classmate question, one session), or with the whole generated school ("school":
// 100 classes, 1,000 sessions, about 2 million answers), for timing whole `orbelis-cli` runs and their
// peak memory: bench_make_class FILE.mdb PUPILS|school
#include "data/Database.h"
#include "support/ArchiveGenerator.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const bool school = args.value(2) == QLatin1String("school");
    const int pupils = args.value(2).toInt(&ok);
    if (args.size() != 3 || (!school && (!ok || pupils < 1))) {
        std::fprintf(stderr, "usage: bench_make_class FILE.mdb PUPILS|school\n");
        return 2;
    }
    QFile::remove(args[1]);
    try {
        Database db(QStringLiteral("make-class"));
        db.create(args[1]);
        const ArchiveSummary summary = generateArchive(db, school ? ArchiveSize() : classSize(pupils));
        std::printf("%d pupils, %d questions, %lld answers\n", summary.pupils, summary.questions,
                    static_cast<long long>(summary.answers));
    } catch (const DatabaseError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
