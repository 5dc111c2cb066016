#include "platform/AppFolders.h"
#include "app/DataFolderSetup.h"
#include "support/DemoData.h"
#include "data/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(DataFolderSetupTest, FirstRunCreatesDatabaseTemplatesAndBlankFiles)
{
    QTemporaryDir dir;
    AppFolders folders{dir.path() + u'/', dir.path() + QStringLiteral("/data/")};
    EXPECT_TRUE(DataFolderSetup::needsFirstRun(folders));
    DataFolderSetup::createDefaultContent(folders, QStringLiteral("skola.mdb"));
    EXPECT_FALSE(DataFolderSetup::needsFirstRun(folders));
    for (const char *file : {"skola.mdb", "soubor_txt.txt", "soubor_docx.docx", "soubor_xlsx.xlsx", "style.css",
                             "template/skola_export_template.mdb", "Listiny", "Sablony", "html"})
        EXPECT_TRUE(QFile::exists(folders.dataFolder + QString::fromUtf8(file))) << file;
    EXPECT_FALSE(QFile::exists(folders.dataFolder + QStringLiteral("skola.mdb.part")));

    Database db(QStringLiteral("setup-test"));
    db.open(folders.dataFolder + QStringLiteral("skola.mdb"));
    EXPECT_GE(db.scalar(QStringLiteral("SELECT count(*) FROM sablony")).toInt(), 3);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 0);

    // The exchange template holds only the questionnaire tables.
    Database exchange(QStringLiteral("setup-exchange"));
    EXPECT_THROW(exchange.open(folders.dataFolder + QStringLiteral("template/skola_export_template.mdb")), DatabaseError);
    exchange.open(folders.dataFolder + QStringLiteral("template/skola_export_template.mdb"),
                  {QStringLiteral("testy"), QStringLiteral("otazky")});
    EXPECT_FALSE(exchange.scalar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'zak'")).isValid());

    // A second run keeps what is there.
    db.exec(QStringLiteral("INSERT INTO trida (skola) VALUES ('x')"));
    db.close();
    DataFolderSetup::createDefaultContent(folders, QStringLiteral("skola.mdb"));
    db.open(folders.dataFolder + QStringLiteral("skola.mdb"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 1);
}

TEST(DataFolderSetupTest, DemoDataIsConsistent)
{
    QTemporaryDir dir;
    Database db(QStringLiteral("demo-test"));
    db.create(dir.filePath(QStringLiteral("skola.mdb")));
    const DemoSummary s = writeDemoData(db);
    EXPECT_GE(s.pupils, 20);
    EXPECT_EQ(s.optionRows, 21);
    EXPECT_EQ(s.questions, 5);
    // Both sexes, every question kind, and every pupil answered every question.
    EXPECT_GT(db.scalar("SELECT count(*) FROM zak WHERE pohlavi LIKE 'žena'").toInt(), 5);
    EXPECT_GT(db.scalar("SELECT count(*) FROM zak WHERE pohlavi LIKE 'muž'").toInt(), 5);
    EXPECT_EQ(db.scalar("SELECT count(DISTINCT typ) FROM otazky").toInt(), 4);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM (SELECT id_zaka, id_otazky FROM odpovedi GROUP BY id_zaka, id_otazky)")
                  .toInt(),
              s.pupils * s.questions);
    // Nobody chooses himself; every partner but the free-text -1 is a row of the class.
    EXPECT_EQ(db.scalar("SELECT count(*) FROM odpovedi WHERE id_zaka = id_partnera").toInt(), 0);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM odpovedi o LEFT JOIN zak z ON z.id = o.id_partnera "
                        "WHERE o.id_partnera <> -1 AND (z.id IS NULL OR z.id_tridy <> :c)",
                        {{"c", s.classId}})
                  .toInt(),
              0);
    // Option answers point at rows of the kind the question asks for.
    EXPECT_EQ(db.scalar("SELECT count(*) FROM odpovedi o JOIN otazky q ON q.id = o.id_otazky JOIN zak z ON "
                        "z.id = o.id_partnera WHERE (q.typ = 1 AND z.pohlavi <> 'abcde') OR (q.typ = 3 AND "
                        "z.pohlavi <> 'ano-ne')")
                  .toInt(),
              0);
    EXPECT_EQ(db.scalar("SELECT count(*) FROM odpovedi WHERE id_partnera = -1 AND slovy IS NOT NULL").toInt(), s.pupils);
}

} // namespace
