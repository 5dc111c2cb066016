// Answer entry: marks, "Označit vše vybrané", free texts, participation, wiping and the partner rule.
#include "DataFixture.h"

#include "data/AnswerRules.h"

namespace {

const QString kNoSession = QStringLiteral("Není zadáno žádné vyhodnocení. Nejprve nějaké vytvořte.");

class AnswerRulesTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        classA = addClass("ZŠ", "6.A", "U");
        classB = addClass("ZŠ", "6.B", "V");
        adam = addPupil(classA, "Adam", "A", "muž", 1);
        bara = addPupil(classA, "Bára", "B", "ŽENA", 2);
        cyril = addPupil(classA, "Cyril", "C", "muž", 3);
        nikdo = addPupil(classA, "nikdo", QVariant(), "---", 4);
        letterA = addPupil(classA, "a)", QVariant(), "abcde", 5);
        ano = addPupil(classA, "ano", QVariant(), "ano-ne", 6);
        noKind = addPupil(classA, "Bez typu", QVariant(), QVariant(), 7);
        cizi = addPupil(classB, "Dana", "D", "žena", 1);
        test = addTest("Vztahy");
        kdo = addQuestion(test, "Kdo?", "Kdo ne?", 0, 1);
        pismeno = addQuestion(test, "Které?", QVariant(), 1, 2);
        napis = addQuestion(test, "Napiš", QVariant(), 4, 3);
        bezTypu = addQuestion(test, "Bez typu", QVariant(), 0, 4);
        m_db.exec("UPDATE otazky SET typ = NULL WHERE ID = :q", {{"q", bezTypu}});
        session = addSession(classA, test, "2024-01-01 00:00:00");
        other = addSession(classA, test, "2024-02-01 00:00:00");
    }

    AnswerRules &rules() { return dm().answers(); }
    // Partners marked by Adam for the question in the session, one polarity, in id order.
    QList<qint64> marked(qint64 question, bool positive, qint64 respondent = 0) {
        QList<qint64> ids;
        SqlQuery query(m_db,
                       "SELECT id_partnera FROM odpovedi WHERE id_vyhodnoceni = :s and id_otazky = :q and "
                       "id_zaka = :r and pozitivni = :b ORDER BY ID");
        query.bind("s", session)
            .bind("q", question)
            .bind("r", respondent ? respondent : adam)
            .bind("b", positive);
        query.exec();
        while (query.next())
            ids << query.value(0).toLongLong();
        return ids;
    }
    // Makes every insert of an answer choosing `partner` fail.
    void failInsertsOf(qint64 partner) {
        m_db.exec(QStringLiteral("CREATE TRIGGER selhani BEFORE INSERT ON odpovedi WHEN NEW.id_partnera = %1 "
                                 "BEGIN SELECT RAISE(ABORT, 'selhání'); END")
                      .arg(partner));
    }

    qint64 classA = 0, classB = 0, adam = 0, bara = 0, cyril = 0, nikdo = 0, letterA = 0, ano = 0, noKind = 0;
    qint64 cizi = 0, test = 0, kdo = 0, pismeno = 0, napis = 0, bezTypu = 0, session = 0, other = 0;
};

TEST_F(AnswerRulesTest, ToggleInsertsThenDeletesAndNeverDuplicates) {
    EXPECT_EQ(rules().toggle(session, kdo, adam, bara, true), std::optional<bool>(true));
    EXPECT_EQ(rules().toggle(session, kdo, adam, bara, false), std::optional<bool>(true));
    EXPECT_EQ(marked(kdo, true), QList<qint64>{bara});
    EXPECT_EQ(marked(kdo, false), QList<qint64>{bara});
    const AnswerMarks marks = rules().loadMarks(session, kdo, adam);
    EXPECT_TRUE(marks.contains(bara, true));
    EXPECT_TRUE(marks.contains(bara, false));
    EXPECT_FALSE(marks.contains(cyril, true));

    EXPECT_EQ(rules().toggle(session, kdo, adam, bara, true), std::optional<bool>(false));
    EXPECT_TRUE(marked(kdo, true).isEmpty());
    EXPECT_EQ(marked(kdo, false), QList<qint64>{bara}); // the other list keeps its mark

    // Rows written twice by some other way go together.
    addAnswer(session, kdo, adam, cyril);
    addAnswer(session, kdo, adam, cyril);
    EXPECT_EQ(rules().toggle(session, kdo, adam, cyril, true), std::optional<bool>(false));
    EXPECT_TRUE(marked(kdo, true).isEmpty());
    EXPECT_TRUE(m_prompter.messages().isEmpty());
}

TEST_F(AnswerRulesTest, MissingSessionIsReportedOtherMissingIdsDoNothing) {
    const QStringList before = snapshot();
    EXPECT_EQ(rules().toggle(QVariant(), kdo, adam, bara, true), std::nullopt);
    EXPECT_FALSE(rules().markAll(QVariant(QMetaType(QMetaType::LongLong)), kdo, adam, {bara}, true));
    EXPECT_FALSE(rules().saveFreeText(QVariant(), napis, adam, "x"));
    EXPECT_FALSE(rules().wipeSession(QVariant()));
    EXPECT_EQ(m_prompter.messages(), QStringList(4, kNoSession));
    EXPECT_TRUE(m_prompter.questions().isEmpty());

    m_prompter.clear();
    EXPECT_EQ(rules().toggle(session, kdo, adam, QVariant(), true), std::nullopt);
    EXPECT_EQ(rules().toggle(session, QVariant(), adam, bara, true), std::nullopt);
    EXPECT_FALSE(rules().markAll(session, kdo, QVariant(), {bara}, true));
    EXPECT_FALSE(rules().saveFreeText(session, napis, QVariant(), "x"));
    EXPECT_TRUE(rules().loadMarks(session, kdo, QVariant()).positive.isEmpty());
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(AnswerRulesTest, MarkAllReplacesOneListAllOrNothing) {
    rules().toggle(session, kdo, adam, bara, true);
    rules().toggle(session, kdo, adam, nikdo, false);
    ASSERT_TRUE(rules().markAll(session, kdo, adam, {cyril, nikdo, cyril}, true));
    EXPECT_EQ(marked(kdo, true), QList<qint64>({cyril, nikdo}));
    EXPECT_EQ(marked(kdo, false), QList<qint64>{nikdo});

    ASSERT_TRUE(rules().markAll(session, kdo, adam, {}, false)); // nothing selected: the list is emptied
    EXPECT_TRUE(marked(kdo, false).isEmpty());
    EXPECT_EQ(marked(kdo, true), QList<qint64>({cyril, nikdo}));

    failInsertsOf(bara);
    const QStringList before = snapshot();
    EXPECT_FALSE(rules().markAll(session, kdo, adam, {nikdo, bara}, true));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(m_prompter.messages().size(), 1); // the engine's message
}

TEST_F(AnswerRulesTest, FreeTextReplacesEveryAnswerOfTheRespondentToTheQuestion) {
    addAnswer(session, napis, adam, bara);
    addAnswer(session, napis, adam, cyril, false);
    addAnswer(session, napis, adam, -1, true, "staré");
    addAnswer(session, napis, bara, -1, true, "Bářin");
    ASSERT_TRUE(rules().saveFreeText(session, napis, adam, "It's \"mine\""));
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE id_zaka = :r AND id_otazky = :q",
                    {{"r", adam}, {"q", napis}}),
              1);
    EXPECT_EQ(dm().sessions().loadFreeText(session, napis, adam), "It's \"mine\"");
    EXPECT_EQ(dm().sessions().loadFreeText(session, napis, bara), "Bářin");

    ASSERT_TRUE(rules().saveFreeText(session, napis, adam, QString()));
    SqlQuery query(
        m_db, "SELECT slovy, id_partnera, pozitivni FROM odpovedi WHERE id_zaka = :r AND id_otazky = :q");
    query.bind("r", adam).bind("q", napis).exec();
    ASSERT_TRUE(query.next());
    EXPECT_FALSE(query.value(0).isNull());
    EXPECT_EQ(query.value(0).toString(), "");
    EXPECT_EQ(query.value(1).toLongLong(), -1);
    EXPECT_EQ(query.value(2).toInt(), 1);
    EXPECT_FALSE(query.next());

    failInsertsOf(-1);
    const QStringList before = snapshot();
    EXPECT_FALSE(rules().saveFreeText(session, napis, bara, "nové"));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(AnswerRulesTest, ParticipationCountsRespondentsOnceFreeTextsIncluded) {
    addAnswer(session, kdo, adam, bara);
    addAnswer(session, kdo, adam, cyril, false);
    addAnswer(session, napis, bara, -1, true, "text");
    addAnswer(other, kdo, cyril, adam);
    const qint64 empty = addSession(classA, test, "2024-03-01 00:00:00");
    const QHash<qint64, int> counts = rules().participation({session, other, empty});
    EXPECT_EQ(counts, (QHash<qint64, int>{{session, 2}, {other, 1}, {empty, 0}}));
    EXPECT_TRUE(rules().participation({}).isEmpty());
}

TEST_F(AnswerRulesTest, WipingAsksThenDeletesOnlyThisSessionsAnswers) {
    addAnswer(session, kdo, adam, bara);
    addAnswer(session, napis, bara, -1, true, "text");
    addAnswer(other, kdo, cyril, adam);
    m_prompter.no();
    const QStringList before = snapshot();
    EXPECT_FALSE(rules().wipeSession(session));
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    const ScriptedPrompter::Prompt prompt = m_prompter.prompts().first();
    EXPECT_EQ(prompt.kind, "yesno");
    EXPECT_EQ(prompt.title, "Vymazat odpovědi");
    EXPECT_EQ(prompt.text, "Odstraníte všechny odpovědi. Tento proces je nevratný. Určitě to chcete udělat?");
    EXPECT_EQ(prompt.icon, Prompter::Icon::Question);

    m_prompter.yes();
    EXPECT_TRUE(rules().wipeSession(session));
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE id_vyhodnoceni = :s", {{"s", session}}), 0);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE id_vyhodnoceni = :s", {{"s", other}}), 1);
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni WHERE ID = :s", {{"s", session}}), 1);
}

TEST_F(AnswerRulesTest, OffersFollowTheQuestionKindTheClassAndTheRespondent) {
    // Kind 0: real pupils (any case) and "---" rows.
    EXPECT_TRUE(rules().offers(kdo, adam, bara));
    EXPECT_TRUE(rules().offers(kdo, adam, nikdo));
    EXPECT_TRUE(rules().offers(bezTypu, adam, cyril)); // no kind counts as kind 0
    EXPECT_FALSE(rules().offers(kdo, adam, adam));
    EXPECT_FALSE(rules().offers(kdo, adam, letterA));
    EXPECT_FALSE(rules().offers(kdo, adam, ano));
    EXPECT_FALSE(rules().offers(kdo, adam, noKind));
    EXPECT_FALSE(rules().offers(kdo, adam, cizi));
    EXPECT_FALSE(rules().offers(kdo, cizi, adam));
    // Kind 1: letters only; kind 4: nothing.
    EXPECT_TRUE(rules().offers(pismeno, adam, letterA));
    EXPECT_FALSE(rules().offers(pismeno, adam, bara));
    EXPECT_FALSE(rules().offers(napis, adam, bara));
    EXPECT_FALSE(rules().offers(napis, adam, -1));
    // Rows that do not exist.
    EXPECT_FALSE(rules().offers(999, adam, bara));
    EXPECT_FALSE(rules().offers(kdo, adam, 999));
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
}

} // namespace
