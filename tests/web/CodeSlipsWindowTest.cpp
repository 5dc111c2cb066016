// The session window's "Kódy pro žáky…" and "Vygenerovat nové kódy", driven through the scripted prompter.
#include "web/WebFixture.h"

#include "data/AppContext.h"
#include "questionnaires/SessionsForm.h"
#include "support/RecordingShell.h"
#include "web/CodeSlips.h"
#include "web/PupilCodes.h"

#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTest>

namespace {

class CodeSlipsWindowTest : public WebFixture {
protected:
    void SetUp() override {
        WebFixture::SetUp();
        ASSERT_TRUE(QDir().mkpath(m_folders.programFolder));
        openWindowContext(m_context, m_shell);
        dm().Vyhodnoceni_Query().setParameter("par_id_tridy", m_class);
        dm().RefreshDataset(dm().Vyhodnoceni_Query());
        ASSERT_TRUE(dm().Vyhodnoceni_Query().locate("ID", m_session));
        m_main = std::make_unique<QWidget>();
        m_sessions = new TDotazniky_Form(m_context, m_main.get());
    }
    void TearDown() override { m_main.reset(); }
    void trigger(const char *action) {
        QAction *found = m_sessions->findChild<QAction *>(action);
        ASSERT_TRUE(found) << action;
        found->trigger();
    }
    QStringList codes() {
        QStringList list;
        for (const PupilCode &code : PupilCodes::read(m_db, m_session))
            list << code.code;
        return list;
    }

    RecordingShell m_shell{m_dir.path() + "/appdata", m_dir.path()};
    AppContext m_context;
    std::unique_ptr<QWidget> m_main;
    TDotazniky_Form *m_sessions = nullptr;
};

TEST_F(CodeSlipsWindowTest, TheSlipsAreSavedAsPdfOrDocxWhereTheSaveDialogSays) {
    const QString pdf = m_dir.path() + "/kody.pdf";
    m_prompter.answer(0).answer(pdf);
    trigger("KodyProZaky_Action");
    ASSERT_GE(m_prompter.prompts().size(), 2);
    EXPECT_EQ(m_prompter.prompts()[0].kind, "choice");
    EXPECT_TRUE(m_prompter.prompts()[0].text.contains("„01-03-2024 | Vztahy“")) << m_prompter.prompts()[0].text.toStdString();
    EXPECT_EQ(m_prompter.prompts()[1].kind, "save");
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join('\n').toStdString();
    EXPECT_TRUE(readFile(pdf).startsWith("%PDF-"));
    // The codes were made for the slips and kept.
    const QStringList made = codes();
    EXPECT_EQ(made.size(), 4);

    m_prompter.answer(0).answer(m_dir.path() + "/kody.docx");
    trigger("KodyProZaky_Action");
    const QByteArray docx = readFile(m_dir.path() + "/kody.docx");
    EXPECT_TRUE(docx.startsWith("PK"));
    EXPECT_EQ(codes(), made);

    // Cancelled, at the choice or in the save dialog: nothing is written.
    m_prompter.answer(2);
    trigger("KodyProZaky_Action");
    m_prompter.answer(0).answer(QString());
    trigger("KodyProZaky_Action");
    EXPECT_EQ(QDir(m_dir.path()).entryList({"kody*"}), QStringList({"kody.docx", "kody.pdf"}));
}

TEST_F(CodeSlipsWindowTest, PrintingShowsAPreviewWithAPageForEverySixSlips) {
    for (int i = 0; i < 5; ++i)
        addPupil(m_class, QStringLiteral("Nový%1").arg(i), "Žák", "muž", 20 + i);
    m_prompter.answer(1);
    trigger("KodyProZaky_Action");
    auto *preview = m_sessions->findChild<QPrintPreviewDialog *>("KodyProZaky_Nahled");
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isVisible());
    auto *pages = preview->findChild<QPrintPreviewWidget *>();
    ASSERT_TRUE(pages);
    EXPECT_TRUE(QTest::qWaitFor([pages] { return pages->pageCount() > 0; }, 5000));
    EXPECT_EQ(pages->pageCount(), 2); // nine pupils
    preview->reject();
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join('\n').toStdString();
}

TEST_F(CodeSlipsWindowTest, NewCodesAreMadeOnlyAfterTheTeacherSaysYes) {
    const QList<PupilCode> before = PupilCodes::ensure(m_db, m_session);
    m_prompter.no();
    trigger("VygenerovatNoveKody_Action");
    ASSERT_EQ(m_prompter.questions().size(), 1);
    EXPECT_TRUE(m_prompter.questions()[0].startsWith("Vygenerovat nové kódy pro žáky vyhodnocení „01-03-2024 | "
                                                     "Vztahy“?"))
        << m_prompter.questions()[0].toStdString();
    const QStringList old = codes();
    EXPECT_EQ(old.size(), 4);
    EXPECT_EQ(old[0], before[0].code);

    m_prompter.yes();
    trigger("VygenerovatNoveKody_Action");
    const QStringList renewed = codes();
    ASSERT_EQ(renewed.size(), 4);
    for (const QString &code : renewed)
        EXPECT_FALSE(old.contains(code));
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].startsWith("Nové kódy jsou vytvořené (počet žáků: 4)."));
}

TEST_F(CodeSlipsWindowTest, ASessionWithoutAQuestionnaireOffersNoCodes) {
    const qint64 bare = insert("INSERT INTO vyhodnoceni (id_tridy, datum) VALUES (:c, '2024-05-01')",
                               {{"c", m_class}});
    dm().RefreshDataset(dm().Vyhodnoceni_Query());
    ASSERT_TRUE(dm().Vyhodnoceni_Query().locate("ID", bare));
    EXPECT_FALSE(m_sessions->offerCodeSlips());
    EXPECT_FALSE(m_sessions->regenerateCodes());
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
}

} // namespace
