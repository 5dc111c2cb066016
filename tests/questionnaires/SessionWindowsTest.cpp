#include "data/DataFixture.h"

#include "data/AppContext.h"
#include "automation/DocxPackage.h"
#include "questionnaires/AnswersForm.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/SessionsForm.h"
#include "support/RecordingShell.h"

#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

class SessionWindowsTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass("ZŠ", "6.A", "Nováková");
        m_adam = addPupil(m_class, "Adam", "Velký", "muž", 1);
        m_bara = addPupil(m_class, "Bára", "Malá", "žena", 2);
        m_cyril = addPupil(m_class, "Cyril", "Dlouhý", "muž", 3);
        m_nikdo = addPupil(m_class, "nikdo", QVariant(), "---", 4);
        m_a = addPupil(m_class, "a)", QVariant(), "abcde", 5);
        m_b = addPupil(m_class, "b)", QVariant(), "abcde", 6);
        const qint64 test = addTest("Vztahy");
        m_who = addQuestion(m_test = test, "S kým?", "S kým ne?", 0, 1);
        m_grade = addQuestion(test, "Známka?", "Nejhorší?", 1, 2);
        m_text = addQuestion(test, "Co bys změnil?", QVariant(), 4, 3);
        m_session = addSession(m_class, test, "2024-03-01 00:00:00");
        openWindowContext(m_context, m_shell);
        ASSERT_TRUE(dm().Trida_Query().locate("ID", m_class));
        // What the main window's "Dotazníky" command does before it shows the session list.
        for (Dataset *dataset : {&dm().Vyhodnoceni_Query(), &dm().Zak_Query_1(), &dm().Zak_Query_2(), &dm().Zak_Query_3()})
            dataset->setParameter("par_id_tridy", m_class);
        for (Dataset *dataset : {&dm().Vyhodnoceni_Query(), &dm().Zak_Query_1(), &dm().Zak_Query_2(), &dm().Zak_Query_3()})
            dm().RefreshDataset(*dataset);
        makeWindows();
    }
    void TearDown() override { m_main.reset(); }

    void makeWindows() {
        m_main = std::make_unique<QWidget>();
        m_sessions = new TDotazniky_Form(m_context, m_main.get());
        m_answers = new TDotaznik_Odpovedi_Form(m_context, m_main.get());
        dm().watchWindow(m_answers);
        dm().watchWindow(m_sessions);
    }
    void openAnswers() {
        m_sessions->show();
        ASSERT_TRUE(m_sessions->enterAnswers());
        ASSERT_TRUE(m_answers->isVisible());
    }
    int marks(qint64 partner, bool positive = true) {
        return count("SELECT count(*) FROM odpovedi WHERE id_vyhodnoceni = :s AND id_partnera = :p AND pozitivni = :b",
                     {{"s", m_session}, {"p", partner}, {"b", positive ? 1 : 0}});
    }
    QStringList names(Dataset &list) {
        QStringList result;
        for (int row = 0; row < list.recordCount(); ++row)
            result << list.value(row, list.fieldIndex("jmeno")).toString();
        return result;
    }
    void keys(QWidget *widget, const QString &text) {
        for (const QChar ch : text)
            QTest::keyClick(widget, ch.toLatin1());
    }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath()};
    std::unique_ptr<QWidget> m_main;
    TDotazniky_Form *m_sessions = nullptr;
    TDotaznik_Odpovedi_Form *m_answers = nullptr;
    qint64 m_class = 0, m_adam = 0, m_bara = 0, m_cyril = 0, m_nikdo = 0, m_a = 0, m_b = 0;
    qint64 m_test = 0, m_who = 0, m_grade = 0, m_text = 0, m_session = 0;
};

TEST_F(SessionWindowsTest, KeyboardMarkingWithSearchBuffersAndTheNextQuestion) {
    openAnswers();
    ASSERT_TRUE(dm().Zak_Query_1().locate("ID", m_adam));
    EXPECT_EQ(names(dm().Zak_Query_2()), QStringList({"Bára", "Cyril", "nikdo"})); // never himself
    QTableView *positive = m_answers->partnerGrid(true);
    keys(positive, "cy");
    EXPECT_EQ(dm().Zak_Query_2().value("ID").toLongLong(), m_cyril);
    QTest::keyClick(positive, Qt::Key_Space);
    EXPECT_EQ(marks(m_cyril), 1);
    EXPECT_TRUE(m_answers->marks().contains(m_cyril, true));
    EXPECT_TRUE(m_answers->searchBuffer(true).isEmpty());
    QTest::keyClick(positive, Qt::Key_Return); // the second toggle removes it
    EXPECT_EQ(marks(m_cyril), 0);
    QTest::keyClick(positive, Qt::Key_Return);
    keys(positive, "n");
    QTest::keyClick(positive, Qt::Key_Backspace);
    EXPECT_EQ(dm().Zak_Query_2().value("ID").toLongLong(), m_bara); // empty buffer: the first row

    QTableView *negative = m_answers->partnerGrid(false);
    QTest::keyClick(negative, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(m_answers->searchBuffer(false), QStringLiteral("D"));
    EXPECT_EQ(dm().OtazkyVyhodnoceni_Query().value("ID").toLongLong(), m_who);

    QTest::keyClick(positive, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(dm().OtazkyVyhodnoceni_Query().value("ID").toLongLong(), m_grade);
    // A closed question with a negative wording: both lists hold its option rows only.
    EXPECT_EQ(names(dm().Zak_Query_2()), QStringList({"a)", "b)"}));
    EXPECT_EQ(names(dm().Zak_Query_3()), QStringList({"a)", "b)"}));
    EXPECT_TRUE(m_answers->partnerGrid(false)->isVisible());
    EXPECT_FALSE(m_answers->marks().contains(m_cyril, true)); // the marks follow the question
    EXPECT_EQ(marks(m_cyril), 1);
}

TEST_F(SessionWindowsTest, MouseMarkingMarkAllAndTheFreeText) {
    openAnswers();
    ASSERT_TRUE(dm().Zak_Query_1().locate("ID", m_bara));
    QTableView *negative = m_answers->partnerGrid(false);
    negative->clearSelection();
    for (int row : {0, 1})
        negative->selectionModel()->select(negative->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_answers->findChild<QPushButton *>("Negativni_Button")->click();
    EXPECT_EQ(marks(m_adam, false) + marks(m_cyril, false), 2);
    negative->clearSelection();
    m_answers->findChild<QPushButton *>("Negativni_Button")->click(); // nothing selected: none left
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE pozitivni = 0"), 0);

    dm().OtazkyVyhodnoceni_Query().locate("ID", m_text);
    EXPECT_TRUE(m_answers->findChild<QWidget *>("Slovni_Panel")->isVisible());
    EXPECT_FALSE(m_answers->partnerGrid(true)->isVisible());
    auto *memo = m_answers->findChild<QPlainTextEdit *>("Slovni_Memo");
    memo->setPlainText("Víc 'výletů'");
    QTest::keyClick(memo, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(m_db.scalar("SELECT slovy FROM odpovedi WHERE id_otazky = :q AND id_zaka = :r AND id_partnera = -1",
                          {{"q", m_text}, {"r", m_bara}})
                  .toString(),
              QStringLiteral("Víc 'výletů'"));
}

TEST_F(SessionWindowsTest, ATypedFreeTextIsKeptWhenTheTeacherMovesOnOrCloses) {
    openAnswers();
    ASSERT_TRUE(dm().Zak_Query_1().locate("ID", m_adam));
    ASSERT_TRUE(dm().OtazkyVyhodnoceni_Query().locate("ID", m_text));
    auto *memo = m_answers->findChild<QPlainTextEdit *>("Slovni_Memo");
    const auto freeText = [this](qint64 respondent) {
        return m_db.scalar("SELECT slovy FROM odpovedi WHERE id_otazky = :q AND id_zaka = :r AND id_partnera = -1",
                           {{"q", m_text}, {"r", respondent}});
    };
    // Typed, then the next respondent by the arrow key: the text stays with Adam, Bára's memo is empty.
    QTest::keyClicks(memo, QStringLiteral("Vic vyletu"));
    QTest::keyClick(m_answers->respondentGrid(), Qt::Key_Down);
    ASSERT_EQ(dm().Zak_Query_1().value("ID").toLongLong(), m_bara);
    EXPECT_EQ(freeText(m_adam).toString(), QStringLiteral("Vic vyletu"));
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    EXPECT_TRUE(freeText(m_bara).isNull()); // only what was typed is saved

    // Typed, then another question: saved for the question it was typed for.
    QTest::keyClicks(memo, QStringLiteral("Nic"));
    ASSERT_TRUE(dm().OtazkyVyhodnoceni_Query().locate("ID", m_who));
    EXPECT_EQ(freeText(m_bara).toString(), QStringLiteral("Nic"));
    ASSERT_TRUE(dm().OtazkyVyhodnoceni_Query().locate("ID", m_text));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Nic"));

    // Typed, then Esc.
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral(" a nikdy"));
    QTest::keyClick(memo, Qt::Key_Escape);
    EXPECT_FALSE(m_answers->isVisible());
    EXPECT_EQ(freeText(m_bara).toString(), QStringLiteral("Nic a nikdy"));
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi WHERE id_otazky = :q", {{"q", m_text}}), 2);
}

TEST_F(SessionWindowsTest, ParticipationFollowsTheAnswersWhenTheAnswerWindowCloses) {
    openAnswers();
    EXPECT_EQ(m_sessions->participation(m_session), 0);
    ASSERT_TRUE(dm().Zak_Query_1().locate("ID", m_adam));
    QTest::keyClick(m_answers->partnerGrid(true), Qt::Key_Space);
    ASSERT_TRUE(dm().Zak_Query_1().locate("ID", m_cyril));
    QTest::keyClick(m_answers->partnerGrid(true), Qt::Key_Space);
    QTest::keyClick(m_answers->partnerGrid(true), Qt::Key_Escape);
    EXPECT_FALSE(m_answers->isVisible());
    EXPECT_EQ(m_sessions->participation(m_session), 2);
}

TEST_F(SessionWindowsTest, LongNamesDoNotWidenTheAnswerWindow) {
    QString school;
    while (school.size() < 250)
        school += QStringLiteral("Základní škola a mateřská škola ");
    m_db.exec("UPDATE trida SET skola = :s", {{"s", school.left(250)}});
    m_db.exec("UPDATE otazky SET text_otazky = :t WHERE ID = :q", {{"t", QString(200, QChar(u'Ž'))}, {"q", m_who}});
    dm().RefreshDataset(dm().Vyhodnoceni_Query());
    openAnswers();
    ASSERT_TRUE(dm().OtazkyVyhodnoceni_Query().locate("ID", m_who));
    m_answers->resize(900, 600);
    EXPECT_EQ(m_answers->width(), 900);
    auto *description = m_answers->findChild<QLabel *>("Popis_tridy_Label");
    EXPECT_TRUE(description->toolTip().contains(school.left(250)));
    EXPECT_TRUE(description->text().endsWith(QStringLiteral("…")));
}

TEST_F(SessionWindowsTest, TheEvaluationSavedFromTheEditorKeepsItsTabStops) {
    addAnswer(m_session, m_who, m_adam, m_bara);
    addAnswer(m_session, m_who, m_cyril, m_bara);
    m_db.exec("UPDATE otazky SET poradi_vyhodnoceni = poradi");
    auto *editor = new TEditor_Form(m_context, m_main.get());
    dm().RefreshDataset(dm().Vyhodnoceni_Query());
    ASSERT_TRUE(dm().Vyhodnoceni_Query().locate("ID", m_session));
    m_prompter.no().yes().answer(2); // no zero counts, with names, "Nic dalšího"
    m_sessions->runTextualEvaluation();
    ASSERT_TRUE(editor->isVisible());
    const QString file = QDir(m_dir.path()).filePath(QStringLiteral("vyhodnoceni.docx"));
    m_prompter.answer(file);
    editor->saveAs();
    const QByteArray document = readZip(file).value(QStringLiteral("word/document.xml"));
    ASSERT_FALSE(document.isEmpty());
    // The column of the counts stands at the report's tab stop, as in the document sent to the class documents.
    EXPECT_TRUE(document.contains(R"(<w:tab w:val="left" w:pos="2977"/>)"));
    EXPECT_TRUE(document.contains("<w:tab/>")) << editor->richEdit()->toPlainText().toStdString();
}

TEST_F(SessionWindowsTest, TheSessionListCountsParticipationAndWipesAnswers) {
    addAnswer(m_session, m_who, m_adam, m_bara);
    addAnswer(m_session, m_who, m_adam, m_cyril);
    addAnswer(m_session, m_text, m_bara, -1, true, "text");
    dm().RefreshDataset(dm().Vyhodnoceni_Query());
    EXPECT_EQ(m_sessions->participation(m_session), 2);
    m_sessions->show();
    EXPECT_FALSE(m_sessions->findChild<QMenu *>("PokrocileNastroje_Menu")->menuAction()->isVisible());
    ASSERT_TRUE(m_context.settings->setExpert(true));
    m_sessions->hide();
    m_sessions->show();
    EXPECT_TRUE(m_sessions->findChild<QMenu *>("PokrocileNastroje_Menu")->menuAction()->isVisible());
    m_sessions->hide();

    m_prompter.yes();
    m_sessions->wipeAnswers();
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni"), 1);
    EXPECT_EQ(m_sessions->participation(m_session), 0);

    // Closing while the session is edited asks; "Ne" keeps the window open in editing.
    m_sessions->show();
    ASSERT_TRUE(dm().Vyhodnoceni_Query().edit());
    m_prompter.no();
    m_sessions->reject();
    EXPECT_TRUE(m_sessions->isVisible());
    EXPECT_TRUE(dm().Vyhodnoceni_Query().isEditing());
}

} // namespace
