#include "web/WebFixture.h"

#include "cli/Cli.h"
#include "web/PupilCodes.h"
#include "web/ResultImport.h"
#include "web/WebFiles.h"
#include "web/WebPublishing.h"

#include <QDirIterator>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <unistd.h>

namespace {

const QString kPhp = QStringLiteral("/usr/bin/php");
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kChromium = QStringLiteral("/usr/bin/chromium");
// The first line of the files the collector keeps for itself.
const QByteArray kGuard = "<?php http_response_code(404); exit; ?>\r\n";
const QString kRobots = QStringLiteral("<meta name=\"robots\" content=\"noindex\">");
const QString kFault = QStringLiteral("Sběr odpovědí na serveru teď nefunguje");

using Fields = QList<QPair<QString, QString>>;

QByteArray encode(const Fields &fields) {
    QByteArrayList parts;
    for (const auto &[name, value] : fields)
        parts << QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    return parts.join('&');
}

struct Reply {
    int status = 0;
    QString body;
};

// One answer line of data.php with the byte offset it starts at.
struct DataLine {
    qint64 offset = 0;
    QStringList fields;
};

// The site `orbelis-cli forms --site` writes, served by PHP's built-in server with several workers, as a
// web host serves it.
class CollectorTest : public WebFixture {
protected:
    void SetUp() override {
        WebFixture::SetUp();
        if (tool(kPhp).isEmpty())
            GTEST_SKIP() << "php-cli is not installed (" << kPhp.toStdString() << ")";
        if (tool(kPython).isEmpty())
            GTEST_SKIP() << "python3 is not installed (" << kPython.toStdString() << ")";
        ASSERT_NO_FATAL_FAILURE(makeSite(m_session));

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

    // `orbelis-cli forms --session S --site <www>`, in-process on the fixture's data folder.
    void makeSite(qint64 session) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int code = runCli({"--data", m_folders.dataFolder, "forms", "--session",
                                 QString::number(session), "--site", m_www.path()},
                                m_folders.programFolder, outStream, errStream);
        ASSERT_EQ(code, 0) << err.toStdString();
    }
    // "Sběr bez kódů" in the program's settings.
    void collectWithoutCodes() { writeFile(m_folders.programSettingsPath(), "[ftp]\r\nbez_kodu=1\r\n"); }
    QHash<qint64, QString> codes(qint64 session) {
        QHash<qint64, QString> result;
        for (const PupilCode &code : PupilCodes::read(m_db, session))
            result.insert(code.pupilId, code.code);
        return result;
    }

    QString site(const QString &name, qint64 session = 0) const {
        return m_www.path() + QStringLiteral("/%1/").arg(session ? session : m_session) + name;
    }
    QString path(const QString &name) const { return QStringLiteral("%1/").arg(m_session) + name; }
    // Sends "PATH BODY" requests (BODY "GET" asks with GET), WORKERS at a time; the replies in order.
    QList<Reply> send(const QByteArrayList &requests, int workers) {
        const QString file = m_dir.path() + "/requests.txt";
        writeFile(file, requests.join('\n') + '\n');
        QProcess poster;
        poster.start(kPython,
                     {QStringLiteral(ORBELIS_WEB_TESTS "/post_many.py"),
                      QStringLiteral("http://127.0.0.1:%1/").arg(m_port), file, QString::number(workers)});
        EXPECT_TRUE(poster.waitForFinished(300000));
        QList<Reply> replies;
        for (const QByteArray &line : poster.readAllStandardOutput().split('\n'))
            if (const QByteArrayList parts = line.trimmed().split(' '); parts.size() == 2)
                replies.append({parts[0].toInt(), parts[1] == "-"
                                                      ? QString()
                                                      : QString::fromUtf8(QByteArray::fromBase64(parts[1]))});
        EXPECT_EQ(replies.size(), requests.size()) << poster.readAllStandardError().toStdString();
        return replies;
    }
    QByteArray postLine(const QString &name, const Fields &fields) const {
        return path(name).toUtf8() + ' ' + encode(fields);
    }
    QByteArray getLine(const QString &name) const { return path(name).toUtf8() + " GET"; }
    Reply post(const QString &name, const Fields &fields) {
        return send({postLine(name, fields)}, 1).value(0);
    }
    Reply get(const QString &name) { return send({getLine(name)}, 1).value(0); }
    QList<int> statuses(const QList<Reply> &replies) {
        QList<int> result;
        for (const Reply &reply : replies)
            result << reply.status;
        return result;
    }

    Fields form(const QString &code, qint64 session = 0) const {
        return {{"id_vyhodnoceni", QString::number(session ? session : m_session)}, {"kod", code}};
    }
    Fields ending() const { return {{"max", QString::number(m_text)}, {"submit", "Odeslat"}}; }
    QString box(qint64 question, bool negative = false) const {
        return QString::fromLatin1(negative ? "ot_neg_%1[]" : "ot_%1[]").arg(question);
    }
    // Parts of the names of the class's pupils, as they stand in a page.
    static QStringList nameParts() {
        return {"Adam", "Velký", "Bára", "Malá", "Cyril", "Dlouhý", "Dana", "Krátká"};
    }
    static bool holdsAName(const QString &text) {
        for (const QString &part : nameParts())
            if (text.contains(part))
                return true;
        return false;
    }

    // The answer lines of data.php after its guard line (which must be there).
    QList<DataLine> data() {
        const QByteArray bytes = readFile(site("data.php"));
        EXPECT_TRUE(bytes.startsWith(kGuard)) << bytes.left(80).toStdString();
        QList<DataLine> lines;
        qint64 offset = kGuard.size();
        while (offset < bytes.size()) {
            const qint64 end = bytes.indexOf("\r\n", offset);
            EXPECT_GE(end, 0) << "every line ends in CR LF";
            if (end < 0)
                break;
            lines.append({offset, QString::fromUtf8(bytes.mid(offset, end - offset)).split(u',')});
            offset = end + 2;
        }
        return lines;
    }
    // A line without its time (checked) and post number.
    static QString withoutTime(const DataLine &line) {
        EXPECT_EQ(line.fields.size(), 8) << line.fields.join(u',').toStdString();
        static const QRegularExpression time(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
        EXPECT_TRUE(time.match(line.fields.value(5)).hasMatch()) << line.fields.value(5).toStdString();
        return (line.fields.mid(0, 5) + line.fields.mid(6, 1)).join(u',');
    }

    QTemporaryDir m_www;
    QProcess m_php;
    int m_port = 0;
};

// A pupil on a phone (320 × 640 and 390 × 844, touch): types his code, answers each screen by tapping, one
// question a screen, sends; axe-core finds nothing on any page, nothing scrolls sideways, every choice is a
// row at least 44 pixels high with 16-pixel text; a tick beyond the hint's limit is not taken. Without
// JavaScript the whole questionnaire is one page with its send button. The import gives what was tapped.
// A class of thirty with long double-barrelled names.
TEST_F(CollectorTest, OnAPhoneAPupilAnswersByTappingOneQuestionAScreenAndEveryPagePassesAxe) {
    const QString runner = QStringLiteral(ORBELIS_WEB_TESTS "/browser/phone.mjs");
    if (tool(kChromium).isEmpty() || tool(QStringLiteral("/usr/bin/node")).isEmpty())
        GTEST_SKIP() << "chromium and node are needed";
    ASSERT_TRUE(QFileInfo::exists(QStringLiteral(ORBELIS_WEB_TESTS "/browser/node_modules/puppeteer-core")))
        << "npm ci in tests/web/browser";
    const char *first[] = {"Anna-Marie", "Jan-Kryštof", "Eliška-Johana", "Maxmilián-Tadeáš",
                           "Rozálie-Karolína"};
    const char *last[] = {"Nováková-Procházková", "Dvořák-Šťastný", "Křížová-Wagnerová", "Vondráček-Holub",
                          "Černohorská-Lichtenštejnová"};
    for (int i = 0; i < 26; ++i)
        addPupil(m_class, first[i % 5], QString::fromUtf8(last[(i / 5) % 5]) + QString::number(i),
                 i % 2 ? "žena" : "muž", 10 + i);
    m_db.exec(
        QStringLiteral("UPDATE otazky SET popis_pro_web = 'Vyber nejvýše dva spolužáky.' WHERE ID = :q"),
        {{"q", m_who}});
    ASSERT_NO_FATAL_FAILURE(makeSite(m_session));
    const QString code = codes(m_session).value(m_adam);

    struct Run {
        int width, height;
        bool javascript;
    };
    // 320: a wrong code first; 390: the code from the slip's QR link.
    for (const Run run : {Run{390, 844, false}, Run{320, 640, true}, Run{390, 844, true}}) {
        SCOPED_TRACE(QStringLiteral("%1 × %2%3")
                         .arg(run.width)
                         .arg(run.height)
                         .arg(run.javascript ? "" : " bez JavaScriptu")
                         .toStdString());
        // ORBELIS_PHONE_SHOTS names a folder that keeps the screenshots and reports to look at.
        const QString kept = qEnvironmentVariable("ORBELIS_PHONE_SHOTS");
        const QString shots =
            (kept.isEmpty() ? m_dir.path() : kept) +
            QStringLiteral("/telefon_%1%2").arg(run.width).arg(run.javascript ? "" : "_bez_js");
        ASSERT_TRUE(QDir().mkpath(shots));
        const QJsonObject plan{
            {"url", QStringLiteral("http://127.0.0.1:%1/").arg(m_port) + path("index.php")},
            {"code", run.width == 390 && run.javascript ? code : code.toLower()}, // typed in lower case
            {"width", run.width},
            {"height", run.height},
            {"javascript", run.javascript},
            {"shots", shots},
            {"wrongCode", run.width == 320 ? QStringLiteral("2222-2222") : QString()},
            {"viaFragment", run.width == 390 && run.javascript},
            // A third classmate beyond "nejvýše dva" (with the script the page does not take it).
            {"taps", QJsonObject{{box(m_who), QJsonArray{m_bara, m_cyril, m_dana}},
                                 {box(m_who, true), QJsonArray{m_dana}},
                                 {box(m_grade), QJsonArray{m_b}}}},
            {"texts", QJsonObject{{box(m_text), QStringLiteral("Víc výletů")}}}};
        const QString planFile = m_dir.path() + "/plan.json";
        writeFile(planFile, QJsonDocument(plan).toJson());
        QProcess node;
        node.start(QStringLiteral("/usr/bin/node"), {runner, planFile});
        ASSERT_TRUE(node.waitForFinished(180000)) << node.readAllStandardError().toStdString();
        const QByteArray out = node.readAllStandardOutput();
        writeFile(shots + "/report.json", out);
        const QJsonObject report = QJsonDocument::fromJson(out).object();
        ASSERT_FALSE(report.isEmpty()) << out.toStdString() << node.readAllStandardError().toStdString();
        ASSERT_EQ(report.value("error").toString(), QString());
        QJsonArray screens = report.value("screens").toArray();
        for (const QJsonValue &value : screens) {
            const QJsonObject screen = value.toObject();
            const std::string name = screen.value("name").toString().toStdString();
            EXPECT_EQ(screen.value("violations").toArray(), QJsonArray()) << name;
            EXPECT_FALSE(screen.value("sideways").toBool()) << name;
            EXPECT_EQ(screen.value("layoutWidth").toInt(), run.width)
                << name << ": laid out for the phone's width";
            EXPECT_EQ(screen.value("smallTargets").toArray(), QJsonArray()) << name;
            EXPECT_EQ(screen.value("smallText").toArray(), QJsonArray()) << name;
        }
        if (run.width == 320) {
            EXPECT_TRUE(report.value("wrongCode").toString().contains(QStringLiteral("Tento kód neplatí.")));
            screens.removeAt(1); // the refusal: checked like every page
        }
        if (run.width == 390 && run.javascript) {
            EXPECT_EQ(report.value("filled").toString(), code);
            EXPECT_FALSE(report.value("address").toString().contains(u'#'))
                << report.value("address").toString().toStdString();
        }
        // The entry page, the screens of the questionnaire, the thank-you page.
        ASSERT_GE(screens.size(), 3);
        const QJsonObject questionnaire = screens.at(1).toObject();
        if (run.javascript) {
            EXPECT_EQ(screens.size(), 2 + 4); // one screen per question and per negative half
            EXPECT_EQ(questionnaire.value("questions").toInt(), 1);
            EXPECT_TRUE(
                questionnaire.value("live").toString().contains(QStringLiteral("Vybrat lze nejvýše 2")))
                << questionnaire.value("live").toString().toStdString();
            EXPECT_EQ(screens.at(2).toObject().value("live").toString(), QStringLiteral("Vybráno 1 z 2"));
            // Back from the last screen: the grade's screen with its tick.
            const QJsonObject back = report.value("back").toObject();
            EXPECT_EQ(back.value("progress").toString(), QStringLiteral("Otázka 3 z 4"));
            EXPECT_EQ(back.value("ticked").toInt(), 1);
        } else {
            EXPECT_EQ(screens.size(), 3);
            EXPECT_EQ(questionnaire.value("questions").toInt(), 4);
        }
        EXPECT_TRUE(report.value("final").toString().contains(
            QStringLiteral("Odpovědi jsou uložené. Můžeš je změnit, když se přihlásíš kódem znovu.")));

        const auto imported =
            ResultImport::run(m_db, m_folders, m_session, m_prompter, nullptr, {}, site("data.php"));
        ASSERT_TRUE(imported);
        const QString third =
            run.javascript ? QString() : QStringLiteral("%1|1|%2|%3|").arg(m_who).arg(m_adam).arg(m_dana);
        QStringList expected{QStringLiteral("%1|0|%2|%3|").arg(m_who).arg(m_adam).arg(m_dana),
                             QStringLiteral("%1|1|%2|%3|").arg(m_who).arg(m_adam).arg(m_bara),
                             QStringLiteral("%1|1|%2|%3|").arg(m_who).arg(m_adam).arg(m_cyril)};
        if (!third.isEmpty())
            expected << third;
        expected << QStringLiteral("%1|1|%2|%3|").arg(m_grade).arg(m_adam).arg(m_b)
                 << QStringLiteral("%1|1|%2|-1|Víc výletů").arg(m_text).arg(m_adam);
        EXPECT_EQ(answers(m_session), expected);
    }
}

TEST_F(CollectorTest, APupilOpensTheFormWithHisCodeInChromiumAndTheImportStoresExactlyThat) {
    if (tool(kChromium).isEmpty())
        GTEST_SKIP() << "chromium is not installed (" << kChromium.toStdString() << ")";
    const QString typed =
        QStringLiteral("Víc času, méně \"testů\" – a ať se 'nehádáme'.\nŽluťoučký kůň, úpěl.");
    // Typed as a pupil may: lower case, a blank for the dash.
    const QString code = codes(m_session).value(m_adam).toLower().replace(u'-', u' ');
    ASSERT_EQ(code.size(), 9);
    QString script =
        QStringLiteral("var kod = document.querySelector('input[name=\"kod\"][type=\"text\"]');\n"
                       "if (kod) {\n  kod.value = '%1';\n  kod.form.submit();\n} else {\n")
            .arg(code);
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
    script += "document.querySelector('input[name=\"submit\"]').click();\n}\n";
    writeFile(m_www.path() + "/vyplnit.js", script.toUtf8());

    QTemporaryDir profile;
    QProcess chromium;
    chromium.start(kChromium,
                   {"--headless", "--disable-gpu", "--no-sandbox", "--no-first-run",
                    "--user-data-dir=" + profile.path(), "--dump-dom", "--virtual-time-budget=20000",
                    QStringLiteral("http://127.0.0.1:%1/").arg(m_port) + path("index.php")});
    ASSERT_TRUE(chromium.waitForFinished(120000));
    const QString dom = QString::fromUtf8(chromium.readAllStandardOutput());
    ASSERT_TRUE(dom.contains("Odpovědi jsou uložené. Můžeš je změnit, když se přihlásíš kódem znovu."))
        << dom.toStdString();

    const auto import = [&] {
        return ResultImport::run(m_db, m_folders, m_session, m_prompter, nullptr, {}, site("data.php"));
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

TEST_F(CollectorTest, APostWithoutTheCodeOfAPupilOfThisSessionWritesNothing) {
    const qint64 other = addSession(m_class, m_test, "2024-04-01 00:00:00");
    ASSERT_NO_FATAL_FAILURE(makeSite(other));
    const QHash<qint64, QString> mine = codes(m_session), theirs = codes(other);
    ASSERT_EQ(mine.size(), 4);
    ASSERT_EQ(theirs.size(), 4);
    const QString adam = mine.value(m_adam);
    const QString guessed = QStringLiteral("2222-2222");
    ASSERT_FALSE(mine.values().contains(guessed));
    const Fields choice = {{box(m_who), QString::number(m_bara)}};

    const QList<Fields> malformed = {
        Fields{{"id_vyhodnoceni", QString::number(m_session)}} + choice + ending(), // no code
        form(adam) + Fields{{"id_zaka", QString::number(m_adam)}} + choice + ending(),
        Fields{{"id_vyhodnoceni", QString::number(m_session)}, {"id_zaka", QString::number(m_adam)}} +
            choice + ending(),
        form(adam.left(8) + "0") + choice + ending(), // a letter outside the alphabet
        form(adam.left(7)) + choice + ending(),
        form(theirs.value(m_adam), other) + choice + ending(), // this collector serves another session
        form(adam) + Fields{{box(m_who), QString::number(m_adam)}} + ending(), // himself
        form(adam) + Fields{{box(m_who), QString::number(m_stranger)}} + ending(),
        form(adam) + Fields{{box(m_grade), QString::number(m_bara)}} + ending(),    // not a letter
        form(adam) + Fields{{box(m_grade, true), QString::number(m_a)}} + ending(), // no negative wording
        form(adam) + Fields{{QStringLiteral("ot_%1").arg(m_who), QString::number(m_bara)}} + ending(),
        form(adam) + Fields{{box(m_who), "1 OR 1=1"}} + ending(),
        form(adam) + Fields{{"soubor", "../../etc/passwd"}} + ending(), // an unknown field
        form(adam) + Fields{{box(999), QString::number(m_bara)}} + ending(),
        form(adam) + choice + Fields{{"max", "1"}, {"submit", "Odeslat"}}};
    QByteArrayList requests;
    for (const Fields &fields : malformed)
        requests << postLine("vysledky.php", fields);
    // A text that is not UTF-8.
    requests << postLine("vysledky.php", form(adam) + ending()) + '&' + QUrl::toPercentEncoding(box(m_text)) +
                    "=%FF%FE";
    requests << getLine("vysledky.php");
    const QList<Reply> refused = send(requests, 1);
    EXPECT_EQ(statuses(refused), QList<int>(requests.size(), 400));
    for (const Reply &reply : refused) {
        EXPECT_TRUE(reply.body.contains("Odpověď nebyla přijata")) << reply.body.toStdString();
        EXPECT_TRUE(reply.body.contains(kRobots));
    }

    // Well formed, but no pupil of this session has it.
    const QList<Reply> unknown =
        send({postLine("vysledky.php", form(guessed) + choice + ending()),
              postLine("vysledky.php", form(theirs.value(m_adam)) + choice + ending()),
              postLine("vysledky.php", form(theirs.value(m_bara).toLower()) + ending())},
             1);
    EXPECT_EQ(statuses(unknown), (QList<int>{403, 403, 403}));
    EXPECT_TRUE(unknown.value(0).body.contains("neplatí")) << unknown.value(0).body.toStdString();
    EXPECT_FALSE(QFileInfo::exists(site("data.php")));
    EXPECT_FALSE(QFileInfo::exists(site("data.csv")));

    // The pupil comes from the code, typed in any case and with blanks; each post is numbered by where its
    // lines begin in the file.
    const Reply saved = post("vysledky.php", form(adam) + choice +
                                                 Fields{{box(m_who, true), QString::number(m_cyril)},
                                                        {box(m_text), "ahoj, světe"}} +
                                                 ending());
    EXPECT_EQ(saved.status, 200);
    EXPECT_TRUE(saved.body.contains("Odpovědi jsou uložené. Můžeš je změnit, když se přihlásíš kódem znovu."))
        << saved.body.toStdString();
    EXPECT_TRUE(saved.body.contains(kRobots));
    QString cyril = mine.value(m_cyril).toLower();
    cyril.replace(u'-', QStringLiteral("  "));
    EXPECT_EQ(
        post("vysledky.php", form(cyril) + Fields{{box(m_grade), QString::number(m_b)}} + ending()).status,
        200);

    const QList<DataLine> lines = data();
    ASSERT_EQ(lines.size(), 4);
    const QString s = QString::number(m_session);
    QStringList plain;
    for (const DataLine &line : lines)
        plain << withoutTime(line);
    EXPECT_EQ(plain,
              (QStringList{QStringLiteral("%1,%2,1,%3,%4,-").arg(s).arg(m_who).arg(m_adam).arg(m_bara),
                           QStringLiteral("%1,%2,0,%3,%4,-").arg(s).arg(m_who).arg(m_adam).arg(m_cyril),
                           QStringLiteral("%1,%2,1,%3,-1,\"ahoj| světe\"").arg(s).arg(m_text).arg(m_adam),
                           QStringLiteral("%1,%2,1,%3,%4,-").arg(s).arg(m_grade).arg(m_cyril).arg(m_b)}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[i].fields.value(7), QString::number(kGuard.size()));
    EXPECT_EQ(lines[3].fields.value(7), QString::number(lines[3].offset));
}

TEST_F(CollectorTest, NoPageShowsANameWithoutAValidCodeAndTheServersFilesAreNotServed) {
    // Something for every file the server keeps: an answer and a logged fault.
    const QString adam = codes(m_session).value(m_adam);
    ASSERT_EQ(post("vysledky.php", form(adam) + Fields{{box(m_text), "tajné přání"}} + ending()).status, 200);
    const QByteArray allowed = readFile(site("povolene.php"));
    writeFile(site("povolene.php"), allowed.left(allowed.size() / 2)); // cut short
    ASSERT_EQ(post("vysledky.php", form(adam) + ending()).status, 503);
    writeFile(site("povolene.php"), allowed);
    ASSERT_TRUE(readFile(site("chyby.php")).contains("povolene.php"));

    const QList<Reply> files =
        send({getLine("data.php"), getLine("chyby.php"), getLine("kody.php"), getLine("povolene.php"),
              getLine(QStringLiteral("zak_%1.php").arg(m_adam))},
             1);
    ASSERT_EQ(files.size(), 5);
    for (const Reply &reply : files) {
        EXPECT_TRUE(reply.status == 404 || reply.body.isEmpty()) << reply.status << reply.body.toStdString();
        EXPECT_FALSE(reply.body.contains("tajné")) << reply.body.toStdString();
        EXPECT_FALSE(reply.body.contains("povolene")) << reply.body.toStdString();
        EXPECT_FALSE(reply.body.contains(QString::fromLatin1(PupilCodes::hashOf(adam))));
        EXPECT_FALSE(holdsAName(reply.body)) << reply.body.toStdString();
    }
    EXPECT_EQ(files[0].status, 404);
    EXPECT_EQ(files[4].status, 404); // a form page asked for directly

    const Reply index = get("index.php");
    EXPECT_EQ(index.status, 200);
    EXPECT_TRUE(index.body.contains("name=\"kod\"")) << index.body.toStdString();
    EXPECT_TRUE(index.body.contains(kRobots));
    EXPECT_FALSE(holdsAName(index.body)) << index.body.toStdString();
    EXPECT_FALSE(index.body.contains("zak_"));
    const Reply root = send({"index.php GET"}, 1).value(0);
    EXPECT_EQ(root.status, 200);
    EXPECT_TRUE(root.body.contains(QStringLiteral("href=\"%1/index.php\"").arg(m_session)))
        << root.body.toStdString();
    EXPECT_FALSE(holdsAName(root.body));
    EXPECT_TRUE(root.body.contains(kRobots));

    // A wrong code: the entry page again, no name.
    const Reply wrong = post("index.php", {{"kod", "2222-2222"}});
    EXPECT_EQ(wrong.status, 403);
    EXPECT_TRUE(wrong.body.contains("Tento kód neplatí.")) << wrong.body.toStdString();
    EXPECT_TRUE(wrong.body.contains("name=\"kod\""));
    EXPECT_FALSE(holdsAName(wrong.body));
    EXPECT_EQ(post("index.php", {}).status, 403);

    // The right code opens exactly that pupil's form, which carries the code and no pupil id.
    const Reply opened = post("index.php", {{"kod", " " + adam.toLower() + " "}});
    EXPECT_EQ(opened.status, 200);
    EXPECT_TRUE(opened.body.contains("<H1>Dotazník pro žáka Adam Velký &amp; syn</H1>"))
        << opened.body.toStdString();
    EXPECT_TRUE(opened.body.contains(
        QStringLiteral("<input name=\"kod\" type=\"hidden\" value=\"%1\">").arg(QString(adam).remove(u'-'))));
    EXPECT_FALSE(opened.body.contains("id_zaka"));
    EXPECT_FALSE(opened.body.contains("<?php"));
    EXPECT_TRUE(opened.body.contains(kRobots));
    EXPECT_TRUE(opened.body.startsWith("<!DOCTYPE")) << "nothing precedes the page";
}

TEST_F(CollectorTest, TwoHundredPupilsSendingAtOnceLoseAndMixNoLine) {
    QList<qint64> pupils = {m_adam, m_bara, m_cyril, m_dana};
    for (int i = 0; i < 196; ++i)
        pupils << addPupil(m_class, QStringLiteral("Žák%1").arg(i), QStringLiteral("Číslo"), "muž", 10 + i);
    ASSERT_NO_FATAL_FAILURE(makeSite(m_session));
    const QHash<qint64, QString> code = codes(m_session);
    ASSERT_EQ(code.size(), 200);

    QByteArrayList requests;
    QHash<qint64, QString> partnerOf, textOf;
    for (int i = 0; i < 200; ++i) {
        const qint64 pupil = pupils[i];
        const qint64 partner = pupils[(i + 1) % 200];
        // A long text makes every post several writes of PHP's 8 KiB chunks.
        const QString text = QStringLiteral("odpověď %1 ").arg(i, 3, 10, QChar('0')) +
                             QString(9000, QChar(u'ž')) + QStringLiteral(" konec %1").arg(i);
        partnerOf.insert(pupil, QString::number(partner));
        textOf.insert(pupil, u'"' + text + u'"');
        requests << postLine("vysledky.php",
                             form(code.value(pupil)) +
                                 Fields{{box(m_who), QString::number(partner)}, {box(m_text), text}} +
                                 ending());
    }
    EXPECT_EQ(statuses(send(requests, 50)), QList<int>(200, 200));

    const QList<DataLine> lines = data();
    ASSERT_EQ(lines.size(), 400);
    QHash<QString, QList<DataLine>> posts; // by post number
    for (const DataLine &line : lines) {
        ASSERT_EQ(line.fields.size(), 8) << line.fields.join(u',').left(200).toStdString();
        posts[line.fields[7]] << line;
    }
    ASSERT_EQ(posts.size(), 200);
    QSet<qint64> respondents;
    for (const auto &[number, post] : posts.asKeyValueRange()) {
        ASSERT_EQ(post.size(), 2);
        // The post number is the size of the file when the post's lines were appended.
        EXPECT_EQ(number, QString::number(post[0].offset));
        const qint64 respondent = post[0].fields[3].toLongLong();
        EXPECT_EQ(post[1].fields[3].toLongLong(), respondent);
        respondents.insert(respondent);
        for (const DataLine &line : post) {
            if (line.fields[4] == "-1")
                EXPECT_EQ(line.fields[6], textOf.value(respondent));
            else
                EXPECT_EQ(line.fields[4], partnerOf.value(respondent));
        }
    }
    EXPECT_EQ(respondents.size(), 200);
}

TEST_F(CollectorTest, AServerFaultIsAnswered503InCzechLoggedForTheTeacherAndNothingIsWritten) {
    const QString adam = codes(m_session).value(m_adam);
    const Fields valid = form(adam) + Fields{{box(m_who), QString::number(m_bara)}} + ending();

    // The answer file cannot be written (a folder stands in its place).
    ASSERT_TRUE(QDir().mkpath(site("data.php")));
    const Reply full = post("vysledky.php", valid);
    EXPECT_EQ(full.status, 503);
    EXPECT_TRUE(full.body.contains(kFault)) << full.body.toStdString();
    EXPECT_TRUE(full.body.contains(kRobots));
    EXPECT_FALSE(full.body.contains("Odpovědi jsou uložené"));
    ASSERT_TRUE(QDir(site("data.php")).removeRecursively());

    // The code list cut short by an interrupted upload: neither the entry page nor the collector works.
    const QByteArray codeList = readFile(site("kody.php"));
    writeFile(site("kody.php"), codeList.left(codeList.size() - 10));
    EXPECT_EQ(post("vysledky.php", valid).status, 503);
    const Reply entry = post("index.php", {{"kod", adam}});
    EXPECT_EQ(entry.status, 503);
    EXPECT_TRUE(entry.body.contains("sběr odpovědí na serveru nefunguje")) << entry.body.toStdString();
    EXPECT_FALSE(holdsAName(entry.body));
    writeFile(site("kody.php"), codeList);
    // The allowed ids gone.
    const QByteArray allowed = readFile(site("povolene.php"));
    QFile::remove(site("povolene.php"));
    EXPECT_EQ(post("vysledky.php", valid).status, 503);
    EXPECT_FALSE(QFileInfo::exists(site("data.php")));

    const QList<QByteArray> log = readFile(site("chyby.php")).split('\n');
    ASSERT_EQ(log.size(), 6) << "the guard, four reasons, the last line's end";
    EXPECT_EQ(log[0] + '\n', kGuard);
    const QRegularExpression line(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\t(.+)\\r$"));
    QStringList reasons;
    for (int i = 1; i < 5; ++i) {
        const QRegularExpressionMatch match = line.match(QString::fromUtf8(log[i]));
        EXPECT_TRUE(match.hasMatch()) << log[i].toStdString();
        reasons << match.captured(1);
    }
    EXPECT_TRUE(reasons[0].contains("data.php")) << reasons[0].toStdString();
    EXPECT_TRUE(reasons[1].contains("kody.php")) << reasons[1].toStdString();
    EXPECT_TRUE(reasons[2].contains("kody.php")) << reasons[2].toStdString();
    EXPECT_TRUE(reasons[3].contains("povolene.php")) << reasons[3].toStdString();
    EXPECT_TRUE(log.last().isEmpty());

    // Mended, the collector saves again.
    writeFile(site("povolene.php"), allowed);
    EXPECT_EQ(post("vysledky.php", valid).status, 200);
    EXPECT_EQ(data().size(), 1);
}

TEST_F(CollectorTest, WithoutCodesThePagesNameThePupilsAndTheFormPostsItsId) {
    collectWithoutCodes();
    ASSERT_NO_FATAL_FAILURE(makeSite(m_session));
    const Reply index = get("index.php");
    EXPECT_EQ(index.status, 200);
    EXPECT_TRUE(index.body.contains(
        QStringLiteral("<a href=\"zak_%1.php\">Bára &lt;b&gt;Malá&lt;/b&gt;</a>").arg(m_bara)))
        << index.body.toStdString();
    EXPECT_TRUE(index.body.contains(kRobots));
    const Reply page = get(QStringLiteral("zak_%1.php").arg(m_adam));
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains(
        QStringLiteral("<input name=\"id_zaka\" type=\"hidden\" value=\"%1\">").arg(m_adam)));

    const Fields open = {{"id_vyhodnoceni", QString::number(m_session)},
                         {"id_zaka", QString::number(m_adam)}};
    const Fields choice = {{box(m_who), QString::number(m_bara)}};
    EXPECT_EQ(
        statuses(send({postLine("vysledky.php", open + Fields{{"kod", "2222-2222"}} + choice + ending()),
                       postLine("vysledky.php", Fields{{"id_vyhodnoceni", QString::number(m_session)},
                                                       {"id_zaka", QString::number(m_stranger)}} +
                                                    choice + ending())},
                      1)),
        (QList<int>{400, 400}));
    EXPECT_EQ(post("vysledky.php", open + choice + ending()).status, 200);
    const QList<DataLine> lines = data();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(withoutTime(lines[0]),
              QStringLiteral("%1,%2,1,%3,%4,-").arg(m_session).arg(m_who).arg(m_adam).arg(m_bara));
    EXPECT_FALSE(QFileInfo::exists(site("data.csv")));
}

TEST_F(CollectorTest, TheSiteHoldsWhatPublishingUploadsAndKeepsTheAnswersCollectedInIt) {
    const auto tree = [&] {
        QStringList files;
        QDirIterator it(m_www.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(m_www.path()).relativeFilePath(it.next());
        files.sort();
        return files;
    };
    const QString s = QString::number(m_session) + u'/';
    QStringList expected = {"index.php", "style.css"};
    for (const WebPublishing::Upload &upload : WebPublishing::sessionUploads(m_folders, m_session)) {
        expected << s + upload.remote;
        EXPECT_EQ(readFile(m_www.path() + u'/' + s + upload.remote), readFile(upload.local))
            << upload.remote.toStdString();
    }
    expected.sort();
    EXPECT_EQ(tree(), expected);
    for (const char *name : {"vysledky.php", "kody.php", "povolene.php", ".htaccess", "index.php"})
        EXPECT_TRUE(expected.contains(s + name)) << name;
    EXPECT_EQ(expected.filter("zak_").size(), 4);
    EXPECT_EQ(readFile(site("vysledky.php")), WebFiles::collectorScript());
    EXPECT_EQ(readFile(m_www.path() + "/style.css"), WebFiles::styleSheet());

    // Made again after a pupil left: his page goes, the answers the site collected stay.
    const QString adam = codes(m_session).value(m_adam);
    ASSERT_EQ(
        post("vysledky.php", form(adam) + Fields{{box(m_who), QString::number(m_bara)}} + ending()).status,
        200);
    const QByteArray answers = readFile(site("data.php"));
    m_db.exec(QStringLiteral("DELETE FROM zak WHERE ID = :z"), {{"z", m_dana}});
    ASSERT_NO_FATAL_FAILURE(makeSite(m_session));
    EXPECT_FALSE(QFileInfo::exists(site(QStringLiteral("zak_%1.php").arg(m_dana))));
    EXPECT_EQ(readFile(site("data.php")), answers);
    EXPECT_EQ(codes(m_session).value(m_adam), adam) << "the printed codes stay valid";
    EXPECT_EQ(post("vysledky.php", form(adam) + ending()).status, 200);
}

} // namespace
