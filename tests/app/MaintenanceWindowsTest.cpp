// The clean-up window and the questionnaire window's menu "Import a export", in a started program.
#include "TestFolders.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "app/VycisteniForm.h"
#include "app/WindowRegistry.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "questionnaires/ExchangeFile.h"
#include "questionnaires/QuestionnairesForm.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kQuestion =
    QStringLiteral("Odstraníte všechna vyhodnocení a také všechny odpovědi žáků. Určitě to chcete udělat?");

class MaintenanceWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeProgramAndDataFolders(m_root, "1.0.0"));
        m_startup =
            std::make_unique<Startup>(m_root.filePath(QStringLiteral("program")), m_prompter, m_shell);
        m_startup->run({QStringLiteral("/files"), m_root.filePath(QStringLiteral("data/"))});
        ASSERT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
        main()->setWindowShower([this](QWidget *window, bool modal) {
            m_shown << window->objectName() + (modal ? QStringLiteral(" modal") : QString());
        });
        main()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main()));

        Database &d = db();
        d.exec("INSERT INTO trida (skola, stupen, tridni_ucitel) VALUES ('ZŠ Úvoz', '5.A', 'Nováková')");
        const qint64 trida = d.lastInsertId();
        d.exec("INSERT INTO zak (id_tridy, jmeno, pohlavi, poradi) VALUES (:c, 'Anička', 'žena', 1)",
               {{"c", trida}});
        const qint64 pupil = d.lastInsertId();
        d.exec("INSERT INTO poznamky (id_zaka, nazev) VALUES (:z, 'Pohovor')", {{"z", pupil}});
        d.exec("INSERT INTO testy (nazev_testu) VALUES ('Kamarádi')");
        m_test = d.lastInsertId();
        d.exec(
            "INSERT INTO otazky (id_testu, text_otazky, poradi, poradi_vyhodnoceni, typ) VALUES (:t, 'Kdo je "
            "tvůj kamarád?', 1, 1, 0)",
            {{"t", m_test}});
        const qint64 question = d.lastInsertId();
        d.exec("INSERT INTO vyhodnoceni (id_tridy, id_testu, datum) VALUES (:c, :t, '2024-10-01 00:00:00')",
               {{"c", trida}, {"t", m_test}});
        const qint64 session = d.lastInsertId();
        d.exec("INSERT INTO odpovedi (id_vyhodnoceni, id_otazky, id_zaka, id_partnera, pozitivni) VALUES "
               "(:s, :q, "
               ":z, :z, 1)",
               {{"s", session}, {"q", question}, {"z", pupil}});
        dm().RefreshDataset(dm().Trida_Query());
        dm().RefreshDataset(dm().Testy_Query());
    }
    void TearDown() override { m_startup.reset(); }

    TMain_form *main() const { return m_startup->mainWindow(); }
    TDM &dm() const { return *m_startup->context().dm; }
    Database &db() const { return *m_startup->context().database; }
    int count(const QString &sql) { return db().scalar(sql).toInt(); }
    TVycisteni_Form *wipeWindow() { return m_startup->windows().get<TVycisteni_Form>("TVycisteni_Form"); }
    int kept() {
        return count(
            "SELECT (SELECT count(*) FROM trida) + (SELECT count(*) FROM zak) + (SELECT count(*) FROM "
            "poznamky) + (SELECT count(*) FROM testy) + (SELECT count(*) FROM otazky) + (SELECT count(*) "
            "FROM sablony)");
    }

    QTemporaryDir m_root;
    ScriptedPrompter m_prompter;
    RecordingShell m_shell{QDir::tempPath()};
    std::unique_ptr<Startup> m_startup;
    QStringList m_shown;
    qint64 m_test = 0;
};

TEST_F(MaintenanceWindowsTest, TheCleanUpWindowIsShownNotModallyWithItsWarningAndColour) {
    TVycisteni_Form *window = wipeWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Vyčištění databáze");
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(255, 130, 189));
    EXPECT_EQ(window->warning()->text(), "POZOR na ztrátu dat. Před použití si data zazálohujte. ");
    EXPECT_EQ(window->warning()->font().pixelSize(), 21);
    EXPECT_EQ(window->wipeButton()->text(), "Odstranit všechny odpovědi a vyhodnocení dotazníků ");

    QAction *action = main()->findChild<QAction *>("Smazani_Action");
    ASSERT_TRUE(action);
    action->trigger();
    EXPECT_EQ(m_shown, QStringList{"TVycisteni_Form"});

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_FALSE(window->isModal());
    EXPECT_LE((window->frameGeometry().center() - main()->frameGeometry().center()).manhattanLength(), 4);
    QTest::keyClick(window->wipeButton(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MaintenanceWindowsTest, TheButtonAsksAndRemovesSessionsAndAnswersOnly) {
    TVycisteni_Form *window = wipeWindow();
    const int before = kept();
    m_prompter.no();
    QTest::mouseClick(window->wipeButton(), Qt::LeftButton);
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].kind, "yesno");
    EXPECT_EQ(m_prompter.prompts()[0].title, "Vymazat vyhodnocení");
    EXPECT_EQ(m_prompter.prompts()[0].text, kQuestion);
    EXPECT_EQ(m_prompter.prompts()[0].icon, Prompter::Icon::None);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni"), 1);

    m_prompter.clear();
    m_prompter.yes();
    QTest::mouseClick(window->wipeButton(), Qt::LeftButton);
    EXPECT_EQ(m_prompter.questions(), QStringList{kQuestion});
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join('\n').toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni"), 0);
    EXPECT_EQ(kept(), before);
    EXPECT_EQ(dm().Vyhodnoceni_Query().recordCount(), 0);
}

TEST_F(MaintenanceWindowsTest, AnEngineErrorIsShownAndNothingIsRemoved) {
    db().exec(
        "CREATE TRIGGER drz BEFORE DELETE ON vyhodnoceni BEGIN SELECT RAISE(ABORT, 'vyhodnocení drží'); END");
    m_prompter.yes();
    EXPECT_FALSE(wipeWindow()->wipe());
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].contains("vyhodnocení drží"))
        << m_prompter.messages()[0].toStdString();
    EXPECT_EQ(m_prompter.prompts().last().icon, Prompter::Icon::Error);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni"), 1);
}

TEST_F(MaintenanceWindowsTest, TheQuestionnaireWindowExportsAndImportsThroughItsMenu) {
    auto *window = m_startup->windows().get<TNastaveniDotazniku_Form>("TNastaveniDotazniku_Form");
    ASSERT_TRUE(window);
    ASSERT_TRUE(m_startup->windows().get<TDM_IE>("TDM_IE"));
    QAction *exportAction = window->findChild<QAction *>("Exportovat_Action");
    QAction *importAction = window->findChild<QAction *>("Importovat_Action");
    ASSERT_TRUE(exportAction && importAction);
    EXPECT_TRUE(exportAction->isEnabled());
    EXPECT_TRUE(importAction->isEnabled());

    ASSERT_TRUE(dm().Testy_Query().locate("ID", m_test));
    const QString file = m_root.filePath("kamaradi");
    m_prompter.answer(file);
    exportAction->trigger();
    EXPECT_EQ(m_prompter.messages(), QStringList{"Export dopadl úspěšně."});
    ASSERT_TRUE(QFileInfo::exists(file + ".mdb"));

    m_prompter.clear();
    m_prompter.answer(file + ".mdb");
    importAction->trigger();
    EXPECT_EQ(m_prompter.messages(), QStringList{"Import dopadl úspěšně."});
    EXPECT_EQ(count("SELECT count(*) FROM testy"), 2);
    // The new questionnaire is in the list and current.
    EXPECT_EQ(dm().Testy_Query().recordCount(), 2);
    EXPECT_EQ(dm().Testy_Query().text("nazev_testu"), "kamaradi");
    EXPECT_EQ(count("SELECT count(*) FROM otazky WHERE id_testu = (SELECT max(ID) FROM testy)"), 1);
}

} // namespace
