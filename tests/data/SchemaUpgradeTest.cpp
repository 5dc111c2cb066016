// Databases made by the previous release declared the collation "czech" on their text columns, which no
// other SQLite client knows. Opening such a file through the program (start-up, the headless tool)
// rebuilds it without the declaration, keeping every row, id, value, index and counter.
#include "data/SchemaUpgrade.h"
#include "app/DataModuleStart.h"
#include "cli/Cli.h"
#include "data/AppContext.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// The schema as the previous release created it.
const QStringList kPreviousSchema = {
    R"(CREATE TABLE trida (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    skola VARCHAR(255) COLLATE czech,
    stupen VARCHAR(255) COLLATE czech,
    tridni_ucitel VARCHAR(255) COLLATE czech,
    datum_zapisu DATETIME))",
    R"(CREATE TABLE zak (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_tridy INTEGER,
    jmeno VARCHAR(255) COLLATE czech,
    prijmeni VARCHAR(255) COLLATE czech,
    pohlavi VARCHAR(255) COLLATE czech,
    poradi INTEGER))",
    R"(CREATE TABLE testy (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    nazev_testu VARCHAR(255) COLLATE czech))",
    R"(CREATE TABLE otazky (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_testu INTEGER,
    text_otazky VARCHAR(255) COLLATE czech,
    text_otazky_negativni VARCHAR(255) COLLATE czech,
    poradi INTEGER,
    poradi_vyhodnoceni INTEGER,
    typ INTEGER,
    popis VARCHAR(255) COLLATE czech,
    nadpis_nad VARCHAR(255) COLLATE czech,
    popis_pro_web VARCHAR(255) COLLATE czech))",
    R"(CREATE TABLE vyhodnoceni (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_tridy INTEGER,
    id_testu INTEGER,
    datum DATETIME,
    pocet_neucast INTEGER,
    poznamky TEXT COLLATE czech))",
    R"(CREATE TABLE odpovedi (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_vyhodnoceni INTEGER,
    id_otazky INTEGER,
    id_zaka INTEGER,
    id_partnera INTEGER,
    pozitivni BOOLEAN DEFAULT 0,
    slovy TEXT COLLATE czech))",
    R"(CREATE TABLE poznamky (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_zaka INTEGER,
    datum DATETIME,
    nazev VARCHAR(255) COLLATE czech,
    poznamka TEXT COLLATE czech))",
    R"(CREATE TABLE sablony (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    nazev_sablony VARCHAR(255) COLLATE czech,
    text_sablony TEXT COLLATE czech))",
    R"(CREATE TABLE listiny (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    id_tridy INTEGER,
    nazev VARCHAR(255) COLLATE czech,
    cesta VARCHAR(255) COLLATE czech,
    datum DATETIME))",
    "CREATE INDEX zak_tridy ON zak (id_tridy, poradi)",
    "CREATE INDEX otazky_testu ON otazky (id_testu, poradi)",
    "CREATE INDEX vyhodnoceni_tridy ON vyhodnoceni (id_tridy, datum)",
    "CREATE INDEX vyhodnoceni_testu ON vyhodnoceni (id_testu)",
    "CREATE INDEX odpovedi_vyhodnoceni ON odpovedi (id_vyhodnoceni, id_otazky, id_zaka)",
    "CREATE INDEX odpovedi_otazky ON odpovedi (id_otazky)",
    "CREATE INDEX odpovedi_zaka ON odpovedi (id_zaka)",
    "CREATE INDEX odpovedi_partnera ON odpovedi (id_partnera)",
    "CREATE INDEX poznamky_zaka ON poznamky (id_zaka)",
    "CREATE INDEX listiny_tridy ON listiny (id_tridy)",
};

// Rows of every table, with ids that have gaps and counters ahead of the highest id (rows deleted at
// the end), Czech texts, NULLs, a long memo, a number stored as text and a blob.
const QStringList kRows = {
    "INSERT INTO trida (ID, skola, stupen, tridni_ucitel, datum_zapisu) VALUES "
    "(3, 'ZŠ Lipová', '5.A', 'Nováková', '2020-09-01 08:00:00'), (7, 'zš Chrudim', '6.B', NULL, NULL), "
    "(12, 'Gymnázium Čáslav', 'Sexta', 'Řehoř', '2021-01-02 00:00:00'), (40, 'smazat', '', '', NULL)",
    "DELETE FROM trida WHERE ID = 40",
    "INSERT INTO zak (ID, id_tridy, jmeno, prijmeni, pohlavi, poradi) VALUES "
    "(2, 3, 'Čeněk', 'Šťastný', 'muž', 1), (5, 3, 'Chrudoš', 'Hájek', 'muž', 2), "
    "(6, 3, 'Hana', 'Cibulková', 'žena', 3), (9, 3, 'cyril', NULL, 'MUŽ', NULL), "
    "(10, 3, 'Žofie', 'Ďurišová', 'žena', 4), (11, 3, 'ano', NULL, 'ano-ne', 5), (90, 3, 'x', 'y', 'muž', 9)",
    "DELETE FROM zak WHERE ID = 90",
    "INSERT INTO testy (ID, nazev_testu) VALUES (4, 'Vztahy ve třídě'), (8, 'Čtení'), (9, 'abeceda')",
    "INSERT INTO otazky (ID, id_testu, text_otazky, text_otazky_negativni, poradi, poradi_vyhodnoceni, typ, "
    "popis, nadpis_nad, popis_pro_web) VALUES "
    "(1, 4, 'S kým sedíš rád(a)?', 'S kým nechceš sedět?', 1, 2, 0, 'Jména', 'Část A', '<b>tučně</b>'), "
    "(3, 4, 'Kdo je ''nejlepší''?', NULL, 2, 1, 7, NULL, NULL, NULL), "
    "(4, 8, 'Jak se máš?', '', '3', NULL, NULL, 'řádek 1\r\nřádek 2', NULL, NULL)",
    "INSERT INTO vyhodnoceni (ID, id_tridy, id_testu, datum, pocet_neucast, poznamky) VALUES "
    "(5, 3, 4, '2021-03-04 00:00:00', NULL, 'Textové poznámky k vyhodnocení:'), (6, 7, 8, '2022-01-01', 2, "
    "NULL)",
    "INSERT INTO odpovedi (ID, id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni, slovy) VALUES "
    "(100, 5, 1, 2, 5, 1, NULL), (101, 5, 1, 5, 2, 1, ''), (150, 5, 1, 6, 2, 0, NULL), "
    "(151, 5, 4, 6, -1, 1, 'Mám se dobře, děkuji – “uvozovky”.'), (152, 5, 3, 9, 10, 1, NULL)",
    "INSERT INTO poznamky (ID, id_zaka, datum, nazev, poznamka) VALUES "
    "(2, 2, '2021-05-05 10:00:00', 'Chování', '{\\rtf1 dlouhý text}'), (3, 6, NULL, NULL, x'00ff10')",
    "INSERT INTO sablony (id, nazev_sablony, text_sablony) VALUES (1, 'Pohovor', 'Datum:'), (4, 'Úraz', "
    "NULL)",
    "INSERT INTO listiny (ID, id_tridy, nazev, cesta, datum) VALUES "
    "(1, 3, 'Sociogram', '1_sociogram.sgp', '2021-03-05 00:00:00'), (2, 12, 'Čestné prohlášení', NULL, NULL)",
};

const QString kLayoutsKey =
    QStringLiteral("sqlite_autoindex_rozmisteni_1 ON rozmisteni: id_vyhodnoceni,id_otazky,pozitivni,id_zaka");
const QString kPseudonymsKey = QStringLiteral("pseudonymy_kodu ON pseudonymy: id_tridy,kod");

const QStringList kTables = {"trida",    "zak",      "testy",   "otazky", "vyhodnoceni",
                             "odpovedi", "poznamky", "sablony", "listiny"};

// A connection of a plain SQLite client: the engine alone, without the program's collation and LIKE.
class PlainConnection final {
public:
    explicit PlainConnection(const QString &file) {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(file);
        EXPECT_TRUE(m_db.open()) << m_db.lastError().text().toStdString();
    }
    ~PlainConnection() {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    // Every row of the query, the values as "type:text" joined by '|'; "ERROR: …" when it fails.
    QStringList rows(const QString &sql) {
        QSqlQuery query(m_db);
        if (!query.exec(sql))
            return {QStringLiteral("ERROR: ") + query.lastError().databaseText()};
        QStringList rows;
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << query.value(i).toString();
            rows << values.join(u'|');
        }
        return rows;
    }

private:
    QString m_name = QStringLiteral("plain-client");
    QSqlDatabase m_db;
};

// The whole content of a database as plain text: every table's rows by row id with each value's storage
// type, the counters, and the indexes with their columns; read without the program's collation.
QStringList contentOf(PlainConnection &db) {
    QStringList content;
    for (const QString &table : kTables) {
        QStringList columns;
        for (const QString &column :
             db.rows(QStringLiteral("SELECT name || ' ' || type FROM pragma_table_info('%1') "
                                    "ORDER BY cid")
                         .arg(table)))
            columns << column.section(u' ', 0, 0);
        content << table + QStringLiteral(" columns: ") +
                       db.rows(QStringLiteral(
                                   "SELECT name || ' ' || type || ' ' || pk FROM pragma_table_info('%1') "
                                   "ORDER BY cid")
                                   .arg(table))
                           .join(u',');
        QStringList typed = {QStringLiteral("rowid")};
        for (const QString &column : columns)
            typed << QStringLiteral("typeof(%1) || ':' || coalesce(hex(%1), 'NULL')").arg(column);
        for (const QString &row :
             db.rows(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(typed.join(u','), table)))
            content << table + u' ' + row;
    }
    content << db.rows("SELECT name || '=' || seq FROM sqlite_sequence ORDER BY name");
    content << db.rows("SELECT m.name || ' ON ' || m.tbl_name || ': ' || group_concat(i.name, ',') "
                       "FROM sqlite_master AS m, pragma_index_info(m.name) AS i WHERE m.type = 'index' "
                       "GROUP BY m.name ORDER BY m.name");
    return content;
}

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the sqlite3 shell prints for a statement on the file, with its error text.
QString sqliteShell(const QString &file, const QString &sql) {
    QProcess process;
    process.start(QStringLiteral("sqlite3"), {file, sql});
    if (!process.waitForFinished(30000))
        return QStringLiteral("(sqlite3 did not finish)");
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()).trimmed();
}

class SchemaUpgradeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_data = m_dir.path() + QStringLiteral("/data/");
        ASSERT_TRUE(QDir().mkpath(m_data));
        m_file = m_data + QStringLiteral("skola.mdb");
    }

    // A database file as the previous release left it: its schema, then `statements`.
    void makePreviousRelease(const QString &path, const QStringList &statements = kRows) {
        Database db(QStringLiteral("previous-release"));
        db.create(path, false);
        for (const QString &statement : kPreviousSchema + statements)
            db.exec(statement);
        db.close();
    }

    QTemporaryDir m_dir;
    QString m_data;
    QString m_file;
};

TEST_F(SchemaUpgradeTest, StartUpRebuildsAFileOfThePreviousReleaseKeepingEveryRowIdAndValue) {
    makePreviousRelease(m_file);
    QStringList before;
    {
        PlainConnection plain(m_file);
        // The fault users met: any other client fails on ordering or comparing a text column.
        ASSERT_TRUE(
            plain.rows("SELECT jmeno FROM zak ORDER BY jmeno").join("").contains("no such collation"));
        before = contentOf(plain);
    }
    ASSERT_GT(before.size(), 30);
    ASSERT_TRUE(before.contains("trida=40")) << before.join('\n').toStdString(); // counter ahead of the ids

    // The program's start-up, as `orbelis /files <folder>` runs it.
    RecordingShell shell(m_dir.path() + "/appdata", m_dir.path());
    Database database;
    AppContext context;
    context.folders.programFolder = m_dir.path() + "/program/";
    context.database = &database;
    context.shell = &shell;
    startDataModule(context, {"orbelis", "/files", m_data});
    ASSERT_TRUE(database.isOpen());
    EXPECT_FALSE(SchemaUpgrade::declaresCzechCollation(database));

    // The program still orders and compares in Czech, through its own statements and datasets.
    {
        ScriptedPrompter prompter;
        TDM dm(database, context.folders, prompter);
        dm.openDatasets();
        QStringList names;
        for (int row = 0; row < dm.Testy_Query().recordCount(); ++row)
            names << dm.Testy_Query().value(row, dm.Testy_Query().fieldIndex("nazev_testu")).toString();
        EXPECT_EQ(names, QStringList({"abeceda", "Čtení", "Vztahy ve třídě"}));
        dm.closeDatasets();
    }
    EXPECT_EQ(database
                  .scalar("SELECT group_concat(jmeno, ',') FROM (SELECT jmeno FROM zak "
                          "ORDER BY jmeno COLLATE czech)")
                  .toString(),
              "ano,cyril,Čeněk,Hana,Chrudoš,Žofie");
    EXPECT_EQ(database.scalar("SELECT count(*) FROM trida WHERE skola = 'ZŠ CHRUDIM' COLLATE czech").toInt(),
              1);
    // Counters go on from where they were: no deleted id is given again.
    database.exec("INSERT INTO zak (id_tridy, jmeno) VALUES (3, 'Nový')");
    EXPECT_EQ(database.lastInsertId(), 91);
    database.exec("DELETE FROM zak WHERE ID = 91");
    database.close();

    PlainConnection plain(m_file);
    EXPECT_EQ(plain.rows("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%collate%'"), QStringList{"0"});
    EXPECT_EQ(plain.rows("PRAGMA integrity_check"), QStringList{"ok"});
    QStringList after = contentOf(plain);
    after.replace(after.indexOf("zak=91"), "zak=90");
    // The additions: the tables of the pupils' codes, of the kept sociogram positions and of the
    // pseudonyms with their keys.
    EXPECT_EQ(after.removeAll("kody_zaku_kod ON kody_zaku: kod"), 1);
    EXPECT_EQ(after.removeAll("sqlite_autoindex_kody_zaku_1 ON kody_zaku: id_vyhodnoceni,id_zaka"), 1);
    EXPECT_EQ(after.removeAll(kLayoutsKey), 1);
    EXPECT_EQ(after.removeAll(kPseudonymsKey), 1);
    EXPECT_EQ(after, before);
    // A plain client now sorts and compares (by its own, binary rules).
    EXPECT_EQ(plain.rows("SELECT jmeno FROM zak WHERE pohlavi = 'muž' ORDER BY jmeno"),
              QStringList({"Chrudoš", "Čeněk"}));
    EXPECT_EQ(plain.rows("SELECT ID FROM testy WHERE nazev_testu <> 'abeceda' ORDER BY nazev_testu"),
              QStringList({"4", "8"}));
    if (!QStandardPaths::findExecutable("sqlite3").isEmpty()) {
        EXPECT_EQ(sqliteShell(m_file, "SELECT stupen FROM trida ORDER BY skola, stupen;"), "Sexta\n5.A\n6.B");
    }
}

TEST_F(SchemaUpgradeTest, TheHeadlessToolRebuildsTheFileItOpens) {
    makePreviousRelease(m_file);
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    ASSERT_EQ(runCli({"--data", m_data, "questionnaire", "list"}, QString(), outStream, errStream), 0)
        << err.toStdString();
    outStream.flush();
    EXPECT_LT(out.indexOf("abeceda"), out.indexOf("Čtení"));
    EXPECT_LT(out.indexOf("Čtení"), out.indexOf("Vztahy"));
    PlainConnection plain(m_file);
    EXPECT_EQ(plain.rows("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%collate%'"), QStringList{"0"});
    EXPECT_EQ(plain.rows("SELECT nazev_testu FROM testy ORDER BY nazev_testu"),
              QStringList({"Vztahy ve třídě", "abeceda", "Čtení"}));
}

TEST_F(SchemaUpgradeTest, ARebuildThatFailsLeavesTheFileAsItWasAndSaysWhy) {
    // A file whose rows break a rule of its own table (written while the engine did not check it): the
    // copy into the rebuilt table is refused.
    QStringList statements = kRows;
    statements.prepend("CREATE TABLE kontrola (ID INTEGER PRIMARY KEY, nazev TEXT COLLATE czech "
                       "CHECK (length(nazev) < 3))");
    statements << "PRAGMA ignore_check_constraints = ON"
               << "INSERT INTO kontrola (ID, nazev) VALUES (1, 'dlouhý název')";
    makePreviousRelease(m_file, statements);
    const QByteArray before = bytesOf(m_file);

    Database database;
    try {
        database.open(m_file);
        FAIL() << "the rebuild should have failed";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.message().startsWith("Databázi " + QDir::toNativeSeparators(m_file) +
                                           " se nepodařilo převést do podoby, kterou čtou i jiné programy; "
                                           "zůstala beze změny."))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("CHECK constraint failed")) << e.message().toStdString();
    }
    EXPECT_FALSE(database.isOpen());
    EXPECT_EQ(bytesOf(m_file), before);
    EXPECT_FALSE(QFile::exists(m_file + "-journal"));

    // The start-up reports it and goes on without a database.
    RecordingShell shell(m_dir.path() + "/appdata", m_dir.path());
    AppContext context;
    context.folders.programFolder = m_dir.path() + "/program/";
    context.database = &database;
    context.shell = &shell;
    EXPECT_THROW(startDataModule(context, {"orbelis", "/files", m_data}), DatabaseError);
    EXPECT_EQ(bytesOf(m_file), before);
}

TEST_F(SchemaUpgradeTest, TablesViewsTriggersAndIndexesOutsideTheProgramSurviveTheRebuild) {
    makePreviousRelease(
        m_file, {"CREATE TABLE \"vlastní tabulka\" (kod TEXT COLLATE \"czech\" NOT NULL UNIQUE, "
                 "poznamka TEXT DEFAULT 'COLLATE czech', pocet INTEGER)",
                 "CREATE INDEX vlastni_poznamka ON \"vlastní tabulka\" (poznamka COLLATE czech)",
                 "CREATE TABLE bez_id (a TEXT COLLATE czech, b INTEGER)",
                 "INSERT INTO \"vlastní tabulka\" (rowid, kod, pocet) VALUES (5, 'Č', 1), (9, 'C', 2)",
                 "INSERT INTO bez_id (rowid, a, b) VALUES (4, 'x', 1), (8, 'y', 2)",
                 "CREATE VIEW jmena AS SELECT jmeno, prijmeni FROM zak",
                 "CREATE TRIGGER pocitadlo AFTER INSERT ON zak BEGIN "
                 "UPDATE \"vlastní tabulka\" SET pocet = pocet + 1; END",
                 "INSERT INTO zak (ID, id_tridy, jmeno) VALUES (1, 3, 'Adam')"});
    Database database;
    database.open(m_file);
    database.exec("INSERT INTO zak (id_tridy, jmeno) VALUES (3, 'Bára')"); // the trigger still runs
    database.close();

    PlainConnection plain(m_file);
    EXPECT_EQ(plain.rows("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%collate czech%' "
                         "OR sql LIKE '%collate \"czech\"%'"),
              QStringList{"1"}); // only the default value, which is text
    EXPECT_EQ(plain.rows("SELECT rowid, kod, poznamka, pocet FROM \"vlastní tabulka\" ORDER BY kod"),
              QStringList({"9|C|COLLATE czech|4", "5|Č|COLLATE czech|3"}));
    EXPECT_EQ(plain.rows("SELECT rowid, a, b FROM bez_id ORDER BY a"), QStringList({"4|x|1", "8|y|2"}));
    EXPECT_EQ(plain.rows("SELECT jmeno FROM jmena ORDER BY jmeno LIMIT 2"), QStringList({"Adam", "Bára"}));
    EXPECT_EQ(plain
                  .rows("SELECT name FROM sqlite_master WHERE type IN ('index', 'trigger', 'view') "
                        "AND name NOT LIKE 'sqlite_autoindex%' ORDER BY name")
                  .join(','),
              "jmena,kody_zaku_kod,listiny_tridy,odpovedi_otazky,odpovedi_partnera,odpovedi_vyhodnoceni,"
              "odpovedi_zaka,"
              "otazky_testu,pocitadlo,poznamky_zaka,pseudonymy_kodu,vlastni_poznamka,vyhodnoceni_testu,"
              "vyhodnoceni_tridy,zak_"
              "tridy");
    EXPECT_EQ(plain.rows("INSERT INTO \"vlastní tabulka\" (kod) VALUES ('C')").join(""),
              "ERROR: UNIQUE constraint failed: vlastní tabulka.kod");
}

// A file of the version before the pupils' codes: today's schema without `kody_zaku` and `rozmisteni`; with
// `withCodes`, one of the version before the kept sociogram positions (a pupil's code stored).
void makeFileWithoutCodes(const QString &path, bool withCodes = false) {
    Database db(QStringLiteral("before-codes"));
    db.create(path);
    db.exec("INSERT INTO trida (ID, skola, stupen) VALUES (1, 'ZŠ Lipová', '5.A')");
    db.exec("INSERT INTO zak (ID, id_tridy, jmeno, prijmeni, pohlavi, poradi) VALUES "
            "(1, 1, 'Adam', 'Bílý', 'muž', 1), (2, 1, 'Bára', 'Černá', 'žena', 2), (3, 1, 'a', NULL, 'abcde', 3)");
    db.exec("INSERT INTO testy (ID, nazev_testu) VALUES (1, 'Vztahy')");
    db.exec("INSERT INTO otazky (ID, id_testu, text_otazky, poradi, typ) VALUES (1, 1, 'S kým?', 1, 0)");
    db.exec("INSERT INTO vyhodnoceni (ID, id_tridy, id_testu, datum) VALUES (1, 1, 1, '2024-01-01')");
    if (withCodes)
        db.exec("INSERT INTO kody_zaku (id_vyhodnoceni, id_zaka, kod) VALUES (1, 2, 'CCCC-CCCC')");
    else
        db.exec("DROP TABLE kody_zaku");
    db.exec("DROP TABLE rozmisteni");
    db.close();
}

bool hasCodesTable(const QString &path) {
    PlainConnection plain(path);
    return plain.rows("SELECT count(*) FROM sqlite_master WHERE name IN ('kody_zaku', 'kody_zaku_kod')") ==
           QStringList{"2"};
}

TEST_F(SchemaUpgradeTest, AFileOfTheVersionBeforeTheKeptLayoutsGetsTheirTableAndKeepsItsCodes) {
    makeFileWithoutCodes(m_file, true);
    QStringList before;
    {
        PlainConnection plain(m_file);
        before = contentOf(plain);
    }
    Database database;
    database.open(m_file);
    EXPECT_TRUE(Schema::hasTables(database, Schema::tableNames()));
    EXPECT_EQ(database.scalar("SELECT kod FROM kody_zaku WHERE id_zaka = 2").toString(), "CCCC-CCCC");
    // One place per session, question, polarity and pupil.
    database.exec("INSERT INTO rozmisteni VALUES (1, 1, 1, 1, 50, 110), (1, 1, 0, 1, 60, 120)");
    EXPECT_THROW(database.exec("INSERT INTO rozmisteni VALUES (1, 1, 1, 1, 70, 130)"), DatabaseError);
    database.exec("DELETE FROM rozmisteni");
    database.close();

    PlainConnection plain(m_file);
    QStringList after = contentOf(plain);
    EXPECT_EQ(after.removeAll(kLayoutsKey), 1);
    EXPECT_EQ(after, before);
}

TEST_F(SchemaUpgradeTest, AFileWithoutThePupilCodesGetsTheirTableWhenOpenedAndKeepsEverythingElse) {
    makeFileWithoutCodes(m_file);
    QStringList before;
    {
        PlainConnection plain(m_file);
        before = contentOf(plain);
    }
    ASSERT_FALSE(hasCodesTable(m_file));

    Database database;
    database.open(m_file);
    EXPECT_TRUE(Schema::hasTables(database, Schema::tableNames()));
    // Its keys: one code per pupil and session, and a code used once in the whole file.
    database.exec("INSERT INTO kody_zaku (id_vyhodnoceni, id_zaka, kod) VALUES (1, 1, 'AAAA-AAAA')");
    EXPECT_THROW(database.exec("INSERT INTO kody_zaku (id_vyhodnoceni, id_zaka, kod) VALUES (1, 1, 'BBBB-BBBB')"),
                 DatabaseError);
    EXPECT_THROW(database.exec("INSERT INTO kody_zaku (id_vyhodnoceni, id_zaka, kod) VALUES (2, 2, 'AAAA-AAAA')"),
                 DatabaseError);
    database.exec("DELETE FROM kody_zaku");
    database.close();

    PlainConnection plain(m_file);
    EXPECT_EQ(plain.rows("PRAGMA integrity_check"), QStringList{"ok"});
    QStringList after = contentOf(plain);
    EXPECT_EQ(after.removeAll("kody_zaku_kod ON kody_zaku: kod"), 1);
    EXPECT_EQ(after.removeAll("sqlite_autoindex_kody_zaku_1 ON kody_zaku: id_vyhodnoceni,id_zaka"), 1);
    EXPECT_EQ(after.removeAll(kLayoutsKey), 1);
    EXPECT_EQ(after, before);
}

TEST_F(SchemaUpgradeTest, TheHeadlessToolGivesCodesInAFileOfThePreviousRelease) {
    makePreviousRelease(m_file);
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    ASSERT_EQ(runCli({"--data", m_data, "codes", "--session", "5"}, m_dir.path(), outStream, errStream), 0)
        << err.toStdString();
    outStream.flush();
    // The real pupils of class 3 in list order (no position first); the answer-option row has no code.
    const QRegularExpression line("^(\\d+);([^;]+);[2-9A-HJ-NP-Z]{4}-[2-9A-HJ-NP-Z]{4}$");
    QStringList people;
    for (const QString &row : out.split('\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = line.match(row);
        EXPECT_TRUE(match.hasMatch()) << row.toStdString();
        people << match.captured(1) + ' ' + match.captured(2);
    }
    EXPECT_EQ(people, QStringList({"9 cyril", "2 Čeněk Šťastný", "5 Chrudoš Hájek", "6 Hana Cibulková",
                                   "10 Žofie Ďurišová"}));
    EXPECT_TRUE(hasCodesTable(m_file));
}

TEST_F(SchemaUpgradeTest, AFileOnlyReadOrAnExchangeFileIsLeftWithoutTheCodes) {
    makeFileWithoutCodes(m_file);
    const QByteArray before = bytesOf(m_file);
    {
        Database database;
        database.open(m_file, Schema::requiredTableNames(), Database::Opening::LeaveSchema);
        EXPECT_TRUE(database.isOpen());
        EXPECT_EQ(database.scalar("SELECT count(*) FROM zak").toInt(), 3);
    }
    EXPECT_EQ(bytesOf(m_file), before);
    EXPECT_FALSE(hasCodesTable(m_file));

    // The questionnaire exchange file is opened for writing as well; it is no database of a school.
    const QString exchange = m_data + "dotaznik.mdb";
    {
        Database file(QStringLiteral("exchange"));
        file.create(exchange, false);
        Schema::createExchange(file);
        file.close();
        file.open(exchange, QStringList());
    }
    PlainConnection plain(exchange);
    EXPECT_EQ(plain.rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
              QStringList({"otazky", "sqlite_sequence", "testy"}));
}

TEST_F(SchemaUpgradeTest, WhenTheTableCannotBeMadeTheOpenFailsSayingWhyAndTheFileStaysAsItWas) {
    for (const bool withCodes : {false, true}) {
        QFile::remove(m_file);
        makeFileWithoutCodes(m_file, withCodes);
        const QByteArray before = bytesOf(m_file);
        // Another program holds the write lock for longer than the busy timeout.
        QSqlDatabase other =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-program"));
        other.setDatabaseName(m_file);
        ASSERT_TRUE(other.open());
        QSqlQuery(other).exec("BEGIN IMMEDIATE");
        {
            Database database;
            try {
                database.open(m_file);
                FAIL() << "the table could not have been made";
            } catch (const DatabaseError &e) {
                EXPECT_TRUE(e.message().startsWith(
                    "Databázi " + QDir::toNativeSeparators(m_file) +
                    (withCodes
                         ? " se nepodařilo doplnit o tabulku rozmístění sociogramů; zůstala beze změny."
                         : " se nepodařilo doplnit o tabulku kódů žáků pro webové formuláře; zůstala beze "
                           "změny.")))
                    << e.message().toStdString();
            }
            EXPECT_FALSE(database.isOpen());
        }
        QSqlQuery(other).exec("ROLLBACK");
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
        EXPECT_EQ(bytesOf(m_file), before);
        EXPECT_EQ(hasCodesTable(m_file), withCodes);
    }
}

TEST(SchemaUpgradeText, OnlyDeclarationsOfTheCollationAreRemoved) {
    using SchemaUpgrade::withoutCzechCollation;
    EXPECT_EQ(withoutCzechCollation("CREATE TABLE t (a VARCHAR(255) COLLATE czech, b TEXT collate CZECH)"),
              "CREATE TABLE t (a VARCHAR(255), b TEXT)");
    EXPECT_EQ(withoutCzechCollation("CREATE TABLE t (a TEXT COLLATE \"czech\"NOT NULL, b COLLATE [czech])"),
              "CREATE TABLE t (a TEXT NOT NULL, b)");
    // Other collations, longer names, texts and comments stay.
    const QString kept =
        "CREATE TABLE t (a TEXT COLLATE nocase, b TEXT COLLATE czech_ci, "
        "c TEXT DEFAULT 'x COLLATE czech', d /* COLLATE czech */ TEXT, \"e COLLATE czech\" TEXT, "
        "fCOLLATE czech)";
    EXPECT_EQ(withoutCzechCollation(kept), kept);
}

} // namespace
