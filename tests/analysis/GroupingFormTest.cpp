// The window "Rozdělení do skupin" over a real data module, driven as the teacher drives it.
#include "data/DataFixture.h"

#include "analysis/grouping/GroupingForm.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "app/TestFolders.h"
#include "app/WindowRegistry.h"
#include "automation/DocxPackage.h"
#include "support/Poppler.h"
#include "support/PreviewPages.h"
#include "support/RecordingShell.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Six pupils: Adam, Bára and Cyril choose each other, so do Dana, Emil and Filip; Emil rejects Adam. A
// free-text question is no question to group by.
class GroupingFormTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        m_class = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("5.A"), QStringLiteral("Nováková"));
        const char *names[] = {"Adam", "Bára", "Cyril", "Dana", "Emil", "Filip"};
        for (const char *name : names) {
            const bool girl = name[0] == 'B' || name[0] == 'D';
            m_pupils << addPupil(m_class, name, girl ? "Malá" : "Malý", girl ? "žena" : "muž");
        }
        const qint64 test = addTest(QStringLiteral("Vztahy"));
        m_question =
            addQuestion(test, QStringLiteral("S kým chceš pracovat?"), QStringLiteral("S kým ne?"), 0, 1);
        addQuestion(test, QStringLiteral("Co tě baví?"), QVariant(), 4, 2);
        m_session = addSession(m_class, test, QStringLiteral("2021-03-04 00:00:00"));
        for (int cluster : {0, 3})
            for (int i = cluster; i < cluster + 3; ++i)
                for (int j = cluster; j < cluster + 3; ++j)
                    if (i != j)
                        addAnswer(m_session, m_question, m_pupils[i], m_pupils[j], true);
        addAnswer(m_session, m_question, m_pupils[4], m_pupils[0], false);

        openWindowContext(m_context, m_shell);
        dm().Vyhodnoceni_Query().setParameter(QStringLiteral("par_id_tridy"), m_class);
        dm().RefreshDataset(dm().Vyhodnoceni_Query());
        m_form = std::make_unique<GroupingForm>(m_context);
        m_form->refillSessionMenu();
        ASSERT_EQ(m_form->sessionMenu()->actions().size(), 1);
        m_form->sessionMenu()->actions().first()->trigger();
        m_form->findChild<QSpinBox *>(QStringLiteral("PocetSkupin"))->setValue(2);
    }

    bool arrange() {
        if (!m_form->arrangeNow())
            return false;
        m_form->waitForArrangement();
        return m_form->result().has_value();
    }
    QStringList cards(int group) const {
        QStringList texts;
        GroupColumn *column = m_form->columns().value(group - 1);
        for (int row = 0; column && row < column->count(); ++row)
            texts << column->item(row)->text();
        return texts;
    }
    QList<QList<qint64>> groups() const { return m_form->result()->groups; }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath(), QDir::tempPath()};
    std::unique_ptr<GroupingForm> m_form;
    qint64 m_class = 0, m_question = 0, m_session = 0;
    QList<qint64> m_pupils;
};

} // namespace

TEST_F(GroupingFormTest, RozdelitShowsTheBestGroupsAndAHandSwapRescoresAndUndoes) {
    // Only the question of choices is offered, ticked.
    ASSERT_EQ(m_form->questionList()->count(), 1);
    EXPECT_EQ(m_form->questionList()->item(0)->checkState(), Qt::Checked);
    ASSERT_TRUE(arrange());
    const QList<QList<qint64>> best{m_pupils.mid(0, 3), m_pupils.mid(3, 3)};
    EXPECT_EQ(groups(), best);
    EXPECT_EQ(cards(1), QStringList({"Adam Malý  ✓", "Bára Malá  ✓", "Cyril Malý  ✓"}));
    EXPECT_TRUE(m_form->scoreLabel()->text().contains(
        QStringLiteral("Každý žák má ve skupině aspoň jednoho spolužáka, kterého si vybral.")));
    EXPECT_EQ(m_context.shownGroups.value(m_session), best);

    // Adam dropped onto Emil: the two swap, Emil now sits with Adam, whom he rejected.
    EXPECT_TRUE(m_form->dropPupil(m_pupils[0], 2, m_pupils[4]));
    EXPECT_EQ(groups(), QList<QList<qint64>>({{m_pupils[1], m_pupils[2], m_pupils[4]},
                                              {m_pupils[0], m_pupils[3], m_pupils[5]}}));
    EXPECT_EQ(m_form->result()->score.unmatched, 2);
    EXPECT_EQ(cards(2).value(0), QStringLiteral("Adam Malý  ○"));
    EXPECT_TRUE(m_form->scoreLabel()->text().contains(QStringLiteral("2 žáci nemají ve skupině nikoho")));
    EXPECT_EQ(m_context.shownGroups.value(m_session), groups()); // the sociogram colours what is shown
    // A drop within the group changes nothing.
    EXPECT_FALSE(m_form->dropPupil(m_pupils[1], 1, m_pupils[2]));

    m_form->action(QStringLiteral("Zpet_Action"))->trigger();
    EXPECT_EQ(groups(), best);
    EXPECT_EQ(m_form->result()->score.unmatched, 0);
    EXPECT_FALSE(m_form->action(QStringLiteral("Zpet_Action"))->isEnabled());
}

TEST_F(GroupingFormTest, AHandChangeThatBreaksARuleIsWarnedAndZamknoutPinsForTheNextRun) {
    m_form->addApart(m_pupils[0], m_pupils[1]);
    ASSERT_TRUE(arrange());
    EXPECT_NE(m_form->result()->placement(m_pupils[0])->group,
              m_form->result()->placement(m_pupils[1])->group);
    EXPECT_TRUE(m_form->warningLabel()->isHidden());

    const int adams = m_form->result()->placement(m_pupils[0])->group;
    const QList<qint64> others = groups()[adams == 1 ? 1 : 0];
    const qint64 bara = m_pupils[1];
    qint64 partner = 0;
    for (qint64 id : groups()[adams - 1])
        if (id != m_pupils[0])
            partner = id;
    // Bára swapped into Adam's group.
    ASSERT_TRUE(others.contains(bara));
    ASSERT_TRUE(m_form->dropPupil(bara, adams, partner));
    EXPECT_FALSE(m_form->warningLabel()->isHidden());
    EXPECT_TRUE(
        m_form->warningLabel()->text().contains(QStringLiteral("Adam Malý a Bára Malá mají být zvlášť")));

    // Filip locked where he is now; the next "Rozdělit" keeps him there.
    const int filips = m_form->result()->placement(m_pupils[5])->group;
    GroupColumn *column = m_form->columns().value(filips - 1);
    for (int row = 0; row < column->count(); ++row)
        column->item(row)->setSelected(column->item(row)->data(Qt::UserRole).toLongLong() == m_pupils[5]);
    m_form->action(QStringLiteral("Zamknout_Action"))->trigger();
    ASSERT_EQ(m_form->pinList()->count(), 1);
    EXPECT_EQ(m_form->pinList()->item(0)->text(), QStringLiteral("Filip Malý → skupina %1").arg(filips));
    ASSERT_TRUE(arrange());
    EXPECT_EQ(m_form->result()->placement(m_pupils[5])->group, filips);
    EXPECT_TRUE(m_form->warningLabel()->isHidden());
}

// The rules as the teacher sets them: two pupils picked, "Přidat"; a rule selected, "Odebrat" takes only it.
TEST_F(GroupingFormTest, PickedPairsBecomeRulesAndOdebratTakesOnlyTheSelectedOne) {
    auto *first = m_form->findChild<QComboBox *>(QStringLiteral("Spolu_List_Prvni"));
    auto *second = m_form->findChild<QComboBox *>(QStringLiteral("Spolu_List_Druhy"));
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->count(), 6); // the people of the class in roster order
    first->setCurrentIndex(0);    // Adam
    second->setCurrentIndex(3);   // Dana
    QTest::mouseClick(m_form->findChild<QPushButton *>(QStringLiteral("Spolu_List_Pridat")), Qt::LeftButton);
    second->setCurrentIndex(4); // Emil
    QTest::mouseClick(m_form->findChild<QPushButton *>(QStringLiteral("Spolu_List_Pridat")), Qt::LeftButton);
    auto *list = m_form->findChild<QListWidget *>(QStringLiteral("Spolu_List"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Adam Malý + Dana Malá"));

    list->item(1)->setSelected(true);
    QTest::mouseClick(m_form->findChild<QPushButton *>(QStringLiteral("Spolu_List_Odebrat")), Qt::LeftButton);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Adam Malý + Dana Malá"));
    ASSERT_TRUE(arrange());
    EXPECT_EQ(m_form->result()->placement(m_pupils[0])->group,
              m_form->result()->placement(m_pupils[3])->group);
    EXPECT_EQ(m_form->result()->score.unmatched, 2);
}

TEST_F(GroupingFormTest, RulesInConflictAreRefusedAndZrusitKeepsTheBestSoFar) {
    m_form->addTogether(m_pupils[0], m_pupils[3]);
    m_form->addApart(m_pupils[0], m_pupils[3]);
    EXPECT_FALSE(arrange());
    ASSERT_FALSE(m_prompter.messages().isEmpty());
    EXPECT_TRUE(m_prompter.messages().last().contains(
        QStringLiteral("Adam Malý a Dana Malá mají být spolu i zvlášť")));
    EXPECT_TRUE(m_form->columns().isEmpty());
    EXPECT_FALSE(m_form->action(QStringLiteral("Tisk_Action"))->isEnabled());

    // Without rules, stopped at once: an arrangement all the same, every pupil placed.
    m_form = std::make_unique<GroupingForm>(m_context);
    m_form->refillSessionMenu();
    m_form->sessionMenu()->actions().first()->trigger();
    ASSERT_TRUE(m_form->arrangeNow());
    m_form->cancel();
    m_form->waitForArrangement();
    ASSERT_TRUE(m_form->result());
    EXPECT_EQ(m_form->result()->pupils.size(), 6);
}

TEST_F(GroupingFormTest, DeskPairsSwapOnlyAndAnonymousCardsCarryCodes) {
    m_form->findChild<QRadioButton *>(QStringLiteral("Dvojice_Radio"))->setChecked(true);
    ASSERT_TRUE(arrange());
    EXPECT_EQ(m_form->result()->sizes, QList<int>({2, 2, 2}));
    // Onto free space of another pair: sizes are fixed, nothing moves.
    const QList<QList<qint64>> before = groups();
    const int adams = m_form->result()->placement(m_pupils[0])->group;
    EXPECT_FALSE(m_form->dropPupil(m_pupils[0], adams == 1 ? 2 : 1, 0));
    EXPECT_EQ(groups(), before);
    EXPECT_TRUE(m_form->warningLabel()->text().contains(QStringLiteral("pevné velikosti")));

    m_form->action(QStringLiteral("Anonymne_Action"))->trigger();
    m_form->waitForArrangement();
    ASSERT_TRUE(m_form->result());
    QStringList all;
    for (int g = 1; g <= 3; ++g)
        all << cards(g);
    const QString text = all.join(u' ');
    EXPECT_FALSE(text.contains(QStringLiteral("Mal"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("D1")) && text.contains(QStringLiteral("C1")))
        << text.toStdString();
}

// What the teacher changed by hand is what is printed and saved: the preview, the PDF, the class documents.
TEST_F(GroupingFormTest, TheOutputsCarryTheGroupsAsShownAfterAHandChange) {
    ASSERT_TRUE(arrange());
    ASSERT_TRUE(m_form->dropPupil(m_pupils[0], 2, m_pupils[4]));
    m_form->action(QStringLiteral("Tisk_Action"))->trigger();
    EXPECT_EQ(previewPageCount(m_form.get(), "Skupiny_Nahled"), 1);

    const QString pdf = m_dir.path() + QStringLiteral("/skupiny.pdf");
    m_prompter.answer(pdf);
    m_form->action(QStringLiteral("UlozitPdf_Action"))->trigger();
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    const QString text = Poppler::text(pdf).simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("Skupina 2 (3) Adam Malý ○"))) << text.toStdString();

    m_prompter.clear();
    m_prompter.answer(QStringLiteral("Skupiny 5.A")).no(); // the documents window stays closed
    m_form->action(QStringLiteral("UlozitListiny_Action"))->trigger();
    EXPECT_EQ(m_db.scalar(QStringLiteral("SELECT nazev FROM listiny")).toString(), "Skupiny 5.A");
    const QString stored = m_db.scalar(QStringLiteral("SELECT cesta FROM listiny")).toString();
    QString error;
    const QMap<QString, QByteArray> docx = readZip(m_folders.classFolder(m_class) + stored, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(QString::fromUtf8(docx.value(QStringLiteral("word/document.xml")))
                    .contains(QStringLiteral("Emil Malý")));
}

// The main window opens it from "Výstup" and from its tool bar, on the sessions of the current class.
TEST(GroupingFormOpening, TheMainWindowOpensItFromTheMenuAndTheToolBar) {
    QTemporaryDir root;
    ASSERT_TRUE(makeProgramAndDataFolders(root, "1.0.0"));
    ScriptedPrompter prompter;
    RecordingShell shell(root.path(), root.path());
    Startup startup(root.filePath(QStringLiteral("program")), prompter, shell);
    startup.run({QStringLiteral("/files"), root.filePath(QStringLiteral("data/"))});
    TMain_form *main = startup.mainWindow();
    QStringList shown;
    main->setWindowShower([&](QWidget *window, bool modal) {
        shown << window->objectName() + (modal ? QStringLiteral(" modal") : QString());
    });
    Database &db = *startup.context().database;
    db.exec(QStringLiteral(
        "INSERT INTO trida (skola, stupen, datum_zapisu) VALUES ('ZŠ', '1.A', '2024-09-02 08:00:00')"));
    startup.context().dm->RefreshDataset(startup.context().dm->Trida_Query());

    QAction *item = main->findChild<QAction *>(QStringLiteral("Skupiny_Action"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), QStringLiteral("Rozdělení do &skupin"));
    item->trigger();
    auto *button = main->findChild<QToolButton *>(QStringLiteral("Skupiny_ToolButton"));
    ASSERT_TRUE(button);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(shown, QStringList({"GroupingForm modal", "GroupingForm modal"}));
    EXPECT_TRUE(qobject_cast<GroupingForm *>(startup.windows().object(QStringLiteral("GroupingForm"))));
}
