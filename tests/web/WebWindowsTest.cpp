#include "web/WebFixture.h"

#include "data/AppContext.h"
#include "platform/IniFile.h"
#include "questionnaires/SessionsForm.h"
#include "support/RecordingShell.h"
#include "web/FormPages.h"
#include "web/FtpForm.h"
#include "web/UploadForm.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

class WebWindowsTest : public WebFixture {
protected:
    void SetUp() override {
        WebFixture::SetUp();
        ASSERT_TRUE(QDir().mkpath(m_folders.programFolder));
        openWindowContext(m_context, m_shell);
        ASSERT_TRUE(dm().Trida_Query().locate("ID", m_class));
        dm().Vyhodnoceni_Query().setParameter("par_id_tridy", m_class);
        dm().RefreshDataset(dm().Vyhodnoceni_Query());
        m_main = std::make_unique<QWidget>();
        m_sessions = new TDotazniky_Form(m_context, m_main.get());
        m_ftpForm = new TFtp_Form(m_context, m_main.get());
        m_upload = new TUpload_Form(m_context, m_main.get());
    }
    void TearDown() override {
        m_main.reset();
        m_server.kill();
        m_server.waitForFinished();
    }
    // A real FTP server; false (the test skips) without pyftpdlib.
    bool startFtp() {
        if (QProcess::execute(kPython, {"-c", "import pyftpdlib"}) != 0)
            return false;
        QDir().mkpath(m_dir.path() + "/ftp");
        m_port = startServer(
            m_server, kPython,
            {QStringLiteral(ORBELIS_WEB_TESTS "/ftp_server.py"), m_dir.path() + "/ftp", "ucitel", "heslo"});
        return m_port > 0;
    }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath()};
    std::unique_ptr<QWidget> m_main;
    TDotazniky_Form *m_sessions = nullptr;
    TFtp_Form *m_ftpForm = nullptr;
    TUpload_Form *m_upload = nullptr;
    QProcess m_server;
    int m_port = 0;
};

TEST_F(WebWindowsTest, GeneratingShowsProgressThenTheUploadWindowAndMissingSettingsOpenTheSettingsWindow) {
    // As the main window shows it: modal. What it opens must then be modal too, or it gets no input.
    m_sessions->setWindowModality(Qt::ApplicationModal);
    m_sessions->show();
    ASSERT_TRUE(dm().Vyhodnoceni_Query().locate("ID", m_session));
    auto *progress = m_sessions->findChild<QProgressBar *>("ProgressBar1");
    int shownAt = -1;
    QObject::connect(progress, &QProgressBar::valueChanged, [&](int value) {
        if (progress->isVisible() && shownAt < 0)
            shownAt = value;
    });
    m_sessions->findChild<QAction *>("GenerovatHTML_Action")->trigger();
    EXPECT_EQ(m_prompter.messages(),
              (QStringList{"Vyčkejte, bude to chvíli trvat.", "Soubory jsou vygenerovány. "}));
    EXPECT_EQ(progress->maximum(), 4); // the respondents
    EXPECT_EQ(progress->value(), 4);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_GE(shownAt, 0) << "the progress bar shows while the pages are written";
    EXPECT_TRUE(QFileInfo::exists(FormPages::sessionFolder(m_folders, m_session) +
                                  QStringLiteral("zak_%1.php").arg(m_dana)));
    EXPECT_TRUE(QFileInfo::exists(m_folders.dataFolder + "vysledky.php"));

    ASSERT_TRUE(m_upload->isVisible());
    EXPECT_EQ(m_upload->windowModality(), Qt::ApplicationModal);
    ASSERT_EQ(m_upload->list()->count(), 1);
    EXPECT_EQ(m_upload->list()->item(0)->text(),
              QStringLiteral("%1|ZŠ <Lipová>, 6.A, Nováková, dotazník Vztahy").arg(m_session));
    EXPECT_EQ(m_upload->list()->item(0)->checkState(), Qt::Unchecked);

    m_prompter.clear();
    m_upload->findChild<QPushButton *>("Odeslat_Button")->click();
    EXPECT_EQ(m_prompter.messages(),
              QStringList{"Nejsou vyplněny údaje o FTP serveru. Přejděte do nastavení a údaje zadejte."});
    EXPECT_TRUE(m_ftpForm->isVisible());
    EXPECT_EQ(m_ftpForm->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(m_shell.calls.isEmpty());
}

TEST_F(WebWindowsTest, SettingsSavedInTheWindowLetTheUploadSendAndOpenThePublicAddress) {
    if (!startFtp())
        GTEST_SKIP() << "python3-pyftpdlib is not installed (/usr/bin/python3 -c 'import pyftpdlib' fails)";
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    m_ftpForm->show();
    const QList<QPair<const char *, QString>> fields = {
        {"Host_Edit", QStringLiteral("127.0.0.1:%1").arg(m_port)},
        {"Jmeno_Edit", "ucitel"},
        {"Heslo_Edit", "heslo"},
        {"Dir_Edit", "skola/ankety/"},
        {"Stranky_Edit", "https://skola.example/ankety/"}};
    for (const auto &[name, value] : fields)
        m_ftpForm->findChild<QLineEdit *>(name)->setText(value);
    m_prompter.yes();
    m_ftpForm->findChild<QPushButton *>("Ulozit_Button")->click();
    EXPECT_EQ(m_prompter.messages(), QStringList{"Údaje byly uloženy."});
    EXPECT_TRUE(QFileInfo(m_dir.path() + "/ftp/skola/ankety").isDir());
    m_ftpForm->hide();
    m_ftpForm->show(); // loads what was saved
    EXPECT_EQ(m_ftpForm->findChild<QLineEdit *>("Dir_Edit")->text(), "skola/ankety/");

    m_upload->show();
    ASSERT_EQ(m_upload->list()->count(), 1);
    m_upload->list()->item(0)->setCheckState(Qt::Checked);
    m_upload->findChild<QPushButton *>("Odeslat_Button")->click();
    EXPECT_EQ(m_shell.calls, QStringList{"url:https://skola.example/ankety/"});
    const QString site = m_dir.path() + QStringLiteral("/ftp/skola/ankety/");
    EXPECT_TRUE(QFileInfo::exists(site + QStringLiteral("%1/zak_%2.php").arg(m_session).arg(m_adam)));
    EXPECT_TRUE(QString::fromUtf8(readFile(site + "index.php"))
                    .contains(QStringLiteral("href=\"%1/index.php\"").arg(m_session)));
}

} // namespace
