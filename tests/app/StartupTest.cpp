#include "platform/AppFolders.h"
#include "app/InfoForm.h"
#include "app/MainForm.h"
#include "support/ScriptedPrompter.h"
#include "platform/Settings.h"
#include "support/RecordingShell.h"
#include "app/Startup.h"
#include "graph/GraphDocument.h"
#include "graphics/SociogramForm.h"
#include "data/DataModule.h"
#include "data/Database.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include "TestFolders.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(makeProgramAndDataFolders(m_root, "1.2.3"));
    }
    QString dataFolder() const { return m_root.filePath(QStringLiteral("data/")); }
    std::unique_ptr<Startup> start(const QList<WindowRegistry::Entry> &windows = WindowRegistry::programWindows())
    {
        auto startup = std::make_unique<Startup>(m_root.filePath(QStringLiteral("program")), m_prompter, m_shell);
        startup->run({QStringLiteral("/files"), dataFolder()}, windows);
        return startup;
    }
    QStringList menuItems(QMenu *menu, QString *checked = nullptr) const
    {
        QStringList items;
        for (QAction *a : menu->actions()) {
            items << a->text();
            if (checked && a->isChecked())
                *checked = a->text();
        }
        return items;
    }

    QTemporaryDir m_root;
    ScriptedPrompter m_prompter;
    RecordingShell m_shell{QDir::tempPath()};
};

TEST_F(StartupTest, FirstRunCreatesTheDatabaseAndEveryWindowInOrder)
{
    auto startup = start();
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    EXPECT_TRUE(QFile::exists(dataFolder() + QStringLiteral("skola.mdb")));
    EXPECT_TRUE(startup->context().database->isOpen());
    EXPECT_EQ(startup->context().versionText, QStringLiteral("Verze programu: 12.3"));
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Orbelis"));
    EXPECT_EQ(startup->windows().createdNames(),
              QStringList({"TZak_Form", "TVlastnosti_Form", "TEditor_Form", "TImport_DM", "TNastaveniDotazniku_Form",
                           "TDotazniky_Form", "TSociogram_Form", "TSloupcovy_Graf_Form", "TZaci_Form",
                           "TDotaznik_Odpovedi_Form", "TNastaveni_Otazek_Form", "TVycisteni_Form", "TFtp_Form",
                           "TUpload_Form", "TDM_IE", "TImport_Zaka_Form", "TListiny_Form"}));
    for (const QString &name : startup->windows().createdNames()) {
        if (QWidget *w = startup->windows().window(name)) {
            EXPECT_FALSE(w->isVisible()) << name.toStdString();
        }
    }
}

TEST_F(StartupTest, AFailingWindowIsShownAndStartGoesOn)
{
    QList<WindowRegistry::Entry> windows = WindowRegistry::programWindows();
    windows.insert(1, {QStringLiteral("TBroken_Form"),
                       [](AppContext &, QWidget *) -> QObject * { throw std::runtime_error("okno se nepodařilo"); }});
    auto startup = start(windows);
    EXPECT_EQ(m_prompter.messages(), QStringList{QStringLiteral("okno se nepodařilo")});
    EXPECT_EQ(startup->windows().createdNames().size(), 17);
    EXPECT_FALSE(startup->windows().createdNames().contains(QStringLiteral("TBroken_Form")));
}

TEST_F(StartupTest, AMissingConfiguredDatabaseIsAnErrorWhenOthersExist)
{
    start().reset();
    QFile::rename(dataFolder() + QStringLiteral("skola.mdb"), dataFolder() + QStringLiteral("jina.mdb"));
    m_prompter.clear();
    auto startup = start();
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].contains(QStringLiteral("skola.mdb")));
    EXPECT_FALSE(QFile::exists(dataFolder() + QStringLiteral("skola.mdb")));
    EXPECT_FALSE(startup->context().database->isOpen());
    EXPECT_EQ(startup->windows().createdNames().size(), 17);
}

TEST_F(StartupTest, TheDataModuleExistsWithoutAConnectionAndASwitchOpensItsDatasets)
{
    start().reset();
    QFile::rename(dataFolder() + QStringLiteral("skola.mdb"), dataFolder() + QStringLiteral("jina.mdb"));
    m_prompter.clear();
    auto startup = start();
    TDM *dm = startup->context().dm;
    ASSERT_NE(dm, nullptr);
    EXPECT_FALSE(dm->Trida_Query().isOpen());
    EXPECT_EQ(m_prompter.messages().size(), 1); // the connection only; the datasets are not tried

    startup->mainWindow()->switchDatabase(QStringLiteral("jina.mdb"));
    EXPECT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(dm->Trida_Query().isOpen());
    EXPECT_TRUE(dm->OtazkyVyhodnoceni_Query().isOpen() || dm->OtazkyVyhodnoceni_Query().sqlText().isEmpty());
}

TEST_F(StartupTest, DatabaseMenuListsFilesAndTheSwitchWritesTheSetting)
{
    start().reset();
    QFile::copy(dataFolder() + QStringLiteral("skola.mdb"), dataFolder() + QStringLiteral("archiv.mdb"));
    QFile(dataFolder() + QStringLiteral("poskozena.mdb")).open(QIODevice::WriteOnly);
    auto startup = start();
    QString checked;
    EXPECT_EQ(menuItems(startup->mainWindow()->databaseMenu(), &checked),
              QStringList({"archiv.mdb", "poskozena.mdb", "skola.mdb"}));
    EXPECT_EQ(checked, QStringLiteral("skola.mdb"));

    startup->mainWindow()->switchDatabase(QStringLiteral("archiv.mdb"));
    EXPECT_TRUE(m_prompter.messages().isEmpty());
    EXPECT_EQ(startup->context().database->filePath(), dataFolder() + QStringLiteral("archiv.mdb"));
    EXPECT_EQ(Settings(startup->context().folders).databaseFile(), QStringLiteral("archiv.mdb"));
    menuItems(startup->mainWindow()->databaseMenu(), &checked);
    EXPECT_EQ(checked, QStringLiteral("archiv.mdb"));

    // A file that is no database: the error is shown, the connection stays closed, the setting is kept.
    startup->mainWindow()->switchDatabase(QStringLiteral("poskozena.mdb"));
    EXPECT_EQ(m_prompter.messages().size(), 1);
    EXPECT_FALSE(startup->context().database->isOpen());
    EXPECT_EQ(Settings(startup->context().folders).databaseFile(), QStringLiteral("archiv.mdb"));
}

TEST_F(StartupTest, ExpertSwitchIsWrittenAtOnceAndShowsTheMenuItems)
{
    auto startup = start();
    TMain_form *main = startup->mainWindow();
    auto *ftp = main->findChild<QAction *>(QStringLiteral("FTP_Action"));
    auto *wipe = main->findChild<QAction *>(QStringLiteral("Smazani_Action"));
    ASSERT_TRUE(ftp && wipe);
    EXPECT_FALSE(ftp->isVisible());
    EXPECT_FALSE(wipe->isVisible());

    TInfo_Form *info = main->infoForm();
    EXPECT_EQ(info->findChild<QLabel *>(QStringLiteral("Verze_Label"))->text(), QStringLiteral("Verze programu: 12.3"));
    info->show();
    auto *expert = info->findChild<QCheckBox *>(QStringLiteral("Expert_CheckBox"));
    ASSERT_TRUE(expert);
    expert->setChecked(true);
    EXPECT_TRUE(Settings(startup->context().folders).expert());
    EXPECT_TRUE(ftp->isVisible());
    EXPECT_TRUE(wipe->isVisible());
    info->hide();

    // The next start reads it back.
    startup.reset();
    startup = start();
    EXPECT_TRUE(startup->mainWindow()->findChild<QAction *>(QStringLiteral("FTP_Action"))->isVisible());
}

TEST_F(StartupTest, AMissingVersionFileIsShown)
{
    QFile::remove(m_root.filePath(QStringLiteral("program/orbelis.txt")));
    auto startup = start();
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].contains(QStringLiteral("orbelis.txt")));
    EXPECT_EQ(startup->windows().createdNames().size(), 17);
    // The program still works on its data: the datasets are open and the database menu is built.
    EXPECT_TRUE(startup->context().dm->Trida_Query().isOpen());
    EXPECT_EQ(startup->mainWindow()->databaseMenu()->actions().size(), 1);
}

// Installed as a package: the programs in "bin/", the shipped files in "share/orbelis/". The version is found
// there, and the web-publishing settings go to the data folder, since "bin/" is not the user's to write.
TEST_F(StartupTest, AnInstalledProgramFindsItsFilesInShareAndKeepsSettingsInTheDataFolder)
{
    QDir root(m_root.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("usr/bin")) && root.mkpath(QStringLiteral("usr/share/orbelis")));
    QFile version(root.filePath(QStringLiteral("usr/share/orbelis/orbelis.txt")));
    ASSERT_TRUE(version.open(QIODevice::WriteOnly) && version.write("4.5.6\n") > 0);
    version.close();
    Startup startup(root.filePath(QStringLiteral("usr/bin")), m_prompter, m_shell);
    startup.run({QStringLiteral("/files"), dataFolder()});
    EXPECT_TRUE(m_prompter.messages().isEmpty()) << m_prompter.messages().join(u'\n').toStdString();
    EXPECT_EQ(startup.context().versionText, QStringLiteral("Verze programu: 45.6"));
    EXPECT_EQ(startup.context().folders.programSettingsPath(), dataFolder() + QStringLiteral("nastaveni.ini"));
    // In a build folder or a portable copy they stay beside the program.
    auto beside = start();
    EXPECT_EQ(beside->context().folders.programSettingsPath(),
              m_root.filePath(QStringLiteral("program/nastaveni.ini")));
}

TEST_F(StartupTest, ASociogramFileOnTheCommandLineOpensInTheSociogramWindow)
{
    const QString good = m_root.filePath(QStringLiteral("třída.sgp"));
    GraphDocument document;
    ASSERT_TRUE(document.SaveToFile(good));
    const QString bad = m_root.filePath(QStringLiteral("poškozený.SGP"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("TPF0 nic") > 0);
    file.close();

    auto startup = start();
    auto *sociogram = startup->windows().get<TSociogram_Form>(QStringLiteral("TSociogram_Form"));
    ASSERT_TRUE(sociogram);
    startup->openFiles({QStringLiteral("/files"), dataFolder(), bad});
    EXPECT_FALSE(sociogram->isVisible());
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].contains(QStringLiteral("není sociogram programu Orbelis")))
        << m_prompter.messages()[0].toStdString();

    startup->openFiles({QStringLiteral("/files"), dataFolder(), good});
    EXPECT_TRUE(sociogram->isVisible());
    EXPECT_TRUE(sociogram->windowTitle().contains(QStringLiteral("třída.sgp"))) << sociogram->windowTitle().toStdString();
    sociogram->hide();
}

} // namespace
