#include "web/WebFixture.h"

#include "web/FormPages.h"
#include "web/ResultImport.h"
#include "web/WebFiles.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <unistd.h>

namespace {

const QString kPhp = QStringLiteral("/usr/bin/php");
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kChromium = QStringLiteral("/usr/bin/chromium");

using Fields = QList<QPair<QString, QString>>;

QByteArray encode(const Fields &fields) {
    QByteArrayList parts;
    for (const auto &[name, value] : fields)
        parts << QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    return parts.join('&');
}

// The generated site served by PHP's built-in server with several workers, as a web host serves it.
class CollectorTest : public WebFixture {
protected:
    void SetUp() override {
        WebFixture::SetUp();
        if (tool(kPhp).isEmpty())
            GTEST_SKIP() << "php-cli is not installed (" << kPhp.toStdString() << ")";
        if (tool(kPython).isEmpty())
            GTEST_SKIP() << "python3 is not installed (" << kPython.toStdString() << ")";
        ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
        // The remote layout the upload makes: the session's folder with the collector, the style sheet above.
        const QString local = FormPages::sessionFolder(m_folders, m_session);
        for (const QString &name : QDir(local).entryList(QDir::Files | QDir::Hidden))
            writeFile(site(name), readFile(local + name));
        writeFile(site("vysledky.php"), WebFiles::collectorScript());
        writeFile(m_www.path() + "/style.css", WebFiles::styleSheet());

        QProcess finder;
        finder.start(kPython, {"-c", "import socket; s=socket.socket(); s.bind(('127.0.0.1', 0)); "
                                     "print(s.getsockname()[1])"});
        ASSERT_TRUE(finder.waitForFinished(10000));
        m_port = finder.readAllStandardOutput().trimmed().toInt();
        ASSERT_GT(m_port, 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PHP_CLI_SERVER_WORKERS", "8");
        m_php.setProcessEnvironment(environment);
        m_php.setProcessChannelMode(QProcess::MergedChannels);
        // The server forks its workers: a process group of its own lets the test end them all.
        m_php.setChildProcessModifier([] { ::setpgid(0, 0); });
        m_php.start(kPhp, {"-S", QStringLiteral("127.0.0.1:%1").arg(m_port), "-t", m_www.path(),
                           QStringLiteral(ORBELIS_WEB_TESTS "/router.php")});
        ASSERT_TRUE(m_php.waitForStarted(10000));
        QByteArray log;
        while (!log.contains("started")) {
            ASSERT_TRUE(m_php.waitForReadyRead(10000)) << log.toStdString();
            log += m_php.readAll();
        }
    }
    void TearDown() override {
        if (m_php.processId() > 0)
            ::kill(-pid_t(m_php.processId()), SIGKILL);
        m_php.waitForFinished();
        WebFixture::TearDown();
    }
    QString site(const QString &name) const {
        return m_www.path() + QStringLiteral("/%1/").arg(m_session) + name;
    }
    QString url(const QString &name) const {
        return QStringLiteral("http://127.0.0.1:%1/%2/").arg(m_port).arg(m_session) + name;
    }
    // Posts the bodies, WORKERS at a time; the HTTP status of each, in order.
    QList<int> post(const QByteArrayList &bodies, int workers) {
        const QString file = m_dir.path() + "/bodies.txt";
        writeFile(file, bodies.join('\n') + '\n');
        QProcess poster;
        poster.start(kPython, {QStringLiteral(ORBELIS_WEB_TESTS "/post_many.py"), url("vysledky.php"), file,
                               QString::number(workers)});
        EXPECT_TRUE(poster.waitForFinished(300000));
        QList<int> statuses;
        for (const QByteArray &line : poster.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                statuses << line.trimmed().toInt();
        return statuses;
    }
    Fields form(qint64 pupil) const {
        return {{"id_vyhodnoceni", QString::number(m_session)}, {"id_zaka", QString::number(pupil)}};
    }
    Fields ending() const { return {{"max", QString::number(m_text)}, {"submit", "Odeslat"}}; }
    QString box(qint64 question, bool negative = false) const {
        return QString::fromLatin1(negative ? "ot_neg_%1[]" : "ot_%1[]").arg(question);
    }

    QTemporaryDir m_www;
    QProcess m_php;
    int m_port = 0;
};

TEST_F(CollectorTest, APupilFillsInTheFormInChromiumAndTheImportStoresExactlyThat) {
    if (tool(kChromium).isEmpty())
        GTEST_SKIP() << "chromium is not installed (" << kChromium.toStdString() << ")";
    const QString typed =
        QStringLiteral("Víc času, méně \"testů\" – a ať se 'nehádáme'.\nŽluťoučký kůň, úpěl.");
    QString script;
    for (const auto &[name, value] : QList<QPair<QString, qint64>>{
             {box(m_who), m_bara}, {box(m_who), m_nikdo}, {box(m_who, true), m_cyril}, {box(m_grade), m_b}})
        script +=
            QStringLiteral("document.querySelector('input[name=\"%1\"][value=\"%2\"]').checked = true;\n")
                .arg(name)
                .arg(value);
    QString literal = typed;
    literal.replace("\\", "\\\\").replace("'", "\\'").replace("\n", "\\n");
    script += QStringLiteral("document.querySelector('textarea[name=\"%1\"]').value = '%2';\n")
                  .arg(box(m_text), literal);
    script += "document.querySelector('input[name=\"submit\"]').click();\n";
    writeFile(m_www.path() + "/vyplnit.js", script.toUtf8());

    QTemporaryDir profile;
    QProcess chromium;
    chromium.start(kChromium,
                   {"--headless", "--disable-gpu", "--no-sandbox", "--no-first-run",
                    "--user-data-dir=" + profile.path(), "--dump-dom", "--virtual-time-budget=15000",
                    url(QStringLiteral("zak_%1.php?vyplnit").arg(m_adam))});
    ASSERT_TRUE(chromium.waitForFinished(120000));
    const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());
    ASSERT_TRUE(dom.contains("Vaše odpovědi byly uloženy.")) << dom.toStdString();

    const auto import = [&] {
        return ResultImport::run(m_db, m_folders, m_session, m_prompter, nullptr, {}, site("data.csv"));
    };
    const auto first = import();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->rejected, 0);
    QString stored = typed;
    stored.replace("\n", "\r\n");
    EXPECT_EQ(answers(m_session),
              (QStringList{QStringLiteral("%1|0|%2|%3|").arg(m_who).arg(m_adam).arg(m_cyril),
                           QStringLiteral("%1|1|%2|%3|").arg(m_who).arg(m_adam).arg(m_bara),
                           QStringLiteral("%1|1|%2|%3|").arg(m_who).arg(m_adam).arg(m_nikdo),
                           QStringLiteral("%1|1|%2|%3|").arg(m_grade).arg(m_adam).arg(m_b),
                           QStringLiteral("%1|1|%2|-1|").arg(m_text).arg(m_adam) + stored}));
    const QStringList before = snapshot();
    const auto second = import();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->added, 0);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CollectorTest, AcceptsOnlyTheFormsFieldsAndIdsAndWritesNothingForAnythingElse) {
    const Fields good = form(m_adam) + Fields{{box(m_who), QString::number(m_bara)}} + ending();
    const QList<Fields> bad = {
        form(m_stranger) + ending(), // not a respondent of the session
        form(m_adam) + Fields{{box(m_who), QString::number(m_adam)}} + ending(), // himself
        form(m_adam) + Fields{{box(m_who), QString::number(m_stranger)}} + ending(),
        form(m_adam) + Fields{{box(m_grade), QString::number(m_bara)}} + ending(),    // not a letter
        form(m_adam) + Fields{{box(m_grade, true), QString::number(m_a)}} + ending(), // no negative wording
        form(m_adam) + Fields{{QStringLiteral("ot_%1").arg(m_who), QString::number(m_bara)}} + ending(),
        form(m_adam) + Fields{{box(m_who), "1 OR 1=1"}} + ending(),
        form(m_adam) + Fields{{"soubor", "../../etc/passwd"}} + ending(), // an unknown field
        form(m_adam) + Fields{{box(999), QString::number(m_bara)}} + ending(),
        Fields{{"id_vyhodnoceni", "999"}, {"id_zaka", QString::number(m_adam)}} + ending(),
        form(m_adam) + Fields{{"max", "1"}, {"submit", "Odeslat"}}};
    QByteArrayList bodies;
    for (const Fields &fields : bad)
        bodies << encode(fields);
    // A text that is not UTF-8.
    bodies << encode(form(m_adam) + ending()) + '&' + QUrl::toPercentEncoding(box(m_text)) + "=%FF%FE";
    bodies << QByteArray("GET");
    const QList<int> refused = post(bodies, 1);
    EXPECT_EQ(refused, QList<int>(bodies.size(), 400));
    EXPECT_FALSE(QFileInfo::exists(site("data.csv")));

    EXPECT_EQ(post({encode(good)}, 1), QList<int>{200});
    EXPECT_EQ(readFile(site("data.csv")).count('\n'), 1);
}

TEST_F(CollectorTest, TwoHundredPupilsSendingAtOnceLoseAndMixNoLine) {
    const QList<qint64> pupils = {m_adam, m_bara, m_cyril, m_dana};
    QByteArrayList bodies;
    for (int i = 0; i < 200; ++i) {
        const qint64 pupil = pupils[i % 4];
        Fields fields = form(pupil);
        for (const qint64 partner : pupils)
            if (partner != pupil)
                fields << qMakePair(box(m_who), QString::number(partner));
        // A long text makes every post a large write.
        fields << qMakePair(box(m_text), QStringLiteral("odpověď %1 ").arg(i, 3, 10, QChar('0')) +
                                             QString(4000, QChar(u'ž')) + QStringLiteral(" konec %1").arg(i));
        bodies << encode(fields + ending());
    }
    EXPECT_EQ(post(bodies, 50), QList<int>(200, 200));

    QFile file(site("data.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const ResultImport::Parsed parsed = ResultImport::parse(file);
    EXPECT_TRUE(parsed.problems.isEmpty());
    ASSERT_EQ(parsed.lines.size(), 200 * 4);
    QSet<int> texts;
    int choices = 0;
    for (const TImport &line : parsed.lines) {
        if (line.fields[4] != "-1") {
            ++choices;
            EXPECT_EQ(line.fields[6], QString());
            continue;
        }
        const int i = line.fields[6].mid(8, 3).toInt();
        EXPECT_EQ(line.fields[6], QStringLiteral("odpověď %1 ").arg(i, 3, 10, QChar('0')) +
                                      QString(4000, QChar(u'ž')) + QStringLiteral(" konec %1").arg(i));
        texts.insert(i);
    }
    EXPECT_EQ(choices, 600);
    EXPECT_EQ(texts.size(), 200);
}

} // namespace
