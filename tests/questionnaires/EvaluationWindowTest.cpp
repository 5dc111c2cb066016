// "Textové vyhodnocení" from the session window: the report of the current session made from its id, the
// class's header when the class has no session, and reads that fail.
#include "data/DataFixture.h"

#include "data/AppContext.h"
#include "questionnaires/EditorForm.h"
#include "questionnaires/SessionsForm.h"
#include "questionnaires/TextualEvaluation.h"
#include "support/RecordingShell.h"

#include <QTextBlock>
#include <QTextEdit>

namespace {

QStringList texts(const QList<StyledLine> &lines) {
    QStringList result;
    for (const StyledLine &line : lines)
        result << line.text;
    return result;
}

class EvaluationWindowTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass("ZŠ Lipová", "6.A", "Nováková");
        m_empty = addClass("ZŠ Lipová", "7.B", "Dvořák");
        m_adam = addPupil(m_class, "Adam", "Velký", "muž", 1);
        m_bara = addPupil(m_class, "Bára", "Malá", "žena", 2);
        m_test = addTest("Vztahy");
        m_who = addQuestion(m_test, "S kým?", "S kým ne?", 0, 1);
        m_db.exec("UPDATE otazky SET poradi_vyhodnoceni = 1");
        m_older = addSession(m_class, m_test, "2024-03-01 00:00:00");
        m_newer = addSession(m_class, m_test, "2024-05-20 00:00:00");
        m_db.exec("UPDATE vyhodnoceni SET poznamky = 'Textové poznámky k vyhodnocení:'");
        addAnswer(m_older, m_who, m_adam, m_bara);
        addAnswer(m_newer, m_who, m_bara, m_adam);
        addAnswer(m_newer, m_who, m_adam, m_bara, false);
        openWindowContext(m_context, m_shell);
        m_main = std::make_unique<QWidget>();
        m_editor = new TEditor_Form(m_context, m_main.get());
        m_sessions = new TDotazniky_Form(m_context, m_main.get());
    }
    void TearDown() override { m_main.reset(); }

    // What the main window's "Dotazníky" command does before it shows the session list.
    void chooseClass(qint64 classId) {
        ASSERT_TRUE(dm().Trida_Query().locate("ID", classId));
        dm().Vyhodnoceni_Query().setParameter("par_id_tridy", classId);
        ASSERT_TRUE(dm().RefreshDataset(dm().Vyhodnoceni_Query()));
    }
    // Runs the command: no zeros, no names, and the follow-up box closed.
    void evaluate() {
        m_prompter.no().no();
        m_sessions->runTextualEvaluation();
    }
    QStringList editorLines() const { return m_editor->richEdit()->toPlainText().split(u'\n'); }
    bool followUpAsked() const {
        for (const ScriptedPrompter::Prompt &prompt : m_prompter.prompts())
            if (prompt.kind == QLatin1String("choice"))
                return true;
        return false;
    }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath()};
    std::unique_ptr<QWidget> m_main;
    TEditor_Form *m_editor = nullptr;
    TDotazniky_Form *m_sessions = nullptr;
    qint64 m_class = 0, m_empty = 0, m_adam = 0, m_bara = 0, m_test = 0, m_who = 0, m_older = 0, m_newer = 0;
};

TEST_F(EvaluationWindowTest, AClassWithoutSessionsGetsTheHeaderAndNoQuestionBlock) {
    chooseClass(m_empty);
    ASSERT_EQ(dm().Vyhodnoceni_Query().currentRow(), -1);
    evaluate();
    EXPECT_EQ(editorLines(), QStringList({"Mapování vztahů", "7.B", "", "", "Škola: ZŠ Lipová", "Třída: 7.B",
                                          "Třídní učitel: Dvořák", "Datum testování: ", ""}));
    EXPECT_TRUE(m_editor->richEdit()->document()->firstBlock().charFormat().font().bold());
    EXPECT_TRUE(followUpAsked()); // the report can still go to the word processor or the documents

    // The same header comes from the core for that class, and for no class at all only the fixed texts.
    EXPECT_EQ(texts(evaluateWithoutSession(m_db, m_empty)), editorLines());
    EXPECT_EQ(texts(evaluateWithoutSession(m_db, QVariant())),
              QStringList({"Mapování vztahů", "", "", "",
                           "Škola: ", "Třída: ", "Třídní učitel: ", "Datum testování: ", ""}));
}

TEST_F(EvaluationWindowTest, TheReportIsTheOneOfTheCurrentSessionById) {
    chooseClass(m_class);
    ASSERT_TRUE(dm().Vyhodnoceni_Query().locate("ID", m_older)); // not the first row: newest come first
    evaluate();
    const std::optional<QList<StyledLine>> report = evaluateSession(m_db, m_older, EvaluationOptions());
    ASSERT_TRUE(report);
    EXPECT_EQ(editorLines(), texts(*report));
    EXPECT_TRUE(editorLines().contains("Datum testování: 01.03.2024"));
    // Bára chosen once; the other session's choice of Adam and rejection of Bára are not in it.
    EXPECT_EQ(editorLines().count("Bára Malá - 1x"), 1);
    EXPECT_FALSE(editorLines().contains("Adam Velký - 1x"));
}

TEST_F(EvaluationWindowTest, AVanishedSessionOrAFailingReadIsReportedAndTheEditorKeepsItsText) {
    chooseClass(m_class);
    m_editor->showPlainText("předtím");
    m_db.exec("DELETE FROM vyhodnoceni WHERE ID = :s", {{"s", m_newer}}); // the list still shows it
    ASSERT_EQ(dm().Vyhodnoceni_Query().value("ID").toLongLong(), m_newer);
    evaluate();
    EXPECT_EQ(m_prompter.messages(),
              QStringList{QStringLiteral("Vyhodnocení s ID %1 neexistuje.").arg(m_newer)});
    EXPECT_EQ(m_editor->richEdit()->toPlainText(), QStringLiteral("předtím"));
    EXPECT_FALSE(followUpAsked());

    m_prompter.clear();
    ASSERT_TRUE(dm().RefreshDataset(dm().Vyhodnoceni_Query()));
    m_db.exec("DROP TABLE odpovedi");
    evaluate();
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].startsWith("Textové vyhodnocení se nepodařilo sestavit. "));
    EXPECT_EQ(m_editor->richEdit()->toPlainText(), QStringLiteral("předtím"));
    EXPECT_FALSE(followUpAsked());
}

} // namespace

TEST_F(EvaluationWindowTest, AnonymouslyTheReportNamesNoPupilSchoolOrTeacher) {
    chooseClass(m_class);
    ASSERT_TRUE(dm().Vyhodnoceni_Query().locate("ID", m_older));
    auto *anonymous = m_sessions->findChild<QAction *>(QStringLiteral("Anonymne_Action"));
    auto *freeText = m_sessions->findChild<QAction *>(QStringLiteral("VcetneSlovnichOdpovedi_Action"));
    ASSERT_TRUE(anonymous && freeText);
    EXPECT_FALSE(freeText->isEnabled()); // it means something only without names
    anonymous->trigger();
    EXPECT_TRUE(freeText->isEnabled());
    evaluate();
    const QString text = editorLines().join(u'\n');
    EXPECT_TRUE(editorLines().contains("D1 - 1x")) << text.toStdString(); // Bára, the class's first girl
    EXPECT_TRUE(editorLines().contains("Škola: neuvedena"));
    for (const char *word : {"Bára", "Malá", "Adam", "Lipová", "Nováková"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(word))) << word;

    anonymous->trigger();
    evaluate();
    EXPECT_TRUE(editorLines().contains("Bára Malá - 1x"));
    // The bar chart's "Textový souhrn" of an anonymous chart is anonymous too, whatever the switch here.
    m_prompter.no().no();
    m_sessions->runTextualSummary(true);
    EXPECT_TRUE(editorLines().contains("D1 - 1x"));
}
