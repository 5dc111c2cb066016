#include "DataFixture.h"

#include "cli/DeleteCommand.h"

namespace {

class DeleteCommandTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        classA = addClass("ZŠ", "6.A", "U");
        classB = addClass("ZŠ", "6.B", "V");
        pupilA = addPupil(classA, "Adam");
        pupilB = addPupil(classB, "Bára", "B", "žena");
        test = addTest("T");
        question = addQuestion(test, "Kdo?");
        session = addSession(classA, test, "2024-01-01 00:00:00");
        answer = addAnswer(session, question, pupilA, pupilB);
        dm().openDatasets();
    }
    int run(const QStringList &args) {
        m_out.clear();
        m_err.clear();
        QTextStream out(&m_out), err(&m_err);
        return runDeleteCommand(args, m_db, m_prompter, out, err);
    }

    qint64 classA = 0, classB = 0, pupilA = 0, pupilB = 0, test = 0, question = 0, session = 0, answer = 0;
    QString m_out, m_err;
};

TEST_F(DeleteCommandTest, WithoutYesRefusesAndChangesNothing) {
    const QStringList before = snapshot();
    EXPECT_EQ(run({"class", QString::number(classA)}), 1);
    EXPECT_TRUE(m_err.contains("--yes"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
}

TEST_F(DeleteCommandTest, UnknownIdAndBadUsageFail) {
    EXPECT_EQ(run({"pupil", "999", "--yes"}), 1);
    EXPECT_EQ(m_err.trimmed(), QStringLiteral("Žák s ID 999 neexistuje."));
    EXPECT_EQ(run({"teacher", "1", "--yes"}), 2);
    EXPECT_EQ(run({"class", "x", "--yes"}), 2);
    EXPECT_EQ(run({"class"}), 2);
    EXPECT_EQ(count("SELECT count(*) FROM trida"), 2);
}

TEST_F(DeleteCommandTest, EachKindRunsItsCascadeWithBothConfirmations) {
    EXPECT_EQ(run({"pupil", QString::number(pupilB), "--yes"}), 0) << m_err.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM zak"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 0); // pupil B was the chosen partner
    EXPECT_EQ(m_prompter.questions().size(), 2);
    EXPECT_TRUE(m_out.contains("Odstranění žáka: Klikli jste"));
    EXPECT_TRUE(m_out.contains("Smazáno: žák s ID"));

    EXPECT_EQ(run({"session", QString::number(session), "--yes"}), 0) << m_err.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni"), 0);
    EXPECT_EQ(run({"question", QString::number(question), "--yes"}), 0) << m_err.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM otazky"), 0);
    EXPECT_EQ(run({"--yes", "questionnaire", QString::number(test)}), 0) << m_err.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM testy"), 0);
    EXPECT_EQ(run({"class", QString::number(classA), "--yes"}), 0) << m_err.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM trida"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM zak"), 0);
    EXPECT_EQ(m_prompter.questions().size(), 10);
}

TEST_F(DeleteCommandTest, WorksOnTheDatabaseAlone) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    for (const char *kind : {"session", "pupil", "class"}) {
        const qint64 id = QString::fromLatin1(kind) == "session" ? session
                          : QString::fromLatin1(kind) == "pupil" ? pupilA
                                                                 : classB;
        EXPECT_EQ(
            runDeleteCommand({kind, QString::number(id), "--yes"}, m_db, m_prompter, outStream, errStream),
            0)
            << kind << err.toStdString();
    }
    EXPECT_EQ(count("SELECT count(*) FROM zak"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM trida"), 1);
}

TEST_F(DeleteCommandTest, FailedCascadeReportsAndLeavesEverything) {
    m_db.exec("CREATE TRIGGER stop BEFORE DELETE ON trida BEGIN SELECT RAISE(ABORT, 'porucha'); END");
    const QStringList before = snapshot();
    EXPECT_EQ(run({"class", QString::number(classA), "--yes"}), 1);
    EXPECT_TRUE(m_err.contains("nepodařilo smazat"));
    EXPECT_EQ(snapshot(), before);
}

} // namespace
