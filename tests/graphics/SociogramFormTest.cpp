// The sociogram window over a real data module, against the headless tool.
#include "SociogramFixture.h"

#include "cli/Cli.h"
#include "data/AppContext.h"
#include "graph/GraphCanvas.h"
#include "graphics/SociogramForm.h"
#include "graphics/VlastnostiForm.h"

#include <QActionGroup>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

class SociogramFormTest : public SociogramFixture {
protected:
    void SetUp() override {
        SociogramFixture::SetUp();
        const qint64 a = addPupil(m_class, "Adam", "Bílý");
        const qint64 b = addPupil(m_class, "Eva", "Malá", QStringLiteral("žena"));
        for (int i = 0; i < 7; ++i)
            addPupil(m_class, QStringLiteral("Žák%1").arg(i), QVariant(), i % 2 ? "žena" : "muž");
        addAnswer(m_session, m_question, a, b, true);
        addAnswer(m_session, m_question, b, a, true);
        addAnswer(m_session, m_question, b, a, false);
        m_context.folders = m_folders;
        m_context.database = &m_db;
        m_context.dm = &dm();
        m_context.prompter = &m_prompter;
        openModule();
        m_form = std::make_unique<TSociogram_Form>(m_context);
        m_form->refillSessionMenu();
    }
    // Clicks the menu items as the teacher does: the session, then the question item.
    void choose(int questionItem) {
        ASSERT_EQ(m_form->sessionMenu()->actions().size(), 1);
        m_form->sessionMenu()->actions().first()->trigger();
        ASSERT_GT(m_form->questionMenu()->actions().size(), questionItem);
        m_form->questionMenu()->actions().at(questionItem)->trigger();
    }
    static QByteArray read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    AppContext m_context;
    std::unique_ptr<TSociogram_Form> m_form;
};

} // namespace

TEST_F(SociogramFormTest, WindowAndHeadlessToolSaveTheSameFileForTheSameChoice) {
    choose(1); // the negative wording of the first question
    const QString window = m_dir.path() + QStringLiteral("/okno.sgp");
    ASSERT_TRUE(m_form->canvas()->SaveToFile(window));
    ASSERT_TRUE(node(m_form->document(), "NEGATIVNÍ VOLBY"));

    const QString headless = m_dir.path() + QStringLiteral("/cli.sgp");
    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(runCli({"--data", m_folders.dataFolder, "sociogram", "--session", QString::number(m_session),
                      "--question", QString::number(m_question), "--negative", "--out", headless},
                     m_folders.programFolder, o, e),
              0)
        << err.toStdString();
    EXPECT_EQ(read(window), read(headless));

    GraphDocument loaded;
    ASSERT_TRUE(loaded.LoadFromFile(headless));
    EXPECT_EQ(loaded.SaveToBytes(), m_form->document().SaveToBytes());
}

TEST_F(SociogramFormTest, HandEditsAreUndoneWithCtrlZ) {
    choose(0);
    GraphDocument &doc = m_form->document();
    const QByteArray built = doc.SaveToBytes();
    const int objects = doc.Objects().Count();
    m_form->show();
    m_form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));

    node(doc, "Adam Bílý")->SetSelected(true);
    QTest::keyClick(m_form->canvas(), Qt::Key_Delete);
    EXPECT_EQ(doc.Objects().Count(), objects - 1);
    m_form->arrange();
    QTest::keyClick(m_form->canvas(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_form->canvas(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc.SaveToBytes(), built);
    m_form->hide();
}

TEST_F(SociogramFormTest, TextWindowWritesEveryLineWithCrLfOnlyOnOk) {
    EXPECT_EQ(TVlastnosti_Form::objectText("a\nb"), "a\r\nb\r\n");
    EXPECT_EQ(TVlastnosti_Form::objectText("a\n"), "a\r\n");
    EXPECT_EQ(TVlastnosti_Form::objectText(""), "");

    choose(0);
    GraphDocument &doc = m_form->document();
    TGraphNode *eva = node(doc, "Eva Malá");
    TGraphNode *adam = node(doc, "Adam Bílý");
    eva->SetSelected(true);
    adam->SetSelected(true);
    TVlastnosti_Form *text = m_form->propertiesForm();
    // Closed without OK: nothing changes.
    QTimer::singleShot(0, text, [text] {
        text->textEdit()->setPlainText("Jiná");
        text->reject();
    });
    m_form->editText(adam);
    EXPECT_EQ(eva->Text(), "Eva Malá");
    // OK: the first selected object takes the text, whichever was clicked.
    QTimer::singleShot(0, text, [text] {
        EXPECT_EQ(text->textEdit()->toPlainText(), "Eva Malá");
        text->textEdit()->setPlainText("Eva\nMalá");
        text->applyText();
    });
    m_form->editText(adam);
    EXPECT_EQ(eva->Text(), "Eva\r\nMalá\r\n");
    EXPECT_EQ(adam->Text(), "Adam Bílý");
}

TEST_F(SociogramFormTest, KoeficientChoiceArrangesOnlyWhenTheTeacherAgrees) {
    choose(0);
    GraphDocument &doc = m_form->document();
    const QByteArray built = doc.SaveToBytes();
    QAction *two = m_form->action("N21");
    ASSERT_TRUE(two);
    m_prompter.no();
    two->trigger();
    EXPECT_TRUE(two->isChecked());
    EXPECT_EQ(m_form->builder().arrangement().choice(), 2);
    EXPECT_EQ(doc.SaveToBytes(), built);
    EXPECT_EQ(m_prompter.questions(), QStringList{"Chcete přeuspořádat sociogram?"});
    m_prompter.yes();
    m_form->action("N31")->trigger();
    EXPECT_NE(doc.SaveToBytes(), built);
    EXPECT_EQ(m_form->builder().arrangement().koeficient(doc), 3);
}

TEST_F(SociogramFormTest, HandEditsAreNotLostOnEscOrCloseWithoutAQuestion) {
    choose(0);
    m_form->show();
    m_form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    // A sociogram as built closes without a question.
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_TRUE(m_prompter.prompts().isEmpty());

    m_form->show();
    m_form->addObject();
    const QByteArray edited = m_form->document().SaveToBytes();
    m_prompter.answer(QVariant()); // "Zrušit": stays open with the edit
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_TRUE(m_form->isVisible());
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].text, QStringLiteral("Sociogram má neuložené úpravy. Chcete je uložit?"));
    m_prompter.answer(QVariant());
    m_form->close();
    EXPECT_TRUE(m_form->isVisible());
    EXPECT_EQ(m_form->document().SaveToBytes(), edited);
    // Building another sociogram would discard it as well; the menu keeps the question shown checked.
    m_form->sessionMenu()->actions().first()->trigger();
    QAction *shown = m_form->questionMenu()->actions().at(0);
    m_prompter.no();
    shown->trigger(); // "Ne": the edit goes, the sociogram is built again; then a new edit
    m_form->addObject();
    const QByteArray editedAgain = m_form->document().SaveToBytes();
    m_prompter.answer(QVariant());
    QAction *other = m_form->questionMenu()->actions().at(1);
    other->trigger();
    EXPECT_EQ(m_form->document().SaveToBytes(), editedAgain);
    EXPECT_FALSE(other->isChecked());
    EXPECT_TRUE(shown->isChecked());

    // "Ano" saves to the chosen file and closes.
    const QString file = m_dir.path() + QStringLiteral("/upraveny.sgp");
    m_prompter.yes().answer(file);
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_FALSE(m_form->isVisible());
    GraphDocument saved;
    ASSERT_TRUE(saved.LoadFromFile(file));
    EXPECT_EQ(saved.SaveToBytes(), editedAgain);

    // Saved: no question any more. A new edit and "Ne" closes without saving.
    m_prompter.clear();
    m_form->show();
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
    m_form->show();
    m_form->arrange();
    m_prompter.no();
    QTest::keyClick(m_form->canvas(), Qt::Key_Escape);
    EXPECT_FALSE(m_form->isVisible());
    EXPECT_EQ(m_prompter.prompts().size(), 1);
}
