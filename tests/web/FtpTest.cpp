#include "web/WebFixture.h"

#include "platform/IniFile.h"
#include "web/CurlFtpClient.h"
#include "web/FormPages.h"
#include "web/ResultImport.h"
#include "web/WebFiles.h"
#include "web/WebPublishing.h"

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// A real FTP server (pyftpdlib) on 127.0.0.1 over a temporary root folder.
class FtpTest : public WebFixture {
protected:
    void SetUp() override {
        WebFixture::SetUp();
        if (QProcess::execute(kPython, {QStringLiteral("-c"), QStringLiteral("import pyftpdlib")}) != 0)
            GTEST_SKIP()
                << "python3-pyftpdlib is not installed (/usr/bin/python3 -c 'import pyftpdlib' fails)";
        ASSERT_TRUE(QDir().mkpath(root()));
        ASSERT_TRUE(QDir().mkpath(m_folders.programFolder));
        start();
        WebFiles::restoreMissing(m_folders.dataFolder);
    }
    void TearDown() override {
        m_server.kill();
        m_server.waitForFinished();
        WebFixture::TearDown();
    }
    void start(const QStringList &mode = {}) {
        m_server.kill();
        m_server.waitForFinished();
        const int port = startServer(m_server, kPython,
                                     QStringList{QStringLiteral(ORBELIS_WEB_TESTS "/ftp_server.py"), root(),
                                                 QStringLiteral("ucitel"), QStringLiteral("tajné")} +
                                         mode);
        ASSERT_GT(port, 0) << m_server.readAllStandardError().toStdString();
        m_settings = {QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("ucitel"),
                      QStringLiteral("tajné"), QStringLiteral("web/dotaznik/"),
                      QStringLiteral("https://skola.example/dotaznik/")};
    }
    QString root() const { return m_dir.path() + QStringLiteral("/ftp-root/"); }
    QString remote(const QString &path) const { return root() + QStringLiteral("web/dotaznik/") + path; }
    IniFile settingsFile() { return IniFile(m_folders.programSettingsPath()); }

    QProcess m_server;
    FtpSettings m_settings;
};

TEST_F(FtpTest, SettingsAreSavedOnlyAfterAWorkingLoginAndTheMissingFolderIsCreatedOnRequest) {
    CurlFtpClient ftp;
    ftp.setTimeouts(5, 10);
    IniFile file = settingsFile();

    FtpSettings wrong = m_settings;
    wrong.password = QStringLiteral("špatné");
    try {
        WebPublishing::testAndSave(ftp, wrong, file, m_prompter);
        FAIL() << "a refused login must not pass";
    } catch (const FtpError &error) {
        EXPECT_EQ(error.kind(), FtpError::Kind::Login);
        EXPECT_EQ(error.replyCode(), 530);
    }
    FtpSettings unreachable = m_settings;
    unreachable.host = QStringLiteral("127.0.0.1:1");
    EXPECT_THROW(WebPublishing::testAndSave(ftp, unreachable, file, m_prompter), FtpError);
    EXPECT_FALSE(QFileInfo::exists(file.path()));

    // "No": saved without the folder; "Yes": the folder is made level by level.
    m_prompter.no().yes();
    ASSERT_TRUE(WebPublishing::testAndSave(ftp, m_settings, file, m_prompter));
    EXPECT_FALSE(QFileInfo(remote(QString())).isDir());
    ASSERT_TRUE(WebPublishing::testAndSave(ftp, m_settings, file, m_prompter));
    EXPECT_TRUE(QFileInfo(remote(QString())).isDir());
    EXPECT_EQ(m_prompter.questions(),
              QStringList(2, QStringLiteral("Vzdálená složka neexistuje. Chcete ji nyní vytvořit?")));
    EXPECT_EQ(m_prompter.messages(), QStringList(2, QStringLiteral("Údaje byly uloženy.")));
    const FtpSettings saved = FtpSettings::load(file);
    EXPECT_EQ(saved.host, m_settings.host);
    EXPECT_EQ(saved.password, QStringLiteral("tajné"));
    EXPECT_EQ(saved.folder, QStringLiteral("web/dotaznik/"));
    EXPECT_EQ(saved.address, m_settings.address);
}

TEST_F(FtpTest, PublishSendsEachSessionWithTheCollectorAndTheIndexWithItsStyleSheet) {
    const qint64 second = addSession(m_class, m_test, "2024-04-01 00:00:00");
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, second));
    // An earlier download must not go back and overwrite what pupils sent since.
    writeFile(FormPages::sessionFolder(m_folders, m_session) + "data.csv", "old\r\n");
    QDir().mkpath(m_folders.dataFolder + "html/not-a-session");

    const QList<WebPublishing::Item> items = WebPublishing::generatedSessions(m_db, m_folders);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].label, QStringLiteral("ZŠ <Lipová>, 6.A, Nováková, dotazník Vztahy"));
    CurlFtpClient ftp;
    QStringList steps;
    WebPublishing::publish(ftp, m_settings, m_folders, items, [&](const QString &file, int, int) {
        steps << file;
        return true;
    });

    for (const qint64 session : {m_session, second}) {
        const QString local = FormPages::sessionFolder(m_folders, session);
        const QString folder = remote(QString::number(session) + '/');
        for (const QString &name : {QStringLiteral("index.php"), QStringLiteral("zak_%1.php").arg(m_adam),
                                    QStringLiteral("povolene.php"), QStringLiteral(".htaccess")})
            EXPECT_EQ(readFile(folder + name), readFile(local + name)) << name.toStdString();
        EXPECT_EQ(readFile(folder + "vysledky.php"), WebFiles::collectorScript());
        EXPECT_FALSE(QFileInfo::exists(folder + "data.csv"));
    }
    EXPECT_EQ(readFile(remote("style.css")), WebFiles::styleSheet());
    const QString index = QString::fromUtf8(readFile(remote("index.php")));
    EXPECT_EQ(readFile(remote("index.php")), readFile(m_folders.dataFolder + "html/index.php"));
    EXPECT_TRUE(index.contains("<link rel=\"stylesheet\" href=\"style.css\" type=\"text/css\">"));
    EXPECT_TRUE(
        index.contains(QStringLiteral("  <a href=\"%1/index.php\">ZŠ &lt;Lipová&gt;, 6.A").arg(m_session)));
    EXPECT_EQ(steps.last(), QStringLiteral("style.css"));

    // A cancelled upload stops at once.
    EXPECT_THROW(WebPublishing::publish(ftp, m_settings, m_folders, items,
                                        [](const QString &, int, int) { return false; }),
                 FtpError);
}

TEST_F(FtpTest, ImportDownloadsTheResultsOrOffersALocalFileWhenTheServerHasNone) {
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    const QString local = FormPages::sessionFolder(m_folders, m_session) + "data.csv";
    const QByteArray csv =
        QStringLiteral("%1,%2,1,%3,%4,t,-\r\n").arg(m_session).arg(m_who).arg(m_adam).arg(m_bara).toUtf8();
    CurlFtpClient ftp;
    ftp.setTimeouts(5, 10);

    // Not on the server (no session folder there yet): the user picks a file on the disk.
    const QString picked = m_dir.path() + "/picked.csv";
    writeFile(picked, csv);
    m_prompter.answer(picked);
    auto counts = ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings);
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->added, 1);
    EXPECT_TRUE(m_prompter.messages().contains(
        QStringLiteral("Nepodařilo se nalézt soubor online. Můžete ho zkusit dohledat na disku.")));
    EXPECT_FALSE(QFileInfo::exists(local));

    // On the server: downloaded beside the pages and imported.
    const QByteArray more =
        csv +
        QStringLiteral("%1,%2,1,%3,%4,t,-\r\n").arg(m_session).arg(m_who).arg(m_bara).arg(m_adam).toUtf8();
    writeFile(remote(QString::number(m_session) + "/data.csv"), more);
    m_prompter.clear();
    counts = ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings);
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->read, 2);
    EXPECT_EQ(counts->added, 1);
    EXPECT_EQ(readFile(local), more);
    EXPECT_TRUE(m_prompter.messages().contains(QStringLiteral("Soubor s daty byl nalezen a stažen.")));

    // A server that drops the connection: an error, and the earlier download stays whole.
    start({QStringLiteral("drop-on-retr")});
    m_prompter.clear();
    EXPECT_FALSE(ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings));
    ASSERT_EQ(m_prompter.prompts().size(), 1);
    EXPECT_EQ(m_prompter.prompts()[0].icon, Prompter::Icon::Error);
    EXPECT_EQ(readFile(local), more);
    EXPECT_FALSE(QFileInfo::exists(local + ".part"));

    // A refused login is reported and nothing is fetched.
    m_settings.password = QStringLiteral("x");
    m_prompter.clear();
    EXPECT_FALSE(ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings));
    EXPECT_EQ(readFile(local), more);
}

} // namespace
