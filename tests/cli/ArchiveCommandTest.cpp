// `orbelis-cli demo --archive`: the benchmarks' school archive written into a data folder.
#include "CliRun.h"
#include "data/Database.h"
#include "support/ArchiveGenerator.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray digestOf(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

// Every answer with its session, question, respondent and partner, in the order written.
QString answersOf(const QString &file) {
    Database db(QStringLiteral("archive-check"));
    db.open(file, QStringList());
    return db.scalar(QStringLiteral("SELECT group_concat(v, ';') FROM (SELECT o.id_vyhodnoceni || ',' || "
                                    "o.id_otazky || ',' || z.jmeno || ',' || ifnull(p.jmeno, '-') || ',' || "
                                    "o.pozitivni AS v FROM odpovedi o JOIN zak z ON z.ID = o.id_zaka LEFT JOIN "
                                    "zak p ON p.ID = o.id_partnera ORDER BY o.ID)"))
        .toString();
}

TEST(ArchiveCommandTest, WritesTheBenchmarksArchiveTheSameEveryTimeWithAProgressLine) {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("prvni")), second = dir.filePath(QStringLiteral("druha"));
    const CliRun made = runCliOn(first, dir.path(), {"demo", "--archive", "--classes", "2"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_EQ(made.err, QStringLiteral("\rArchiv školy: třída 1 ze 2\rArchiv školy: třída 2 ze 2\n"));
    EXPECT_TRUE(made.out.contains(QStringLiteral("tříd 2, žáků 60, dotazníků 20 (otázek 200)")))
        << made.out.toStdString();
    EXPECT_TRUE(made.out.contains(QStringLiteral("vyhodnocení 20 s 39600 odpověďmi"))) << made.out.toStdString();
    ASSERT_EQ(runCliOn(second, dir.path(), {"demo", "--archive", "--classes", "2"}).code, 0);
    const QString file = first + QStringLiteral("/skola.mdb");
    const QByteArray digest = digestOf(file);
    ASSERT_FALSE(digest.isEmpty());
    EXPECT_EQ(digestOf(second + QStringLiteral("/skola.mdb")), digest) << "the same run gives the same file";

    // The rows are the generator's, as the benchmarks make them.
    const QString generated = dir.filePath(QStringLiteral("generator.mdb"));
    {
        Database db(QStringLiteral("archive-generator-test"));
        db.create(generated);
        ArchiveSize size;
        size.classes = 2;
        generateArchive(db, size);
    }
    const QString answers = answersOf(file);
    EXPECT_EQ(answers.count(u';') + 1, 39600);
    EXPECT_EQ(answers, answersOf(generated));

    // A database with classes is never mixed with the archive.
    const CliRun refused = runCliOn(first, dir.path(), {"demo", "--archive", "--classes", "1"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("už obsahuje třídy"))) << refused.err.toStdString();
    EXPECT_EQ(digestOf(file), digest);

    for (const QStringList &wrong : {QStringList{"demo", "--archive", "--classes", "0"},
                                     QStringList{"demo", "--archive", "--classes", "101"},
                                     QStringList{"demo", "--archive", "--classes", "dvě"},
                                     QStringList{"demo", "--classes", "2"}, QStringList{"demo", "navic"}}) {
        const CliRun usage = runCliOn(dir.filePath(QStringLiteral("jina")), dir.path(), wrong);
        EXPECT_EQ(usage.code, 2) << wrong.join(u' ').toStdString();
        EXPECT_TRUE(usage.err.startsWith(QStringLiteral("Použití: orbelis-cli demo"))) << usage.err.toStdString();
    }
}

} // namespace
