#include "PupilsTestDatabase.h"

#include "data/AppContext.h"
#include "widgets/DBNavigator.h"
#include "support/ScriptedPrompter.h"
#include "support/RecordingShell.h"
#include "support/WindowInput.h"
#include "data/DataModule.h"
#include "pupils/ImportZakaForm.h"
#include "pupils/ZaciForm.h"
#include "pupils/ZakForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

namespace {


class PupilWindowsTest : public PupilsTestDatabase {
protected:
    void SetUp() override {
        PupilsTestDatabase::SetUp();
        m_eva = addRow(QStringLiteral("Eva"), QStringLiteral("Malá"), QStringLiteral("žena"));
        m_adam = addRow(QStringLiteral("Adam"), QStringLiteral("Velký"), QStringLiteral("muž"));
        m_cyril = addRow(QStringLiteral("Cyril"), QStringLiteral("Dlouhý"), QStringLiteral("muž"));
        m_db->exec(QStringLiteral(
            "UPDATE zak SET poradi = CASE jmeno WHEN 'Adam' THEN 1 WHEN 'Cyril' THEN 2 ELSE 3 END"));
        m_dm = std::make_unique<TDM>(*m_db, m_context.folders, m_prompter);
        m_context.database = m_db.get();
        m_context.dm = m_dm.get();
        m_context.prompter = &m_prompter;
        m_context.shell = &m_shell;
        m_dm->openDatasets();
        ASSERT_TRUE(m_dm->Trida_Query().locate(QStringLiteral("ID"), m_classId));
        // What the main window's "Žáci" command does before it shows the roster.
        roster().setParameter(QStringLiteral("par_id_tridy"), m_classId);
        roster().setParameter(QStringLiteral("par_vse"), 0);
        m_dm->RefreshDataset(roster());

        m_main = std::make_unique<QWidget>();
        m_card = new TZak_Form(m_context, m_main.get());
        m_pupils = new TZaci_Form(m_context, m_main.get());
        m_import = new TImport_Zaka_Form(m_context, m_main.get());
    }
    void TearDown() override {
        m_main.reset();
        m_dm.reset();
        PupilsTestDatabase::TearDown();
    }

    Dataset &roster() { return m_dm->Zak_Query(); }
    template <class T> T *child(const char *name) {
        return m_pupils->findChild<T *>(QString::fromLatin1(name));
    }
    QTableView *grid() { return child<QTableView>("DBGrid_Zaci"); }
    TDBNavigator *navigator() { return child<TDBNavigator>("DBNavigator1"); }
    QAction *action(const char *name) { return child<QAction>(name); }
    void showPupils() {
        m_pupils->show();
        m_pupils->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pupils));
    }
    void selectRows(const QList<int> &rows) {
        grid()->clearSelection();
        for (int row : rows)
            grid()->selectionModel()->select(grid()->model()->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    int rowOf(const QString &jmeno) { return roster().find(QStringLiteral("jmeno"), jmeno); }
    // Types text as key presses (QTest::keyClicks knows ASCII only).
    static void type(QWidget *widget, const QString &text) {
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(widget, &release);
        }
    }
    void focusOut(QWidget *widget) {
        QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(widget, &event);
    }
    QString kindOf(qint64 id) {
        return m_db
            ->scalar(QStringLiteral("SELECT pohlavi FROM zak WHERE ID = :id"), {{QStringLiteral("id"), id}})
            .toString();
    }

    ScriptedPrompter m_prompter;
    RecordingShell m_shell{QDir::tempPath()};
    AppContext m_context;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<QWidget> m_main;
    TZak_Form *m_card = nullptr;
    TZaci_Form *m_pupils = nullptr;
    TImport_Zaka_Form *m_import = nullptr;
    qint64 m_eva = 0, m_adam = 0, m_cyril = 0;
};

TEST_F(PupilWindowsTest, NewPupilIsTypedInTheEditPanelAndSavedWithCtrlS) {
    showPupils();
    auto *panel = child<QWidget>("Panel_Zaka");
    auto *jmeno = child<QLineEdit>("DBEdit4");
    auto *prijmeni = child<QLineEdit>("DBEdit5");
    auto *typ = child<QComboBox>("DBListBox1");
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(jmeno->isReadOnly());
    EXPECT_EQ(navigator()->button(TDBNavigator::Insert)->text(), QStringLiteral("Nový žák"));
    EXPECT_EQ(navigator()->visibleButtons().size(), 5);

    // Ctrl+N in the grid starts a new row.
    QTest::keyRelease(grid(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(roster().state(), Dataset::State::Insert);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(grid()->isEnabled());
    EXPECT_FALSE(jmeno->isReadOnly());
    EXPECT_EQ(typ->currentText(), QStringLiteral("muž"));

    type(jmeno, QStringLiteral("Běla"));
    type(prijmeni, QStringLiteral("Nováková"));
    focusOut(prijmeni);
    EXPECT_EQ(typ->currentText(), QStringLiteral("žena"));
    // Ctrl let go before the letter: the press has saved already.
    QTest::keyPress(prijmeni, Qt::Key_S, Qt::ControlModifier);
    QTest::keyRelease(prijmeni, Qt::Key_Control, Qt::NoModifier);
    QTest::keyRelease(prijmeni, Qt::Key_S, Qt::NoModifier);
    EXPECT_EQ(roster().state(), Dataset::State::Browse);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(grid()->isEnabled());
    EXPECT_TRUE(jmeno->isReadOnly());
    // Saving renumbers the class: pupils by first name.
    EXPECT_EQ(rows(), QStringList({"Adam|Velký|muž|1", "Běla|Nováková|žena|2", "Cyril|Dlouhý|muž|3",
                                   "Eva|Malá|žena|4"}));
    EXPECT_TRUE(m_prompter.prompts().isEmpty());
    // The new pupil is the current and the only highlighted row.
    EXPECT_EQ(roster().text(QStringLiteral("jmeno")), QStringLiteral("Běla"));
    const QModelIndexList selected = grid()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), roster().currentRow());
}

TEST_F(PupilWindowsTest, EditingKeepsTheTypeForOtherSurnamesAndRequiresAName) {
    showPupils();
    const QPoint cyril =
        grid()->visualRect(grid()->model()->index(rowOf(QStringLiteral("Cyril")), 0)).center();
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cyril);
    EXPECT_EQ(roster().text(QStringLiteral("jmeno")), QStringLiteral("Cyril"));
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cyril);
    ASSERT_EQ(roster().state(), Dataset::State::Edit);
    auto *prijmeni = child<QLineEdit>("DBEdit5");
    prijmeni->clear();
    type(prijmeni, QStringLiteral("Novák"));
    focusOut(prijmeni);
    EXPECT_EQ(child<QComboBox>("DBListBox1")->currentText(), QStringLiteral("muž"));
    child<QLineEdit>("DBEdit4")->selectAll();
    QTest::keyClick(child<QLineEdit>("DBEdit4"), Qt::Key_Delete);
    // A whole Ctrl+S stroke saves once: one refusal, not one per key event.
    QTest::keyClick(child<QLineEdit>("DBEdit4"), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(m_prompter.messages(), QStringList{QStringLiteral("Je třeba zadat jméno žáka. ")});
    EXPECT_EQ(roster().state(), Dataset::State::Edit);
    navigator()->click(TDBNavigator::Cancel);
    EXPECT_EQ(rows()[1], QStringLiteral("Cyril|Dlouhý|muž|2"));
}

TEST_F(PupilWindowsTest, SeveralSelectedRowsAreRefusedForEditingButTakeABulkType) {
    showPupils();
    selectRows({rowOf(QStringLiteral("Eva")), rowOf(QStringLiteral("Adam"))});
    navigator()->click(TDBNavigator::Edit);
    EXPECT_EQ(
        m_prompter.messages(),
        QStringList{QStringLiteral("Nelze vybrat více žáků zároveň pro úpravy. Vyberte jen jednoho žáka.")});
    EXPECT_EQ(roster().state(), Dataset::State::Browse);
    EXPECT_FALSE(child<QWidget>("Panel_Zaka")->isVisible());

    action("Typ_abcde")->trigger();
    EXPECT_EQ(kindOf(m_eva), QStringLiteral("abcde"));
    EXPECT_EQ(kindOf(m_adam), QStringLiteral("abcde"));
    EXPECT_EQ(kindOf(m_cyril), QStringLiteral("muž"));
    EXPECT_EQ(roster().state(), Dataset::State::Browse);
    // Every save renumbered the class: the changed rows now follow the pupils.
    EXPECT_EQ(rows(), QStringList({"Cyril|Dlouhý|muž|1", "Adam|Velký|abcde|2", "Eva|Malá|abcde|3"}));
    EXPECT_EQ(m_prompter.messages().size(), 1);
}

TEST_F(PupilWindowsTest, DeletingSelectedPupilsRemovesTheirAnswersAndNotes) {
    m_db->exec(QStringLiteral("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera) VALUES "
                              "(1, 1, %1, %2), (1, 1, %2, %3), (1, 1, %3, %1), (1, 2, %3, -1)")
                   .arg(m_eva)
                   .arg(m_adam)
                   .arg(m_cyril));
    m_db->exec(QStringLiteral("INSERT INTO poznamky (id_zaka, nazev) VALUES (%1, 'a'), (%2, 'b'), (%3, 'c')")
                   .arg(m_eva)
                   .arg(m_adam)
                   .arg(m_cyril));
    showPupils();
    selectRows({rowOf(QStringLiteral("Eva")), rowOf(QStringLiteral("Adam"))});
    m_prompter.yes().yes();
    navigator()->click(TDBNavigator::Delete);
    EXPECT_EQ(m_prompter.questions().size(), 2);
    EXPECT_EQ(rows(), QStringList({"Cyril|Dlouhý|muž|2"}));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM odpovedi")), 1); // Cyril's free-text answer
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM poznamky")), 1);
    EXPECT_EQ(roster().recordCount(), 1);
}

TEST_F(PupilWindowsTest, OptionCommandsSortingAndClipboard) {
    showPupils();
    action("Vlozit_abcde")->trigger();
    action("Vlozit_abcde")->trigger();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi = 'abcde'")), 5);
    EXPECT_EQ(roster().recordCount(), 8);
    action("VsechnoNize_Action")->trigger();
    EXPECT_EQ(roster().recordCount(), 24);
    EXPECT_EQ(rows().mid(0, 5), QStringList({"Adam|Velký|muž|1", "Cyril|Dlouhý|muž|2", "Eva|Malá|žena|3",
                                             "ano|∅|ano-ne|4", "ne|∅|ano-ne|5"}));
    EXPECT_EQ(rows().last(), QStringLiteral("všichni ostatní|∅|---|24"));

    // Title clicks: descending first, then ascending.
    m_pupils->DBGrid_ZaciTitleClick(2);
    EXPECT_EQ(roster().lastSqlLine(), QStringLiteral("ORDER BY pohlavi COLLATE czech DESC"));
    EXPECT_EQ(roster().text(QStringLiteral("pohlavi")), QStringLiteral("žena"));
    grid()->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(roster().lastSqlLine(), QStringLiteral("ORDER BY pohlavi COLLATE czech ASC"));
    EXPECT_EQ(roster().text(QStringLiteral("pohlavi")), QStringLiteral("---"));

    roster().last();
    action("SeznamZaku_Action")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Adam Velký\r\nCyril Dlouhý\r\nEva Malá\r\n"));
    EXPECT_EQ(roster().currentRow(), 0);
    roster().setCurrentRow(rowOf(QStringLiteral("Eva")));
    action("JmenoAPrijmeni_Action")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Eva Malá"));
    EXPECT_FALSE(action("Generovatpoad1")->isVisible());
}

TEST_F(PupilWindowsTest, TypeCellsArePaintedInTheColourOfTheType) {
    showPupils();
    selectRows({rowOf(QStringLiteral("Adam"))});
    const QImage image = grid()->viewport()->grab().toImage();
    auto colourAt = [&](const QString &jmeno, int column) {
        const QRect cell = grid()->visualRect(grid()->model()->index(rowOf(jmeno), column));
        return QColor(image.pixel(cell.topLeft() + QPoint(cell.width() - 3, 3)));
    };
    EXPECT_EQ(colourAt(QStringLiteral("Adam"), 2), QColor(204, 230, 255)); // selected row too
    EXPECT_EQ(colourAt(QStringLiteral("Eva"), 2), QColor(255, 221, 238));
    EXPECT_NE(colourAt(QStringLiteral("Eva"), 1), QColor(255, 221, 238));
}

TEST_F(PupilWindowsTest, EscClosesThePupilWindowAndDropsAHalfTypedRowWhenTold) {
    showPupils();
    navigator()->click(TDBNavigator::Insert);
    type(child<QLineEdit>("DBEdit4"), QStringLiteral("Nedokončený"));
    m_prompter.no(); // "Ne": drop it
    QTest::keyClick(child<QLineEdit>("DBEdit4"), Qt::Key_Escape);
    EXPECT_FALSE(m_pupils->isVisible());
    EXPECT_EQ(roster().state(), Dataset::State::Browse);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak")), 3);
}

TEST_F(PupilWindowsTest, ImportWindowAddsPupilsAndRenumbers) {
    addRow(QStringLiteral("ano"), QVariant(), QStringLiteral("ano-ne"));
    m_import->show();
    m_import->editor()->setPlainText(
        QStringLiteral("Petr S. muž\nAnetka M. žena\nAleš - muž\n\nZoe O'Neil Žena"));
    QTest::mouseClick(m_import->findChild<QPushButton *>(QStringLiteral("Import_Button")), Qt::LeftButton);
    EXPECT_EQ(rows(),
              QStringList({"Adam|Velký|muž|1", "Aleš|-|muž|2", "Anetka|M.|žena|3", "Cyril|Dlouhý|muž|4",
                           "Eva|Malá|žena|5", "Petr|S.|muž|6", "Zoe|O'Neil|Žena|7", "ano|∅|ano-ne|8"}));
    EXPECT_EQ(roster().recordCount(), 8);
    EXPECT_TRUE(m_import->isVisible());
    // It says how many were added; a second click on the same text adds nothing.
    auto *importButton = m_import->findChild<QPushButton *>(QStringLiteral("Import_Button"));
    EXPECT_EQ(m_import->findChild<QLabel *>(QStringLiteral("Vysledek_Label"))->text(), QStringLiteral("Přidáni 4 žáci."));
    QTest::mouseClick(importButton, Qt::LeftButton);
    EXPECT_EQ(roster().recordCount(), 8);
    m_import->editor()->appendPlainText(QStringLiteral("Jan"));
    EXPECT_TRUE(importButton->isEnabled());
    EXPECT_TRUE(m_import->findChild<QLabel *>(QStringLiteral("Vysledek_Label"))->text().isEmpty());
    EXPECT_EQ(TImport_Zaka_Form::addedText(1), QStringLiteral("Přidán 1 žák."));
    EXPECT_EQ(TImport_Zaka_Form::addedText(5), QStringLiteral("Přidáno 5 žáků."));
    EXPECT_EQ(TImport_Zaka_Form::addedText(0), QStringLiteral("Nebyl přidán žádný žák."));
    EXPECT_TRUE(m_import->editor()->toPlainText().startsWith(QStringLiteral("Petr S. muž")));
    EXPECT_TRUE(m_import->findChild<QLabel *>(QStringLiteral("Label1"))
                    ->text()
                    .endsWith(QStringLiteral("\"jméno mezera pomlčka mezera pohlaví\"")));

    // A failing line leaves nothing behind and says so.
    m_db->exec(QStringLiteral("CREATE TRIGGER no_chyba BEFORE INSERT ON zak WHEN NEW.jmeno = 'Chyba' "
                              "BEGIN SELECT RAISE(ABORT, 'řádek odmítnut'); END"));
    m_import->editor()->setPlainText(QStringLiteral("Jan\nChyba\n"));
    EXPECT_EQ(m_import->importPupils(), -1);
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].contains(QStringLiteral("řádek odmítnut")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak")), 8);
}

TEST_F(PupilWindowsTest, TemplatesGoInFrontOfTheNoteSecondOneFirst) {
    m_db->exec(
        QStringLiteral("INSERT INTO sablony (nazev_sablony, text_sablony) VALUES ('Pochvala', 'Chválím.'), "
                       "('Důtka & co', 'Napomínám.')"));
    m_dm->RefreshDataset(m_dm->Sablony_AdoQuery());
    showPupils();
    roster().setCurrentRow(rowOf(QStringLiteral("Eva")));
    action("ZaznamyZaka_Action")->trigger();
    ASSERT_TRUE(m_card->isVisible());
    EXPECT_EQ(m_card->pupilId().toLongLong(), m_eva);

    QMenu *menu = m_card->rebuildTemplateMenu();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("Důtka && co"));
    // The roster moves on; the card still writes for the pupil it shows.
    roster().setCurrentRow(rowOf(QStringLiteral("Adam")));
    menu->actions()[0]->trigger();
    menu->actions()[1]->trigger();
    auto *editor = m_card->findChild<QTextEdit *>(QStringLiteral("DBRichEdit1"));
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("Napomínám.\nChválím.\n"));
    type(m_card->findChild<QLineEdit *>(QStringLiteral("DBEdit1")), QStringLiteral("Chování"));
    m_card->findChild<TDBNavigator *>(QStringLiteral("DBNavigator1"))->click(TDBNavigator::Post);
    EXPECT_EQ(
        m_db->scalar(QStringLiteral("SELECT poznamka FROM poznamky WHERE id_zaka = :p AND nazev = 'Chování'"),
                     {{QStringLiteral("p"), m_eva}})
            .toString(),
        QStringLiteral("Napomínám.\r\nChválím.\r\n"));

    // Typing into the note stores formatted text; a template still goes first and keeps it.
    m_card->findChild<TDBNavigator *>(QStringLiteral("DBNavigator1"))->click(TDBNavigator::Edit);
    editor->moveCursor(QTextCursor::End);
    type(editor, QStringLiteral("Konec"));
    menu = m_card->rebuildTemplateMenu();
    menu->actions()[0]->trigger();
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("Chválím.\nNapomínám.\nChválím.\nKonec"));
    m_card->hide(); // closing keeps what was written
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM poznamky WHERE poznamka LIKE '%Konec%'")), 1);
}

} // namespace

namespace {

TEST_F(PupilWindowsTest, ReopenedRosterDeletesOnlyTheHighlightedPupilAndNamesHim) {
    showPupils();
    ASSERT_TRUE(roster().locate(QStringLiteral("ID"), m_eva)); // the last row
    m_pupils->reject();
    // The main window reads the roster again before showing it: the current row is the first one.
    m_dm->RefreshDataset(roster());
    showPupils();
    const int current = roster().currentRow();
    EXPECT_EQ(grid()->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(grid()->selectionModel()->isRowSelected(current, {}));

    m_prompter.yes().yes();
    navigator()->click(TDBNavigator::Delete);
    ASSERT_EQ(m_prompter.questions().size(), 2);
    EXPECT_EQ(m_prompter.questions()[0],
              QStringLiteral("Klikli jste, že si přejete odstranit žáka Adam Velký. Určitě to chcete udělat?"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE ID = %1").arg(m_eva)), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE ID = %1").arg(m_adam)), 0);

    selectRows({0, 1});
    m_prompter.clear();
    m_prompter.no();
    navigator()->click(TDBNavigator::Delete);
    ASSERT_EQ(m_prompter.questions().size(), 1);
    EXPECT_TRUE(m_prompter.questions()[0].contains(QStringLiteral("odstranit 2 žáky (")));
}

TEST_F(PupilWindowsTest, EscWhileEditingAsksAndEnterSaves) {
    showPupils();
    auto *jmeno = child<QLineEdit>("DBEdit4");
    ASSERT_TRUE(roster().locate(QStringLiteral("ID"), m_adam));
    ASSERT_TRUE(roster().edit());
    jmeno->setText(QStringLiteral("PetrX"));
    Q_EMIT jmeno->textEdited(jmeno->text());

    m_prompter.answer(QVariant()); // "Zrušit": stays editing
    QTest::keyClick(jmeno, Qt::Key_Escape);
    EXPECT_TRUE(m_pupils->isVisible());
    EXPECT_TRUE(roster().isEditing());
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].text, QStringLiteral("Nemáte uloženou databázi. Chcete uložit?"));

    m_prompter.yes(); // "Ano": saved, then closed
    QTest::keyClick(jmeno, Qt::Key_Escape);
    EXPECT_FALSE(m_pupils->isVisible());
    EXPECT_EQ(m_db->scalar(QStringLiteral("SELECT jmeno FROM zak WHERE ID = :i"), {{"i", m_adam}}).toString(),
              QStringLiteral("PetrX"));

    showPupils();
    ASSERT_TRUE(roster().edit());
    jmeno->setText(QStringLiteral("Petr"));
    Q_EMIT jmeno->textEdited(jmeno->text());
    QTest::keyClick(jmeno, Qt::Key_Return);
    EXPECT_FALSE(roster().isEditing());
    EXPECT_EQ(roster().value(QStringLiteral("ID")).toLongLong(), m_adam); // the saved row stays current
    EXPECT_EQ(m_db->scalar(QStringLiteral("SELECT jmeno FROM zak WHERE ID = :i"), {{"i", m_adam}}).toString(),
              QStringLiteral("Petr"));
    EXPECT_EQ(jmeno->maxLength(), 255);
}

TEST_F(PupilWindowsTest, TheCardAndTheRosterAreUsableSideBySide) {
    m_pupils->setWindowModality(Qt::ApplicationModal); // as the main window shows the roster
    showPupils();
    ASSERT_TRUE(roster().locate(QStringLiteral("ID"), m_adam));
    action("ZaznamyZaka_Action")->trigger();
    ASSERT_TRUE(m_card->isVisible());
    EXPECT_EQ(m_card->windowModality(), Qt::NonModal);
    EXPECT_TRUE(keyReachesWindow(m_card, Qt::Key_A));
    EXPECT_TRUE(keyReachesWindow(m_pupils, Qt::Key_Down));
}

TEST_F(PupilWindowsTest, TheCardNamesItsPupilAndClosesWhenHeIsDeleted) {
    showPupils();
    ASSERT_TRUE(roster().locate(QStringLiteral("ID"), m_cyril));
    action("ZaznamyZaka_Action")->trigger();
    ASSERT_TRUE(m_card->isVisible());
    EXPECT_EQ(m_card->windowTitle(), QStringLiteral("Záznamy žáka – Cyril Dlouhý"));

    selectRows({roster().currentRow()});
    m_prompter.yes().yes();
    navigator()->click(TDBNavigator::Delete);
    EXPECT_FALSE(m_card->isVisible());
    // A note can no longer be written for him, even through the dataset.
    Dataset &notes = m_dm->Poznamky_Query();
    notes.setParameter(QStringLiteral("par_id_zaka"), m_cyril);
    m_dm->RefreshDataset(notes);
    ASSERT_TRUE(notes.insert());
    notes.setValue(QStringLiteral("id_zaka"), m_cyril);
    EXPECT_FALSE(notes.post());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM poznamky")), 0);
}

} // namespace
