#include "app/MainForm.h"
#include "app/Startup.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/DatasetTableModel.h"
#include "graphics/SociogramInstructions.h"
#include "support/PreviewPages.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"
#include "widgets/DBNavigator.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QMenuBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include "TestFolders.h"

#include <gtest/gtest.h>

// Readable failure output for Qt texts.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

namespace {


const QString kNoClass = QStringLiteral("Nemáte zadanou žádnou třídu. Nejprve nějakou přidejte. ");
const QString kAddPupils = QStringLiteral("Přidali jste novou třídu. Chcete přidat žáky?");

// Types a text key by key (QTest::keyClicks takes only ASCII).
void type(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

class MainFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(makeProgramAndDataFolders(m_root, "1.0.0"));
        m_startup = std::make_unique<Startup>(m_root.filePath(QStringLiteral("program")), m_prompter, m_shell);
        m_startup->run({QStringLiteral("/files"), m_root.filePath(QStringLiteral("data/"))});
        ASSERT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
        main()->setWindowShower([this](QWidget *window, bool modal) {
            m_shown << window->objectName() + (modal ? QStringLiteral(" modal") : QString());
        });
        main()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main()));
    }
    void TearDown() override { m_startup.reset(); }

    TMain_form *main() const { return m_startup->mainWindow(); }
    TDM &dm() const { return *m_startup->context().dm; }
    Database &db() const { return *m_startup->context().database; }
    template <class T> T *child(const QString &name) const
    {
        T *found = main()->findChild<T *>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    QToolButton *navButton(TDBNavigator::Button b) const { return main()->navigator()->button(b); }
    QWidget *editPanel() const { return child<QWidget>(QStringLiteral("Skola_Edit_Panel")); }

    qint64 addClass(const QString &school, const QString &grade, const QString &teacher = QStringLiteral("Nováková"))
    {
        db().exec(QStringLiteral("INSERT INTO trida (skola, stupen, tridni_ucitel, datum_zapisu) VALUES (:s, :g, :t, "
                                 "'2024-09-02 08:00:00')"),
                  {{QStringLiteral("s"), school}, {QStringLiteral("g"), grade}, {QStringLiteral("t"), teacher}});
        return db().lastInsertId();
    }
    qint64 addRow(qint64 classId, const QVariant &name, const QVariant &kind, const QVariant &order = QVariant())
    {
        db().exec(QStringLiteral("INSERT INTO zak (id_tridy, jmeno, pohlavi, poradi) VALUES (:c, :j, :p, :o)"),
                  {{QStringLiteral("c"), classId}, {QStringLiteral("j"), name}, {QStringLiteral("p"), kind},
                   {QStringLiteral("o"), order}});
        return db().lastInsertId();
    }
    void refreshClasses() { dm().RefreshDataset(dm().Trida_Query()); }
    int count(const QString &sql) { return db().scalar(sql).toInt(); }
    // Texts of one grid column, top to bottom.
    QStringList gridColumn(int column) const
    {
        auto *model = qobject_cast<DatasetTableModel *>(main()->classGrid()->model());
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->displayText(row, column);
        return texts;
    }
    void clickHeader(int section)
    {
        QHeaderView *header = main()->classGrid()->horizontalHeader();
        ASSERT_GT(header->height(), 10);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    }
    QAction *menuAction(QMenu *menu, const QString &text) const
    {
        for (QAction *action : menu->actions())
            if (action->text() == text)
                return action;
        ADD_FAILURE() << "no menu item " << text.toStdString();
        return nullptr;
    }

    QTemporaryDir m_root;
    ScriptedPrompter m_prompter;
    RecordingShell m_shell{QDir::tempPath()};
    std::unique_ptr<Startup> m_startup;
    QStringList m_shown;
};

TEST_F(MainFormTest, StartOpensTheDatasetsAndBuildsTheWindow)
{
    for (Dataset *dataset : {&dm().Odpovedi_Query(), &dm().Otazky_Query(), &dm().Zak_Query(), &dm().Trida_Query(),
                             &dm().Poznamky_Query(), &dm().Sablony_AdoQuery(), &dm().Testy_Query(),
                             &dm().Vyhodnoceni_Query(), &dm().OtazkyVyhodnoceni_Query()})
        EXPECT_TRUE(dataset->isOpen() || dataset->sqlText().isEmpty()) << dataset->name().toStdString();
    EXPECT_EQ(main()->navigator()->visibleButtons(),
              QList<TDBNavigator::Button>({TDBNavigator::Insert, TDBNavigator::Delete, TDBNavigator::Edit,
                                           TDBNavigator::Post, TDBNavigator::Cancel}));
    EXPECT_EQ(navButton(TDBNavigator::Insert)->text(), QStringLiteral("Nová třída"));
    EXPECT_EQ(navButton(TDBNavigator::Cancel)->text(), QStringLiteral("Neukládat"));
    EXPECT_TRUE(editPanel()->isHidden());

    QTableView *grid = main()->classGrid();
    EXPECT_EQ(grid->objectName(), QStringLiteral("DBGrid1"));
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    const QStringList titles{"Škola", "Datum zápisu", "Třída", "Třídní učitel"};
    const QList<int> widths{188, 100, 100, 131};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(grid->model()->headerData(i, Qt::Horizontal).toString(), titles[i]);
        EXPECT_EQ(grid->horizontalHeader()->sectionSize(i), widths[i]);
    }
    QToolButton *pupils = child<QToolButton>(QStringLiteral("Zaci_ToolButton"));
    EXPECT_EQ(pupils->size(), QSize(111, 36));
    EXPECT_EQ(pupils->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_FALSE(pupils->icon().isNull());
    EXPECT_EQ(main()->answerOptionMenu()->actions().size(), 4);
}

TEST_F(MainFormTest, AddingAClassShowsThePanelAndAsksAboutPupils)
{
    m_prompter.no();
    QTest::mouseClick(navButton(TDBNavigator::Insert), Qt::LeftButton);
    ASSERT_EQ(dm().Trida_Query().state(), Dataset::State::Insert);
    EXPECT_FALSE(editPanel()->isHidden());
    EXPECT_FALSE(main()->classGrid()->isEnabled());
    auto *date = child<QDateEdit>(QStringLiteral("DatumZapisu_DateTimePicker"));
    EXPECT_EQ(date->date(), QDate::currentDate());
    EXPECT_EQ(date->displayFormat(), QStringLiteral("dd.MM.yyyy"));

    type(child<QLineEdit>(QStringLiteral("Skola_DBEdit")), QStringLiteral("ZŠ Lipová"));
    type(child<QLineEdit>(QStringLiteral("Stupen_DBEdit")), QStringLiteral("5.A"));
    type(child<QLineEdit>(QStringLiteral("TridniUcitel_DBEdit")), QStringLiteral("Dvořák"));
    date->setDate(QDate(2024, 9, 2));
    QTest::mouseClick(navButton(TDBNavigator::Post), Qt::LeftButton);

    EXPECT_EQ(dm().Trida_Query().state(), Dataset::State::Browse);
    EXPECT_TRUE(editPanel()->isHidden());
    EXPECT_TRUE(main()->classGrid()->isEnabled());
    EXPECT_EQ(m_prompter.questions(), QStringList{kAddPupils});
    EXPECT_TRUE(m_shown.isEmpty());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM trida WHERE skola = 'ZŠ Lipová' AND stupen = '5.A' AND "
                                   "tridni_ucitel = 'Dvořák' AND datum_zapisu LIKE '2024-09-02%'")),
              1);
    EXPECT_EQ(gridColumn(1), QStringList{QStringLiteral("02.09.2024")});

    // A second new class: yes opens the pupil window for it, which is then the current class.
    m_prompter.clear();
    m_prompter.yes();
    QTest::mouseClick(navButton(TDBNavigator::Insert), Qt::LeftButton);
    type(child<QLineEdit>(QStringLiteral("Skola_DBEdit")), QStringLiteral("ZŠ Jasmínová"));
    QTest::mouseClick(navButton(TDBNavigator::Post), Qt::LeftButton);
    EXPECT_EQ(m_prompter.questions(), QStringList{kAddPupils});
    EXPECT_EQ(m_shown, QStringList{QStringLiteral("TZaci_Form modal")});
    const qint64 newest = db().scalar(QStringLiteral("SELECT max(ID) FROM trida")).toLongLong();
    EXPECT_EQ(dm().Trida_Query().id(), newest);
    EXPECT_EQ(dm().Zak_Query().parameter(QStringLiteral("par_id_tridy")).toLongLong(), newest);
    // The empty fields were stored as NULL, not as empty texts.
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM trida WHERE stupen IS NULL AND tridni_ucitel IS NULL")), 1);
}

TEST_F(MainFormTest, EditingNeverAsksAndCancelKeepsTheRow)
{
    addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("5.A"));
    refreshClasses();
    auto *grade = child<QLineEdit>(QStringLiteral("Stupen_DBEdit"));
    EXPECT_TRUE(grade->isReadOnly());

    QTest::mouseClick(navButton(TDBNavigator::Edit), Qt::LeftButton);
    ASSERT_EQ(dm().Trida_Query().state(), Dataset::State::Edit);
    EXPECT_FALSE(editPanel()->isHidden());
    EXPECT_FALSE(grade->isReadOnly());
    EXPECT_EQ(grade->text(), QStringLiteral("5.A"));
    grade->selectAll();
    type(grade, QStringLiteral("6.A"));
    QTest::mouseClick(navButton(TDBNavigator::Post), Qt::LeftButton);
    EXPECT_TRUE(m_prompter.questions().isEmpty());
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT stupen FROM trida")).toString(), QStringLiteral("6.A"));
    EXPECT_TRUE(editPanel()->isHidden());

    QTest::mouseClick(navButton(TDBNavigator::Edit), Qt::LeftButton);
    grade->selectAll();
    type(grade, QStringLiteral("7.B"));
    QTest::mouseClick(navButton(TDBNavigator::Cancel), Qt::LeftButton);
    EXPECT_EQ(db().scalar(QStringLiteral("SELECT stupen FROM trida")).toString(), QStringLiteral("6.A"));
    EXPECT_EQ(grade->text(), QStringLiteral("6.A"));
    EXPECT_TRUE(editPanel()->isHidden());
    EXPECT_TRUE(main()->classGrid()->isEnabled());

    // Cancelling a new class leaves nothing behind.
    QTest::mouseClick(navButton(TDBNavigator::Insert), Qt::LeftButton);
    type(child<QLineEdit>(QStringLiteral("Skola_DBEdit")), QStringLiteral("Zrušená"));
    QTest::mouseClick(navButton(TDBNavigator::Cancel), Qt::LeftButton);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM trida")), 1);
    EXPECT_TRUE(m_prompter.questions().isEmpty());
}

TEST_F(MainFormTest, DeletingAClassAsksTwiceAndRemovesItsPupils)
{
    const qint64 kept = addClass(QStringLiteral("ZŠ A"), QStringLiteral("1.A"));
    const qint64 doomed = addClass(QStringLiteral("ZŠ B"), QStringLiteral("2.B"));
    addRow(kept, QStringLiteral("Jana"), QStringLiteral("žena"));
    addRow(doomed, QStringLiteral("Petr"), QStringLiteral("muž"));
    refreshClasses();
    ASSERT_EQ(dm().Trida_Query().id(), doomed); // newest first

    // Declining the second question keeps everything.
    m_prompter.yes().no();
    QTest::mouseClick(navButton(TDBNavigator::Delete), Qt::LeftButton);
    EXPECT_EQ(m_prompter.questions().size(), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM trida")), 2);

    m_prompter.clear();
    m_prompter.yes().yes();
    QTest::mouseClick(navButton(TDBNavigator::Delete), Qt::LeftButton);
    EXPECT_EQ(m_prompter.questions(),
              QStringList({QStringLiteral("Klikli jste, že si přejete odstranit třídu ZŠ B, 2.B, Nováková. Určitě to chcete udělat?"),
                           QStringLiteral("Pokud odstraníte třídu, vymažou se všichni žáci, poznámky k nim, všechny "
                                          "odpovědi na otázky a všechna vyhodnocení testu.")}));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM trida")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak")), 1);
    EXPECT_EQ(gridColumn(0), QStringList{QStringLiteral("ZŠ A")});
    EXPECT_EQ(dm().Trida_Query().id(), kept);
}

TEST_F(MainFormTest, TitleClicksSortAscendingThenFlip)
{
    addClass(QStringLiteral("ZŠ B"), QStringLiteral("1.A"));
    addClass(QStringLiteral("ZŠ A"), QStringLiteral("2.A"));
    addClass(QStringLiteral("ZŠ C"), QStringLiteral("3.A"));
    addClass(QStringLiteral("ZŠ A"), QStringLiteral("4.A"));
    refreshClasses();
    EXPECT_EQ(gridColumn(2), QStringList({"4.A", "3.A", "2.A", "1.A"})); // newest first

    clickHeader(0);
    EXPECT_EQ(gridColumn(0), QStringList({"ZŠ A", "ZŠ A", "ZŠ B", "ZŠ C"}));
    EXPECT_EQ(dm().Trida_Query().lastSqlLine(), QStringLiteral("ORDER BY skola COLLATE czech ASC"));
    clickHeader(2);
    EXPECT_EQ(gridColumn(2), QStringList({"4.A", "3.A", "2.A", "1.A"}));
    EXPECT_EQ(dm().Trida_Query().lastSqlLine(), QStringLiteral("ORDER BY stupen COLLATE czech DESC"));
    clickHeader(2);
    EXPECT_EQ(gridColumn(2), QStringList({"1.A", "2.A", "3.A", "4.A"}));
    // The grid stays on a row of the reopened register.
    EXPECT_EQ(main()->classGrid()->currentIndex().row(), 0);
}

TEST_F(MainFormTest, CommandsNeedingAClassRefuseOnAnEmptyRegister)
{
    for (const char *button : {"Zaci_ToolButton", "Dotazniky_ToolButton", "Sociogram_ToolButton",
                               "SloupcovyGraf_ToolButton"})
        QTest::mouseClick(child<QToolButton>(QString::fromLatin1(button)), Qt::LeftButton);
    EXPECT_EQ(m_prompter.messages(), QStringList(4, kNoClass));
    EXPECT_TRUE(m_shown.isEmpty());

    m_prompter.clear();
    QTest::mouseClick(child<QToolButton>(QStringLiteral("Listiny_ToolButton")), Qt::LeftButton);
    main()->showBarChart();
    EXPECT_TRUE(m_prompter.messages().isEmpty());
    EXPECT_EQ(m_shown, QStringList({"TListiny_Form modal", "TSloupcovy_Graf_Form"}));
    EXPECT_TRUE(dm().Listiny_ADOQuery().isOpen());
    EXPECT_EQ(dm().Listiny_ADOQuery().recordCount(), 0);
}

TEST_F(MainFormTest, CommandsPrepareTheDatasetsOfTheWindowTheyOpen)
{
    const qint64 other = addClass(QStringLiteral("ZŠ A"), QStringLiteral("1.A"));
    const qint64 current = addClass(QStringLiteral("ZŠ B"), QStringLiteral("2.B"));
    addRow(other, QStringLiteral("Jana"), QStringLiteral("žena"));
    addRow(current, QStringLiteral("Petr"), QStringLiteral("muž"));
    addRow(current, QStringLiteral("Pavel"), QStringLiteral("muž"));
    refreshClasses();
    ASSERT_EQ(dm().Trida_Query().id(), current);

    QStringList events;
    QObject::connect(main(), &TMain_form::sociogramOpening, [&] { events << QStringLiteral("sociogram"); });
    QObject::connect(main(), &TMain_form::barChartOpening, [&] { events << QStringLiteral("chart"); });
    main()->setWindowShower([&](QWidget *window, bool modal) {
        events << window->objectName() + (modal ? QStringLiteral(" modal") : QString());
    });

    QTest::mouseClick(child<QToolButton>(QStringLiteral("Zaci_ToolButton")), Qt::LeftButton);
    EXPECT_EQ(dm().Zak_Query().recordCount(), 2);

    dm().Zak_Query().setParameter(QStringLiteral("par_id_tridy"), other);
    dm().RefreshDataset(dm().Zak_Query());
    const QPoint cell = main()->classGrid()->visualRect(main()->classGrid()->model()->index(0, 0)).center();
    QTest::mouseClick(main()->classGrid()->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(main()->classGrid()->viewport(), Qt::LeftButton, {}, cell);
    for (Dataset *dataset : {&dm().Vyhodnoceni_Query(), &dm().Zak_Query_1(), &dm().Zak_Query_2(), &dm().Zak_Query_3()}) {
        EXPECT_EQ(dataset->parameter(QStringLiteral("par_id_tridy")), QVariant(current)) << dataset->name().toStdString();
        EXPECT_TRUE(dataset->isOpen()) << dataset->name().toStdString();
    }
    EXPECT_EQ(dm().Zak_Query_1().recordCount(), 2);

    QTest::mouseClick(child<QToolButton>(QStringLiteral("Sociogram_ToolButton")), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>(QStringLiteral("SloupcovyGraf_ToolButton")), Qt::LeftButton);
    EXPECT_EQ(dm().Zak_Query().parameter(QStringLiteral("par_id_tridy")), QVariant(current));
    EXPECT_EQ(dm().Zak_Query().recordCount(), 2);
    EXPECT_EQ(events, QStringList({"TZaci_Form modal", "TDotazniky_Form modal", "sociogram", "TSociogram_Form modal",
                                   "chart", "TSloupcovy_Graf_Form modal"}));
}

TEST_F(MainFormTest, SessionMenuFollowsTheClassNewestFirst)
{
    const qint64 first = addClass(QStringLiteral("ZŠ A"), QStringLiteral("1.A"));
    const qint64 second = addClass(QStringLiteral("ZŠ B"), QStringLiteral("2.B"));
    db().exec(QStringLiteral("INSERT INTO testy (nazev_testu) VALUES ('Klima třídy')"));
    const qint64 test = db().lastInsertId();
    auto addSession = [&](qint64 classId, const QString &date) {
        db().exec(QStringLiteral("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum) VALUES (:c, :t, :d)"),
                  {{QStringLiteral("c"), classId}, {QStringLiteral("t"), test}, {QStringLiteral("d"), date}});
        return db().lastInsertId();
    };
    addSession(first, QStringLiteral("2024-10-01 10:00:00"));
    const qint64 newer = addSession(first, QStringLiteral("2025-03-15 10:00:00"));
    refreshClasses();
    ASSERT_EQ(dm().Trida_Query().id(), second);
    EXPECT_TRUE(main()->sessionMenu()->actions().isEmpty());

    QTableView *grid = main()->classGrid();
    grid->setCurrentIndex(grid->model()->index(1, 0));
    ASSERT_EQ(dm().Trida_Query().id(), first);
    QStringList captions;
    for (QAction *action : main()->sessionMenu()->actions()) {
        captions << action->text();
        EXPECT_TRUE(action->isCheckable());
    }
    EXPECT_EQ(captions, QStringList({"15-03-2025 | Klima třídy", "01-10-2024 | Klima třídy"}));

    int requested = 0;
    QObject::connect(main(), &TMain_form::textualEvaluationRequested, [&] {
        ++requested;
        EXPECT_EQ(dm().Vyhodnoceni_Query().id(), newer);
    });
    dm().Vyhodnoceni_Query().last();
    main()->sessionMenu()->actions()[0]->trigger();
    EXPECT_EQ(requested, 1);
    EXPECT_TRUE(main()->sessionMenu()->actions()[0]->isChecked());
    EXPECT_EQ(main()->sessionMenu()->actions()[0]->property("Value").toString(), QString::number(newer));

    grid->setCurrentIndex(grid->model()->index(0, 0));
    EXPECT_TRUE(main()->sessionMenu()->actions().isEmpty());
}

TEST_F(MainFormTest, CtrlReleaseOnNextMovesSixRowsAndTheGridFollows)
{
    for (int i = 1; i <= 10; ++i)
        addClass(QStringLiteral("ZŠ %1").arg(i), QString::number(i));
    refreshClasses();
    TDBNavigator *nav = main()->navigator();
    nav->setVisibleButtons({TDBNavigator::First, TDBNavigator::Prior, TDBNavigator::Next, TDBNavigator::Last});
    QTest::mouseClick(nav->button(TDBNavigator::Next), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(dm().Trida_Query().currentRow(), 6);
    EXPECT_EQ(main()->classGrid()->currentIndex().row(), 6);
    QTest::mouseClick(nav->button(TDBNavigator::Prior), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(dm().Trida_Query().currentRow(), 0);
}

TEST_F(MainFormTest, AnswerOptionMenuInsertsRepeatedlyAndRenumbers)
{
    const qint64 id = addClass(QStringLiteral("ZŠ A"), QStringLiteral("1.A"));
    const qint64 eva = addRow(id, QStringLiteral("Eva"), QStringLiteral("žena"), 7);
    const qint64 adam = addRow(id, QStringLiteral("Adam"), QStringLiteral("muž"), 8);
    const qint64 kindless = addRow(id, QStringLiteral("Bez druhu"), QVariant(), 9);
    refreshClasses();
    QMenu *menu = main()->answerOptionMenu();
    EXPECT_EQ(menu->actions()[0]->text(),
              QStringLiteral("Vložit - ---. všichni, nikdo, nevím, já, všichni ostatní, kluci, holky"));
    QAction *yesNo = menuAction(menu, QStringLiteral("Vložit - ano, ne"));
    yesNo->trigger();
    yesNo->trigger();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE pohlavi = 'ano-ne'")), 4);

    db().exec(QStringLiteral("DELETE FROM zak WHERE pohlavi = 'ano-ne'"));
    const qint64 ne = addRow(id, QStringLiteral("ne"), QStringLiteral("ano-ne"));
    const qint64 ano = addRow(id, QStringLiteral("ano"), QStringLiteral("ano-ne"));
    auto order = [&](qint64 row) {
        return db().scalar(QStringLiteral("SELECT poradi FROM zak WHERE ID = :i"), {{QStringLiteral("i"), row}});
    };

    QAction *renumber = menuAction(menu, QStringLiteral("Připsat pořadí"));
    m_prompter.no();
    renumber->trigger();
    EXPECT_EQ(order(eva).toInt(), 7);
    m_prompter.yes();
    renumber->trigger();
    EXPECT_EQ(m_prompter.questions(), QStringList(2, QStringLiteral("Opravdu přepsat pořadí žáků?")));
    EXPECT_EQ(order(adam).toInt(), 1);
    EXPECT_EQ(order(eva).toInt(), 2);
    EXPECT_EQ(order(ano).toInt(), 3);
    EXPECT_EQ(order(ne).toInt(), 4);
    EXPECT_EQ(order(kindless).toInt(), 9);
}

TEST_F(MainFormTest, DatabaseSwitchReopensTheDatasets)
{
    addClass(QStringLiteral("ZŠ A"), QStringLiteral("1.A"));
    const QString data = m_root.filePath(QStringLiteral("data/"));
    ASSERT_TRUE(QFile::copy(data + QStringLiteral("skola.mdb"), data + QStringLiteral("archiv.mdb")));
    addClass(QStringLiteral("ZŠ B"), QStringLiteral("2.B"));
    refreshClasses();
    EXPECT_EQ(gridColumn(0), QStringList({"ZŠ B", "ZŠ A"}));

    main()->switchDatabase(QStringLiteral("archiv.mdb"));
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    EXPECT_TRUE(dm().Trida_Query().isOpen());
    EXPECT_TRUE(dm().Testy_Query().isOpen());
    EXPECT_EQ(gridColumn(0), QStringList{QStringLiteral("ZŠ A")});

    // With the connection closed by a failed switch, the commands refuse instead of failing.
    QFile(data + QStringLiteral("poskozena.mdb")).open(QIODevice::WriteOnly);
    main()->switchDatabase(QStringLiteral("poskozena.mdb"));
    EXPECT_EQ(m_prompter.messages().size(), 1);
    EXPECT_FALSE(dm().Trida_Query().isOpen());
    m_prompter.clear();
    main()->showPupils();
    EXPECT_EQ(m_prompter.messages(), QStringList{kNoClass});
}

TEST_F(MainFormTest, ClickOnADropDownButtonOpensItsMenuBelowLeftOfTheMouse)
{
    auto *button = child<QToolButton>(QStringLiteral("Databaze_ToolButton"));
    QMenu *menu = main()->databaseMenu();
    ASSERT_EQ(menu->actions().size(), 1);
    // The tool bar is wider than the 800-pixel test screen: shift the window so the menu fits on it, as it
    // does on a teacher's screen, and Qt does not push it back from the edge.
    const int overflow = button->mapToGlobal(QPoint(button->width(), 0)).x() + menu->sizeHint().width() -
                         button->screen()->geometry().right();
    if (overflow > 0)
        main()->move(main()->x() - overflow, main()->y());
    const QPoint at(30, 20);
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_EQ(menu->pos(), button->mapToGlobal(at) + QPoint(-50, 20));
    menu->hide();
}

TEST_F(MainFormTest, BackupCopiesTheOpenDatabaseAndReopensIt)
{
    addClass(QStringLiteral("ZŠ A"), QStringLiteral("1.A"));
    refreshClasses();
    const QString data = m_root.filePath(QStringLiteral("data/"));
    const QString source = db().filePath();
    QAction *backup = child<QAction>(QStringLiteral("Zaloha_Action"));
    ASSERT_TRUE(backup && backup->isEnabled());

    // Cancelled dialog: nothing happens.
    backup->trigger();
    EXPECT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].kind, QStringLiteral("save"));

    m_prompter.clear();
    m_prompter.answer(data + QStringLiteral("zaloha.mdb"));
    backup->trigger();
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    EXPECT_TRUE(db().isOpen());
    EXPECT_EQ(db().filePath(), source);
    EXPECT_TRUE(dm().Trida_Query().isOpen());
    EXPECT_TRUE(dm().Listiny_ADOQuery().isOpen());
    EXPECT_EQ(gridColumn(0), QStringList{QStringLiteral("ZŠ A")});
    {
        Database copy(QStringLiteral("backup_check"));
        copy.open(data + QStringLiteral("zaloha.mdb"));
        EXPECT_EQ(copy.scalar(QStringLiteral("SELECT skola FROM trida")).toString(), QStringLiteral("ZŠ A"));
        copy.close();
    }

    // The open file itself as the target fails and leaves the database as it was.
    m_prompter.clear();
    m_prompter.answer(source);
    backup->trigger();
    EXPECT_EQ(m_prompter.messages(), QStringList{QStringLiteral("Došlo k chybě. Soubor nelze duplikovat.")});
    EXPECT_TRUE(db().isOpen());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM trida")), 1);
}

TEST(SociogramInstructionsTest, ElevenBoxesAtTheLeftEdgeTopToBottom)
{
    const QList<SociogramInstruction> boxes = sociogramInstructions();
    ASSERT_EQ(boxes.size(), 11);
    int top = 0;
    for (const SociogramInstruction &box : boxes) {
        EXPECT_EQ(box.left, 25);
        EXPECT_GT(box.top, top);
        EXPECT_GE(box.top, top + (top ? 30 : 0)); // boxes do not overlap
        top = box.top;
    }
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("1. Nejdříve vyberte přes tlačítko \"Vyhodnocení\" příslušné vyhodnocení"));
    EXPECT_EQ(boxes[2].height, 60);
    EXPECT_TRUE(boxes[2].text.endsWith(QStringLiteral("negativní vztah B k A. ")));
    EXPECT_EQ(boxes[10].width, 800);
}

} // namespace

namespace {

TEST_F(MainFormTest, ANewClassLocksTheCommandsUntilSavedAndEnterSavesAnEditInPlace)
{
    addClass(QStringLiteral("ZŠ A"), QStringLiteral("1.A"));
    const qint64 second = addClass(QStringLiteral("ZŠ B"), QStringLiteral("2.B"));
    addClass(QStringLiteral("ZŠ C"), QStringLiteral("3.C"));
    refreshClasses();

    QTest::mouseClick(navButton(TDBNavigator::Insert), Qt::LeftButton);
    EXPECT_FALSE(child<QToolButton>(QStringLiteral("Zaci_ToolButton"))->isEnabled());
    EXPECT_FALSE(main()->menuBar()->isEnabled());
    QTest::mouseClick(navButton(TDBNavigator::Cancel), Qt::LeftButton);
    EXPECT_TRUE(child<QToolButton>(QStringLiteral("Zaci_ToolButton"))->isEnabled());

    // Editing the middle class and pressing Enter saves it; the class stays the current, highlighted one.
    ASSERT_TRUE(dm().Trida_Query().locate(QStringLiteral("ID"), second));
    QTest::mouseClick(navButton(TDBNavigator::Edit), Qt::LeftButton);
    auto *grade = child<QLineEdit>(QStringLiteral("Stupen_DBEdit"));
    grade->selectAll();
    type(grade, QStringLiteral("2.C"));
    QTest::keyClick(grade, Qt::Key_Return);
    EXPECT_EQ(dm().Trida_Query().state(), Dataset::State::Browse);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM trida WHERE stupen = '2.C'")), 1);
    EXPECT_EQ(dm().Trida_Query().id(), second);
    const int row = dm().Trida_Query().currentRow();
    EXPECT_TRUE(main()->classGrid()->selectionModel()->isRowSelected(row, {}));
}

} // namespace

// "Nastavení → Klíč kódů…" prints the key of the chosen class or saves it; "Export anonymizované třídy…"
// writes the class as a database without names.
TEST_F(MainFormTest, TheCodeKeyIsPrintedOrSavedAndTheAnonymisedClassWritten) {
    const qint64 trida = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("5.A"));
    addRow(trida, QStringLiteral("Eva"), QStringLiteral("žena"), 1);
    addRow(trida, QStringLiteral("Adam"), QStringLiteral("muž"), 2);
    refreshClasses();
    ASSERT_TRUE(dm().Trida_Query().locate(QStringLiteral("ID"), trida));

    m_prompter.answer(0); // "Tisk"
    child<QAction>(QStringLiteral("KlicKodu_Action"))->trigger();
    EXPECT_EQ(previewPageCount(main(), "KlicKodu_Nahled"), 1);

    const QString key = m_root.filePath(QStringLiteral("klic.csv"));
    m_prompter.answer(1).answer(key); // "Uložit do souboru"
    child<QAction>(QStringLiteral("KlicKodu_Action"))->trigger();
    QFile file(key);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              QByteArray("\xEF\xBB\xBF") + "Kód;Jméno a příjmení;Typ\r\nD1;Eva;žena\r\nC1;Adam;muž\r\n");

    const QString copy = m_root.filePath(QStringLiteral("trida.mdb"));
    m_prompter.no().answer(copy); // without the free-text answers
    child<QAction>(QStringLiteral("ExportAnonymni_Action"))->trigger();
    Database received(QStringLiteral("prijemce"));
    received.open(copy);
    EXPECT_EQ(received.scalar(QStringLiteral("SELECT group_concat(jmeno, ',') FROM zak")).toString(),
              "D1,C1");
    EXPECT_EQ(received.scalar(QStringLiteral("SELECT skola FROM trida")).toString(), "neuvedena");
}
