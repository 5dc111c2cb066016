#include "data/DataFixture.h"

#include "automation/DocxPackage.h"
#include "data/AppContext.h"
#include "platform/Settings.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/QuestionnairesForm.h"
#include "questionnaires/QuestionsForm.h"
#include "support/RecordingShell.h"
#include "support/WindowInput.h"
#include "widgets/DBNavigator.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>
#include <QTextEdit>

namespace {

class QuestionnaireWindowsTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_test = addTest("Vztahy");
        m_q1 = addQuestion(m_test, "První", QVariant(), 0, 1);
        m_q2 = addQuestion(m_test, "Druhá", QVariant(), 7, QVariant());
        m_q3 = addQuestion(m_test, "Třetí", QVariant(), 1, 3);
        m_db.exec("UPDATE otazky SET poradi_vyhodnoceni = ID - :f + 1", {{"f", m_q1}});
        openWindowContext(m_context, m_shell);
    }
    void TearDown() override { m_main.reset(); }

    void makeWindows() {
        m_main = std::make_unique<QWidget>();
        m_editor = new TEditor_Form(m_context, m_main.get());
        m_questionnaires = new TNastaveniDotazniku_Form(m_context, m_main.get());
        m_questions = new TNastaveni_Otazek_Form(m_context, m_main.get());
    }
    void openQuestions() {
        makeWindows();
        ASSERT_TRUE(dm().Testy_Query().locate("ID", m_test));
        ASSERT_TRUE(m_questionnaires->editQuestions());
        ASSERT_TRUE(m_questions->isVisible());
    }
    Dataset &questions() { return dm().Otazky_Query(); }
    QVariant column(qint64 id, const char *name) {
        return m_db.scalar(QStringLiteral("SELECT %1 FROM otazky WHERE ID = :i").arg(name), {{"i", id}});
    }
    void key(int key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(m_questions->grid(), Qt::Key(key), modifiers); }
    QAction *action(const char *name) { return m_questions->findChild<QAction *>(name); }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath()};
    std::unique_ptr<QWidget> m_main;
    TEditor_Form *m_editor = nullptr;
    TNastaveniDotazniku_Form *m_questionnaires = nullptr;
    TNastaveni_Otazek_Form *m_questions = nullptr;
    qint64 m_test = 0, m_q1 = 0, m_q2 = 0, m_q3 = 0;
};

TEST_F(QuestionnaireWindowsTest, TheQuestionWindowShowsTheQuestionsOfTheQuestionnaireWithKindLabels) {
    openQuestions();
    EXPECT_EQ(m_questions->windowTitle(), QStringLiteral("Nastavení otázek Vztahy"));
    QTableView *grid = m_questions->grid();
    ASSERT_EQ(grid->model()->rowCount(), 3);
    const auto label = [grid](int row) {
        auto *delegate = qobject_cast<QStyledItemDelegate *>(grid->itemDelegateForColumn(4));
        return delegate ? delegate->displayText(grid->model()->index(row, 4).data(), QLocale()) : QString();
    };
    QStringList labels;
    for (int row = 0; row < 3; ++row)
        labels << label(row);
    EXPECT_EQ(labels, QStringList({"základní", "základní", "abcde"})); // NULL order first; kind 7 is "základní"
}

TEST_F(QuestionnaireWindowsTest, CtrlArrowsMoveOneQuestionInExactlyOneOrder) {
    openQuestions();
    ASSERT_TRUE(questions().locate("ID", m_q2)); // no position yet
    key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(column(m_q2, "poradi").toInt(), 0);
    EXPECT_EQ(questions().value("ID").toLongLong(), m_q2);
    m_db.exec("UPDATE otazky SET poradi = NULL WHERE ID = :i", {{"i", m_q2}});
    dm().RefreshDataset(questions());
    ASSERT_TRUE(questions().locate("ID", m_q2));
    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(column(m_q2, "poradi").toInt(), 2);
    EXPECT_EQ(questions().value("ID").toLongLong(), m_q2); // the key moves the question, not the grid's row
    EXPECT_EQ(column(m_q1, "poradi").toInt(), 1); // the neighbour is not touched

    ASSERT_TRUE(questions().locate("ID", m_q3));
    const QVariant evaluation = column(m_q3, "poradi_vyhodnoceni");
    key(Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(column(m_q3, "poradi_vyhodnoceni").toInt(), evaluation.toInt() + 1);
    EXPECT_EQ(column(m_q3, "poradi").toInt(), 3);

    key(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_Up, Qt::NoModifier);
    EXPECT_EQ(column(m_q3, "poradi").toInt(), 3);
    EXPECT_EQ(column(m_q3, "poradi_vyhodnoceni").toInt(), evaluation.toInt() + 1);
}

TEST_F(QuestionnaireWindowsTest, TitleClicksAlternateAndPreviewsPutTheOrderingBack) {
    openQuestions();
    QHeaderView *header = m_questions->grid()->horizontalHeader();
    emit header->sectionClicked(2);
    EXPECT_EQ(questions().lastSqlLine(), QStringLiteral("ORDER BY text_otazky COLLATE czech ASC"));
    emit header->sectionClicked(0);
    const QString clicked = questions().lastSqlLine();
    EXPECT_EQ(clicked, QStringLiteral("ORDER BY poradi COLLATE czech DESC"));

    action("NahledVyhodnoceni_Action")->trigger();
    EXPECT_TRUE(m_editor->isVisible());
    EXPECT_TRUE(m_editor->richEdit()->toPlainText().startsWith(QStringLiteral("První")));
    EXPECT_EQ(questions().lastSqlLine(), clicked);
    EXPECT_EQ(questions().value(0, questions().fieldIndex("ID")).toLongLong(), m_q3);
}

TEST_F(QuestionnaireWindowsTest, APreviewAndTheQuestionsAreUsableSideBySideAndEscClosesThePreview) {
    openQuestions();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_questions));
    ASSERT_TRUE(m_questions->isModal()); // as the questionnaire window shows it
    action("NahledOtazky_Action")->trigger();
    ASSERT_TRUE(m_editor->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_editor));
    EXPECT_FALSE(m_editor->isModal());
    EXPECT_TRUE(keyReachesWindow(m_editor, Qt::Key_End));
    EXPECT_TRUE(keyReachesWindow(m_questions, Qt::Key_Down));
    QTest::keyClick(m_editor->richEdit(), Qt::Key_Escape);
    EXPECT_FALSE(m_editor->isVisible());
    EXPECT_TRUE(m_questions->isVisible());
}

TEST_F(QuestionnaireWindowsTest, EditingShowsTheWarningAndTheAssignmentPreviewNeedsTheExpertSetting) {
    openQuestions();
    EXPECT_FALSE(action("NahledZadani_Action")->isVisible());
    QWidget *panel = m_questions->findChild<QWidget *>("Panel_Otazky");
    QWidget *warning = m_questions->findChild<QWidget *>("Upozorneni_Panel");
    EXPECT_FALSE(panel->isEnabled());
    ASSERT_TRUE(questions().locate("ID", m_q3));
    ASSERT_TRUE(questions().edit());
    EXPECT_TRUE(panel->isEnabled());
    EXPECT_FALSE(m_questions->grid()->isEnabled());
    EXPECT_TRUE(warning->isVisible());
    EXPECT_TRUE(m_questions->findChild<QRadioButton *>("Typ_1")->isChecked());
    m_questions->findChild<QRadioButton *>("Typ_4")->click();
    auto *positive = m_questions->findChild<QLineEdit *>("KladnaOtazka_DBEdit");
    positive->setText(QStringLiteral("Co by sis přál(a)?"));
    emit positive->textEdited(positive->text());
    QTest::keyClick(positive, Qt::Key_Return);
    EXPECT_EQ(questions().state(), Dataset::State::Browse);
    EXPECT_FALSE(warning->isVisible());
    EXPECT_EQ(column(m_q3, "typ").toInt(), 4);
    EXPECT_EQ(column(m_q3, "text_otazky").toString(), QStringLiteral("Co by sis přál(a)?"));
    EXPECT_EQ(questions().value("ID").toLongLong(), m_q3);

    // The switch applies the next time the window opens, without a restart.
    ASSERT_TRUE(m_context.settings->setExpert(true));
    m_questions->hide();
    ASSERT_TRUE(m_questionnaires->editQuestions());
    EXPECT_TRUE(m_questions->findChild<QAction *>("NahledZadani_Action")->isVisible());
}

TEST_F(QuestionnaireWindowsTest, TheSheetIsOfferedToTheWordProcessorAndOpenedAsADocument) {
    openQuestions();
    m_prompter.no();
    action("GenerovatZadani_Action")->trigger();
    EXPECT_TRUE(m_editor->richEdit()->toPlainText().startsWith(QStringLiteral("Vztahy\n\n\nJméno a příjmení")));
    ASSERT_EQ(m_prompter.questions(), QStringList{"Přejete si zadání poslat do Wordu?"});
    EXPECT_TRUE(m_shell.calls.isEmpty());

    m_prompter.yes();
    action("GenerovatZadani_Action")->trigger();
    ASSERT_EQ(m_shell.calls.size(), 1);
    EXPECT_TRUE(m_shell.calls[0].startsWith("file:"));
    EXPECT_TRUE(m_shell.calls[0].endsWith(".docx"));
    EXPECT_TRUE(QFile::exists(m_shell.calls[0].mid(5)));

    // Saved from the editor, the sheet keeps the layout it has in the document sent to Word.
    const QString saved = QDir(m_dir.path()).filePath(QStringLiteral("zadani.docx"));
    m_prompter.answer(saved);
    m_editor->saveAs();
    const QByteArray sent = readZip(m_shell.calls[0].mid(5)).value(QStringLiteral("word/document.xml"));
    EXPECT_TRUE(sent.contains(R"(w:pos="2977")"));
    EXPECT_EQ(readZip(saved).value(QStringLiteral("word/document.xml")), sent);
}

} // namespace
