#include "web/WebFixture.h"

#include "../cli/CliRun.h"

#include "platform/IniFile.h"
#include "web/CurlFtpClient.h"
#include "web/FormPages.h"
#include "web/ResultImport.h"
#include "web/WebFiles.h"
#include "web/WebPublishing.h"

#include <QRegularExpression>
#include <sys/stat.h>

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
    // Starts the server (again) with the given options of ftp_server.py; m_settings then reach it. A plain
    // server needs plain FTP allowed; a TLS server's key pin is m_pin. Every command the server receives is
    // logged (commands()).
    void start(const QStringList &mode = {}) {
        m_server.kill();
        m_server.waitForFinished();
        QFile::remove(logPath());
        const int port = startServer(m_server, kPython,
                                     QStringList{QStringLiteral(ORBELIS_WEB_TESTS "/ftp_server.py"), root(),
                                                 QStringLiteral("ucitel"), QStringLiteral("tajné"),
                                                 QStringLiteral("log=") + logPath()} +
                                         mode);
        ASSERT_GT(port, 0) << m_server.readAllStandardError().toStdString();
        m_pin.clear();
        if (mode.contains(QStringLiteral("tls"))) {
            while (!m_server.canReadLine())
                ASSERT_TRUE(m_server.waitForReadyRead(10000));
            m_pin = QString::fromLatin1(m_server.readLine().trimmed());
            ASSERT_TRUE(m_pin.startsWith(QStringLiteral("sha256//")));
        }
        m_settings = {};
        m_settings.host = QStringLiteral("127.0.0.1:%1").arg(port);
        m_settings.user = QStringLiteral("ucitel");
        m_settings.password = QStringLiteral("tajné");
        m_settings.folder = QStringLiteral("web/dotaznik/");
        m_settings.address = QStringLiteral("https://skola.example/dotaznik/");
        m_settings.allowPlain = !mode.contains(QStringLiteral("tls"));
    }
    // The TLS server needs pyOpenSSL and cryptography (python3-openssl).
    static bool tlsAvailable() {
        return QProcess::execute(kPython,
                                 {QStringLiteral("-c"), QStringLiteral("import OpenSSL, cryptography")}) == 0;
    }
    QString logPath() const { return m_dir.path() + QStringLiteral("/ftp-commands.log"); }
    // "COMMAND ARGUMENT<TAB>tls|plain" for each command the server received since it started.
    QStringList commands() const {
        return QString::fromUtf8(readFile(logPath())).split(u'\n', Qt::SkipEmptyParts);
    }
    // The commands received whose name is `name` ("PASS").
    QStringList commands(const QString &name) const {
        return commands().filter(QRegularExpression(QStringLiteral("^") + name + QStringLiteral("[ \t]")));
    }
    QString root() const { return m_dir.path() + QStringLiteral("/ftp-root/"); }
    QString remote(const QString &path) const { return root() + QStringLiteral("web/dotaznik/") + path; }
    IniFile settingsFile() { return IniFile(m_folders.programSettingsPath()); }

    QProcess m_server;
    FtpSettings m_settings;
    QString m_pin;
};

QString firstLine(const QString &message) {
    return message.section(u'\n', 0, 0);
}

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

// A server without TLS answers AUTH TLS with an error: unless plain FTP is allowed, the password must not
// go out at all, whichever operation connects.
TEST_F(FtpTest, AServerWithoutTlsGetsNoPasswordUnlessPlainFtpIsAllowed) {
    CurlFtpClient ftp;
    ftp.setTimeouts(5, 10);
    try {
        ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
        FAIL() << "TLS is required unless plain FTP is allowed";
    } catch (const FtpError &error) {
        EXPECT_EQ(error.kind(), FtpError::Kind::Connection);
        EXPECT_TRUE(firstLine(error.message()).contains(QStringLiteral("nenabízí šifrované spojení")))
            << error.message().toStdString();
        EXPECT_TRUE(error.message().section(u'\n', 1).startsWith(QStringLiteral("Podrobnosti: ")));
    }
    EXPECT_FALSE(commands("AUTH").isEmpty()) << "TLS was asked for";
    EXPECT_EQ(commands("USER"), QStringList());
    EXPECT_EQ(commands("PASS"), QStringList());

    // A client that was allowed plain FTP before takes the settings' word each time it connects.
    FtpSettings strict = m_settings;
    strict.allowPlain = false;
    ftp.setSecurity(true, QString());
    IniFile file = settingsFile();
    EXPECT_THROW(WebPublishing::testAndSave(ftp, strict, file, m_prompter), FtpError);
    EXPECT_FALSE(QFileInfo::exists(file.path()));
    EXPECT_EQ(commands("PASS"), QStringList()) << "testing the settings";
    ftp.setSecurity(true, QString());
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    EXPECT_THROW(WebPublishing::publish(ftp, strict, m_folders,
                                        WebPublishing::generatedSessions(m_db, m_folders),
                                        [](const QString &, int, int) { return true; }),
                 FtpError);
    EXPECT_EQ(commands("PASS"), QStringList()) << "publishing";
    ftp.setSecurity(true, QString());
    EXPECT_FALSE(ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, strict));
    EXPECT_EQ(commands("PASS"), QStringList()) << "importing";
    EXPECT_FALSE(QFileInfo::exists(remote(QString())));

    // Allowed: the login goes through, in plain text as the teacher agreed.
    ftp.setSecurity(true, QString());
    ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
    EXPECT_EQ(commands("PASS"), QStringList{QStringLiteral("PASS ***\tplain")});
    ftp.disconnect();
}

// A self-signed certificate is explained and refused before the login; once the teacher accepts its key,
// the session runs over TLS (control and data) with that key only.
TEST_F(FtpTest, ASelfSignedServerIsRefusedUntilItsKeyIsAcceptedAndThenWorksOverTls) {
    if (!tlsAvailable())
        GTEST_SKIP() << "python3-openssl is not installed (/usr/bin/python3 -c 'import OpenSSL' fails)";
    start({QStringLiteral("tls"), QStringLiteral("tls-required")});
    CurlFtpClient ftp;
    ftp.setTimeouts(5, 10);
    for (const bool allowPlain : {false, true}) {
        // Allowing plain FTP does not lower the check of a certificate the server does offer.
        ftp.setSecurity(allowPlain, QString());
        try {
            ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
            FAIL() << "an untrusted certificate must not pass";
        } catch (const FtpError &error) {
            EXPECT_EQ(error.kind(), FtpError::Kind::Certificate);
            EXPECT_EQ(error.serverKey(), m_pin);
            const QString text = firstLine(error.message());
            EXPECT_TRUE(text.startsWith(
                QStringLiteral("Server se prokazuje certifikátem, kterému tento počítač nedůvěřuje")))
                << text.toStdString();
            EXPECT_TRUE(text.contains(m_pin));
        }
    }
    // The import cannot accept a certificate; it says where the teacher can.
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    m_prompter.clear();
    EXPECT_FALSE(ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings));
    ASSERT_FALSE(m_prompter.messages().isEmpty());
    EXPECT_TRUE(m_prompter.messages().last().contains(QStringLiteral("v okně Nastavení FTP")))
        << m_prompter.messages().last().toStdString();
    EXPECT_EQ(commands("USER"), QStringList());
    EXPECT_EQ(commands("PASS"), QStringList());

    ftp.setSecurity(false, m_pin);
    ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
    EXPECT_EQ(commands("PASS"), QStringList{QStringLiteral("PASS ***\ttls")});
    const QString local = m_dir.path() + "/upload.txt";
    writeFile(local, "obsah přes TLS\r\n");
    ftp.store(local, "soubor.txt.orbelis-tmp");
    ftp.rename("soubor.txt.orbelis-tmp", "soubor.txt");
    EXPECT_EQ(readFile(root() + "soubor.txt"), QByteArray("obsah přes TLS\r\n"));
    EXPECT_EQ(ftp.list(QString()).filter("soubor").size(), 1);
    ftp.retrieve("soubor.txt", m_dir.path() + "/back.txt");
    EXPECT_EQ(readFile(m_dir.path() + "/back.txt"), readFile(local));
    ftp.remove("soubor.txt");
    EXPECT_FALSE(QFileInfo::exists(root() + "soubor.txt"));
    EXPECT_TRUE(commands("PROT").contains(QStringLiteral("PROT P\ttls")));
    ftp.disconnect();

    // The settings carry the accepted key to every connection.
    m_settings.trustedKey = m_pin;
    m_settings.folder.clear();
    IniFile file = settingsFile();
    ASSERT_TRUE(WebPublishing::testAndSave(ftp, m_settings, file, m_prompter));
    EXPECT_EQ(FtpSettings::load(file).trustedKey, m_pin);
}

// The key accepted for one server proves nothing about another: a server with a different key (replaced,
// or someone in between) is refused before the login and its own key is told.
TEST_F(FtpTest, AServerWithAnotherKeyThanTheAcceptedOneIsRefusedBeforeTheLogin) {
    if (!tlsAvailable())
        GTEST_SKIP() << "python3-openssl is not installed (/usr/bin/python3 -c 'import OpenSSL' fails)";
    start({QStringLiteral("tls")});
    const QString accepted = m_pin;
    start({QStringLiteral("tls")});
    ASSERT_NE(m_pin, accepted);
    CurlFtpClient ftp;
    ftp.setTimeouts(5, 10);
    ftp.setSecurity(false, accepted);
    try {
        ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
        FAIL() << "a key other than the accepted one must not pass";
    } catch (const FtpError &error) {
        EXPECT_EQ(error.kind(), FtpError::Kind::Certificate);
        EXPECT_EQ(error.serverKey(), m_pin);
        EXPECT_TRUE(firstLine(error.message())
                        .contains(QStringLiteral("jiným certifikátem, než jaký jste dříve přijali")))
            << error.message().toStdString();
    }
    EXPECT_EQ(commands("USER"), QStringList());
    EXPECT_EQ(commands("PASS"), QStringList());
}

// Each failure the teacher meets reads as a Czech sentence; the library's and the server's texts only
// follow as details.
TEST_F(FtpTest, FailuresAreCzechSentencesWithTheServersWordsOnlyAsDetails) {
    CurlFtpClient ftp;
    ftp.setTimeouts(5, 10);
    ftp.setSecurity(true, QString());
    auto failure = [&](const std::function<void()> &operation) -> FtpError {
        try {
            operation();
        } catch (const FtpError &error) {
            return error;
        }
        ADD_FAILURE() << "the operation should have failed";
        return FtpError(FtpError::Kind::Local, QString());
    };
    auto expectCzech = [](const FtpError &error, const QString &phrase) {
        // The server's address is named; its port number (say 45530) is no reply code.
        QString text = firstLine(error.message());
        text.remove(QRegularExpression(QStringLiteral(R"(127\.0\.0\.1:\d+)")));
        EXPECT_TRUE(text.contains(phrase)) << error.message().toStdString();
        for (const char *english : {"server:", "Login denied", "Couldn't", "Timeout", "Failure",
                                    "Access denied", "530", "550", "552"})
            EXPECT_FALSE(text.contains(QLatin1String(english))) << text.toStdString();
        EXPECT_TRUE(error.message().section(u'\n', 1).startsWith(QStringLiteral("Podrobnosti: ")))
            << error.message().toStdString();
    };

    FtpError wrong =
        failure([&] { ftp.connectTo(m_settings.host, m_settings.user, QStringLiteral("špatné")); });
    EXPECT_EQ(wrong.kind(), FtpError::Kind::Login);
    expectCzech(wrong, QStringLiteral("server nepřijal jméno uživatele nebo heslo"));
    EXPECT_TRUE(wrong.message().section(u'\n', 1).contains(QStringLiteral("530")));

    FtpError unreachable = failure([&] { ftp.connectTo(QStringLiteral("127.0.0.1:1"), "u", "p"); });
    EXPECT_EQ(unreachable.kind(), FtpError::Kind::Connection);
    expectCzech(unreachable, QStringLiteral("server je nedostupný"));

    ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
    FtpError missing = failure([&] { ftp.changeDirectory(QStringLiteral("neni/tady")); });
    EXPECT_EQ(missing.kind(), FtpError::Kind::Refused);
    EXPECT_TRUE(missing.notFound());
    expectCzech(missing, QStringLiteral("složka na serveru neexistuje"));
    FtpError gone = failure([&] { ftp.remove(QStringLiteral("zadny.txt")); });
    EXPECT_TRUE(gone.notFound());
    expectCzech(gone, QStringLiteral("neexistuje"));

    // A server that says nothing.
    QProcess silent;
    const int port = startServer(silent, kPython,
                                 {"-c", "import socket, time\n"
                                        "s = socket.socket(); s.bind(('127.0.0.1', 0)); s.listen()\n"
                                        "print(s.getsockname()[1], flush=True)\n"
                                        "c = s.accept(); time.sleep(30)\n"});
    ASSERT_GT(port, 0);
    CurlFtpClient slow;
    slow.setTimeouts(1, 1);
    slow.setSecurity(true, QString());
    FtpError timeout = failure([&] { slow.connectTo(QStringLiteral("127.0.0.1:%1").arg(port), "u", "p"); });
    silent.kill();
    silent.waitForFinished();
    EXPECT_EQ(timeout.kind(), FtpError::Kind::Connection);
    expectCzech(timeout, QStringLiteral("server neodpověděl včas"));

    // A server that drops the connection during a download.
    writeFile(root() + "data.php", "odpovědi\r\n");
    start({QStringLiteral("drop-on-retr")});
    ftp.setSecurity(true, QString());
    ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
    FtpError cut = failure([&] { ftp.retrieve(QStringLiteral("data.php"), m_dir.path() + "/data.php"); });
    EXPECT_EQ(cut.kind(), FtpError::Kind::Connection);
    expectCzech(cut, QStringLiteral("spojení se serverem se přerušilo"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/data.php"));

    // A server whose disk (or quota) is full.
    start({QStringLiteral("disk-full")});
    ftp.setSecurity(true, QString());
    ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
    const QString local = m_dir.path() + "/page.php";
    writeFile(local, "<?php ?>");
    FtpError full = failure([&] { ftp.store(local, QStringLiteral("page.php")); });
    EXPECT_EQ(full.kind(), FtpError::Kind::Refused);
    expectCzech(full, QStringLiteral("na serveru došlo místo"));
}

// Renaming replaces the file of the new name (the last step of a safe upload); a failed rename leaves the
// file of the new name as it was.
TEST_F(FtpTest, RenameReplacesTheTargetAndRemoveDeletesEvenWhereTheServerRenamesOnlyOntoFreeNames) {
    for (const QStringList &mode : {QStringList{}, QStringList{QStringLiteral("no-replace-rename")}}) {
        start(mode);
        CurlFtpClient ftp;
        ftp.setTimeouts(5, 10);
        ftp.setSecurity(true, QString());
        writeFile(root() + "povolene.php", "staré");
        writeFile(root() + "povolene.php.orbelis-tmp", "nové");
        ftp.connectTo(m_settings.host, m_settings.user, m_settings.password);
        ftp.rename(QStringLiteral("povolene.php.orbelis-tmp"), QStringLiteral("povolene.php"));
        EXPECT_EQ(readFile(root() + "povolene.php"), QByteArray("nové")) << mode.join(' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(root() + "povolene.php.orbelis-tmp"));

        // Nothing to rename: an error, and the live file stays.
        EXPECT_THROW(ftp.rename(QStringLiteral("povolene.php.orbelis-tmp"), QStringLiteral("povolene.php")),
                     FtpError);
        EXPECT_EQ(readFile(root() + "povolene.php"), QByteArray("nové"));

        ftp.remove(QStringLiteral("povolene.php"));
        EXPECT_FALSE(QFileInfo::exists(root() + "povolene.php"));
        // A name that would smuggle a second command is refused before anything is sent.
        writeFile(root() + "keep.txt", "x");
        EXPECT_THROW(ftp.remove(QStringLiteral("a\r\nDELE keep.txt")), FtpError);
        EXPECT_TRUE(QFileInfo::exists(root() + "keep.txt"));
        ftp.disconnect();
        QFile::remove(root() + "keep.txt");
    }
}

// The settings file holds the FTP password: whoever else uses the computer must not read it, whether the
// file is new or was readable before.
TEST_F(FtpTest, TheSettingsFileWithThePasswordIsReadableByItsOwnerOnly) {
    auto mode = [](const QString &path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
    };
    const QString path = m_folders.programSettingsPath();
    QFile::remove(path);
    FtpSettings settings = m_settings;
    settings.allowPlain = true;
    settings.trustedKey = QStringLiteral("sha256//AbCd+/Ef=");
    settings.openCollection = true;
    IniFile file(path);
    ASSERT_TRUE(settings.save(file));
    EXPECT_EQ(mode(path), 0600);
    const FtpSettings loaded = FtpSettings::load(IniFile(path));
    EXPECT_EQ(loaded.password, QStringLiteral("tajné"));
    EXPECT_TRUE(loaded.allowPlain);
    EXPECT_EQ(loaded.trustedKey, settings.trustedKey);
    EXPECT_TRUE(loaded.openCollection);
    const QString text = QString::fromUtf8(readFile(path));
    EXPECT_TRUE(text.contains(QStringLiteral("nesifrovane=1\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("certifikat=sha256//AbCd+/Ef=\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("bez_kodu=1\r\n")));

    // A file left readable by an earlier version, with other sections: restricted, nothing else changed.
    writeFile(path, "[vzhled]\r\nbarva=3\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                QFile::ReadOther));
    ASSERT_EQ(mode(path), 0644);
    settings.allowPlain = false;
    settings.openCollection = false;
    IniFile again(path);
    ASSERT_TRUE(settings.save(again));
    EXPECT_EQ(mode(path), 0600);
    EXPECT_EQ(IniFile(path).readString("vzhled", "barva"), QStringLiteral("3"));
    EXPECT_FALSE(FtpSettings::load(IniFile(path)).allowPlain);
    EXPECT_FALSE(FtpSettings::load(IniFile(path)).openCollection);
    // Later writes of other settings keep it so.
    IniFile other(path);
    ASSERT_TRUE(other.writeString("vzhled", "barva", "4"));
    EXPECT_EQ(mode(path), 0600);
}

// The publishing side of safe collection: what the live collector reads changes only by a rename, and only
// once what it names is there.
class PublishingTest : public FtpTest {
protected:
    // The commands of the server log that store or rename files, as "STOR name" / "RNTO name".
    QStringList transfers() const {
        QStringList result;
        for (const QString &line : commands())
            if (line.startsWith(QLatin1String("STOR ")) || line.startsWith(QLatin1String("RNFR ")) ||
                line.startsWith(QLatin1String("RNTO ")))
                result << line.section(u'\t', 0, 0);
        return result;
    }
    // The pages of a generated session folder as publishing sends them first: every file but the
    // collector's lists and what the server itself writes.
    QStringList pages(qint64 session) const {
        QStringList names = QDir(FormPages::sessionFolder(m_folders, session))
                                .entryList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const char *kept : {"kody.php", "povolene.php", "data.php", "data.csv", "chyby.php"})
            names.removeAll(QString::fromLatin1(kept));
        return names;
    }
    QStringList leftovers(const QString &folder) const {
        return QDir(folder).entryList({QStringLiteral("*.orbelis-tmp*")}, QDir::Files | QDir::Hidden);
    }
    WebPublishing::Report publishAll() {
        CurlFtpClient ftp;
        ftp.setTimeouts(5, 10);
        return WebPublishing::publish(ftp, m_settings, m_folders,
                                      WebPublishing::generatedSessions(m_db, m_folders));
    }
};

TEST_F(PublishingTest, EveryFileGoesUnderATemporaryNameAndTheCollectorsListsComeLastOfTheirFolder) {
    const qint64 second = addSession(m_class, m_test, "2024-04-01 00:00:00");
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, second));
    // What the server wrote and was downloaded stays here; the server's answers stay there.
    const QString local = FormPages::sessionFolder(m_folders, m_session);
    for (const char *name : {"data.php", "data.csv", "chyby.php"})
        writeFile(local + name, "stažené\r\n");
    const QString folder = remote(QString::number(m_session) + '/');
    writeFile(folder + "data.php", "odpovědi žáků\r\n");

    const WebPublishing::Report report = publishAll();

    QStringList expected;
    for (const qint64 session : {m_session, second})
        expected << pages(session) << QStringLiteral("vysledky.php") << QStringLiteral("kody.php")
                 << QStringLiteral("povolene.php");
    expected << QStringLiteral("index.php") << QStringLiteral("style.css");
    QStringList sequence;
    for (const QString &name : expected)
        sequence << "STOR " + WebPublishing::temporaryName(name)
                 << "RNFR " + WebPublishing::temporaryName(name)
                 << "RNTO " + name;
    EXPECT_EQ(transfers(), sequence);
    // A part of a page keeps ".php", so a web server runs it instead of serving the names in it as text.
    EXPECT_EQ(WebPublishing::temporaryName(QStringLiteral("zak_3.php")), QStringLiteral("zak_3.orbelis-tmp.php"));
    EXPECT_EQ(WebPublishing::temporaryName(QStringLiteral(".htaccess")), QStringLiteral(".htaccess.orbelis-tmp"));
    EXPECT_EQ(report.sent, expected.size());
    EXPECT_TRUE(report.faults.isEmpty()) << report.faults.join('\n').toStdString();
    EXPECT_TRUE(report.message().contains(WebPublishing::kAnswersWhere));
    EXPECT_EQ(WebPublishing::kAnswersWhere,
              QStringLiteral("Odpovědi se ukládají do souboru data.php ve složce vyhodnocení na serveru; "
                             "prohlížeči se nezobrazí."));

    EXPECT_EQ(readFile(folder + "data.php"), QByteArray("odpovědi žáků\r\n"));
    EXPECT_FALSE(QFileInfo::exists(folder + "data.csv"));
    EXPECT_FALSE(QFileInfo::exists(folder + "chyby.php"));
    for (const char *name : {"kody.php", "povolene.php", "index.php"})
        EXPECT_EQ(readFile(folder + name), readFile(local + name)) << name;
    EXPECT_EQ(leftovers(folder), QStringList());
    EXPECT_EQ(leftovers(remote(QString())), QStringList());
}

// A transfer cut in the middle of publishing again: the collector keeps reading its previous lists, whole.
TEST_F(PublishingTest, ACutPublishLeavesThePreviousListsOfTheCollectorWhole) {
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    publishAll();
    const QString folder = remote(QString::number(m_session) + '/');
    const QByteArray codes = readFile(folder + "kody.php"), allowed = readFile(folder + "povolene.php");
    ASSERT_FALSE(codes.isEmpty());
    ASSERT_FALSE(allowed.isEmpty());

    // A new pupil: both lists change.
    addPupil(m_class, "Eva", "Nová", "žena", 8);
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    const QString local = FormPages::sessionFolder(m_folders, m_session);
    ASSERT_NE(readFile(local + "kody.php"), codes);
    ASSERT_NE(readFile(local + "povolene.php"), allowed);

    // Cut on a page, on the code list, on the list of ids (uploads counted from 1).
    const int pageCount = int(pages(m_session).size());
    const QList<QPair<int, QString>> cuts = {
        {3, pages(m_session)[2]}, {pageCount + 2, "kody.php"}, {pageCount + 3, "povolene.php"}};
    for (const auto &[upload, name] : cuts) {
        start({QStringLiteral("cut-stor=%1").arg(upload)});
        EXPECT_THROW(publishAll(), FtpError) << name.toStdString();
        const QStringList stored = commands("STOR");
        ASSERT_EQ(stored.size(), upload);
        EXPECT_EQ(stored.last().section(u'\t', 0, 0), "STOR " + WebPublishing::temporaryName(name));
        // Each list whole: the previous one, or the code list sent just before the cut one.
        EXPECT_EQ(readFile(folder + "kody.php"),
                  name == "povolene.php" ? readFile(local + "kody.php") : codes)
            << name.toStdString();
        EXPECT_EQ(readFile(folder + "povolene.php"), allowed) << name.toStdString();
        // The part that came is not left to be served.
        EXPECT_EQ(leftovers(folder), QStringList()) << name.toStdString();
    }

    start();
    publishAll();
    EXPECT_EQ(readFile(folder + "kody.php"), readFile(local + "kody.php"));
    EXPECT_EQ(readFile(folder + "povolene.php"), readFile(local + "povolene.php"));
}

TEST_F(PublishingTest, TheCollectorsLastLoggedFaultIsToldOnceInTheFinalMessage) {
    const qint64 second = addSession(m_class, m_test, "2024-04-01 00:00:00");
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, second));
    const QString log = remote(QString::number(m_session) + "/chyby.php");
    writeFile(log, QByteArray(ResultImport::kGuardLine) +
                       "\r\n2024-03-01 10:00:00\tSoubor kody.php nelze přečíst.\r\n"
                       "2024-03-02 11:30:00\tDo souboru data.php nelze zapisovat.\r\n");

    const WebPublishing::Report report = publishAll();
    const QString fault =
        QStringLiteral("Sběr odpovědí na serveru nefunguje: Do souboru data.php nelze zapisovat. "
                       "(zapsáno 2024-03-02 11:30:00) – vyhodnocení %1")
            .arg(m_session);
    EXPECT_EQ(report.faults, QStringList{fault});
    EXPECT_TRUE(report.message().startsWith(fault + '\n')) << report.message().toStdString();
    EXPECT_TRUE(report.message().contains(WebPublishing::kAnswersWhere));
    // Told once: the next publishing tells only what the collector logs after it.
    EXPECT_FALSE(QFileInfo::exists(log));
    EXPECT_TRUE(publishAll().faults.isEmpty());

    // A log with nothing but its guard line tells nothing.
    writeFile(log, QByteArray(ResultImport::kGuardLine) + "\r\n");
    EXPECT_TRUE(publishAll().faults.isEmpty());
    EXPECT_EQ(WebPublishing::collectorFault("<?php\r\nbez času\r\n"),
              QStringLiteral("Sběr odpovědí na serveru nefunguje: bez času"));
}

// The importer side: the answer file first, deleted from the server only when the teacher says so and
// only while it is still the file imported.
class ServerAnswersTest : public FtpTest {
protected:
    QByteArray post(qint64 number, qint64 pupil, qint64 partner) const {
        return QStringLiteral("%1,%2,1,%3,%4,2024-03-01 10:00:00,-,%5\r\n")
            .arg(m_session)
            .arg(m_who)
            .arg(pupil)
            .arg(partner)
            .arg(number)
            .toUtf8();
    }
    QByteArray answerFile(const QByteArray &lines) const {
        return QByteArray(ResultImport::kGuardLine) + "\r\n" + lines;
    }
    QString folder() const { return remote(QString::number(m_session) + '/'); }
    QString choice(qint64 pupil, qint64 partner) const {
        return QStringLiteral("%1|1|%2|%3|").arg(m_who).arg(pupil).arg(partner);
    }
};

TEST_F(ServerAnswersTest, TheAnswerFileIsReadFirstAndDeletedOnlyOnRequestWhileUnchanged) {
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    // Adam posts twice; an older collector's file beside it is not read while the answer file is there.
    const QByteArray posts = answerFile(post(41, m_adam, m_bara) + post(80, m_adam, m_cyril));
    writeFile(folder() + "data.php", posts);
    writeFile(
        folder() + "data.csv",
        QStringLiteral("%1,%2,1,%3,%4,t,-\r\n").arg(m_session).arg(m_who).arg(m_bara).arg(m_adam).toUtf8());
    CurlFtpClient ftp;
    ftp.setTimeouts(5, 10);

    m_prompter.no();
    auto counts = ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings);
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->serverFile, QStringLiteral("data.php"));
    EXPECT_FALSE(counts->deletedFromServer);
    EXPECT_EQ(answers(m_session), QStringList{choice(m_adam, m_cyril)});
    const QString local = FormPages::sessionFolder(m_folders, m_session) + "data.php";
    EXPECT_EQ(readFile(local), posts);
    ASSERT_EQ(m_prompter.prompts().last().kind, QStringLiteral("yesno"));
    EXPECT_EQ(m_prompter.prompts().last().title, QStringLiteral("Smazat odpovědi ze serveru"));
    EXPECT_TRUE(m_prompter.questions().last().contains(
        QStringLiteral("Ze složky vyhodnocení %1 na serveru se smaže soubor data.php").arg(m_session)))
        << m_prompter.questions().last().toStdString();
    EXPECT_EQ(readFile(folder() + "data.php"), posts);

    // "Yes": the answer file goes, the older file it did not read stays, the local copy stays.
    m_prompter.clear();
    m_prompter.yes();
    counts = ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings);
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->added, 0);
    EXPECT_TRUE(counts->deletedFromServer);
    EXPECT_FALSE(QFileInfo::exists(folder() + "data.php"));
    EXPECT_TRUE(QFileInfo::exists(folder() + "data.csv"));
    EXPECT_EQ(readFile(local), posts);
    EXPECT_EQ(m_prompter.messages().last(),
              QStringLiteral("Odpovědi byly ze serveru smazány (soubor data.php)."));

    // Pupils sent more since the file was read: it is not deleted.
    const QByteArray more =
        answerFile(post(41, m_adam, m_bara) + post(80, m_adam, m_cyril) + post(120, m_bara, m_dana));
    writeFile(folder() + "data.php", more);
    m_prompter.clear();
    counts = ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings, local,
                               ResultImport::ServerFile::Delete);
    ASSERT_TRUE(counts);
    EXPECT_FALSE(counts->deletedFromServer);
    EXPECT_EQ(readFile(folder() + "data.php"), more);
    EXPECT_EQ(m_prompter.prompts().last().icon, Prompter::Icon::Warning);
    EXPECT_TRUE(m_prompter.questions().isEmpty());

    // Read from the server, the same file is deleted without a question.
    m_prompter.clear();
    counts = ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings, QString(),
                               ResultImport::ServerFile::Delete);
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->added, 1);
    EXPECT_TRUE(counts->deletedFromServer);
    EXPECT_FALSE(QFileInfo::exists(folder() + "data.php"));
    EXPECT_TRUE(m_prompter.questions().isEmpty());
    EXPECT_EQ(answers(m_session), (QStringList{choice(m_adam, m_cyril), choice(m_bara, m_dana)}));

    // An older collector's file alone is read and, asked, deleted.
    m_prompter.clear();
    m_prompter.yes();
    counts = ResultImport::run(m_db, m_folders, m_session, m_prompter, &ftp, m_settings);
    ASSERT_TRUE(counts);
    EXPECT_EQ(counts->serverFile, QStringLiteral("data.csv"));
    EXPECT_EQ(counts->added, 1);
    EXPECT_TRUE(counts->deletedFromServer);
    EXPECT_FALSE(QFileInfo::exists(folder() + "data.csv"));
}

TEST_F(ServerAnswersTest, TheHeadlessImportDeletesTheAnswerFileOnlyWithDeleteRemote) {
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    IniFile file = settingsFile();
    ASSERT_TRUE(m_settings.save(file));
    const QByteArray first = answerFile(post(41, m_adam, m_bara));
    writeFile(folder() + "data.php", first);
    const auto cli = [&](const QStringList &args) {
        return runCliOn(m_folders.dataFolder, m_folders.programFolder, args);
    };
    const QString session = QString::number(m_session);

    CliRun run = cli({"results", "import", "--session", session});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Přidáno odpovědí: 1\nNahrazeno odpovědí: 0\n")))
        << run.out.toStdString();
    EXPECT_EQ(readFile(folder() + "data.php"), first);

    // Adam corrects himself; a copy of the file as it was is not what the server holds now: the server's
    // file stays, and the command says so and fails.
    const QString older = m_dir.path() + "/older.php";
    writeFile(older, first);
    const QByteArray both = answerFile(post(41, m_adam, m_bara) + post(80, m_adam, m_cyril));
    writeFile(folder() + "data.php", both);
    run = cli({"results", "import", "--session", session, "--csv", older, "--delete-remote"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("nebyl smazán"))) << run.err.toStdString();
    EXPECT_EQ(readFile(folder() + "data.php"), both);

    run = cli({"results", "import", "--session", session, "--delete-remote"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Přidáno odpovědí: 1\nNahrazeno odpovědí: 1\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Odpovědi byly ze serveru smazány (soubor data.php).")));
    EXPECT_FALSE(QFileInfo::exists(folder() + "data.php"));
    EXPECT_EQ(answers(m_session), QStringList{choice(m_adam, m_cyril)});
}

} // namespace
