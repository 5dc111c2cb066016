// The pupils' codes of the web forms: how they are made and kept, what deleting takes with it, the
// headless `codes` command and the cut-out slips "Kódy pro žáky" as PDF and .docx.
#include "web/WebFixture.h"

#include "../automation/DocxPackage.h"
#include "../cli/CliRun.h"
#include "data/ClassRules.h"
#include "data/DatabaseMaintenance.h"
#include "data/QuestionnaireRules.h"
#include "data/RosterRules.h"
#include "data/SessionRules.h"
#include "web/CodeSlips.h"
#include "web/FormPages.h"
#include "web/PupilCodes.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString kAlphabet = QStringLiteral("23456789ABCDEFGHJKLMNPQRSTUVWXYZ");
const QRegularExpression kShownCode(QStringLiteral("^[2-9A-HJ-NP-Z]{4}-[2-9A-HJ-NP-Z]{4}$"));

class PupilCodesTest : public WebFixture {
protected:
    // The stored codes as "session|pupil|code", sorted.
    QStringList stored() {
        QStringList rows;
        SqlQuery query(m_db, QStringLiteral("SELECT id_vyhodnoceni, id_zaka, kod FROM kody_zaku"));
        query.exec();
        while (query.next())
            rows << query.value(0).toString() + u'|' + query.value(1).toString() + u'|' + query.value(2).toString();
        rows.sort();
        return rows;
    }
    static QList<qint64> idsOf(const QList<PupilCode> &codes) {
        QList<qint64> ids;
        for (const PupilCode &code : codes)
            ids << code.pupilId;
        return ids;
    }
    static QStringList codesOf(const QList<PupilCode> &codes) {
        QStringList list;
        for (const PupilCode &code : codes)
            list << code.code;
        return list;
    }
    static QString run(const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(120000))
            return QString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    void setSiteAddress(const QString &address) {
        writeFile(m_folders.programSettingsPath(), ("[ftp]\r\nstranky=" + address + "\r\n").toUtf8());
    }
    CliRun cli(const QStringList &args) { return runCliOn(m_folders.dataFolder, m_folders.programFolder, args); }
    // Nine more real pupils: thirteen slips, three pages.
    void addNinePupils() {
        for (int i = 0; i < 9; ++i)
            addPupil(m_class, QStringLiteral("Žák%1").arg(i), QStringLiteral("Příjmení%1").arg(i),
                     i % 2 ? "žena" : "muž", 10 + i);
    }
};

TEST(PupilCodeText, NewCodesAreEightCharactersOfTheUnambiguousAlphabetEachDrawnFromAllOfIt) {
    QSet<QString> seen;
    QList<QSet<QChar>> byPosition(8);
    for (int i = 0; i < 3000; ++i) {
        const QString code = PupilCodes::newCode();
        ASSERT_TRUE(kShownCode.match(code).hasMatch()) << code.toStdString();
        seen.insert(code);
        const QString plain = code.left(4) + code.mid(5);
        for (int p = 0; p < 8; ++p)
            byPosition[p].insert(plain[p]);
    }
    EXPECT_EQ(seen.size(), 3000); // 40 bits: no two alike
    // Every position takes every one of the 32 characters: 5 bits each.
    for (int p = 0; p < 8; ++p)
        EXPECT_EQ(byPosition[p].size(), 32) << "position " << p;
}

TEST(PupilCodeText, ATypedCodeIsReadInAnyCaseWithOrWithoutTheDashAndHashedAsTheServerKeepsIt) {
    EXPECT_EQ(PupilCodes::normalised("K7QM-D2XA"), "K7QMD2XA");
    EXPECT_EQ(PupilCodes::normalised(" k7qm d2xa\t"), "K7QMD2XA");
    EXPECT_EQ(PupilCodes::normalised("k7-qm-d2-xa"), "K7QMD2XA");
    for (const char *bad : {"K7QM-D2X", "K7QM-D2XAB", "K7QM-D2XO", "K7QM-D2X1", "K7QM-D2X_", "", "Ř7QM-D2XA"})
        EXPECT_EQ(PupilCodes::normalised(QString::fromUtf8(bad)), QString()) << bad;
    // SHA-256 of "K7QMD2XA", as PHP's hash('sha256', …) gives it.
    const QByteArray expected = "83d843cedc323fbb3be907f892023cea91756f4276f6f41796986be5416fb624";
    EXPECT_EQ(PupilCodes::hashOf("K7QM-D2XA"), expected);
    EXPECT_EQ(PupilCodes::hashOf("k7qmd2xa"), expected);
    EXPECT_EQ(PupilCodes::hashOf("K7QM-D2XO"), QByteArray()); // no hash matches an invalid code
}

TEST_F(PupilCodesTest, EveryRealPupilGetsACodeInListOrderKeptAcrossCallsAndRegeneratedPages) {
    const QList<PupilCode> first = PupilCodes::ensure(m_db, m_session);
    EXPECT_EQ(idsOf(first), (QList<qint64>{m_adam, m_bara, m_cyril, m_dana})); // no option row, no stranger
    EXPECT_EQ(first[0].name, "Adam Velký & syn");
    EXPECT_EQ(first[1].name, "Bára <b>Malá</b>");
    const QStringList codes = codesOf(first);
    EXPECT_EQ(QSet<QString>(codes.begin(), codes.end()).size(), 4);
    for (const QString &code : codes)
        EXPECT_TRUE(kShownCode.match(code).hasMatch()) << code.toStdString();
    EXPECT_EQ(stored().size(), 4);

    EXPECT_EQ(codesOf(PupilCodes::ensure(m_db, m_session)), codes);
    EXPECT_EQ(codesOf(PupilCodes::read(m_db, m_session)), codes);
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    ASSERT_TRUE(FormPages::generate(m_db, m_folders, m_session));
    EXPECT_EQ(codesOf(PupilCodes::read(m_db, m_session)), codes);
    // What the server is given to check the codes against.
    const QByteArray list = readFile(FormPages::sessionFolder(m_folders, m_session) + "kody.php");
    for (const PupilCode &code : first)
        EXPECT_TRUE(list.contains("'" + PupilCodes::hashOf(code.code) + "' => " + QByteArray::number(code.pupilId)))
            << code.code.toStdString();

    // A pupil who joins the class gets a code of his own; nobody else's changes.
    const qint64 eva = addPupil(m_class, "Eva", "Nová", "žena", 0);
    const QList<PupilCode> later = PupilCodes::ensure(m_db, m_session);
    EXPECT_EQ(idsOf(later), (QList<qint64>{eva, m_adam, m_bara, m_cyril, m_dana}));
    EXPECT_EQ(codesOf(later).mid(1), codes);
    EXPECT_FALSE(codes.contains(later[0].code));
    // read() makes none: a pupil without a code is not listed.
    const qint64 filip = addPupil(m_class, "Filip", "Starý", "muž", 20);
    EXPECT_EQ(idsOf(PupilCodes::read(m_db, m_session)), (QList<qint64>{eva, m_adam, m_bara, m_cyril, m_dana}));
    EXPECT_EQ(idsOf(PupilCodes::ensure(m_db, m_session)).last(), filip);
}

TEST_F(PupilCodesTest, CodesMadeBeforeAreGivenWhileAnotherProgramWritesTheFile) {
    const QStringList codes = codesOf(PupilCodes::ensure(m_db, m_session));
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-program"));
    other.setDatabaseName(m_folders.dataFolder + QStringLiteral("skola.mdb"));
    ASSERT_TRUE(other.open());
    ASSERT_TRUE(QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(codesOf(PupilCodes::ensure(m_db, m_session)), codes); // nothing to write: no wait, no failure
    EXPECT_LT(clock.elapsed(), Database::kBusyTimeoutMs / 2);
    QSqlQuery(other).exec(QStringLiteral("ROLLBACK"));
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
}

TEST_F(PupilCodesTest, NewCodesReplaceEveryOldOneAndNoCodeServesTwoSessions) {
    const QStringList old = codesOf(PupilCodes::ensure(m_db, m_session));
    const qint64 second = addSession(m_class, m_test, "2024-04-01 00:00:00");
    const QStringList other = codesOf(PupilCodes::ensure(m_db, second));
    for (const QString &code : other)
        EXPECT_FALSE(old.contains(code));

    const QList<PupilCode> renewed = PupilCodes::regenerate(m_db, m_session);
    EXPECT_EQ(idsOf(renewed), (QList<qint64>{m_adam, m_bara, m_cyril, m_dana}));
    for (const PupilCode &code : renewed) {
        EXPECT_TRUE(kShownCode.match(code.code).hasMatch());
        EXPECT_FALSE(old.contains(code.code)) << "kept " << code.code.toStdString();
        EXPECT_FALSE(other.contains(code.code));
    }
    EXPECT_EQ(codesOf(PupilCodes::read(m_db, m_session)), codesOf(renewed));
    EXPECT_EQ(codesOf(PupilCodes::read(m_db, second)), other); // the other session keeps its codes
    EXPECT_EQ(stored().size(), 8);
}

TEST_F(PupilCodesTest, ASessionWithoutFormsHasNoCodesAndSaysSo) {
    const qint64 bare = insert("INSERT INTO vyhodnoceni (id_tridy, datum) VALUES (:c, '2024-05-01')",
                               {{"c", m_class}});
    for (const qint64 session : {bare, qint64(9999)}) {
        try {
            PupilCodes::ensure(m_db, session);
            FAIL() << "a session without forms has no codes";
        } catch (const DatabaseError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("Vyhodnocení %1 neexistuje nebo nemá dotazník; webové formuláře "
                                                  "ani kódy pro žáky k němu nejsou.")
                                       .arg(session));
        }
    }
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(PupilCodesTest, DeletingASessionAPupilAClassOrAQuestionnaireTakesTheirCodesAndSoDoesTheWipe) {
    const qint64 second = addSession(m_class, m_test, "2024-04-01 00:00:00");
    const qint64 otherTest = addTest("Jiný");
    addQuestion(otherTest, "Kdo?", QVariant(), 0, 1);
    const qint64 third = addSession(m_class, otherTest, "2024-05-01 00:00:00");
    const qint64 strangers = addSession(m_other, m_test, "2024-04-01 00:00:00");
    for (const qint64 session : {m_session, second, third, strangers})
        PupilCodes::ensure(m_db, session);
    ASSERT_EQ(stored().size(), 13);

    m_prompter.yes().yes();
    ASSERT_TRUE(SessionRules(m_db, m_prompter).deleteSession(second));
    EXPECT_EQ(stored().filter(QRegularExpression(QStringLiteral("^%1\\|").arg(second))), QStringList());
    EXPECT_EQ(stored().size(), 9);

    m_prompter.yes().yes();
    ASSERT_TRUE(RosterRules(m_db, m_prompter).deletePupils({m_bara}));
    EXPECT_EQ(stored().filter(QStringLiteral("|%1|").arg(m_bara)), QStringList());
    EXPECT_EQ(stored().size(), 7);
    EXPECT_EQ(idsOf(PupilCodes::read(m_db, m_session)), (QList<qint64>{m_adam, m_cyril, m_dana}));

    m_prompter.yes().yes();
    ASSERT_TRUE(QuestionnaireRules(m_db, m_prompter).deleteQuestionnaire(otherTest));
    EXPECT_EQ(stored().size(), 4);

    m_prompter.yes().yes();
    ASSERT_TRUE(ClassRules(m_db, m_prompter).deleteClass(m_class));
    EXPECT_EQ(stored(), QStringList{QStringLiteral("%1|%2|").arg(strangers).arg(m_stranger) +
                                    PupilCodes::read(m_db, strangers).value(0).code});

    DatabaseMaintenance::wipeAnswersAndSessions(m_db);
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(PupilCodesTest, TheHeadlessToolPrintsOneLinePerPupilAndMakesNewCodesOnlyWhenAsked) {
    addPupil(m_class, "=Eva", "Nová;Stará", "žena", 8); // a name a spreadsheet would take for a formula
    const CliRun first = cli({"codes", "--session", QString::number(m_session)});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    const QList<PupilCode> codes = PupilCodes::read(m_db, m_session);
    ASSERT_EQ(codes.size(), 5);
    QString expected;
    for (const PupilCode &code : codes)
        expected += QString::number(code.pupilId) + u';' +
                    (code.name.startsWith(u'=') ? QStringLiteral("\"'=Eva Nová;Stará\"") : code.name) + u';' +
                    code.code + u'\n';
    EXPECT_EQ(first.out, expected);
    EXPECT_TRUE(first.out.startsWith(QStringLiteral("%1;Adam Velký & syn;%2\n").arg(m_adam).arg(codes[0].code)));
    EXPECT_EQ(cli({"codes", "--session", QString::number(m_session)}).out, first.out);

    const CliRun renewed = cli({"codes", "--session", QString::number(m_session), "--new"});
    ASSERT_EQ(renewed.code, 0);
    const QStringList lines = renewed.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith(QString::number(codes[i].pupilId) + u';'));
        EXPECT_FALSE(lines[i].endsWith(codes[i].code));
    }
    EXPECT_EQ(renewed.out, cli({"codes", "--session", QString::number(m_session)}).out);

    const CliRun missing = cli({"codes", "--session", "9999"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("Vyhodnocení 9999 neexistuje")) << missing.err.toStdString();
    EXPECT_EQ(cli({"codes"}).code, 2);
    EXPECT_EQ(cli({"codes", "--session", "x"}).code, 2);
    EXPECT_EQ(cli({"codes", "--session", "1", "--out"}).code, 2);
    EXPECT_EQ(cli({"codes", "--session", "1", "--oops"}).code, 2);
}

TEST(CodeSlipAddress, TheEntryAddressIsTheSessionFolderUnderTheWebAddressOfTheSettings) {
    EXPECT_EQ(CodeSlips::entryAddress("https://www.skola.cz/dotazniky", 5), "https://www.skola.cz/dotazniky/5/");
    EXPECT_EQ(CodeSlips::entryAddress(" http://skola.cz/ ", 12), "http://skola.cz/12/");
    for (const char *none : {"", "http://", "  ", "https://"})
        EXPECT_EQ(CodeSlips::entryAddress(none, 5), QString()) << none;
    CodeSlipSheet sheet;
    EXPECT_EQ(sheet.shownAddress(), "adresu dostanete od učitele");
    sheet.entryAddress = "http://skola.cz/5/";
    EXPECT_EQ(sheet.shownAddress(), "http://skola.cz/5/");
}

TEST_F(PupilCodesTest, SlipsAsPdfHaveSixToAPageWithNameClassAddressAndCodeInEmbeddedFonts) {
    const QString pdftotext = tool("/usr/bin/pdftotext");
    const QString pdffonts = tool("/usr/bin/pdffonts");
    if (pdftotext.isEmpty() || pdffonts.isEmpty())
        GTEST_SKIP() << "poppler-utils missing";
    addNinePupils();
    setSiteAddress("https://www.skola.cz/dotazniky/");
    const QString path = m_dir.path() + "/kody.pdf";
    const CliRun written = cli({"codes", "--session", QString::number(m_session), "--out", path});
    ASSERT_EQ(written.code, 0) << written.err.toStdString();
    EXPECT_EQ(written.out, QStringLiteral("Kódy pro žáky (13, stran 3) uloženy do %1.\n").arg(path));

    const QList<PupilCode> codes = PupilCodes::read(m_db, m_session);
    ASSERT_EQ(codes.size(), 13);
    const QStringList pages = run(pdftotext, {"-enc", "UTF-8", path, "-"}).split(u'\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 3);
    for (int i = 0; i < codes.size(); ++i) {
        const QString &page = pages[i / CodeSlips::kSlipsPerPage];
        EXPECT_TRUE(page.contains(codes[i].code)) << i;
        EXPECT_TRUE(page.contains(codes[i].name)) << codes[i].name.toStdString();
    }
    EXPECT_EQ(pages[0].count("Třída: ZŠ <Lipová>, 6.A"), 6);
    EXPECT_EQ(pages[2].count("Adresa dotazníku: https://www.skola.cz/dotazniky/" + QString::number(m_session) + "/"),
              1);
    EXPECT_EQ(pages[1].count("Váš kód:"), 6);

    const QStringList fonts = run(pdffonts, {path}).split(u'\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    EXPECT_FALSE(fonts.filter("LiberationMono-Bold").isEmpty()) << fonts.join('\n').toStdString();
    for (const QString &font : fonts)
        EXPECT_TRUE(font.contains(QRegularExpression("\\s+yes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$")))
            << "not embedded: " << font.toStdString();

    // A phone's camera reads each slip's QR code as the entry page with that pupil's code in the fragment.
    const QString pdftoppm = tool("/usr/bin/pdftoppm");
    const QString zbarimg = tool("/usr/bin/zbarimg");
    if (pdftoppm.isEmpty() || zbarimg.isEmpty())
        GTEST_SKIP() << "pdftoppm or zbarimg (zbar-tools) missing";
    run(pdftoppm, {"-r", "150", "-png", "-f", "1", "-l", "1", path, m_dir.path() + "/strana"});
    QStringList read =
        run(zbarimg, {"--quiet", "--raw", "-Sdisable", "-Sqrcode.enable", m_dir.path() + "/strana-1.png"})
            .split(u'\n', Qt::SkipEmptyParts);
    read.sort();
    QStringList links;
    for (int i = 0; i < CodeSlips::kSlipsPerPage; ++i)
        links << QStringLiteral("https://www.skola.cz/dotazniky/%1/index.php#kod=").arg(m_session) +
                     codes[i].code;
    links.sort();
    EXPECT_EQ(read, links);
}

TEST_F(PupilCodesTest, SlipsAsDocxHoldEachNameAndCodeAndBreakThePageAfterEverySixthSlip) {
    addNinePupils();
    const CodeSlipSheet sheet = CodeSlips::read(m_db, m_session, "http://");
    ASSERT_EQ(sheet.codes.size(), 13);
    EXPECT_EQ(sheet.pageCount(), 3);
    EXPECT_EQ(sheet.className, "ZŠ <Lipová>, 6.A");
    QString error;
    const QString path = CodeSlips::save(sheet, m_dir.path() + "/kody", &error);
    ASSERT_EQ(path, m_dir.path() + "/kody.docx") << error.toStdString();

    const QMap<QString, QByteArray> parts = readZip(path, &error);
    ASSERT_TRUE(parts.contains("word/document.xml")) << error.toStdString();
    const std::shared_ptr<XmlElement> document = parseXml(parts.value("word/document.xml"), &error);
    ASSERT_TRUE(document) << error.toStdString();
    QStringList paragraphs;
    QList<int> breakAt; // paragraphs that start a page
    for (const XmlElement *p : document->descendants("w:p")) {
        paragraphs << p->wordText();
        if (!p->descendants("w:pageBreakBefore").isEmpty())
            breakAt << int(paragraphs.size() - 1);
    }
    EXPECT_EQ(breakAt.size(), 2);
    for (int i = 0; i < sheet.codes.size(); ++i) {
        const qsizetype name = paragraphs.indexOf(sheet.codes[i].name);
        ASSERT_GE(name, 0) << sheet.codes[i].name.toStdString();
        EXPECT_EQ(paragraphs.value(name + 1), "Třída: ZŠ <Lipová>, 6.A");
        EXPECT_EQ(paragraphs.value(name + 2), "Adresa dotazníku: adresu dostanete od učitele");
        EXPECT_EQ(paragraphs.value(name + 3), "Váš kód: " + sheet.codes[i].code);
        // The page breaks before the cut line over the seventh and the thirteenth slip.
        if (i % CodeSlips::kSlipsPerPage == 0 && i > 0) {
            EXPECT_TRUE(breakAt.contains(int(name) - 1)) << i;
        }
    }
    // The codes in a monospace font, large.
    int codeRuns = 0;
    for (const XmlElement *run : document->descendants("w:r")) {
        if (!kShownCode.match(run->wordText()).hasMatch())
            continue;
        ++codeRuns;
        const XmlElement *props = run->child("w:rPr");
        ASSERT_TRUE(props);
        ASSERT_TRUE(props->child("w:rFonts"));
        EXPECT_EQ(props->child("w:rFonts")->attribute("w:ascii"), "Courier New");
        ASSERT_TRUE(props->child("w:sz"));
        EXPECT_EQ(props->child("w:sz")->attribute("w:val"), "48");
    }
    EXPECT_EQ(codeRuns, 13);
    // Without a web address there is no link to put in a QR code.
    EXPECT_TRUE(document->descendants("w:drawing").isEmpty());
}

TEST_F(PupilCodesTest, SlipsAsDocxCarryEachPupilsQrCodeBesideTheTextOnTheSamePagesAsThePdf) {
    const QString soffice = QStandardPaths::findExecutable("soffice");
    const QString pdftotext = tool("/usr/bin/pdftotext");
    const QString pdftoppm = tool("/usr/bin/pdftoppm");
    const QString zbarimg = tool("/usr/bin/zbarimg");
    if (soffice.isEmpty() || pdftotext.isEmpty() || pdftoppm.isEmpty() || zbarimg.isEmpty())
        GTEST_SKIP() << "LibreOffice, poppler-utils or zbar-tools missing";
    addNinePupils();
    const CodeSlipSheet sheet = CodeSlips::read(m_db, m_session, "https://www.skola.cz/dotazniky/");
    QString error;
    const QString path = CodeSlips::save(sheet, m_dir.path() + "/kody.docx", &error);
    ASSERT_EQ(path, m_dir.path() + "/kody.docx") << error.toStdString();

    // A word processor lays the slips out on the same three pages: the floating codes make no line taller.
    const QString out = m_dir.path() + "/lo";
    run(soffice, {"-env:UserInstallation=file://" + m_dir.path() + "/lo-profile", "--headless", "--convert-to",
                  "pdf", "--outdir", out, path});
    const QStringList pages =
        run(pdftotext, {"-enc", "UTF-8", out + "/kody.pdf", "-"}).split(u'\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 3);
    for (int i = 0; i < sheet.codes.size(); ++i) {
        EXPECT_TRUE(pages[i / CodeSlips::kSlipsPerPage].contains(sheet.codes[i].code)) << i;
        EXPECT_TRUE(pages[i / CodeSlips::kSlipsPerPage].contains(sheet.codes[i].name)) << i;
    }
    EXPECT_EQ(pages[0].count(QStringLiteral("Adresa dotazníku: https://www.skola.cz/dotazniky/%1/").arg(m_session)),
              6);

    // Each slip's code is read back from the page as its own pupil's link, the last page's one as well.
    run(pdftoppm, {"-r", "150", "-png", out + "/kody.pdf", m_dir.path() + "/strana"});
    for (const auto &[page, slips] : {std::pair{1, std::pair{0, 6}}, std::pair{3, std::pair{12, 13}}}) {
        QStringList read = run(zbarimg, {"--quiet", "--raw", "-Sdisable", "-Sqrcode.enable",
                                         m_dir.path() + QStringLiteral("/strana-%1.png").arg(page)})
                               .split(u'\n', Qt::SkipEmptyParts);
        read.sort();
        QStringList links;
        for (int i = slips.first; i < slips.second; ++i)
            links << QStringLiteral("https://www.skola.cz/dotazniky/%1/index.php#kod=").arg(m_session) +
                         sheet.codes[i].code;
        links.sort();
        EXPECT_EQ(read, links) << "page " << page;
    }
}

TEST_F(PupilCodesTest, AClassWithoutPupilsGivesNoSlipsAndNoFile) {
    const qint64 empty = addClass("ZŠ", "1.A", "Nová");
    addPupil(empty, "a)", QVariant(), "abcde", 1);
    const qint64 session = addSession(empty, m_test, "2024-03-01 00:00:00");
    const CodeSlipSheet sheet = CodeSlips::read(m_db, session, QString());
    EXPECT_TRUE(sheet.codes.isEmpty());
    for (const QString &name : {QStringLiteral("kody.pdf"), QStringLiteral("kody.docx")}) {
        QString error;
        EXPECT_EQ(CodeSlips::save(sheet, m_dir.path() + u'/' + name, &error), QString());
        EXPECT_EQ(error, "Ve třídě vyhodnocení nejsou žádní žáci, kódy pro žáky nejsou pro koho.");
        EXPECT_FALSE(QFileInfo::exists(m_dir.path() + u'/' + name));
    }
}

} // namespace
