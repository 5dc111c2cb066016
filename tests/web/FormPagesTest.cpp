#include "web/WebFixture.h"

#include "data/PupilKinds.h"
#include "web/FormPages.h"
#include "web/PupilCodes.h"
#include "web/ResultImport.h"
#include "web/WebFiles.h"

#include <QBuffer>
#include <QRegularExpression>

#include <sys/stat.h>

namespace {

const QString kRobots = QStringLiteral("    <meta name=\"robots\" content=\"noindex\">");

class FormPagesTest : public WebFixture {
protected:
    // A generated file; plain pages begin with a byte-order mark, pages that begin with PHP must not.
    QString page(const QString &name, bool bom) {
        const QByteArray bytes = readFile(FormPages::sessionFolder(m_folders, m_session) + name);
        EXPECT_EQ(bytes.startsWith("\xEF\xBB\xBF"), bom) << name.toStdString();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"))
            << "every line ends in CR LF: " << name.toStdString();
        return QString::fromUtf8(bom ? bytes.mid(3) : bytes);
    }
    QString file(const QString &name) {
        return QString::fromUtf8(readFile(FormPages::sessionFolder(m_folders, m_session) + name));
    }
};

TEST_F(FormPagesTest, PagesOfferWhatEachQuestionAdmitsEscapedOneChoiceToARow) {
    addPupil(m_class, "Eva", "Nová", "žena", 8);
    addPupil(m_class, "Filip", "Starý", "muž", 9);
    const auto result = FormPages::generate(m_db, m_folders, m_session);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->pages, 6); // the real pupils, not the option rows

    const QStringList adam = page(QStringLiteral("zak_%1.php").arg(m_adam), false).split("\r\n");
    EXPECT_TRUE(adam.contains("    <title>Dotazník Adam Velký &amp; syn</title>"));
    EXPECT_TRUE(adam.contains(kRobots));
    EXPECT_TRUE(adam.contains(
        QStringLiteral("  <input name=\"id_vyhodnoceni\" type=\"hidden\" value=\"%1\">").arg(m_session)));
    // A phone shows the page at its own width, and the pupil may zoom.
    EXPECT_EQ(adam[1], "<!DOCTYPE html>"); // after the guard
    EXPECT_TRUE(
        adam.contains("    <meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
    // Each half of a question a group named by its legend and described by its hint.
    EXPECT_TRUE(adam.contains(
        QStringLiteral("     <fieldset class=\"otazka\" id=\"otazka_%1\" aria-describedby=\"popis_%1\">")
            .arg(m_who)));
    EXPECT_TRUE(adam.contains("     <legend class=\"ot_poz\">1. S kým &quot;sedíš&quot;?</legend>"));
    EXPECT_TRUE(adam.contains(
        QStringLiteral(
            "     <p class=\"popis_pod\" id=\"popis_%1\">Vyber &lt;nejvýš&gt; tři.<br>Děkujeme.</p>")
            .arg(m_who)));
    EXPECT_TRUE(adam.contains("     <legend class=\"ot_neg\">1-2. S kým ne?</legend>"));
    EXPECT_TRUE(
        adam.contains(QStringLiteral("     <p class=\"popis_pod\" id=\"popis_neg_%1\">Vyber &lt;nejvýš&gt; "
                                     "tři.<br>Děkujeme.</p>")
                          .arg(m_who)));
    EXPECT_EQ(adam.filter("<fieldset").size(), 4);
    EXPECT_EQ(adam.filter("</fieldset>").size(), 4);
    // Pupils only learn about the school's server: one style sheet, no web-font service.
    EXPECT_EQ(adam.filter("<link").size(), 1);
    EXPECT_TRUE(adam.contains("    <link rel=\"stylesheet\" href=\"../style.css\" type=\"text/css\">"));

    // The classic question: every classmate and the "---" row, never Adam himself, a row each.
    const QString who = QStringLiteral("ot_%1[]").arg(m_who);
    const QStringList boxes = adam.filter("name=\"" + who + "\"");
    ASSERT_EQ(boxes.size(), 6);
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("value=\"%1\"").arg(m_bara)));
    EXPECT_TRUE(boxes[0].startsWith("     <label class=\"volba\"><input "));
    EXPECT_TRUE(boxes[0].endsWith("><span>Bára &lt;b&gt;Malá&lt;/b&gt;</span></label>"));
    EXPECT_EQ(adam.indexOf(boxes[5]), adam.indexOf(boxes[4]) + 1);
    EXPECT_TRUE(adam.filter("<input").filter("checked").isEmpty())
        << "nothing is ticked before the pupil ticks it";
    EXPECT_TRUE(adam.filter("Checkbox").filter(QStringLiteral("value=\"%1\"").arg(m_adam)).isEmpty());
    EXPECT_EQ(adam.filter(QStringLiteral("ot_neg_%1[]").arg(m_who)).size(), 6);
    // Kind 1: exactly the letters; kind 4: one text area and no box.
    const QStringList grade = adam.filter(QStringLiteral("ot_%1[]").arg(m_grade));
    ASSERT_EQ(grade.size(), 2);
    EXPECT_TRUE(grade[0].contains(QStringLiteral("value=\"%1\"").arg(m_a)));
    EXPECT_EQ(
        adam.filter(QStringLiteral("ot_%1[]").arg(m_text)),
        QStringList{QStringLiteral("     <textarea id=\"text_%1\" name=\"ot_%1[]\" rows=\"7\" cols=\"120\">"
                                   "</textarea>")
                        .arg(m_text)});
    EXPECT_TRUE(adam.contains(
        QStringLiteral("     <label class=\"text\" for=\"text_%1\">Tvoje odpověď</label>").arg(m_text)));
    // The steps of the script, hidden without it; the one send button either way.
    EXPECT_TRUE(adam.contains("    <p class=\"pocet\" id=\"pocet\" aria-live=\"polite\"></p>"));
    EXPECT_EQ(adam.filter("type=\"submit\"").size(), 1);
    EXPECT_EQ(adam.filter("<script>").size(), 1);
    EXPECT_TRUE(
        adam.contains(QStringLiteral("    <input name=\"max\" type=\"hidden\" value=\"%1\">").arg(m_text)));

    // A pupil who left the class loses his page at the next generation.
    m_db.exec(QStringLiteral("DELETE FROM zak WHERE ID = :z"), {{"z", m_dana}});
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    EXPECT_FALSE(QFileInfo::exists(FormPages::sessionFolder(m_folders, m_session) +
                                   QStringLiteral("zak_%1.php").arg(m_dana)));
    // No questionnaire, no pages.
    const qint64 empty = insert("INSERT INTO vyhodnoceni (id_tridy, datum) VALUES (1, '2024-01-01')");
    EXPECT_FALSE(FormPages::generate(m_db, m_folders, empty));
}

// The hint's "nejvýše N" (digits or a Czech number word, any case) is the most ticks the page takes.
TEST_F(FormPagesTest, TheLimitAHintStatesBecomesTheMostTicksTheQuestionTakes) {
    const QList<std::pair<QString, QString>> hints = {
        {QStringLiteral("Vyber nejvýše jednoho spolužáka."), QStringLiteral(" data-max=\"1\"")},
        {QStringLiteral("Napiš NEJVÝŠE dvě jména."), QStringLiteral(" data-max=\"2\"")},
        {QStringLiteral("nejvýše 12"), QStringLiteral(" data-max=\"12\"")},
        {QStringLiteral("Vyber nejvýše deset."), QStringLiteral(" data-max=\"10\"")},
        {QStringLiteral("Vyber, koho chceš."), QString()}};
    for (const auto &[hint, limit] : hints) {
        m_db.exec(QStringLiteral("UPDATE otazky SET popis_pro_web = :d WHERE ID = :q"), {{"d", hint}, {"q", m_who}});
        ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
        const QStringList adam = page(QStringLiteral("zak_%1.php").arg(m_adam), false).split("\r\n");
        for (const QString &key : {QString::number(m_who), QStringLiteral("neg_%1").arg(m_who)})
            EXPECT_TRUE(adam.contains(QStringLiteral("     <fieldset class=\"otazka\" id=\"otazka_%1\"%2 "
                                                     "aria-describedby=\"popis_%1\">")
                                          .arg(key, limit)))
                << hint.toStdString() << " " << key.toStdString();
    }
}

TEST_F(FormPagesTest, WithCodesOnlyTheCodeOpensAFormAndNoPublicPageNamesAPupil) {
    // A name that is PHP code stays text.
    const qint64 tricky = addPupil(m_class, "<?php echo 'X'; ?>", "Eva", "žena", 8);
    const auto result = FormPages::generate(m_db, m_folders, m_session, FormPages::Collection::WithCodes);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->files,
              (QStringList{QStringLiteral("zak_%1.php").arg(m_adam), QStringLiteral("zak_%1.php").arg(m_bara),
                           QStringLiteral("zak_%1.php").arg(m_cyril),
                           QStringLiteral("zak_%1.php").arg(m_dana), QStringLiteral("zak_%1.php").arg(tricky),
                           "index.php", "kody.php", "povolene.php", ".htaccess"}));

    // The entry page: PHP first, the code field, and no name or page address anywhere.
    const QString index = page("index.php", false);
    EXPECT_TRUE(index.startsWith("<?php\r\n"));
    EXPECT_TRUE(index.contains("  <form action=\"index.php\" method=\"post\">"));
    EXPECT_TRUE(index.contains("<input id=\"kod\" name=\"kod\" type=\"text\""));
    EXPECT_TRUE(index.contains("  <label class=\"kod\" for=\"kod\">Kód z lístku</label>"));
    EXPECT_TRUE(index.contains(kRobots));
    EXPECT_TRUE(index.contains("define('ORBELIS_FORMULAR', true);"));
    EXPECT_TRUE(index.contains("hash('sha256', $kod)"));
    for (const char *name : {"Adam", "Velký", "Bára", "Malá", "Cyril", "Dana", "Eva"})
        EXPECT_FALSE(index.contains(name)) << name;
    EXPECT_FALSE(index.contains("<a href"));

    // A form page: the guard first, then the page; it posts the accepted code and no pupil id.
    const QStringList adam = page(QStringLiteral("zak_%1.php").arg(m_adam), false).split("\r\n");
    EXPECT_EQ(adam[0], QLatin1String(FormPages::kFormGuard));
    EXPECT_EQ(adam[0], "<?php if (!defined('ORBELIS_FORMULAR')) { http_response_code(404); exit; } ?>");
    EXPECT_TRUE(
        adam.contains("  <input name=\"kod\" type=\"hidden\" value=\"<?php echo htmlspecialchars($kod, "
                      "ENT_QUOTES, 'UTF-8'); ?>\">"));
    EXPECT_TRUE(adam.filter("id_zaka").isEmpty());
    EXPECT_TRUE(adam.contains("  <H1>Dotazník pro žáka Adam Velký &amp; syn</H1>"));
    // Only the guard and the code are PHP; the tricky name is escaped on every page.
    for (const QString &name : result->files.filter("zak_")) {
        const QString text = page(name, false);
        EXPECT_EQ(text.count("<?"), 2) << name.toStdString();
        EXPECT_TRUE(text.startsWith(QLatin1String(FormPages::kFormGuard) + "\r\n<!DOCTYPE"))
            << name.toStdString();
    }
    EXPECT_TRUE(
        page(QStringLiteral("zak_%1.php").arg(m_adam), false).contains("&lt;?php echo 'X'; ?&gt; Eva"));

    // The code list: the SHA-256 of each pupil's code, nothing else; kept when the pages are made again.
    const QList<PupilCode> codes = PupilCodes::read(m_db, m_session);
    ASSERT_EQ(codes.size(), 5);
    const QString list = file("kody.php");
    QStringList expected;
    for (const PupilCode &code : codes) {
        EXPECT_EQ(code.code.size(), 9);
        expected << QStringLiteral("  '%1' => %2,")
                        .arg(QString::fromLatin1(PupilCodes::hashOf(code.code)))
                        .arg(code.pupilId);
        EXPECT_FALSE(list.contains(code.code)) << "the server keeps no code";
        EXPECT_FALSE(list.contains(QString(code.code).remove(u'-')));
    }
    EXPECT_EQ(
        list,
        "<?php\n// Written by Orbelis with the forms of this folder: the SHA-256 of each pupil's code and "
        "the pupil it opens.\nreturn array(\n" +
            expected.join(u'\n') + "\n);\n");
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    EXPECT_EQ(file("kody.php"), list);

    EXPECT_TRUE(file("povolene.php").contains("\n  'kody' => true,\n"));
    EXPECT_TRUE(
        readFile(FormPages::sessionFolder(m_folders, m_session) + "povolene.php").startsWith("<?php\n"));
    // Apache serves none of the server's own files.
    EXPECT_TRUE(
        file(".htaccess")
            .contains("<FilesMatch \"^(data\\.csv|data\\.php|chyby\\.php|kody\\.php|povolene\\.php)$\">"));
}

TEST_F(FormPagesTest, WithoutCodesTheIndexListsThePupilsAndEachFormPostsItsPupil) {
    addPupil(m_class, "Eva", "Nová", "žena", 8);
    const auto result = FormPages::generate(m_db, m_folders, m_session, FormPages::Collection::Open);
    ASSERT_TRUE(result);
    const QStringList index = page("index.php", true).split("\r\n");
    EXPECT_EQ(index.filter("<a href=\"zak_").size(), 5);
    EXPECT_TRUE(index.contains(
        QStringLiteral("  <li><a href=\"zak_%1.php\">Bára &lt;b&gt;Malá&lt;/b&gt;</a></li>").arg(m_bara)));
    EXPECT_TRUE(index.contains(kRobots));
    EXPECT_TRUE(index.filter("<?").isEmpty());

    const QStringList adam = page(QStringLiteral("zak_%1.php").arg(m_adam), true).split("\r\n");
    EXPECT_TRUE(adam[0].startsWith("<!DOCTYPE"));
    EXPECT_TRUE(
        adam.contains(QStringLiteral("  <input name=\"id_zaka\" type=\"hidden\" value=\"%1\">").arg(m_adam)));
    EXPECT_TRUE(adam.filter("name=\"kod\"").isEmpty());
    EXPECT_TRUE(adam.contains(kRobots));

    EXPECT_TRUE(file("povolene.php").contains("\n  'kody' => false,\n"));
    EXPECT_TRUE(file("kody.php").endsWith("return array(\n);\n"));
    EXPECT_TRUE(PupilCodes::read(m_db, m_session).isEmpty()) << "no codes are made for open forms";
}

// The pages are made again as a whole folder that takes the old one's place: what else the folder held
// (the answers downloaded from the server, a folder of the school's own) stays as it was, the folder keeps
// its permissions, and no temporary folder is left beside it, nor one a killed run left.
TEST_F(FormPagesTest, MakingThePagesAgainKeepsTheDownloadedAnswersAndLeavesNoTemporaryFolder) {
    const QString folder = FormPages::sessionFolder(m_folders, m_session);
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    writeFile(folder + "data.php", "<?php http_response_code(404); exit; ?>\r\nodpovědi\r\n");
    writeFile(folder + "chyby.php", "záznam");
    ASSERT_TRUE(QDir().mkpath(folder + "obrazky"));
    writeFile(folder + "obrazky/logo.txt", "logo");
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                  QFile::ReadGroup | QFile::ExeGroup));
    const QString html = m_folders.dataFolder + "html/";
    const QString killed = html + QStringLiteral("%1.orbelis-k1ll3d/").arg(m_session);
    ASSERT_TRUE(QDir().mkpath(killed));
    writeFile(killed + "zak_1.php", "zbytek");
    const QByteArray adam = readFile(folder + QStringLiteral("zak_%1.php").arg(m_adam));

    addPupil(m_class, "Eva", "Nová", "žena", 8);
    const auto again = FormPages::generate(m_db, m_folders, m_session);
    ASSERT_TRUE(again);
    EXPECT_EQ(readFile(folder + "data.php"), "<?php http_response_code(404); exit; ?>\r\nodpovědi\r\n");
    EXPECT_EQ(readFile(folder + "chyby.php"), "záznam");
    EXPECT_EQ(readFile(folder + "obrazky/logo.txt"), "logo");
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0750u);
    // The new pupil's page is there, the others are made again.
    EXPECT_EQ(again->pages, 5);
    EXPECT_NE(readFile(folder + QStringLiteral("zak_%1.php").arg(m_adam)), adam) << "Eva is offered to Adam";
    EXPECT_EQ(QDir(html).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QString::number(m_session)});
    QStringList expected = again->files;
    expected << "chyby.php" << "data.php" << "obrazky";
    expected.sort();
    QStringList present = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    present.sort();
    EXPECT_EQ(present, expected);
}

// One page builder for all pages of a session: a page offers exactly what the question admits to this
// pupil, five boxes to a row counted after the pupil himself is left out, whoever he is in the list.
TEST_F(FormPagesTest, EveryPupilsPageCountsItsRowsWithoutThePupil) {
    for (int i = 0; i < 8; ++i)
        addPupil(m_class, QStringLiteral("Žák%1").arg(i).toUtf8().constData(), "Nový", "muž", 10 + i);
    const auto forms = SessionForms::read(m_db, m_session);
    ASSERT_TRUE(forms);
    const FormPages::PupilPages pages(*forms, FormPages::Collection::Open);
    for (const SessionForms::Row &pupil : forms->respondents()) {
        if (!PupilKinds::isRealPupil(pupil.kind))
            continue;
        const QByteArray bytes = pages.page(pupil);
        ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n");
        // The first question's positive list, between its <div> and </div>.
        const qsizetype open = lines.indexOf("     <div class=\"odpovedi\">");
        ASSERT_GE(open, 0);
        const QStringList list = lines.mid(open + 1, lines.indexOf("     </div>", open) - open - 1);
        ASSERT_EQ(forms->questions.first().id, m_who);
        const QList<SessionForms::Row> partners = forms->partners(forms->questions.first(), pupil.id);
        ASSERT_GT(partners.size(), 10);
        QStringList expected;
        for (const SessionForms::Row &partner : partners)
            expected << QStringLiteral("     <label class=\"volba\"><input name=\"ot_%1[]\" value=\"%2\" "
                                       "type=\"Checkbox\"><span>")
                                .arg(m_who)
                                .arg(partner.id) +
                            partner.name.toHtmlEscaped() + "</span></label>";
        EXPECT_EQ(list, expected) << pupil.name.toStdString();
    }
}

TEST_F(FormPagesTest, ACollectorFromBeforeTheCodesIsReplacedAndKeptAnAdaptedOneStays) {
    const QString collector = m_folders.dataFolder + "vysledky.php";
    writeFile(collector, "<?php // an older collector appending id_zaka posts to data.csv\n");
    // A style sheet from before the phone layout would squeeze the choices into columns on a phone.
    const QString style = m_folders.dataFolder + "style.css";
    writeFile(style, "body { color: red; }\n");
    WebFiles::restoreMissing(m_folders.dataFolder);
    EXPECT_EQ(readFile(collector), WebFiles::collectorScript());
    EXPECT_EQ(readFile(collector + ".stary"),
              "<?php // an older collector appending id_zaka posts to data.csv\n");
    EXPECT_EQ(readFile(style), WebFiles::styleSheet());
    EXPECT_EQ(readFile(style + ".stary"), "body { color: red; }\n");

    const QByteArray adapted = WebFiles::collectorScript() + "// adapted by the school\n";
    const QByteArray adaptedStyle = WebFiles::styleSheet() + "h1 { color: #004d00; }\n";
    writeFile(collector, adapted);
    writeFile(style, adaptedStyle);
    WebFiles::restoreMissing(m_folders.dataFolder);
    EXPECT_EQ(readFile(collector), adapted);
    EXPECT_EQ(readFile(style), adaptedStyle);
}

class ResultImportTest : public WebFixture {
protected:
    ResultImport::Counts import(const QByteArray &csv) {
        QBuffer buffer;
        buffer.setData(csv);
        buffer.open(QIODevice::ReadOnly);
        return ResultImport::importAnswers(m_db, ResultImport::parse(buffer));
    }
    QByteArray line(qint64 q, const char *b, qint64 r, qint64 p, const QByteArray &text) {
        return QStringLiteral("%1,%2,%3,%4,%5,2024-03-01 10:00:00,")
                   .arg(m_session)
                   .arg(q)
                   .arg(QString::fromLatin1(b))
                   .arg(r)
                   .arg(p)
                   .toUtf8() +
               text + "\r\n";
    }
};

TEST_F(ResultImportTest, ChecksEveryValueAndAddsOnlyNewAnswersOnce) {
    const QByteArray good = line(m_who, "1", m_adam, m_bara, "-") + line(m_who, "0", m_adam, m_cyril, "-") +
                            line(m_grade, "1", m_bara, m_a, "") +
                            line(m_text, "1", m_cyril, -1, "\"Ahoj| \"svět\"_NEW_LINEžluťoučký 'kůň'\"");
    const QByteArray bad =
        // a statement smuggled into an id, a polarity that is no yes/no value
        QStringLiteral("%1,%2,1,%3,%4); DELETE FROM odpovedi; --,x,-\r\n")
            .arg(m_session)
            .arg(m_who)
            .arg(m_adam)
            .arg(m_bara)
            .toUtf8() +
        line(m_who, "snad", m_adam, m_dana, "-") +
        line(m_who, "1", m_adam, m_stranger, "-") +     // a pupil of another class
        line(m_who, "1", m_stranger, m_adam, "-") +     // a respondent of another class
        line(m_who, "1", m_adam, m_adam, "-") +         // himself
        line(m_grade, "1", m_adam, m_bara, "-") +       // a pupil offered by no letter question
        line(m_grade, "0", m_adam, m_b, "-") +          // no negative wording
        line(m_text, "1", m_adam, m_bara, "\"text\"") + // a text needs partner -1
        line(m_who, "1", m_adam, m_dana, "\"a text on a choice\"") +
        QStringLiteral("%1,99999,1,%2,%3,x,-\r\n").arg(m_session).arg(m_adam).arg(m_bara).toUtf8() +
        QStringLiteral("999,%1,1,%2,%3,x,-\r\n").arg(m_who).arg(m_adam).arg(m_bara).toUtf8() + "1,2,3\r\n" +
        "no comma at all\r\n";
    const QStringList before = snapshot();

    const ResultImport::Counts first = import("\xEF\xBB\xBF" + good + bad + good);
    EXPECT_EQ(first.read, 4 + 12 + 4);
    EXPECT_EQ(first.added, 4);
    EXPECT_EQ(first.rejected, 12);
    EXPECT_EQ(first.problems.size(), 12);
    EXPECT_EQ(answers(m_session),
              (QStringList{
                  QStringLiteral("%1|0|%2|%3|").arg(m_who).arg(m_adam).arg(m_cyril),
                  QStringLiteral("%1|1|%2|%3|").arg(m_who).arg(m_adam).arg(m_bara),
                  QStringLiteral("%1|1|%2|%3|").arg(m_grade).arg(m_bara).arg(m_a),
                  QStringLiteral("%1|1|%2|-1|Ahoj, \"svět\"\r\nžluťoučký 'kůň'").arg(m_text).arg(m_cyril)}));
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 4);

    const QStringList after = snapshot();
    const ResultImport::Counts second = import(good + bad);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(snapshot(), after);
    EXPECT_NE(before, after);
}

TEST_F(ResultImportTest, AFailingStatementLeavesNoAnswerBehind) {
    // A trigger makes the third insert fail: the first two must not stay.
    m_db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON odpovedi WHEN NEW.id_zaka = %1 "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                  .arg(m_cyril));
    const QByteArray csv = line(m_who, "1", m_adam, m_bara, "-") + line(m_who, "1", m_bara, m_adam, "-") +
                           line(m_who, "1", m_cyril, m_adam, "-");
    EXPECT_THROW(import(csv), DatabaseError);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 0);
}

} // namespace
