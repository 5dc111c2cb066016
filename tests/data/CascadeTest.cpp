#include "DataFixture.h"

#include "data/ClassRules.h"
#include "data/DatabaseMaintenance.h"
#include "data/QuestionnaireRules.h"
#include "data/RosterRules.h"
#include "data/SessionRules.h"

#include <set>

namespace {

// Two classes, two questionnaires and three sessions, with answers that cross the classes.
class CascadeTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        classA = addClass("ZŠ", "6.A", "U");
        classB = addClass("ZŠ", "6.B", "V");
        a1 = addPupil(classA, "Adam", "A", "muž", 1);
        a2 = addPupil(classA, "Bára", "B", "žena", 2);
        aOpt = addPupil(classA, "nikdo", QVariant(), "---", 3);
        b1 = addPupil(classB, "Cyril", "C", "muž", 1);
        b2 = addPupil(classB, "Dana", "D", "žena", 2);
        t1 = addTest("Vztahy");
        t2 = addTest("Klima");
        q1 = addQuestion(t1, "Kdo?", "Kdo ne?", 0, 1);
        q2 = addQuestion(t1, "Napiš", QVariant(), 4, 2);
        q3 = addQuestion(t2, "Kdo pomáhá?", QVariant(), 0, 1);
        sA = addSession(classA, t1, "2024-01-01 00:00:00");
        sB = addSession(classB, t1, "2024-02-01 00:00:00");
        sB2 = addSession(classB, t2, "2024-03-01 00:00:00");
        ansA1 = addAnswer(sA, q1, a1, a2);
        ansA2 = addAnswer(sA, q1, a2, aOpt, false);
        ansA3 = addAnswer(sA, q2, a1, -1, true, "text");
        ansB1 = addAnswer(sB, q1, b1, a1); // a pupil of A chosen in B's session
        ansB2 = addAnswer(sB, q1, b2, b1);
        ansB3 = addAnswer(sB2, q3, b1, b2);
        ansB4 = addAnswer(sB2, q3, b2, b1, false);
        noteA = addNote(a1);
        noteB = addNote(b1);
        doc = insert("INSERT INTO listiny (id_tridy, nazev, cesta) VALUES (:c, 'D', '1_d.txt')",
                     {{"c", classA}});
        dm().openDatasets();
    }

    std::set<qint64> ids(const QString &table) {
        std::set<qint64> result;
        SqlQuery query(m_db, QStringLiteral("SELECT ID FROM %1").arg(table));
        query.exec();
        while (query.next())
            result.insert(query.value(0).toLongLong());
        return result;
    }
    void position(Dataset &ds, qint64 id) { ASSERT_TRUE(ds.locate("ID", id)) << ds.name().toStdString(); }
    void openRoster(qint64 classId) {
        position(dm().Trida_Query(), classId);
        dm().Zak_Query().setParameter("par_id_tridy", classId);
        dm().Zak_Query().setParameter("par_vse", 0);
        dm().RefreshDataset(dm().Zak_Query());
    }
    void openQuestions(qint64 testId) {
        position(dm().Testy_Query(), testId);
        dm().Otazky_Query().setParameter("par_id_testu", testId);
        dm().RefreshDataset(dm().Otazky_Query());
    }
    // Prepares the named cascade on its dataset and returns that dataset.
    Dataset &prepare(const QString &kind) {
        if (kind == "class") {
            position(dm().Trida_Query(), classA);
            return dm().Trida_Query();
        }
        if (kind == "pupil") {
            openRoster(classA);
            dm().Zak_Query().setSelectedRows({0});
            return dm().Zak_Query();
        }
        if (kind == "questionnaire") {
            position(dm().Testy_Query(), t1);
            return dm().Testy_Query();
        }
        if (kind == "question") {
            openQuestions(t1);
            position(dm().Otazky_Query(), q1);
            return dm().Otazky_Query();
        }
        position(dm().Trida_Query(), classB);
        position(dm().Vyhodnoceni_Query(), sB);
        return dm().Vyhodnoceni_Query();
    }

    qint64 classA = 0, classB = 0, a1 = 0, a2 = 0, aOpt = 0, b1 = 0, b2 = 0, t1 = 0, t2 = 0, q1 = 0, q2 = 0,
           q3 = 0;
    qint64 sA = 0, sB = 0, sB2 = 0, ansA1 = 0, ansA2 = 0, ansA3 = 0, ansB1 = 0, ansB2 = 0, ansB3 = 0,
           ansB4 = 0;
    qint64 noteA = 0, noteB = 0, doc = 0;
};

TEST_F(CascadeTest, ClassRemovesItsPupilsTheirAnswersAndNotesAndItsSessionsButKeepsDocuments) {
    m_prompter.yes().yes();
    EXPECT_FALSE(prepare("class").deleteRecord()); // the dataset's own delete is replaced by the cascade
    EXPECT_EQ(ids("trida"), std::set<qint64>{classB});
    EXPECT_EQ(ids("zak"), (std::set<qint64>{b1, b2}));
    EXPECT_EQ(ids("odpovedi"), (std::set<qint64>{ansB2, ansB3, ansB4})); // ansB1 chose a pupil of A
    EXPECT_EQ(ids("poznamky"), std::set<qint64>{noteB});
    EXPECT_EQ(ids("vyhodnoceni"), (std::set<qint64>{sB, sB2}));
    EXPECT_EQ(ids("listiny"), std::set<qint64>{doc});
    EXPECT_EQ(ids("otazky").size(), 3u);
    EXPECT_EQ(dm().Trida_Query().recordCount(), 1);
    EXPECT_EQ(dm().Trida_Query().id(), classB);
    EXPECT_EQ(dm().Vyhodnoceni_Query().recordCount(), 2); // the class change followed the refresh
}

TEST_F(CascadeTest, PupilsRemovesEverySelectedRowWithAnswersAsRespondentAndPartner) {
    openRoster(classA);
    dm().Zak_Query().setSelectedRows({0, 1, 2});
    m_prompter.yes().yes();
    dm().Zak_Query().deleteRecord();
    EXPECT_EQ(ids("zak"), (std::set<qint64>{b1, b2}));
    EXPECT_EQ(ids("odpovedi"), (std::set<qint64>{ansB2, ansB3, ansB4}));
    EXPECT_EQ(ids("poznamky"), std::set<qint64>{noteB});
    EXPECT_EQ(ids("vyhodnoceni").size(), 3u);
    EXPECT_EQ(dm().Zak_Query().recordCount(), 0);
    EXPECT_TRUE(dm().Zak_Query().selection().isEmpty());
}

TEST_F(CascadeTest, PupilDeletionWithoutSelectionAsksNothingAndRemovesNothing) {
    openRoster(classA);
    const QStringList before = snapshot();
    m_prompter.yes().yes();
    dm().Zak_Query().deleteRecord();
    EXPECT_TRUE(m_prompter.questions().isEmpty());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CascadeTest, OnePupilRemovesOnlyThatPupilsRows) {
    openRoster(classB);
    dm().Zak_Query().setSelection({dm().Zak_Query().bookmarkOf(dm().Zak_Query().find("ID", b2))});
    m_prompter.yes().yes();
    dm().Zak_Query().deleteRecord();
    EXPECT_EQ(ids("zak"), (std::set<qint64>{a1, a2, aOpt, b1}));
    EXPECT_EQ(ids("odpovedi"), (std::set<qint64>{ansA1, ansA2, ansA3, ansB1}));
}

TEST_F(CascadeTest, QuestionnaireRemovesItsQuestionsAnswersAndSessionsInEveryClass) {
    m_prompter.yes().yes();
    prepare("questionnaire").deleteRecord();
    EXPECT_EQ(ids("testy"), std::set<qint64>{t2});
    EXPECT_EQ(ids("otazky"), std::set<qint64>{q3});
    EXPECT_EQ(ids("odpovedi"), (std::set<qint64>{ansB3, ansB4}));
    EXPECT_EQ(ids("vyhodnoceni"), std::set<qint64>{sB2});
    EXPECT_EQ(ids("zak").size(), 5u);
    EXPECT_EQ(dm().Testy_Query().recordCount(), 1);
}

TEST_F(CascadeTest, QuestionRemovesItsAnswersOnly) {
    m_prompter.yes().yes();
    prepare("question").deleteRecord();
    EXPECT_EQ(ids("otazky"), (std::set<qint64>{q2, q3}));
    EXPECT_EQ(ids("odpovedi"), (std::set<qint64>{ansA3, ansB3, ansB4}));
    EXPECT_EQ(ids("vyhodnoceni").size(), 3u);
    EXPECT_EQ(dm().Otazky_Query().recordCount(), 1);
}

TEST_F(CascadeTest, SessionRemovesItsAnswersOnly) {
    m_prompter.yes().yes();
    prepare("session").deleteRecord();
    EXPECT_EQ(ids("vyhodnoceni"), (std::set<qint64>{sA, sB2}));
    EXPECT_EQ(ids("odpovedi"), (std::set<qint64>{ansA1, ansA2, ansA3, ansB3, ansB4}));
    EXPECT_EQ(dm().Vyhodnoceni_Query().recordCount(), 1);
}

TEST_F(CascadeTest, EveryDeletionAndTheWipeTakeTheKeptSociogramPlacesOfWhatGoes) {
    const auto place = [&](qint64 session, qint64 question, qint64 pupil) {
        m_db.exec("INSERT INTO rozmisteni VALUES (:s, :q, 1, :z, 50, 110)",
                  {{"s", session}, {"q", question}, {"z", pupil}});
        return QStringLiteral("%1/%2/%3").arg(session).arg(question).arg(pupil);
    };
    const auto places = [&] {
        QStringList rows;
        SqlQuery query(m_db, "SELECT id_vyhodnoceni || '/' || id_otazky || '/' || id_zaka FROM rozmisteni");
        query.exec();
        while (query.next())
            rows << query.value(0).toString();
        rows.sort();
        return rows;
    };
    place(sA, q1, a1);
    place(sA, q1, a2);
    place(sA, q2, a1);
    const QString kept = place(sB, q1, b1);
    place(sB, q1, a1); // a pupil of A in B's sociogram
    place(sB2, q3, b2);
    for (int i = 0; i < 4; ++i)
        m_prompter.yes().yes();
    ASSERT_TRUE(QuestionnaireRules(m_db, m_prompter).deleteQuestion(q2));
    ASSERT_TRUE(SessionRules(m_db, m_prompter).deleteSession(sB2));
    ASSERT_TRUE(RosterRules(m_db, m_prompter).deletePupils({a2}));
    EXPECT_EQ(places().size(), 3);
    ASSERT_TRUE(ClassRules(m_db, m_prompter).deleteClass(classA));
    EXPECT_EQ(places(), QStringList{kept});
    // The questionnaire takes its sessions' places; a session of another questionnaire keeps its own.
    const QString other = place(addSession(classB, t2, "2024-04-01"), q3, b1);
    m_prompter.yes().yes();
    ASSERT_TRUE(QuestionnaireRules(m_db, m_prompter).deleteQuestionnaire(t1));
    EXPECT_EQ(places(), QStringList{other});
    DatabaseMaintenance::wipeAnswersAndSessions(m_db);
    EXPECT_TRUE(places().isEmpty());
}

struct Confirmation {
    const char *kind;
    const char *title;
    const char *first;
    const char *second;
};

const Confirmation kConfirmations[] = {
    {"class", "Odstranění třídy", "Klikli jste, že si přejete odstranit třídu ZŠ, 6.A, U. Určitě to chcete udělat?",
     "Pokud odstraníte třídu, vymažou se všichni žáci, poznámky k nim, všechny odpovědi na otázky a všechna "
     "vyhodnocení testu."},
    {"pupil", "Odstranění žáka", "Klikli jste, že si přejete odstranit žáka Adam A. Určitě to chcete udělat?",
     "Pokud odstraníte žáka, vymažou se všechny odpovědi tohoto žáka i všechny odpovědi, ve kterých byl "
     "někým "
     "označen. Budou odstraněny také poznámky. "},
    {"questionnaire", "Odstranění testu",
     "Klikli jste, že si přejete odstranit test. Určitě to chcete udělat?",
     "Pokud odstraníte test, vymažou se všechny otázky tohoto testu a vymažou se i všechny odpovědi všech "
     "žáků k "
     "tomuto testu. \r\n\r\nUrčitě to chcete udělat?"},
    {"question", "Odstranění otázky", "Klikli jste, že si přejete odstranit otázku. Určitě to chcete udělat?",
     "Pokud odstraníte otázku, vymažou se všechny odpovědi všech žáků na tuto otázku. \r\n\r\nUrčitě to "
     "chcete "
     "udělat?"},
    {"session", "Odstranění vyhodnocení",
     "Klikli jste, že si přejete odstranit vyhodnocení. Určitě to chcete udělat?",
     "Pokud odstraníte vyhodnocení, vymažou se všechny odpovědi všech žáků na všechny otázky tohoto "
     "vyhodnocení. "
     "\r\n\r\nUrčitě to chcete udělat?"},
};

TEST_F(CascadeTest, DecliningEitherConfirmationKeepsEveryRow) {
    const QStringList before = snapshot();
    for (const Confirmation &c : kConfirmations) {
        SCOPED_TRACE(c.kind);
        m_prompter.clear();
        m_prompter.no();
        EXPECT_FALSE(prepare(c.kind).deleteRecord());
        ASSERT_EQ(m_prompter.prompts().size(), 1);
        EXPECT_EQ(m_prompter.prompts()[0].title, QString::fromUtf8(c.title));
        EXPECT_EQ(m_prompter.prompts()[0].text, QString::fromUtf8(c.first));
        EXPECT_EQ(m_prompter.prompts()[0].icon, Prompter::Icon::Question);
        EXPECT_EQ(snapshot(), before);

        m_prompter.clear();
        m_prompter.yes().no();
        EXPECT_FALSE(prepare(c.kind).deleteRecord());
        ASSERT_EQ(m_prompter.prompts().size(), 2);
        EXPECT_EQ(m_prompter.prompts()[1].title, QString::fromUtf8(c.title));
        EXPECT_EQ(m_prompter.prompts()[1].text, QString::fromUtf8(c.second));
        EXPECT_EQ(snapshot(), before);

        // A double-click on the first "Ano" (or Enter pressed twice): its second half answers nothing.
        m_prompter.clear();
        m_prompter.yes().hastyYes();
        EXPECT_FALSE(prepare(c.kind).deleteRecord());
        ASSERT_EQ(m_prompter.prompts().size(), 2);
        EXPECT_EQ(m_prompter.prompts()[1].kind, "yesnoAgain");
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(CascadeTest, FailurePartWayLeavesTheDatabaseAsItWas) {
    // The last statement of every cascade fails; whatever ran before it is rolled back.
    const struct {
        const char *kind;
        const char *table;
        bool message;
    } cases[] = {{"class", "trida", true},
                 {"pupil", "zak", true},
                 {"questionnaire", "testy", true},
                 {"question", "otazky", true},
                 {"session", "vyhodnoceni", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        m_db.exec(QStringLiteral(
                      "CREATE TRIGGER stop BEFORE DELETE ON %1 BEGIN SELECT RAISE(ABORT, 'porucha'); END")
                      .arg(QLatin1String(c.table)));
        const QStringList before = snapshot();
        m_prompter.clear();
        m_prompter.yes().yes();
        prepare(c.kind).deleteRecord();
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(m_prompter.messages(), c.message ? QStringList{"porucha"} : QStringList{});
        m_db.exec("DROP TRIGGER stop");
    }
}

} // namespace
