// `orbelis-cli compare` and `trend` run in-process on a data folder with one class surveyed twice.
#include "cli/Cli.h"
#include "data/DataFixture.h"
#include "support/Poppler.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class CompareCommandTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("6.B"), QStringLiteral("Dvořák"));
        m_test = addTest(QStringLiteral("Vztahy"));
        m_question = addQuestion(m_test, QStringLiteral("S kým sedíš?"), QStringLiteral("S kým nesedíš?"), 0, 1);
        m_words = addQuestion(m_test, QStringLiteral("Co bys změnil?"), QVariant(), 4, 2);
        m_adam = addPupil(m_class, QStringLiteral("Adam"), QStringLiteral("Bílý"), QStringLiteral("muž"), 1);
        m_eva = addPupil(m_class, QStringLiteral("Eva"), QStringLiteral("Malá"), QStringLiteral("žena"), 2);
        m_ota = addPupil(m_class, QStringLiteral("Ota"), QStringLiteral("Veselý"), QStringLiteral("muž"), 3);
        m_before = addSession(m_class, m_test, QStringLiteral("2026-09-10 00:00:00"));
        addAnswer(m_before, m_question, m_adam, m_eva);
        addAnswer(m_before, m_question, m_eva, m_adam);
        addAnswer(m_before, m_question, m_ota, m_eva);
        // Later Ota and Eva choose each other and Adam stays away.
        m_after = addSession(m_class, m_test, QStringLiteral("2027-01-15 00:00:00"));
        addAnswer(m_after, m_question, m_eva, m_ota);
        addAnswer(m_after, m_question, m_ota, m_eva);
    }
    int run(const QStringList &args, QString *outText = nullptr, QString *errText = nullptr) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = runCli(QStringList{QStringLiteral("--data"), m_folders.dataFolder} + args,
                                m_folders.programFolder, o, e);
        o.flush();
        e.flush();
        if (outText)
            *outText = out;
        if (errText)
            *errText = err;
        return code;
    }
    QStringList compare(qint64 from, qint64 to) {
        return {QStringLiteral("compare"), QStringLiteral("--from"), QString::number(from), QStringLiteral("--to"),
                QString::number(to), QStringLiteral("--question"), QString::number(m_question)};
    }

    qint64 m_class = 0, m_test = 0, m_question = 0, m_words = 0, m_adam = 0, m_eva = 0, m_ota = 0;
    qint64 m_before = 0, m_after = 0;
};

TEST_F(CompareCommandTest, JsonNamesThePresenceAndThePairChanges) {
    QString out, err;
    ASSERT_EQ(run(compare(m_before, m_after) << QStringLiteral("--format") << QStringLiteral("json"), &out, &err), 0)
        << err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(root.value(QStringLiteral("to")).toObject().value(QStringLiteral("session")).toInteger(), m_after);
    const QJsonArray pupils = root.value(QStringLiteral("pupils")).toArray();
    ASSERT_EQ(pupils.size(), 3);
    EXPECT_EQ(pupils.at(0).toObject().value(QStringLiteral("in")).toString(), QStringLiteral("from"));
    EXPECT_EQ(pupils.at(2).toObject().value(QStringLiteral("pos_received_delta")).toInt(), 1);
    const QJsonObject pos = root.value(QStringLiteral("mutual_pos")).toObject();
    EXPECT_EQ(pos.value(QStringLiteral("new")).toArray(), (QJsonArray{QJsonArray{m_eva, m_ota}}));
    EXPECT_TRUE(pos.value(QStringLiteral("broken")).toArray().isEmpty()); // Adam was away
    EXPECT_TRUE(root.value(QStringLiteral("group_delta")).toObject().contains(QStringLiteral("cohesion")));

    ASSERT_EQ(run(compare(m_before, m_after), &out, &err), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Srovnání vyhodnocení\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Adam Bílý"))) << out.toStdString();
}

TEST_F(CompareCommandTest, RefusalsAreCzechWithExitOneAndMistypedCallsExitTwo) {
    QString err;
    const qint64 otherClass = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("7.A"), QStringLiteral("Malá"));
    const qint64 foreign = addSession(otherClass, m_test, QStringLiteral("2027-01-15 00:00:00"));
    EXPECT_EQ(run(compare(m_before, foreign), nullptr, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("nejsou ze stejné třídy"))) << err.toStdString();
    EXPECT_EQ(run(compare(m_before, 4242), nullptr, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("4242"))) << err.toStdString();
    QStringList words = compare(m_before, m_after);
    words[6] = QString::number(m_words);
    EXPECT_EQ(run(words, nullptr, &err), 1);
    EXPECT_FALSE(err.isEmpty());
    EXPECT_EQ(run(compare(m_before, m_after) << QStringLiteral("--question-to") << QStringLiteral("x"), nullptr, &err), 2);
    EXPECT_EQ(run(compare(m_before, m_after) << QStringLiteral("--format") << QStringLiteral("xml"), nullptr, &err), 2);
    EXPECT_EQ(run({QStringLiteral("trend"), QStringLiteral("--class"), QString::number(m_class),
                   QStringLiteral("--question-text"), QStringLiteral("Kdo chybí?")},
                  nullptr, &err),
              1);
}

TEST_F(CompareCommandTest, TrendAndFilesCarryEverySession) {
    QString out, err;
    ASSERT_EQ(run({QStringLiteral("trend"), QStringLiteral("--class"), QString::number(m_class),
                   QStringLiteral("--question-text"), QStringLiteral("s kým sedíš?"), QStringLiteral("--format"),
                   QStringLiteral("csv")},
                  &out, &err),
              0)
        << err.toStdString();
    const QStringList lines = out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("LM 10. 9. 2026;Status 10. 9. 2026;LM 15. 1. 2027")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Adam Bílý;1;průměrný;chyběl"))) << lines[1].toStdString();

    const QString docx = m_folders.dataFolder + QStringLiteral("/srovnani.docx");
    ASSERT_EQ(run(compare(m_before, m_after) << QStringLiteral("--out") << docx, &out, &err), 0) << err.toStdString();
    QFile file(docx);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(2) == "PK");
}

} // namespace

// `groups`: the text form by names, the JSON form by ids, and refusals with their exit codes.
TEST_F(CompareCommandTest, GroupsArrangesTheClassAndRefusesWhatCannotBe) {
    QString out, err;
    const QStringList groups = {"groups", "--session", QString::number(m_before), "--question",
                                QString::number(m_question)};
    ASSERT_EQ(run(groups + QStringList{"--groups", "1"}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("Skupina 1 (3): Adam Bílý, Eva Malá, Ota Veselý\n")));
    EXPECT_TRUE(
        out.contains(QStringLiteral("Každý žák má ve skupině aspoň jednoho spolužáka, kterého si vybral.")));
    ASSERT_EQ(run(groups + QStringList{"--pairs", "--format", "json"}, &out, &err), 0) << err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(root.value("sizes").toArray(), QJsonArray({3}));
    EXPECT_EQ(root.value("seed").toInt(), 1);
    EXPECT_EQ(run(groups + QStringList{"--sizes", "2,2"}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("součtem 3")));
    EXPECT_EQ(run(groups + QStringList{"--groups", "2", "--together",
                                       QStringLiteral("%1:%2").arg(m_adam).arg(m_eva), "--apart",
                                       QStringLiteral("%1:%2").arg(m_eva).arg(m_adam)},
                  &out, &err),
              1);
    EXPECT_EQ(err, QStringLiteral("Žáci Adam Bílý a Eva Malá mají být spolu i zvlášť.\n"));
    EXPECT_EQ(run({"groups", "--session", "999", "--question", "1", "--groups", "2"}, &out, &err), 1);
    EXPECT_EQ(run(groups + QStringList{"--question", QString::number(m_words), "--groups", "2"}, &out, &err),
              1);
    EXPECT_EQ(run(groups, &out, &err), 2); // no sizes

    // The documents by suffix: each pupil's card with its mark, the score in words.
    const QString html = m_folders.dataFolder + QStringLiteral("skupiny.html");
    ASSERT_EQ(run(groups + QStringList{"--groups", "1", "--out", html}, &out, &err), 0) << err.toStdString();
    QFile page(html);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("<h2>Skupina 1 (3)</h2>")));
    EXPECT_TRUE(text.contains(QStringLiteral("<li>Ota Veselý  ✓</li>")));
    EXPECT_TRUE(text.contains(QStringLiteral("Každý žák má ve skupině aspoň jednoho spolužáka")));
    const QString pdf = m_folders.dataFolder + QStringLiteral("skupiny.pdf");
    ASSERT_EQ(run(groups + QStringList{"--groups", "1", "--out", pdf}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(Poppler::text(pdf).contains(QStringLiteral("Rozdělení do skupin")));
    EXPECT_EQ(run(groups + QStringList{"--groups", "1", "--out", m_folders.dataFolder + "x.odt"}, &out, &err),
              2);
}
