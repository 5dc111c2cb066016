// The window "Sociometrický rozbor" over a real data module, driven as the teacher drives it.
#include "data/DataFixture.h"

#include "analysis/AnalysisForm.h"
#include "analysis/AnalysisTexts.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "app/TestFolders.h"
#include "app/WindowRegistry.h"
#include "automation/DocxPackage.h"
#include "support/Poppler.h"
#include "support/PreviewPages.h"
#include "support/RecordingShell.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

// Readable failure output for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

namespace {

int columnOf(const QString &heading) {
    return int(AnalysisTexts::pupilColumns().indexOf(heading));
}

// A class of twelve: Adam is chosen by ten classmates, Eva by nine (Adam and Eva choose each other), Rudolf
// is chosen by nobody and refused by eight. The questionnaire has that question with both wordings, a
// free-text question and a question without a negative wording.
class AnalysisFormTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("5.A"), QStringLiteral("Nováková"));
        m_adam = addPupil(m_class, "Adam", "Bílý");
        m_eva = addPupil(m_class, "Eva", "Malá", QStringLiteral("žena"));
        m_rudolf = addPupil(m_class, "Rudolf", "Zelený");
        for (int i = 0; i < 9; ++i)
            m_others.append(addPupil(m_class, QStringLiteral("Žák%1").arg(i), QVariant(), i % 2 ? "žena" : "muž"));
        const qint64 test = addTest(QStringLiteral("Vztahy"));
        m_question = addQuestion(test, QStringLiteral("S kým sedíš rád?"), QStringLiteral("S kým nesedíš?"), 0, 1);
        m_verbal = addQuestion(test, QStringLiteral("Co tě baví?"), QVariant(), 4, 2);
        m_positiveOnly = addQuestion(test, QStringLiteral("Kdo je tvůj kamarád?"), QVariant(), 0, 3);
        m_session = addSession(m_class, test, QStringLiteral("2021-03-04 00:00:00"));

        addAnswer(m_session, m_question, m_adam, m_eva, true);
        addAnswer(m_session, m_question, m_eva, m_adam, true);
        for (int i = 0; i < 9; ++i)
            addAnswer(m_session, m_question, m_others[i], m_adam, true);
        for (int i = 0; i < 8; ++i) {
            addAnswer(m_session, m_question, m_others[i], m_eva, true);
            addAnswer(m_session, m_question, m_others[i], m_rudolf, false);
        }
        addAnswer(m_session, m_positiveOnly, m_adam, m_eva, true);

        openWindowContext(m_context, m_shell);
        dm().Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), m_class);
        dm().RefreshDataset(dm().Vyhodnoceni_Query());
        m_form = std::make_unique<AnalysisForm>(m_context);
        m_form->refillSessionMenu();
    }

    // The teacher clicks the session, then the question item (0 is the first question).
    void choose(int questionItem) {
        ASSERT_EQ(m_form->sessionMenu()->actions().size(), 1);
        m_form->sessionMenu()->actions().first()->trigger();
        ASSERT_GT(m_form->questionMenu()->actions().size(), questionItem);
        m_form->questionMenu()->actions().at(questionItem)->trigger();
    }
    QAbstractItemModel *pupils() const { return m_form->pupilTable()->model(); }
    QString cell(int row, const QString &heading) const {
        return pupils()->index(row, columnOf(heading)).data().toString();
    }
    int rowOf(const QString &name) const {
        for (int row = 0; row < pupils()->rowCount(); ++row)
            if (cell(row, QStringLiteral("Žák")) == name)
                return row;
        return -1;
    }
    // The column's cells top to bottom, as the table shows them.
    QStringList column(const QString &heading) const {
        QStringList cells;
        for (int row = 0; row < pupils()->rowCount(); ++row)
            cells << cell(row, heading);
        return cells;
    }
    template <class T> T *child(const QString &name) const {
        T *found = m_form->findChild<T *>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath(), QDir::tempPath()};
    std::unique_ptr<AnalysisForm> m_form;
    qint64 m_class = 0, m_adam = 0, m_eva = 0, m_rudolf = 0;
    QList<qint64> m_others;
    qint64 m_question = 0, m_verbal = 0, m_positiveOnly = 0, m_session = 0;
};

} // namespace

TEST_F(AnalysisFormTest, ChoosingAQuestionShowsItsPupilsTintedByGroupAndItsSubgroups) {
    choose(0);
    // One item per question: the negative wording is part of the analysis, not an item of its own.
    QStringList items;
    for (QAction *item : m_form->questionMenu()->actions())
        items << item->text();
    EXPECT_EQ(items, QStringList({"1 S kým sedíš rád?", "2 Co tě baví?", "3 Kdo je tvůj kamarád?"}));
    EXPECT_TRUE(m_form->questionMenu()->actions().at(0)->isChecked());

    ASSERT_TRUE(m_form->analysis());
    ASSERT_EQ(pupils()->rowCount(), 12);
    EXPECT_EQ(column(QStringLiteral("Žák")).mid(0, 4),
              QStringList({"Adam Bílý", "Eva Malá", "Rudolf Zelený", "Žák0"}));
    const int rudolf = rowOf(QStringLiteral("Rudolf Zelený"));
    const int adam = rowOf(QStringLiteral("Adam Bílý"));
    EXPECT_EQ(cell(adam, QStringLiteral("Přijaté +")), "10");
    EXPECT_EQ(cell(rudolf, QStringLiteral("Přijaté −")), "8");
    EXPECT_EQ(cell(rudolf, QStringLiteral("Statusová skupina")), "odmítaný");
    const QVariant tint = pupils()->index(rudolf, 0).data(Qt::BackgroundRole);
    EXPECT_EQ(tint.value<QColor>(), AnalysisForm::rowTint(Sociometry::Status::Rejected));
    EXPECT_EQ(pupils()->index(rudolf, columnOf(QStringLiteral("Poznámka"))).data(Qt::BackgroundRole), tint);
    EXPECT_EQ(cell(adam, QStringLiteral("Statusová skupina")), "oblíbený");
    EXPECT_EQ(pupils()->index(adam, 0).data(Qt::BackgroundRole).value<QColor>(),
              AnalysisForm::rowTint(Sociometry::Status::Popular));
    EXPECT_NE(AnalysisForm::rowTint(Sociometry::Status::Popular), AnalysisForm::rowTint(Sociometry::Status::Rejected));
    EXPECT_TRUE(child<QLabel>(QStringLiteral("ChybiStatusy"))->isHidden());
    EXPECT_EQ(child<QLabel>(QStringLiteral("Legenda_rejected"))->text(), "odmítaný");

    // "Třída": the indices, then the pupils per group (one rejected).
    auto *indices = child<QTableWidget>(QStringLiteral("Ukazatele_Table"));
    ASSERT_EQ(indices->rowCount(), AnalysisTexts::groupIndices(*m_form->analysis()).size());
    EXPECT_EQ(indices->item(0, 0)->text(), "Vzájemné pozitivní dvojice");
    EXPECT_EQ(indices->item(0, 1)->text(), "1");
    auto *counts = child<QTableWidget>(QStringLiteral("Statusy_Table"));
    ASSERT_EQ(counts->rowCount(), 6);
    EXPECT_EQ(counts->item(1, 0)->text(), "odmítaný");
    EXPECT_EQ(counts->item(1, 1)->text(), "1");

    // "Podskupiny": Adam and Eva are the one mutual pair.
    auto *subgroups = child<QTreeWidget>(QStringLiteral("Podskupiny_Tree"));
    ASSERT_GT(subgroups->topLevelItemCount(), 0);
    QTreeWidgetItem *pairs = subgroups->topLevelItem(0);
    EXPECT_EQ(pairs->text(0), "Vzájemné pozitivní dvojice");
    ASSERT_EQ(pairs->childCount(), 1);
    EXPECT_EQ(pairs->child(0)->text(0), "Adam Bílý – Eva Malá");
}

TEST_F(AnalysisFormTest, AFreeTextQuestionIsRefusedAndLeavesTheWindowEmpty) {
    choose(0);
    ASSERT_EQ(pupils()->rowCount(), 12);
    ASSERT_TRUE(m_form->action(QStringLiteral("Ulozit_Action"))->isEnabled());

    QAction *verbal = m_form->questionMenu()->actions().at(1);
    verbal->trigger();
    EXPECT_EQ(m_prompter.messages(), QStringList{"Otázka je slovní."});
    EXPECT_TRUE(child<QLabel>(QStringLiteral("Zahlavi"))->text().startsWith(QStringLiteral("Otázka je slovní.")));
    EXPECT_FALSE(m_form->analysis());
    EXPECT_EQ(pupils()->rowCount(), 0);
    EXPECT_EQ(child<QTableWidget>(QStringLiteral("Ukazatele_Table"))->rowCount(), 0);
    EXPECT_EQ(child<QTreeWidget>(QStringLiteral("Podskupiny_Tree"))->topLevelItemCount(), 0);
    EXPECT_FALSE(verbal->isChecked());
    EXPECT_FALSE(m_form->action(QStringLiteral("Ulozit_Action"))->isEnabled());

    // Without a negative wording the status columns stay empty and the window says why.
    m_prompter.clear();
    m_form->questionMenu()->actions().at(2)->trigger();
    EXPECT_TRUE(m_prompter.messages().isEmpty());
    ASSERT_EQ(pupils()->rowCount(), 12);
    EXPECT_EQ(cell(0, QStringLiteral("Statusová skupina")), "");
    EXPECT_FALSE(pupils()->index(0, 0).data(Qt::BackgroundRole).isValid());
    auto *why = child<QLabel>(QStringLiteral("ChybiStatusy"));
    EXPECT_FALSE(why->isHidden());
    EXPECT_EQ(why->text(), AnalysisTexts::missingStatusReason(*m_form->analysis()));
    EXPECT_FALSE(why->text().isEmpty());
    EXPECT_EQ(child<QLabel>(QStringLiteral("StatusyChybi"))->text(), why->text());
    EXPECT_TRUE(child<QTableWidget>(QStringLiteral("Statusy_Table"))->isHidden());
}

TEST_F(AnalysisFormTest, AnAnswerEnteredMeanwhileCountsWhenTheQuestionIsChosenAgain) {
    choose(0);
    EXPECT_EQ(cell(rowOf(QStringLiteral("Rudolf Zelený")), QStringLiteral("Přijaté −")), "8");
    const qint64 added = addAnswer(m_session, m_question, m_others[8], m_rudolf, false);
    m_form->questionMenu()->actions().at(0)->trigger();
    EXPECT_EQ(cell(rowOf(QStringLiteral("Rudolf Zelený")), QStringLiteral("Přijaté −")), "9");
    EXPECT_EQ(cell(rowOf(QStringLiteral("Žák8")), QStringLiteral("Dané −")), "1");

    m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id = :id"), {{QStringLiteral("id"), added}});
    m_db.exec(QStringLiteral("DELETE FROM odpovedi WHERE id_zaka = :a AND id_partnera = :b"),
              {{QStringLiteral("a"), m_adam}, {QStringLiteral("b"), m_eva}});
    m_form->questionMenu()->actions().at(0)->trigger();
    EXPECT_EQ(cell(rowOf(QStringLiteral("Rudolf Zelený")), QStringLiteral("Přijaté −")), "8");
    EXPECT_EQ(cell(rowOf(QStringLiteral("Eva Malá")), QStringLiteral("Přijaté +")), "8");
    EXPECT_EQ(child<QTableWidget>(QStringLiteral("Ukazatele_Table"))->item(0, 1)->text(), "0");
}

TEST_F(AnalysisFormTest, AHeadingClickSortsFiguresByValue) {
    m_form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
    choose(0);
    QHeaderView *header = m_form->pupilTable()->horizontalHeader();
    const int received = columnOf(QStringLiteral("Přijaté +"));
    const QPoint heading(header->sectionViewportPosition(received) + header->sectionSize(received) / 2,
                         header->height() / 2);

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, heading);
    const QStringList ascending = column(QStringLiteral("Přijaté +"));
    EXPECT_EQ(ascending.mid(9), QStringList({"0", "9", "10"}));
    EXPECT_EQ(column(QStringLiteral("Žák")).constLast(), "Adam Bílý");

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, heading);
    EXPECT_EQ(column(QStringLiteral("Přijaté +")).mid(0, 3), QStringList({"10", "9", "0"}));
    EXPECT_EQ(column(QStringLiteral("Žák")).mid(0, 2), QStringList({"Adam Bílý", "Eva Malá"}));
    // The tint follows its pupil.
    EXPECT_EQ(pupils()->index(rowOf(QStringLiteral("Rudolf Zelený")), 0).data(Qt::BackgroundRole).value<QColor>(),
              AnalysisForm::rowTint(Sociometry::Status::Rejected));

    // A new build keeps the teacher's order.
    m_form->questionMenu()->actions().at(0)->trigger();
    EXPECT_EQ(column(QStringLiteral("Žák")).constFirst(), "Adam Bílý");
    m_form->hide();
}

TEST_F(AnalysisFormTest, SavingWritesTheChosenFileAndHandsTheDocumentToTheClassDocuments) {
    choose(0);
    const QString file = m_dir.path() + QStringLiteral("/rozbor.docx");
    m_prompter.answer(file);
    m_form->action(QStringLiteral("Ulozit_Action"))->trigger();
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].kind, "save");
    EXPECT_TRUE(m_prompter.prompts()[0].folder.endsWith(QStringLiteral(".docx")));
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    QString error;
    const QMap<QString, QByteArray> docx = readZip(file, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(QString::fromUtf8(docx.value(QStringLiteral("word/document.xml"))).contains("Rudolf Zelený"));

    // A file of a kind the analysis is not written as: refused with a Czech sentence, nothing written.
    m_prompter.clear();
    const QString odd = m_dir.path() + QStringLiteral("/rozbor.xyz");
    m_prompter.answer(odd);
    m_form->save();
    EXPECT_EQ(m_prompter.messages().size(), 1);
    EXPECT_FALSE(QFile::exists(odd));

    // "Uložit do Listin": the class documents get the Word document under the title the teacher gives.
    m_prompter.clear();
    m_prompter.answer(QStringLiteral("Rozbor 5.A")).no(); // the documents window stays closed
    m_form->action(QStringLiteral("UlozitListiny_Action"))->trigger();
    ASSERT_EQ(count(QStringLiteral("SELECT count(*) FROM listiny WHERE id_tridy = :c"), {{"c", m_class}}), 1);
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT nazev FROM listiny")).toString(), "Rozbor 5.A");
    const QString stored = m_db.scalar(QStringLiteral("SELECT cesta FROM listiny")).toString();
    EXPECT_TRUE(stored.endsWith(QStringLiteral(".docx")));
    const QMap<QString, QByteArray> kept = readZip(m_folders.classFolder(m_class) + stored, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(QString::fromUtf8(kept.value(QStringLiteral("word/document.xml"))).contains("Adam Bílý"));
}

// "Tisk" shows the whole analysis in the preview: its text, then the scatter on a page of its own; "Uložit
// jako PDF" writes the same pages.
TEST_F(AnalysisFormTest, PrintShowsThePreviewOfTheWholeAnalysisAndPdfHasTheSamePages) {
    choose(0);
    m_form->action(QStringLiteral("Tisk_Action"))->trigger();
    const int pages = previewPageCount(m_form.get(), "Rozbor_Nahled");
    EXPECT_GE(pages, 2);

    const QString pdf = m_dir.path() + QStringLiteral("/rozbor.pdf");
    m_prompter.answer(pdf);
    m_form->action(QStringLiteral("UlozitPdf_Action"))->trigger();
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    EXPECT_EQ(Poppler::pages(pdf), pages);
    EXPECT_EQ(Poppler::title(pdf), "Sociometrický rozbor");
    EXPECT_TRUE(Poppler::text(pdf).contains(QStringLiteral("Rudolf Zelený")));
}

// The main window opens the analysis from "Výstup" and from its tool bar, on the sessions of the current class.
TEST(AnalysisFormOpening, TheMainWindowOpensItOnTheCurrentClassFromTheMenuAndTheToolBar) {
    QTemporaryDir root;
    ASSERT_TRUE(makeProgramAndDataFolders(root, "1.0.0"));
    ScriptedPrompter prompter;
    RecordingShell shell(root.path(), root.path());
    Startup startup(root.filePath(QStringLiteral("program")), prompter, shell);
    startup.run({QStringLiteral("/files"), root.filePath(QStringLiteral("data/"))});
    TMain_form *main = startup.mainWindow();
    QStringList shown;
    int sessions = -1;
    main->setWindowShower([&](QWidget *window, bool modal) {
        shown << window->objectName() + (modal ? QStringLiteral(" modal") : QString());
        window->show(); // its menus are filled when it shows
        sessions = int(static_cast<AnalysisForm *>(window)->sessionMenu()->actions().size());
        window->hide();
    });

    QAction *item = main->findChild<QAction *>(QStringLiteral("Rozbor_Action"));
    ASSERT_TRUE(item);
    item->trigger(); // no class yet: refused, nothing made
    EXPECT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_FALSE(startup.windows().object(QStringLiteral("AnalysisForm")));

    Database &db = *startup.context().database;
    db.exec(QStringLiteral("INSERT INTO trida (skola, stupen, datum_zapisu) VALUES ('ZŠ', '1.A', '2024-09-02 08:00:00')"));
    const qint64 classId = db.lastInsertId();
    db.exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES ('Vztahy')"));
    const qint64 test = db.lastInsertId();
    for (const char *date : {"2024-10-01 00:00:00", "2024-11-01 00:00:00"})
        db.exec(QStringLiteral("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum) VALUES (:c, :t, :d)"),
                {{QStringLiteral("c"), classId}, {QStringLiteral("t"), test}, {QStringLiteral("d"), QString::fromLatin1(date)}});
    startup.context().dm->RefreshDataset(startup.context().dm->Trida_Query());

    item->trigger();
    EXPECT_EQ(shown, QStringList{"AnalysisForm modal"});
    EXPECT_EQ(sessions, 2);
    QObject *made = startup.windows().object(QStringLiteral("AnalysisForm"));
    ASSERT_TRUE(qobject_cast<AnalysisForm *>(made));

    auto *button = main->findChild<QToolButton *>(QStringLiteral("Rozbor_ToolButton"));
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(shown, QStringList({"AnalysisForm modal", "AnalysisForm modal"}));
    EXPECT_EQ(startup.windows().object(QStringLiteral("AnalysisForm")), made); // made once
}

TEST_F(AnalysisFormTest, AnonymouslyTheWindowShowsCodesForNamesAndNoSchoolOrTeacher) {
    choose(0);
    QAction *anonymous = child<QAction>(QStringLiteral("Anonymne_Action"));
    ASSERT_TRUE(anonymous);
    EXPECT_FALSE(anonymous->isChecked());
    anonymous->trigger();
    ASSERT_TRUE(m_form->analysis());
    // Girls D…, boys C…, numbered in roster order; the figures are those of the named analysis.
    EXPECT_EQ(column(QStringLiteral("Žák")).mid(0, 4), QStringList({"C1", "D1", "C2", "C3"}));
    EXPECT_EQ(cell(0, QStringLiteral("Přijaté +")), "10");
    EXPECT_EQ(child<QTreeWidget>(QStringLiteral("Podskupiny_Tree"))->topLevelItem(0)->child(0)->text(0), "C1 – D1");
    const QStringList heading = AnalysisTexts::heading(*m_form->analysis());
    EXPECT_FALSE(heading.join(u'\n').contains(QStringLiteral("Lipová")));
    EXPECT_FALSE(heading.join(u'\n').contains(QStringLiteral("Nováková")));

    anonymous->trigger();
    EXPECT_EQ(column(QStringLiteral("Žák")).mid(0, 2), QStringList({"Adam Bílý", "Eva Malá"}));
}
