// Every text and file the headless output commands make for the demo class (and a second, smaller session
// and questionnaire beside it), compared byte for byte with the files recorded in tests/cli/golden/outputs/.
// A change of any output, however small, shows here with the case that changed. Run with
// ORBELIS_RECORD_GOLDEN=1 to write the files anew after a deliberate change of an output, and review the
// diff.
#include "../automation/DocxPackage.h"
#include "CliRun.h"
#include "data/Database.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kGoldenFolder = QStringLiteral(ORBELIS_OUTPUT_GOLDEN_DIR);

bool recording() {
    return qEnvironmentVariableIntValue("ORBELIS_RECORD_GOLDEN") == 1;
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A .docx as text: every part of the package by name, in name order. The parts are what a word processor
// reads; the zip container around them is not compared.
QByteArray docxParts(const QString &path) {
    QString error;
    const QMap<QString, QByteArray> parts = readZip(path, &error);
    QByteArray text;
    for (auto it = parts.cbegin(); it != parts.cend(); ++it)
        text += "=== " + it.key().toUtf8() + " (" + QByteArray::number(it.value().size()) + " bytes)\n" +
                it.value() + "\n";
    return parts.isEmpty() ? ("not a zip: " + error.toUtf8()) : text;
}

class OutputGoldenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        const DemoIds demo = writeDemo(m_dir.path(), m_dir.path());
        ASSERT_TRUE(demo.ok()) << demo.run.out.toStdString() << demo.run.err.toStdString();
        m_class = demo.classId;
        m_questionnaire = demo.questionnaire;
        m_session = demo.session;

        Database db(QStringLiteral("output-golden-setup"));
        db.open(m_dir.filePath("skola.mdb"));
        // The demo dates its rows by today; the outputs print them.
        db.exec("UPDATE vyhodnoceni SET datum = '2024-10-07 00:00:00' WHERE ID = :s", {{"s", m_session}});
        db.exec("UPDATE trida SET datum_zapisu = '2024-09-02 00:00:00'");
        SqlQuery questions(db, "SELECT ID FROM otazky WHERE id_testu = :t ORDER BY poradi");
        questions.bind("t", m_questionnaire).exec();
        while (questions.next())
            m_questions << questions.value(0).toString();
        ASSERT_EQ(m_questions.size(), 5);

        // A second session of the same questionnaire: a time of day, notes of two lines with the blanks and
        // dots the report cleans, a mutual pair, a choice answered the other way, a free text.
        db.exec(
            "INSERT INTO vyhodnoceni (id_tridy, id_testu, datum, pocet_neucast, poznamky) VALUES (:c, :t, "
            "'2025-03-14 10:30:00', 0, :n)",
            {{"c", m_class},
             {"t", m_questionnaire},
             {"n", QStringLiteral("Třída  je . , klidná\r\nDruhý řádek (pozn. )")}});
        m_second = QString::number(db.lastInsertId());
        QStringList pupils;
        SqlQuery roster(db,
                        "SELECT ID FROM zak WHERE id_tridy = :c AND pohlavi IN ('muž', 'žena') ORDER BY ID");
        roster.bind("c", m_class).exec();
        while (roster.next())
            pupils << roster.value(0).toString();
        ASSERT_GE(pupils.size(), 4);
        const auto answer = [&](const QString &question, const QString &from, const QString &to, int positive,
                                const QVariant &text = QVariant()) {
            db.exec(
                "INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni, slovy) "
                "VALUES (:v, :q, :z, :p, :b, :s)",
                {{"v", m_second}, {"q", question}, {"z", from}, {"p", to}, {"b", positive}, {"s", text}});
        };
        answer(m_questions[0], pupils[0], pupils[1], 1);
        answer(m_questions[0], pupils[1], pupils[0], 1);
        answer(m_questions[0], pupils[2], pupils[0], 1);
        answer(m_questions[0], pupils[0], pupils[2], 0);
        answer(m_questions[0], pupils[3], pupils[2], 0);
        answer(m_questions[1], pupils[3], pupils[0], 1);
        answer(m_questions[4], pupils[2], "-1", 1, QStringLiteral("Víc  výletů ."));

        // A questionnaire with the odd cases of the previews: a question without a kind, one without a
        // position, a heading, descriptions; two questions share their position, and two their evaluation
        // position while their positions differ the other way round than their ids.
        db.exec("INSERT INTO testy (nazev_testu) VALUES ('Doplňkový \"dotazník\"')");
        m_extra = QString::number(db.lastInsertId());
        const auto question = [&](const QString &text, const QVariant &negative, const QVariant &typ,
                                  const QVariant &order, const QVariant &evaluation, const QVariant &heading,
                                  const QVariant &popis, const QVariant &web) {
            db.exec("INSERT INTO otazky (id_testu, text_otazky, text_otazky_negativni, typ, poradi, "
                    "poradi_vyhodnoceni, nadpis_nad, popis, popis_pro_web) VALUES (:t, :a, :b, :y, :o, :v, "
                    ":h, :p, :w)",
                    {{"t", m_extra},
                     {"a", text},
                     {"b", negative},
                     {"y", typ},
                     {"o", order},
                     {"v", evaluation},
                     {"h", heading},
                     {"p", popis},
                     {"w", web}});
            return QString::number(db.lastInsertId());
        };
        m_extraQuestions << question("Kdo ti pomáhá?", "Kdo ti nepomáhá?", 0, 2, 1, "Pomoc", "Pro učitele",
                                     "Vyber");
        m_extraQuestions << question("Bez druhu", QVariant(), QVariant(), 2, 2, QVariant(), QVariant(),
                                     QVariant());
        m_extraQuestions << question("Známka?", QVariant(), 2, 1, 1, QVariant(), "Škála", QVariant());
        m_extraQuestions << question("Bez pořadí", QVariant(), 3, QVariant(), QVariant(), QVariant(),
                                     QVariant(), "Ano/ne");
        m_extraQuestions << question("Napiš", QVariant(), 4, 3, 0, "Slovem", QVariant(), QVariant());
        db.close();
    }

    CliRun run(const QStringList &args) { return runCliOn(m_dir.path(), m_dir.path(), args); }

    // Runs a command that writes to standard output and compares that output.
    void expectOutput(const QString &name, const QStringList &args) {
        const CliRun r = run(args);
        ASSERT_EQ(r.code, 0) << name.toStdString() << ": " << r.err.toStdString();
        expectGolden(name, r.out.toUtf8());
    }
    // Runs a command that writes the file `name` and compares the file (a .docx by its parts).
    void expectFile(const QString &name, QStringList args) {
        const QString path = m_dir.filePath(name);
        args << "--out" << path;
        const CliRun r = run(args);
        ASSERT_EQ(r.code, 0) << name.toStdString() << ": " << r.err.toStdString();
        if (name.endsWith(".docx"))
            expectGolden(name + ".txt", docxParts(path));
        else
            expectGolden(name, readFile(path));
    }
    void expectGolden(const QString &name, const QByteArray &actual) {
        const QString path = kGoldenFolder + u'/' + name;
        if (recording()) {
            QDir().mkpath(kGoldenFolder);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
            file.write(actual);
            return;
        }
        ASSERT_TRUE(QFile::exists(path)) << "no golden file " << path.toStdString();
        const QByteArray expected = readFile(path);
        if (expected != actual) {
            // The actual output beside the test's data folder, for a diff by hand.
            QFile kept(QDir::temp().filePath(QStringLiteral("orbelis-actual-") + name));
            if (kept.open(QIODevice::WriteOnly | QIODevice::Truncate))
                kept.write(actual);
            ADD_FAILURE() << name.toStdString() << " differs from its golden file (actual output in "
                          << kept.fileName().toStdString() << ")";
        }
    }

    QTemporaryDir m_dir;
    QString m_class, m_questionnaire, m_session, m_second, m_extra;
    QStringList m_questions, m_extraQuestions;
};

TEST_F(OutputGoldenTest, ReportsInEveryFormAndWithEveryOption) {
    const QList<std::pair<QString, QStringList>> options = {{"plain", {}},
                                                            {"zeros", {"--zeros"}},
                                                            {"names", {"--names"}},
                                                            {"zeros-names", {"--zeros", "--names"}}};
    for (const auto &[session, label] :
         {std::pair(m_session, QStringLiteral("demo")), std::pair(m_second, QStringLiteral("second"))})
        for (const auto &[suffix, flags] : options)
            expectOutput(QStringLiteral("report-%1-%2.txt").arg(label, suffix),
                         QStringList{"report", "--session", session} + flags);
    expectFile("report-demo-zeros-names.html", {"report", "--session", m_session, "--zeros", "--names"});
    expectFile("report-demo-zeros-names.docx", {"report", "--session", m_session, "--zeros", "--names"});
    expectFile("report-second-plain.html", {"report", "--session", m_second});
    expectFile("report-second-plain.docx", {"report", "--session", m_second});
    // Written to a text file, the report is what standard output shows.
    const QString text = m_dir.filePath("report.txt");
    ASSERT_EQ(run({"report", "--session", m_session, "--zeros", "--out", text}).code, 0);
    EXPECT_EQ(readFile(text), readFile(kGoldenFolder + "/report-demo-zeros.txt"));
}

TEST_F(OutputGoldenTest, SociogramsOfBothWordingsAndOfAnOptionQuestion) {
    const auto sociogram = [&](const QString &session, const QString &question) {
        return QStringList{"sociogram", "--session", session, "--question", question};
    };
    expectFile("sociogram-demo-q1.sgp", sociogram(m_session, m_questions[0]));
    expectFile("sociogram-demo-q1-negative.sgp", sociogram(m_session, m_questions[0]) << "--negative");
    expectFile("sociogram-demo-q2-coefficient3.sgp", sociogram(m_session, m_questions[1]) << "--coefficient"
                                                                                          << "3");
    expectFile("sociogram-demo-q3.sgp", sociogram(m_session, m_questions[2]));
    expectFile("sociogram-second-q1.sgp", sociogram(m_second, m_questions[0]));
    expectFile("sociogram-second-q1-negative.sgp", sociogram(m_second, m_questions[0]) << "--negative");
}

TEST_F(OutputGoldenTest, QuestionnairePreviewsOfEveryKindAndTheSheets) {
    for (const auto &[id, label] :
         {std::pair(m_questionnaire, QStringLiteral("demo")), std::pair(m_extra, QStringLiteral("extra"))}) {
        for (const char *kind : {"assignment", "evaluation"})
            expectOutput(QStringLiteral("preview-%1-%2.txt").arg(label, QString::fromLatin1(kind)),
                         {"questionnaire", "preview", "--id", id, "--kind", kind});
        expectFile(QStringLiteral("sheet-%1.docx").arg(label), {"questionnaire", "sheet", "--id", id});
    }
    const QStringList questions = m_questions + m_extraQuestions;
    for (qsizetype i = 0; i < questions.size(); ++i)
        expectOutput(QStringLiteral("preview-question-%1.txt").arg(i + 1),
                     {"questionnaire", "preview", "--question", questions[i], "--kind", "question"});
}

TEST_F(OutputGoldenTest, SessionListsAndAnswerCounts) {
    expectOutput("session-list.txt", {"session", "list", "--class", m_class});
    expectOutput("export-counts-demo.csv", {"export", "counts", "--session", m_session});
    expectOutput("export-counts-second.csv", {"export", "counts", "--session", m_second});
    // Written to a file, the counts are what standard output shows.
    const QString file = m_dir.filePath("counts.csv");
    ASSERT_EQ(run({"export", "counts", "--session", m_second, "--out", file}).code, 0);
    EXPECT_EQ(readFile(file), readFile(kGoldenFolder + "/export-counts-second.csv"));
}

} // namespace

namespace {

TEST_F(OutputGoldenTest, MissingIdsAndForeignQuestionsAreRefusedWithTheirReason) {
    const auto refused = [&](const QStringList &args, const QString &reason) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(reason)) << args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
    };
    const QString none = QStringLiteral("Vyhodnocení s ID 9999 neexistuje.");
    refused({"report", "--session", "9999"}, none);
    refused({"export", "counts", "--session", "9999"}, none);
    refused(
        {"sociogram", "--session", "9999", "--question", m_questions[0], "--out", m_dir.filePath("s.sgp")},
        none);
    refused({"session", "list", "--class", "9999"}, "Třída s ID 9999 neexistuje.");
    refused({"questionnaire", "preview", "--id", "9999", "--kind", "evaluation"},
            "Dotazník s ID 9999 neexistuje.");
    refused({"questionnaire", "sheet", "--id", "9999", "--out", m_dir.filePath("z.docx")},
            "Dotazník s ID 9999 neexistuje.");
    refused({"questionnaire", "preview", "--question", "9999", "--kind", "question"},
            "Otázka s ID 9999 neexistuje.");
    // A question of another questionnaire, and a negative sociogram of a question without a negative wording.
    refused(
        {"sociogram", "--session", m_session, "--question", m_extraQuestions[0], "--out",
         m_dir.filePath("s.sgp")},
        QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2.").arg(m_extraQuestions[0], m_session));
    refused({"sociogram", "--session", m_session, "--question", m_questions[1], "--negative", "--out",
             m_dir.filePath("s.sgp")},
            QStringLiteral("Otázka %1 nepatří do dotazníku vyhodnocení %2 nebo nemá negativní znění.")
                .arg(m_questions[1], m_session));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("s.sgp")));
    EXPECT_FALSE(QFile::exists(m_dir.filePath("z.docx")));
}

} // namespace
