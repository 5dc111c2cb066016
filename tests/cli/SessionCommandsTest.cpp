// The headless session, answer and export commands, run in-process on a fresh data folder.
#include "CliRun.h"
#include "data/Database.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SessionCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_EQ(run({"init"}).code, 0);
        Database db(QStringLiteral("session-commands-setup"));
        db.open(m_dir.filePath("skola.mdb"));
        const auto add = [&](const QString &sql, const QVariantMap &params) {
            db.exec(sql, params);
            return QString::number(db.lastInsertId());
        };
        const QString pupil =
            "INSERT INTO zak (id_tridy, jmeno, prijmeni, pohlavi, poradi) VALUES (:c, :j, :p, :k, :o)";
        classA = add("INSERT INTO trida (skola, stupen) VALUES ('ZŠ', '6.A')", {});
        classB = add("INSERT INTO trida (skola, stupen) VALUES ('ZŠ', '6.B')", {});
        adam = add(pupil, {{"c", classA}, {"j", "Adam"}, {"p", "Malý, st."}, {"k", "muž"}, {"o", 1}});
        eva = add(pupil, {{"c", classA}, {"j", "Eva"}, {"p", QVariant()}, {"k", "žena"}, {"o", 2}});
        letter = add(pupil, {{"c", classA}, {"j", "a)"}, {"p", QVariant()}, {"k", "abcde"}, {"o", 3}});
        cizi = add(pupil, {{"c", classB}, {"j", "Cyril"}, {"p", "C"}, {"k", "muž"}, {"o", 1}});
        test = add("INSERT INTO testy (nazev_testu) VALUES ('Vztahy')", {});
        other = add("INSERT INTO testy (nazev_testu) VALUES ('Jiný')", {});
        const QString question =
            "INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, typ, poradi) "
            "VALUES (:t, :a, :b, :y, :o)";
        kdo = add(question, {{"t", test}, {"a", "Kdo?"}, {"b", "Kdo ne?"}, {"y", 0}, {"o", 1}});
        napis = add(question, {{"t", test}, {"a", "Napiš"}, {"b", QVariant()}, {"y", 4}, {"o", 2}});
        foreignQuestion =
            add(question, {{"t", other}, {"a", "Jinde?"}, {"b", QVariant()}, {"y", 0}, {"o", 1}});
        db.close();
    }
    CliRun run(const QStringList &args) { return runCliOn(m_dir.path(), m_dir.path(), args); }
    CliRun answer(const QString &verb, const QString &session, const QString &question,
                  const QString &respondent, const QString &partner, bool negative = false) {
        QStringList args = {"answers", verb,           "--session", session,     "--question",
                            question,  "--respondent", respondent,  "--partner", partner};
        if (negative)
            args << "--negative";
        return run(args);
    }

    QTemporaryDir m_dir;
    QString classA, classB, adam, eva, letter, cizi, test, other, kdo, napis, foreignQuestion;
};

TEST_F(SessionCommandsTest, SessionsAreAddedAndListedNewestFirst) {
    const CliRun older =
        run({"session", "add", "--class", classA, "--questionnaire", test, "--date", "2024-03-05"});
    ASSERT_EQ(older.code, 0) << older.err.toStdString();
    const CliRun today = run({"session", "add", "--class", classA, "--questionnaire", test});
    ASSERT_EQ(today.code, 0) << today.err.toStdString();
    EXPECT_EQ(run({"session", "list", "--class", classA}).out,
              today.out.trimmed() + "\t" + QDate::currentDate().toString("dd.MM.yyyy") + "\tVztahy\n" +
                  older.out.trimmed() + "\t05.03.2024\tVztahy\n");
    EXPECT_EQ(run({"session", "list", "--class", classB}).out, "");

    EXPECT_EQ(run({"session", "add", "--class", "999", "--questionnaire", test}).code, 1);
    EXPECT_EQ(run({"session", "add", "--class", classA, "--questionnaire", "999"}).code, 1);
    EXPECT_EQ(run({"session", "add", "--class", classA, "--questionnaire", test, "--date", "5.3.2024"}).code,
              2);
    EXPECT_EQ(run({"session", "add", "--class", classA}).code, 2);
    EXPECT_EQ(run({"session", "list", "--class", classA}).out.count('\n'), 2);
}

TEST_F(SessionCommandsTest, AnswersAreMarkedOnceRefusedWhenNotOfferedAndExported) {
    const QString s = run({"session", "add", "--class", classA, "--questionnaire", test}).out.trimmed();
    const QString elsewhere =
        run({"session", "add", "--class", classB, "--questionnaire", test}).out.trimmed();

    CliRun r = answer("add", s, kdo, adam, eva);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    r = answer("add", s, kdo, adam, eva);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("už je označena")) << r.out.toStdString();
    EXPECT_EQ(answer("add", s, kdo, eva, adam, true).code, 0);

    for (const CliRun &refused :
         {answer("add", s, kdo, adam, adam), answer("add", s, kdo, adam, letter),
          answer("add", s, kdo, adam, cizi), answer("add", s, foreignQuestion, adam, eva),
          answer("add", elsewhere, kdo, adam, eva), answer("add", s, napis, adam, eva)}) {
        EXPECT_EQ(refused.code, 1);
        EXPECT_FALSE(refused.err.isEmpty());
    }
    EXPECT_EQ(run({"answers", "add", "--session", s, "--question", kdo, "--respondent", adam}).code,
              2); // no partner

    EXPECT_EQ(run({"answers", "text", "--session", s, "--question", napis, "--respondent", eva,
                   "Hodná, \"vtipná\"\nkamarádka"})
                  .code,
              0);
    EXPECT_EQ(run({"answers", "text", "--session", s, "--question", kdo, "--respondent", eva, "x"}).code, 1);

    const CliRun csv = run({"export", "counts", "--session", s});
    ASSERT_EQ(csv.code, 0) << csv.err.toStdString();
    const QStringList lines = csv.out.split("\r\n");
    EXPECT_EQ(lines.first(), "cele_jmeno,id_otazky,id_partnera,cela_otazka,text_otazky,text_otazky_negativni,"
                             "pocet_pozitivni,pocet_negativni,slovy");
    EXPECT_EQ(lines.size(), 1 + 2 * 3 + 1 + 1); // header, zero or counted rows, one free text, the empty end
    EXPECT_TRUE(lines.contains(
        QStringLiteral("\"Adam Malý, st.\",%1,%2,Kdo? / Kdo ne?,Kdo?,Kdo ne?,0,1,").arg(kdo, adam)));
    EXPECT_EQ(lines[lines.size() - 2],
              QStringLiteral("Eva,%1,%2,Kdo? / Kdo ne?,Kdo?,Kdo ne?,1,0,").arg(kdo, eva));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("Eva,%1,%2,Napiš,Napiš,,0,0,\"Hodná, \"\"vtipná\"\"\nkamarádka\"").arg(napis, eva)));

    const QString file = m_dir.filePath("pocty.csv");
    ASSERT_EQ(run({"export", "counts", "--session", s, "--out", file}).code, 0);
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), csv.out);
    EXPECT_EQ(run({"export", "counts", "--session", "999"}).code, 1);

    r = answer("remove", s, kdo, adam, eva);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("odstraněno")) << r.out.toStdString();
    r = answer("remove", s, kdo, adam, eva);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("nebyla označena")) << r.out.toStdString();
    EXPECT_EQ(run({"export", "counts", "--session", s}).out.count(",1,0,"), 0);
}

} // namespace
