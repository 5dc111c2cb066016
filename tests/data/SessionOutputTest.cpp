// The plain read of what a session's outputs need, by id, on a real database.
#include "data/DataFixture.h"

#include "data/SessionOutput.h"

namespace {

class SessionOutputTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass("ZŠ Lipová", "6.A", "Nováková");
        m_other = addClass("ZŠ Lipová", "6.B", QVariant());
        m_adam = addPupil(m_class, "Adam", "Velký", "muž", 2);
        m_eva = addPupil(m_class, "Eva", QVariant(), "žena", 1);
        m_blank = addPupil(m_class, "Ota", "", "muž", QVariant());
        m_option = addPupil(m_class, "ano", QVariant(), "ano-ne", 3);
        addPupil(m_other, "Cizí", "Žák");
        m_test = addTest("Vztahy");
        // Made in this order: positions 2, none, 1, 2; evaluation positions 1, 3, none, 1.
        m_second = addQuestion(m_test, "Druhá", "Druhá ne", 0, 2);
        m_unplaced = addQuestion(m_test, "Bez pořadí", QVariant(), 4, QVariant());
        m_first = addQuestion(m_test, "První", QVariant(), 3, 1);
        m_alsoSecond = addQuestion(m_test, "Také druhá", QVariant(), 1, 2);
        const QList<std::pair<qint64, QVariant>> evaluation = {
            {m_second, 1}, {m_unplaced, 3}, {m_first, QVariant()}, {m_alsoSecond, 1}};
        for (const auto &[id, position] : evaluation)
            m_db.exec("UPDATE otazky SET poradi_vyhodnoceni = :v WHERE ID = :i",
                      {{"v", position}, {"i", id}});
        m_db.exec(
            "UPDATE otazky SET popis = 'Popis', popis_pro_web = 'Web', nadpis_nad = 'Nad' WHERE ID = :i",
            {{"i", m_second}});
        m_session = addSession(m_class, m_test, "2024-03-01 10:15:00");
        addAnswer(m_session, m_second, m_adam, m_eva);
        addAnswer(m_session, m_second, m_eva, m_adam, false);
        addAnswer(m_session, m_unplaced, m_eva, -1, true, "Víc výletů");
        m_db.exec("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) "
                  "VALUES (:s, :q, :z, :p, NULL)",
                  {{"s", m_session}, {"q", m_second}, {"z", m_blank}, {"p", m_eva}});
        addAnswer(addSession(m_class, m_test, "2024-01-01 00:00:00"), m_second, m_eva, m_blank);
    }

    static QList<qint64> ids(const QList<OutputQuestion> &questions) {
        QList<qint64> result;
        for (const OutputQuestion &question : questions)
            result << question.id;
        return result;
    }

    qint64 m_class = 0, m_other = 0, m_adam = 0, m_eva = 0, m_blank = 0, m_option = 0, m_test = 0;
    qint64 m_second = 0, m_unplaced = 0, m_first = 0, m_alsoSecond = 0, m_session = 0;
};

TEST_F(SessionOutputTest, TheSessionItsClassQuestionnaireRosterAndAnswers) {
    const std::optional<SessionOutputData> read = readSessionOutput(m_db, m_session);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->id, m_session);
    EXPECT_EQ(read->datum, QVariant(QDateTime(QDate(2024, 3, 1), QTime(10, 15))));
    EXPECT_EQ(read->poznamky, QString()); // NULL notes
    EXPECT_EQ(read->questionnaireId.toLongLong(), m_test);
    EXPECT_EQ(read->trida.id, m_class);
    EXPECT_EQ(read->trida.skola, QStringLiteral("ZŠ Lipová"));
    EXPECT_EQ(read->trida.stupen, QStringLiteral("6.A"));
    EXPECT_EQ(read->trida.tridniUcitel, QStringLiteral("Nováková"));

    EXPECT_EQ(read->questionnaire.id, m_test);
    EXPECT_EQ(read->questionnaire.name, QStringLiteral("Vztahy"));
    // Questionnaire order: no position first, then by position, the same position by id.
    EXPECT_EQ(ids(read->questionnaire.questions),
              QList<qint64>({m_unplaced, m_first, m_second, m_alsoSecond}));
    // Evaluation order: no position first, the same position in questionnaire order.
    EXPECT_EQ(ids(read->questionnaire.inEvaluationOrder()),
              QList<qint64>({m_first, m_second, m_alsoSecond, m_unplaced}));
    const OutputQuestion *second = read->questionnaire.question(m_second);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->textOtazky, QStringLiteral("Druhá"));
    EXPECT_EQ(second->textOtazkyNegativni, QStringLiteral("Druhá ne"));
    EXPECT_EQ(second->poradi.toInt(), 2);
    EXPECT_EQ(second->typ.toInt(), 0);
    EXPECT_EQ(second->popis, QStringLiteral("Popis"));
    EXPECT_EQ(second->popisProWeb, QStringLiteral("Web"));
    EXPECT_EQ(second->nadpisNad, QStringLiteral("Nad"));
    EXPECT_TRUE(read->questionnaire.question(m_unplaced)->poradi.isNull());
    EXPECT_EQ(read->questionnaire.question(addQuestion(addTest("Jiný"), "Cizí")), nullptr);
    // A questionnaire without a name still brings its questions.
    m_db.exec("UPDATE testy SET nazev_testu = NULL WHERE ID = :t", {{"t", m_test}});
    const std::optional<SessionOutputData> unnamed = readSessionOutput(m_db, m_session);
    ASSERT_TRUE(unnamed);
    EXPECT_TRUE(unnamed->questionnaire.name.isEmpty());
    EXPECT_EQ(unnamed->questionnaire.questions.size(), 4);

    // The class's rows by id, names as the outputs write them.
    ASSERT_EQ(read->roster.size(), 4);
    QStringList names;
    for (const OutputPupil &pupil : read->roster)
        names << pupil.fullName() + u'|' + pupil.pohlavi;
    EXPECT_EQ(names, QStringList({"Adam Velký|muž", "Eva|žena", "Ota |muž", "ano|ano-ne"}));
    EXPECT_TRUE(read->roster[2].poradi.isNull());

    // The session's answers by id, none of the other session.
    ASSERT_EQ(read->answers.size(), 4);
    EXPECT_EQ(read->answers[0].respondent, m_adam);
    EXPECT_EQ(read->answers[0].partner, m_eva);
    EXPECT_EQ(read->answers[0].positive, std::optional<bool>(true));
    EXPECT_EQ(read->answers[1].positive, std::optional<bool>(false));
    EXPECT_EQ(read->answers[2].question, m_unplaced);
    EXPECT_EQ(read->answers[2].slovy, QStringLiteral("Víc výletů"));
    EXPECT_EQ(read->answers[3].positive, std::nullopt); // a stored NULL is neither wording

    // The part without the choices reads the same session.
    const std::optional<SessionOutputData> heading = readSession(m_db, m_session);
    ASSERT_TRUE(heading);
    EXPECT_TRUE(heading->roster.isEmpty() && heading->answers.isEmpty());
    EXPECT_EQ(ids(heading->questionnaire.questions), ids(read->questionnaire.questions));
}

TEST_F(SessionOutputTest, MissingRowsAreRefusedWithTheirReason) {
    QString reason;
    EXPECT_FALSE(readSessionOutput(m_db, 999, &reason));
    EXPECT_EQ(reason, QStringLiteral("Vyhodnocení s ID 999 neexistuje."));
    EXPECT_FALSE(readClassOutput(m_db, 999, &reason));
    EXPECT_EQ(reason, QStringLiteral("Třída s ID 999 neexistuje."));
    EXPECT_FALSE(readQuestionnaireOutput(m_db, 999, &reason));
    EXPECT_EQ(reason, QStringLiteral("Dotazník s ID 999 neexistuje."));
    EXPECT_FALSE(readQuestionOutput(m_db, 999, &reason));
    EXPECT_EQ(reason, QStringLiteral("Otázka s ID 999 neexistuje."));

    // A session whose class is gone has no outputs; one whose questionnaire is gone has no questions.
    const qint64 orphan = addSession(999, m_test, "2024-01-01 00:00:00");
    EXPECT_FALSE(readSession(m_db, orphan, &reason));
    EXPECT_EQ(reason, QStringLiteral("Třída vyhodnocení %1 neexistuje.").arg(orphan));
    const qint64 unknownTest = addSession(m_other, 999, QVariant());
    const std::optional<SessionOutputData> read = readSessionOutput(m_db, unknownTest, &reason);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->questionnaire.id, 0);
    EXPECT_TRUE(read->questionnaire.questions.isEmpty());
    EXPECT_EQ(read->questionnaireId.toLongLong(), 999);
    EXPECT_TRUE(read->datum.toDateTime().isNull()); // no date
    EXPECT_EQ(read->roster.size(), 1);              // the other class's row
    EXPECT_TRUE(read->trida.tridniUcitel.isEmpty());
}

TEST_F(SessionOutputTest, AClassSessionsComeNewestFirst) {
    const qint64 sameDay = addSession(m_class, 999, "2024-03-01 10:15:00");
    const QList<OutputSessionItem> sessions = readClassSessions(m_db, m_class);
    ASSERT_EQ(sessions.size(), 3);
    EXPECT_EQ(sessions[0].id, sameDay); // the same date: the later made first
    EXPECT_EQ(sessions[0].nazevTestu, QString());
    EXPECT_EQ(sessions[1].id, m_session);
    EXPECT_EQ(sessions[1].nazevTestu, QStringLiteral("Vztahy"));
    EXPECT_EQ(sessions[2].datum.toDateTime(), QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    EXPECT_TRUE(readClassSessions(m_db, m_other).isEmpty());
}

} // namespace
