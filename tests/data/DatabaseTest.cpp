#include "data/Database.h"
#include "data/Schema.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_db.create(path());
    }
    QString path() const { return m_dir.filePath(QStringLiteral("skola.mdb")); }

    QTemporaryDir m_dir;
    Database m_db{QStringLiteral("test")};
};

TEST_F(DatabaseTest, CreatesEveryTableWithItsColumns)
{
    const QStringList expected[] = {
        {"id", "skola", "stupen", "tridni_ucitel", "datum_zapisu"},
        {"id", "id_tridy", "jmeno", "prijmeni", "pohlavi", "poradi"},
        {"id", "nazev_testu"},
        {"id", "id_testu", "text_otazky", "text_otazky_negativni", "poradi", "poradi_vyhodnoceni", "typ",
         "popis", "nadpis_nad", "popis_pro_web"},
        {"id", "id_tridy", "id_testu", "datum", "pocet_neucast", "poznamky"},
        {"id", "id_vyhodnoceni", "id_otazky", "id_zaka", "id_partnera", "pozitivni", "slovy"},
        {"id", "id_zaka", "datum", "nazev", "poznamka"},
        {"id", "nazev_sablony", "text_sablony"},
        {"id", "id_tridy", "nazev", "cesta", "datum"},
        {"id_vyhodnoceni", "id_zaka", "kod"},
        {"id_vyhodnoceni", "id_otazky", "pozitivni", "id_zaka", "x", "y"},
        {"id_zaka", "id_tridy", "kod"},
    };
    const QStringList tables = Schema::tableNames();
    ASSERT_EQ(tables.size(), 12);
    // Every file of the program has had the first nine; the pupils' codes, the kept sociogram
    // positions and the pseudonyms came later.
    EXPECT_EQ(Schema::requiredTableNames(), tables.mid(0, 9));
    EXPECT_EQ(tables.mid(9), QStringList({"kody_zaku", "rozmisteni", "pseudonymy"}));
    for (int i = 0; i < tables.size(); ++i) {
        SqlQuery query(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(tables[i]));
        query.exec();
        QStringList columns;
        while (query.next())
            columns << query.value(QStringLiteral("name")).toString().toLower();
        EXPECT_EQ(columns, expected[i]) << tables[i].toStdString();
    }
}

TEST_F(DatabaseTest, LikeIsCaseInsensitiveForCzechLetters)
{
    m_db.exec(QStringLiteral("INSERT INTO zak (jmeno, pohlavi) VALUES ('A', 'muž'), ('B', 'žena'), ('C', 'MUŽI')"));
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi LIKE 'MUŽ'")).toInt(), 1);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi LIKE 'Žena'")).toInt(), 1);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi LIKE 'mu%'")).toInt(), 2);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi LIKE '_už'")).toInt(), 1);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi NOT LIKE 'muž'")).toInt(), 2);
    EXPECT_TRUE(m_db.scalar(QStringLiteral("SELECT NULL LIKE 'a'")).isNull());
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT 'a%b' LIKE 'a!%b' ESCAPE '!'")).toInt(), 1);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT 'axb' LIKE 'a!%b' ESCAPE '!'")).toInt(), 0);
}

TEST_F(DatabaseTest, NamedParametersKeyCaseAndLastId)
{
    m_db.exec(QStringLiteral("INSERT INTO trida (skola, stupen) VALUES (:par_skola, :par_stupen)"),
              {{QStringLiteral("par_skola"), QStringLiteral("ZŠ O'Brien")}, {QStringLiteral("par_stupen"), "5.A"}});
    const qint64 id = m_db.lastInsertId();
    EXPECT_GT(id, 0);
    SqlQuery query(m_db, QStringLiteral("SELECT * FROM trida WHERE id = :par_id OR ID = :par_id"));
    query.bind(QStringLiteral("par_id"), id).exec();
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(QStringLiteral("ID")).toLongLong(), id);
    EXPECT_EQ(query.value(QStringLiteral("id")).toLongLong(), id);
    EXPECT_EQ(query.value(QStringLiteral("Skola")).toString(), QStringLiteral("ZŠ O'Brien"));
}

TEST_F(DatabaseTest, BooleansSortTrueFirstWhenDescending)
{
    m_db.exec(QStringLiteral("INSERT INTO odpovedi (id_zaka, pozitivni) VALUES (1, false), (2, true)"));
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT id_zaka FROM odpovedi ORDER BY pozitivni DESC")).toInt(), 2);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM odpovedi WHERE pozitivni = true")).toInt(), 1);
}

TEST_F(DatabaseTest, ErrorsCarryTheEngineMessage)
{
    try {
        m_db.exec(QStringLiteral("SELECT x FROM nowhere"));
        FAIL() << "no error raised";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("nowhere"))) << e.what();
    }
}

TEST_F(DatabaseTest, TransactionRollsBackUnlessCommittedAndNests)
{
    {
        Transaction outer(m_db);
        m_db.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES ('a')"));
        {
            Transaction inner(m_db);
            m_db.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES ('b')"));
        } // inner rolled back
        outer.commit();
    }
    {
        Transaction dropped(m_db);
        m_db.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES ('c')"));
    }
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT group_concat(nazev_testu) FROM testy")).toString(), "a");
}

TEST_F(DatabaseTest, EngineFailuresAreExplainedInCzechWithTheEngineTextAsDetail)
{
    const QString path = m_dir.filePath("poskozena.mdb");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    Database other(QStringLiteral("other"));
    try {
        other.open(path);
        FAIL() << "a file that is not a database was opened";
    } catch (const DatabaseError &error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Soubor "))) << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(QStringLiteral("není databáze programu nebo je poškozený")));
        EXPECT_TRUE(error.message().contains(QStringLiteral("Podrobnosti: file is not a database")));
    }
    // A statement's own error keeps the engine's words.
    EXPECT_THROW(m_db.exec("SELECT * FROM neni_tabulka"), DatabaseError);
    try {
        m_db.exec("SELECT * FROM neni_tabulka");
    } catch (const DatabaseError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("no such table: neni_tabulka"));
    }
}

TEST_F(DatabaseTest, ReopensAnotherFileAndRefusesWhatIsNotADatabase)
{
    m_db.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES ('first')"));
    Database other(QStringLiteral("other"));
    const QString second = m_dir.filePath(QStringLiteral("druha.mdb"));
    other.create(second);
    other.close();

    m_db.open(second);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM testy")).toInt(), 0);
    m_db.open(path());
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM testy")).toInt(), 1);

    EXPECT_THROW(m_db.open(m_dir.filePath(QStringLiteral("chybi.mdb"))), DatabaseError);
    EXPECT_FALSE(m_db.isOpen());
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("chybi.mdb"))));

    QFile junk(m_dir.filePath(QStringLiteral("junk.mdb")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_THROW(m_db.open(junk.fileName()), DatabaseError);
    EXPECT_FALSE(m_db.isOpen());
}

TEST(DatabaseQuoting, QuotesAndDateLiterals)
{
    EXPECT_EQ(Database::quoted(QStringLiteral("O'Neil")), QStringLiteral("'O''Neil'"));
    EXPECT_EQ(Database::dateLiteral(QDate(2012, 9, 3)), QStringLiteral("'2012-09-03'"));
}

} // namespace

// A commit that another program's reader blocks past the busy wait: the change is rolled back and reported,
// and the connection is not left inside the transaction, where every later change would be lost at exit.
TEST_F(DatabaseTest, ACommitThatFailsAsBusyRollsBackAndLeavesTheConnectionUsable)
{
    Database reader(QStringLiteral("reader"));
    reader.open(path());
    reader.exec(QStringLiteral("INSERT INTO trida (skola) VALUES ('první')"));
    reader.exec(QStringLiteral("BEGIN"));
    SqlQuery reading(reader, QStringLiteral("SELECT skola FROM trida"));
    reading.exec();
    ASSERT_TRUE(reading.next()); // holds the shared lock while the statement is open

    try {
        Transaction transaction(m_db);
        m_db.exec(QStringLiteral("INSERT INTO trida (skola) VALUES ('druhá')"));
        transaction.commit();
        FAIL() << "the commit went through a reader's lock";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.explainsItself());
        EXPECT_TRUE(e.message().contains(QStringLiteral("drží jiný program"))) << e.message().toStdString();
    }
    reading.raw().finish();
    reader.exec(QStringLiteral("COMMIT"));

    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 1);
    {
        Transaction transaction(m_db);
        m_db.exec(QStringLiteral("INSERT INTO trida (skola) VALUES ('třetí')"));
        transaction.commit();
    }
    m_db.close();
    EXPECT_EQ(reader.scalar(QStringLiteral("SELECT group_concat(skola, ',') FROM trida")).toString(),
              QStringLiteral("první,třetí"));
}
