// The questionnaire exchange file: export, import, and files that must change nothing.
#include "data/DataFixture.h"

#include "questionnaires/ExchangeFile.h"

#include <QFile>
#include <QSqlDatabase>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class ExchangeFileTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_exchange = std::make_unique<TDM_IE>(m_db, m_folders);
        ASSERT_TRUE(QDir().mkpath(m_folders.dataFolder + "template"));
        Database setup("template-setup");
        setup.create(m_exchange->templateFile(), false);
        Schema::createExchange(setup);
        setup.close();
    }

    // A questionnaire whose questions differ in every one of the eight columns; the two orders differ.
    qint64 addRichQuestionnaire() {
        const qint64 test = addTest("Vztahy ve třídě");
        const char *sql = "INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, poradi, "
                          "poradi_vyhodnoceni, typ, popis, nadpis_nad, popis_pro_web) "
                          "VALUES (:t, :a, :b, :o, :e, :y, :p, :n, :w)";
        insert(sql, {{"t", test},
                     {"a", "S kým sedíš rád(a)?"},
                     {"b", "S kým nechceš sedět?"},
                     {"o", 1},
                     {"e", 3},
                     {"y", 0},
                     {"p", "Jména spolužáků"},
                     {"n", "Část A – vztahy"},
                     {"w", "<b>tučně</b>"}});
        insert(sql, {{"t", test},
                     {"a", "Kdo je 'nejlepší' kamarád?"},
                     {"b", QVariant()},
                     {"o", 2},
                     {"e", 1},
                     {"y", 1},
                     {"p", "Apostrof ' a \"uvozovky\""},
                     {"n", QVariant()},
                     {"w", "Příliš žluťoučký kůň"}});
        insert(sql, {{"t", test},
                     {"a", "Jak se ti líbí ve škole?"},
                     {"b", QVariant()},
                     {"o", 3},
                     {"e", 2},
                     {"y", 4},
                     {"p", QVariant()},
                     {"n", "Ďábelské ódy"},
                     {"w", QVariant()}});
        return test;
    }
    // The eight columns of a questionnaire's questions, in question order.
    QStringList questionsOf(Database &db, qint64 test) {
        SqlQuery query(db,
                       "SELECT text_otazky, text_otazky_negativni, poradi, poradi_vyhodnoceni, typ, popis, "
                       "nadpis_nad, popis_pro_web FROM otazky WHERE id_testu = :t ORDER BY poradi");
        query.bind("t", test).exec();
        QStringList rows;
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < 8; ++i)
                values << (query.value(i).isNull() ? QStringLiteral("NULL") : query.value(i).toString());
            rows << values.join(u'|');
        }
        return rows;
    }
    // An exchange file written by hand.
    QString makeFile(const QString &name, const QStringList &statements) {
        const QString path = m_dir.filePath(name);
        Database file("hand-made");
        file.create(path, false);
        for (const QString &statement : statements)
            file.exec(statement);
        file.close();
        return path;
    }
    QStringList filesIn(const QString &folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<TDM_IE> m_exchange;
};

const QString kTesty = "CREATE TABLE testy (ID INTEGER PRIMARY KEY AUTOINCREMENT, nazev_testu VARCHAR(255))";
const QString kOtazky =
    "CREATE TABLE otazky (ID INTEGER PRIMARY KEY AUTOINCREMENT, id_testu INTEGER, text_otazky "
    "VARCHAR(255), text_otazky_negativni VARCHAR(255), poradi INTEGER, poradi_vyhodnoceni "
    "INTEGER, typ INTEGER, popis VARCHAR(255), nadpis_nad VARCHAR(255), popis_pro_web "
    "VARCHAR(255))";

TEST_F(ExchangeFileTest, ExportThenImportReproducesEveryColumnOfEveryQuestion) {
    const qint64 test = addRichQuestionnaire();
    addTest("Jiný");
    const QString written = m_exchange->exportQuestionnaire(test, m_dir.filePath("vymena"));
    EXPECT_EQ(written, m_dir.filePath("vymena.mdb"));
    EXPECT_FALSE(m_exchange->isConnected());
    EXPECT_FALSE(QSqlDatabase::connectionNames().join(',').contains("orbelis-ie"));
    {
        Database file("check");
        file.open(written, {"testy", "otazky"});
        EXPECT_EQ(file.scalar("SELECT count(*) FROM testy").toInt(), 1);
        EXPECT_EQ(file.scalar("SELECT nazev_testu FROM testy").toString(), "Vztahy ve třídě");
        EXPECT_EQ(file.scalar("SELECT count(*) FROM otazky WHERE id_testu = (SELECT ID FROM testy)").toInt(),
                  3);
        EXPECT_EQ(questionsOf(file, file.scalar("SELECT ID FROM testy").toLongLong()),
                  questionsOf(m_db, test));
    }

    const std::optional<qint64> imported = m_exchange->importQuestionnaire(written);
    ASSERT_TRUE(imported);
    EXPECT_NE(*imported, test);
    EXPECT_FALSE(m_exchange->isConnected());
    // Named after the file, not after the name stored in it.
    EXPECT_EQ(m_db.scalar("SELECT nazev_testu FROM testy WHERE ID = :i", {{"i", *imported}}).toString(),
              "vymena");
    EXPECT_EQ(questionsOf(m_db, *imported), questionsOf(m_db, test));
    EXPECT_EQ(questionsOf(m_db, *imported).size(), 3);
    EXPECT_TRUE(questionsOf(m_db, *imported).join('\n').contains("Kdo je 'nejlepší' kamarád?"));
}

TEST_F(ExchangeFileTest, KindsTheProgramDoesNotKnowTravelAsTheyAre) {
    const qint64 test = addTest("Jiná verze");
    addQuestion(test, "Sedm", QVariant(), 7, 1);
    const qint64 empty = addQuestion(test, "Bez druhu", QVariant(), 0, 2);
    m_db.exec("UPDATE otazky SET typ = NULL WHERE ID = :i", {{"i", empty}});
    addQuestion(test, "Záporný", QVariant(), -2, 3);
    addQuestion(test, "Slovní", QVariant(), 4, 4);
    const QString written = m_exchange->exportQuestionnaire(test, m_dir.filePath("druhy"));
    {
        Database file("check");
        file.open(written, {"testy", "otazky"});
        EXPECT_EQ(file.scalar("SELECT group_concat(typ, ',') FROM (SELECT typ FROM otazky ORDER BY poradi)")
                      .toString(),
                  "7,0,-2,4");
    }
    const std::optional<qint64> imported = m_exchange->importQuestionnaire(written);
    ASSERT_TRUE(imported);
    EXPECT_EQ(m_db.scalar("SELECT group_concat(typ, ',') FROM (SELECT typ FROM otazky WHERE id_testu = :t "
                          "ORDER BY poradi)",
                          {{"t", *imported}})
                  .toString(),
              "7,0,-2,4");

    // What is no whole number of the column's range is still refused, and nothing is written.
    const QStringList before = snapshot();
    for (const QString &kind :
         {QStringLiteral("'sedm'"), QStringLiteral("2.5"), QStringLiteral("4294967296")}) {
        const QString file = makeFile("spatny" + QString::number(qHash(kind)) + ".mdb",
                                      {kTesty, kOtazky, "INSERT INTO testy (nazev_testu) VALUES ('A')",
                                       "INSERT INTO otazky (id_testu, text_otazky, typ) VALUES (1, 'a', " +
                                           kind + ")"});
        try {
            m_exchange->importQuestionnaire(file);
            ADD_FAILURE() << kind.toStdString();
        } catch (const ExchangeRefused &e) {
            EXPECT_TRUE(e.message().contains("má u 1. otázky neplatný druh otázky"))
                << e.message().toStdString();
        }
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(ExchangeFileTest, FilesOfThePreviousReleaseImportUntouchedAndExportsDeclareNoCollation) {
    // The previous release declared the collation "czech" on the text columns of the template and of
    // every file it exported.
    const QString declared = " COLLATE czech";
    const QString oldTesty = QString(kTesty).replace("VARCHAR(255)", "VARCHAR(255)" + declared);
    const QString oldOtazky = QString(kOtazky).replace("VARCHAR(255)", "VARCHAR(255)" + declared);
    ASSERT_TRUE(QFile::remove(m_exchange->templateFile()));
    {
        Database setup("old-template");
        setup.create(m_exchange->templateFile(), false);
        setup.exec(oldTesty);
        setup.exec(oldOtazky);
    }
    const qint64 test = addRichQuestionnaire();
    const QString written = m_exchange->exportQuestionnaire(test, m_dir.filePath("nova"));
    {
        Database file("check");
        file.open(written, {"testy", "otazky"}, Database::Opening::LeaveSchema);
        EXPECT_EQ(file.scalar("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%COLLATE%'").toInt(), 0);
        EXPECT_EQ(questionsOf(file, file.scalar("SELECT ID FROM testy").toLongLong()), questionsOf(m_db, test));
    }

    const QString old = makeFile("stary.mdb", {oldTesty, oldOtazky, "INSERT INTO testy (nazev_testu) VALUES ('A')",
                                               "INSERT INTO otazky (id_testu, text_otazky, poradi, "
                                               "poradi_vyhodnoceni, typ) VALUES (1, 'Čí?', 1, 1, 0)"});
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    const std::optional<qint64> id = m_exchange->importQuestionnaire(old);
    ASSERT_TRUE(id);
    EXPECT_EQ(questionsOf(m_db, *id), QStringList{"Čí?|NULL|1|1|0|NULL|NULL|NULL"});
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes); // a file from outside is only read
}

TEST_F(ExchangeFileTest, MdbIsAppendedOnlyWhenTheNameLacksIt) {
    EXPECT_EQ(TDM_IE::exportTarget("/x/dotaznik"), "/x/dotaznik.mdb");
    EXPECT_EQ(TDM_IE::exportTarget("/x/dotaznik.mdb"), "/x/dotaznik.mdb");
    EXPECT_EQ(TDM_IE::exportTarget("/x/DOTAZNIK.MDB"), "/x/DOTAZNIK.MDB");
    EXPECT_EQ(TDM_IE::exportTarget("/x/dotaznik.txt"), "/x/dotaznik.txt.mdb");
    const qint64 test = addRichQuestionnaire();
    EXPECT_EQ(m_exchange->exportQuestionnaire(test, m_dir.filePath("a.mdb")), m_dir.filePath("a.mdb"));
    EXPECT_TRUE(QFileInfo::exists(m_dir.filePath("a.mdb")));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("a.mdb.mdb")));
    EXPECT_EQ(TDM_IE::importName(m_dir.filePath("a.mdb")), "a");
    EXPECT_EQ(TDM_IE::importName("/x/třída 5.A.mdb"), "třída 5.A");
}

TEST_F(ExchangeFileTest, AnEmptyOrderTakesTheRunningNumberAndAnEmptyKindIsZero) {
    const QString file =
        makeFile("rucne.mdb", {kTesty, kOtazky, "INSERT INTO testy (nazev_testu) VALUES ('Cokoli')",
                               "INSERT INTO otazky (id_testu, text_otazky, poradi, poradi_vyhodnoceni, typ) "
                               "VALUES (7, 'a', 5, NULL, 2)",
                               "INSERT INTO otazky (id_testu, text_otazky, poradi, poradi_vyhodnoceni, typ) "
                               "VALUES (7, 'b', NULL, '', NULL)",
                               "INSERT INTO otazky (id_testu, text_otazky, poradi, poradi_vyhodnoceni, typ) "
                               "VALUES (9, 'c', '', 1, '')"});
    const std::optional<qint64> id = m_exchange->importQuestionnaire(file);
    ASSERT_TRUE(id);
    EXPECT_EQ(questionsOf(m_db, *id),
              QStringList({"b|NULL|2|2|0|NULL|NULL|NULL", "c|NULL|3|1|0|NULL|NULL|NULL",
                           "a|NULL|5|1|2|NULL|NULL|NULL"}));
}

TEST_F(ExchangeFileTest, AFileWithoutExactlyOneQuestionnaireIsIgnored) {
    addRichQuestionnaire();
    const QStringList before = snapshot();
    const QString two = makeFile("dva.mdb", {kTesty, kOtazky, "INSERT INTO testy (nazev_testu) VALUES ('A')",
                                             "INSERT INTO testy (nazev_testu) VALUES ('B')",
                                             "INSERT INTO otazky (id_testu, text_otazky) VALUES (1, 'x')"});
    EXPECT_FALSE(m_exchange->importQuestionnaire(two));
    const QString none = makeFile("zadny.mdb", {kTesty, kOtazky});
    EXPECT_FALSE(m_exchange->importQuestionnaire(none));
    EXPECT_EQ(snapshot(), before);

    // The window says nothing about an ignored file.
    m_prompter.answer(two);
    EXPECT_FALSE(m_exchange->importWithPrompts(m_prompter));
    EXPECT_TRUE(m_prompter.messages().isEmpty());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(ExchangeFileTest, AFileThatIsNoExchangeFileIsRefusedAndChangesNothing) {
    addRichQuestionnaire();
    const QStringList before = snapshot();
    QFile text(m_dir.filePath("text.mdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    const QStringList files = {
        text.fileName(),
        makeFile("prazdna.mdb", {}),
        makeFile("bez_otazek.mdb", {kTesty, "INSERT INTO testy (nazev_testu) VALUES ('A')"}),
        makeFile("sloupec.mdb",
                 {kTesty, "CREATE TABLE otazky (ID INTEGER PRIMARY KEY, id_testu INTEGER, text_otazky TEXT)",
                  "INSERT INTO testy (nazev_testu) VALUES ('A')"}),
        makeFile("druh.mdb", {kTesty, kOtazky, "INSERT INTO testy (nazev_testu) VALUES ('A')",
                              "INSERT INTO otazky (id_testu, text_otazky, typ) VALUES (1, 'a', 0)",
                              "INSERT INTO otazky (id_testu, text_otazky, typ) VALUES (1, 'b', 'x')"}),
    };
    for (const QString &file : files) {
        EXPECT_THROW(m_exchange->importQuestionnaire(file), ExchangeRefused) << file.toStdString();
        EXPECT_FALSE(m_exchange->isConnected());
    }
    EXPECT_EQ(snapshot(), before);

    m_prompter.answer(text.fileName());
    EXPECT_FALSE(m_exchange->importWithPrompts(m_prompter));
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].startsWith("Soubor \"" + QDir::toNativeSeparators(text.fileName()) +
                                                    "\" není soubor s exportovaným dotazníkem"))
        << m_prompter.messages()[0].toStdString();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(ExchangeFileTest, AnImportThatFailsHalfWayLeavesNothing) {
    const qint64 test = addRichQuestionnaire();
    const QString file = m_exchange->exportQuestionnaire(test, m_dir.filePath("vymena"));
    m_db.exec(
        "CREATE TRIGGER druha BEFORE INSERT ON otazky WHEN (SELECT count(*) FROM otazky WHERE id_testu = "
        "NEW.id_testu) >= 1 BEGIN SELECT RAISE(ABORT, 'druhá otázka odmítnuta'); END");
    const QStringList before = snapshot();
    m_prompter.answer(file);
    EXPECT_FALSE(m_exchange->importWithPrompts(m_prompter));
    ASSERT_EQ(m_prompter.messages().size(), 2);
    EXPECT_EQ(m_prompter.messages()[0], "Při importu došlo k chybě. Obraťte se na autora programu.");
    EXPECT_TRUE(m_prompter.messages()[1].contains("druhá otázka odmítnuta"))
        << m_prompter.messages()[1].toStdString();
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(m_exchange->isConnected());
}

TEST_F(ExchangeFileTest, TheWindowCommandsReportSuccessAndFailure) {
    const qint64 test = addRichQuestionnaire();
    // Cancelled dialogs do nothing.
    EXPECT_TRUE(m_exchange->exportWithPrompts(m_prompter, test).isEmpty());
    EXPECT_FALSE(m_exchange->importWithPrompts(m_prompter));
    EXPECT_TRUE(m_prompter.messages().isEmpty());

    m_prompter.answer(m_dir.filePath("okno"));
    EXPECT_EQ(m_exchange->exportWithPrompts(m_prompter, test), m_dir.filePath("okno.mdb"));
    EXPECT_EQ(m_prompter.messages(), QStringList{"Export dopadl úspěšně."});
    EXPECT_EQ(m_prompter.prompts()[2].kind, "save");
    m_prompter.clear();
    m_prompter.answer(m_dir.filePath("okno.mdb"));
    const std::optional<qint64> id = m_exchange->importWithPrompts(m_prompter);
    ASSERT_TRUE(id);
    EXPECT_EQ(m_prompter.messages(), QStringList{"Import dopadl úspěšně."});

    // A damaged template: the export fails with both messages and leaves neither the file nor a part of it.
    QFile damaged(m_exchange->templateFile());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(2048, 'z'));
    damaged.close();
    const QString folder = m_dir.filePath("vystup");
    ASSERT_TRUE(QDir().mkpath(folder));
    m_prompter.clear();
    m_prompter.answer(folder + "/spatne");
    EXPECT_TRUE(m_exchange->exportWithPrompts(m_prompter, test).isEmpty());
    ASSERT_EQ(m_prompter.messages().size(), 2);
    EXPECT_EQ(m_prompter.messages()[0], "Při exportu došlo k chybě. Obraťte se na autora programu.");
    EXPECT_TRUE(filesIn(folder).isEmpty()) << filesIn(folder).join(' ').toStdString();
    EXPECT_FALSE(m_exchange->isConnected());
}

TEST_F(ExchangeFileTest, ExportNeverOverwritesTheOpenDatabaseOrTheTemplate) {
    const qint64 test = addRichQuestionnaire();
    const QStringList before = snapshot();
    EXPECT_THROW(m_exchange->exportQuestionnaire(test, m_db.filePath()), ExchangeRefused);
    EXPECT_THROW(m_exchange->exportQuestionnaire(test, m_exchange->templateFile()), ExchangeRefused);
    EXPECT_THROW(m_exchange->exportQuestionnaire(test + 100, m_dir.filePath("nic")), ExchangeRefused);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("nic.mdb")));
    EXPECT_EQ(snapshot(), before);
    Database templateFile("template-check");
    templateFile.open(m_exchange->templateFile(), {"testy", "otazky"});
    EXPECT_EQ(templateFile.scalar("SELECT count(*) FROM testy").toInt(), 0);
}

TEST_F(ExchangeFileTest, AMissingTemplateIsMadeAfreshForTheExport) {
    const qint64 test = addRichQuestionnaire();
    ASSERT_TRUE(QFile::remove(m_exchange->templateFile()));
    const QString file = m_exchange->exportQuestionnaire(test, m_dir.filePath("bez_sablony"));
    const std::optional<qint64> id = m_exchange->importQuestionnaire(file);
    ASSERT_TRUE(id);
    EXPECT_EQ(questionsOf(m_db, *id), questionsOf(m_db, test));
}

} // namespace
