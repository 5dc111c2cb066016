#include "web/WebFixture.h"

#include "data/AppContext.h"
#include "platform/IniFile.h"
#include "questionnaires/SessionsForm.h"
#include "support/RecordingShell.h"
#include "web/FormPages.h"
#include "web/FtpForm.h"
#include "web/FtpSettings.h"
#include "web/UploadForm.h"
#include "web/WebPublishing.h"

#include <QAction>
#include <QCheckBox>
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
    // A real FTP server with the options of ftp_server.py; false (the test skips) without pyftpdlib. A TLS
    // server's key pin is m_pin.
    bool startFtp(const QStringList &options = {}) {
        if (QProcess::execute(kPython, {"-c", "import pyftpdlib"}) != 0)
            return false;
        if (options.contains("tls") &&
            QProcess::execute(kPython, {"-c", "import OpenSSL, cryptography"}) != 0)
            return false;
        QDir().mkpath(m_dir.path() + "/ftp");
        m_port = startServer(m_server, kPython,
                             QStringList{QStringLiteral(ORBELIS_WEB_TESTS "/ftp_server.py"),
                                         m_dir.path() + "/ftp", "ucitel", "heslo"} +
                                 options);
        if (m_port > 0 && options.contains("tls")) {
            while (!m_server.canReadLine())
                if (!m_server.waitForReadyRead(10000))
                    return false;
            m_pin = QString::fromLatin1(m_server.readLine().trimmed());
        }
        return m_port > 0;
    }
    // Types the server's account into the settings window.
    void fillFtpForm(const QString &folder) {
        const QList<QPair<const char *, QString>> fields = {
            {"Host_Edit", QStringLiteral("127.0.0.1:%1").arg(m_port)},
            {"Jmeno_Edit", "ucitel"},
            {"Heslo_Edit", "heslo"},
            {"Dir_Edit", folder},
            {"Stranky_Edit", "https://skola.example/ankety/"}};
        for (const auto &[name, value] : fields)
            m_ftpForm->findChild<QLineEdit *>(name)->setText(value);
    }
    FtpSettings savedSettings() const { return FtpSettings::load(IniFile(m_folders.programSettingsPath())); }

    AppContext m_context;
    RecordingShell m_shell{QDir::tempPath()};
    std::unique_ptr<QWidget> m_main;
    TDotazniky_Form *m_sessions = nullptr;
    TFtp_Form *m_ftpForm = nullptr;
    TUpload_Form *m_upload = nullptr;
    QProcess m_server;
    int m_port = 0;
    QString m_pin;
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
    // The test server has no TLS.
    m_ftpForm->findChild<QCheckBox *>("Nesifrovane_Check")->setChecked(true);
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
    m_prompter.clear();
    m_upload->findChild<QPushButton *>("Odeslat_Button")->click();
    EXPECT_EQ(m_shell.calls, QStringList{"url:https://skola.example/ankety/"});
    // The final message says where the answers are kept.
    ASSERT_EQ(m_prompter.messages().size(), 1);
    EXPECT_TRUE(m_prompter.messages()[0].endsWith(WebPublishing::kAnswersWhere))
        << m_prompter.messages()[0].toStdString();
    const QString site = m_dir.path() + QStringLiteral("/ftp/skola/ankety/");
    EXPECT_TRUE(QFileInfo::exists(site + QStringLiteral("%1/zak_%2.php").arg(m_session).arg(m_adam)));
    EXPECT_TRUE(QString::fromUtf8(readFile(site + "index.php"))
                    .contains(QStringLiteral("href=\"%1/index.php\"").arg(m_session)));
}

TEST_F(WebWindowsTest, PlainFtpIsRefusedUntilTheTeacherTicksItInTheSettingsWindow) {
    if (!startFtp())
        GTEST_SKIP() << "python3-pyftpdlib is not installed (/usr/bin/python3 -c 'import pyftpdlib' fails)";
    m_ftpForm->show();
    auto *plain = m_ftpForm->findChild<QCheckBox *>("Nesifrovane_Check");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->text(), QStringLiteral("Povolit nešifrované FTP (heslo půjde sítí čitelně)"));
    EXPECT_FALSE(plain->isChecked());
    fillFtpForm(QString());
    EXPECT_FALSE(m_ftpForm->save());
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].icon, Prompter::Icon::Error);
    EXPECT_TRUE(m_prompter.messages()[0].contains(QStringLiteral("nenabízí šifrované spojení")));
    EXPECT_FALSE(QFileInfo::exists(m_folders.programSettingsPath()));

    plain->setChecked(true);
    m_prompter.clear();
    EXPECT_TRUE(m_ftpForm->save());
    EXPECT_EQ(m_prompter.messages(), QStringList{"Údaje byly uloženy."});
    EXPECT_TRUE(savedSettings().allowPlain);
    m_ftpForm->hide();
    m_ftpForm->show();
    EXPECT_TRUE(plain->isChecked());
}

TEST_F(WebWindowsTest, TheSettingsWindowOffersToTrustAnUntrustedCertificateAndKeepsItsKey) {
    if (!startFtp({"tls", "tls-required"}))
        GTEST_SKIP() << "python3-pyftpdlib or python3-openssl is not installed";
    ASSERT_TRUE(m_pin.startsWith("sha256//"));
    m_ftpForm->show();
    fillFtpForm("skola/ankety/");

    // "No": nothing saved, and the question is not followed by the same text again.
    m_prompter.no();
    EXPECT_FALSE(m_ftpForm->save());
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].kind, "yesno");
    const QString question = m_prompter.questions().value(0);
    EXPECT_TRUE(question.startsWith(
        QStringLiteral("Server se prokazuje certifikátem, kterému tento počítač nedůvěřuje")))
        << question.toStdString();
    EXPECT_TRUE(question.contains(m_pin));
    EXPECT_TRUE(question.contains(QStringLiteral("Chcete tomuto certifikátu důvěřovat?")));
    EXPECT_FALSE(question.contains(QStringLiteral("Podrobnosti")));
    EXPECT_FALSE(QFileInfo::exists(m_folders.programSettingsPath()));

    // "Yes": connected at once with that key, the folder made, the key saved with the rest.
    m_prompter.clear();
    m_prompter.yes().yes();
    EXPECT_TRUE(m_ftpForm->save());
    EXPECT_EQ(m_prompter.questions().size(), 2);
    EXPECT_EQ(m_prompter.questions().value(1),
              QStringLiteral("Vzdálená složka neexistuje. Chcete ji nyní vytvořit?"));
    EXPECT_EQ(m_prompter.messages(), QStringList{"Údaje byly uloženy."});
    EXPECT_TRUE(QFileInfo(m_dir.path() + "/ftp/skola/ankety").isDir());
    EXPECT_EQ(savedSettings().trustedKey, m_pin);
    EXPECT_FALSE(savedSettings().allowPlain);

    // Saved again later: no question, the key is kept.
    m_ftpForm->hide();
    m_ftpForm->show();
    m_prompter.clear();
    EXPECT_TRUE(m_ftpForm->save());
    EXPECT_EQ(m_prompter.questions(), QStringList());
    EXPECT_EQ(savedSettings().trustedKey, m_pin);
}

TEST_F(WebWindowsTest, TheUploadOffersToTrustTheServersCertificateAndSendsWithIt) {
    if (!startFtp({"tls", "tls-required"}))
        GTEST_SKIP() << "python3-pyftpdlib or python3-openssl is not installed";
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    FtpSettings settings;
    settings.host = QStringLiteral("127.0.0.1:%1").arg(m_port);
    settings.user = "ucitel";
    settings.password = "heslo";
    settings.address = "https://skola.example/";
    IniFile file(m_folders.programSettingsPath());
    ASSERT_TRUE(settings.save(file));
    m_upload->show();
    ASSERT_EQ(m_upload->list()->count(), 1);
    m_upload->list()->item(0)->setCheckState(Qt::Checked);

    m_prompter.no();
    EXPECT_FALSE(m_upload->upload());
    EXPECT_EQ(m_prompter.questions().size(), 1);
    EXPECT_TRUE(m_prompter.questions().value(0).contains(m_pin));
    EXPECT_EQ(savedSettings().trustedKey, QString());
    EXPECT_TRUE(m_shell.calls.isEmpty());

    m_prompter.clear();
    m_prompter.yes();
    EXPECT_TRUE(m_upload->upload());
    EXPECT_EQ(m_prompter.questions().size(), 1);
    EXPECT_EQ(savedSettings().trustedKey, m_pin);
    EXPECT_TRUE(
        QFileInfo::exists(m_dir.path() + QStringLiteral("/ftp/%1/zak_%2.php").arg(m_session).arg(m_adam)));
    EXPECT_EQ(m_shell.calls, QStringList{"url:https://skola.example/"});
}

TEST_F(WebWindowsTest, CollectingWithoutCodesIsTurnedOnOnlyAfterTheWarningIsAnsweredYes) {
    m_ftpForm->show();
    auto *open = m_ftpForm->findChild<QCheckBox *>("BezKodu_Check");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), QStringLiteral("Sběr bez kódů"));
    EXPECT_FALSE(open->isChecked());

    m_prompter.no();
    open->click();
    EXPECT_FALSE(open->isChecked());
    ASSERT_EQ(m_prompter.questions().size(), 1);
    const QString warning = m_prompter.questions()[0];
    EXPECT_TRUE(warning.contains(QStringLiteral("kdokoli, kdo zná adresu")));
    EXPECT_TRUE(warning.contains(QStringLiteral("za kteréhokoli žáka")));
    EXPECT_TRUE(warning.contains(QStringLiteral("jména")));
    EXPECT_EQ(m_prompter.prompts()[0].icon, Prompter::Icon::Warning);

    m_prompter.yes();
    open->click();
    EXPECT_TRUE(open->isChecked());
    // Turning it off asks nothing.
    open->click();
    EXPECT_FALSE(open->isChecked());
    EXPECT_EQ(m_prompter.questions().size(), 2);

    // Saved on: shown ticked again without a warning.
    FtpSettings settings;
    settings.openCollection = true;
    IniFile file(m_folders.programSettingsPath());
    ASSERT_TRUE(settings.save(file));
    m_ftpForm->hide();
    m_ftpForm->show();
    EXPECT_TRUE(open->isChecked());
    EXPECT_EQ(m_prompter.questions().size(), 2);
}

} // namespace
