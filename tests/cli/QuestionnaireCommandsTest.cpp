// The headless questionnaire commands, run in-process on a fresh data folder.
#include "CliRun.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

class QuestionnaireCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_EQ(run({"init"}).code, 0);
    }
    CliRun run(const QStringList &args) { return runCliOn(m_dir.path(), m_dir.path(), args); }
    QString added(const QStringList &args) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        return r.out.trimmed();
    }
    QTemporaryDir m_dir;
};

QByteArray zipEntry(const QString &path, const char *name) {
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QByteArray data;
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) == 0) {
        zip_file_t *file = zip_fopen(archive, name, 0);
        data.resize(qsizetype(stat.size));
        zip_fread(file, data.data(), stat.size);
        zip_fclose(file);
    }
    zip_close(archive);
    return data;
}

TEST_F(QuestionnaireCommandsTest, QuestionnairesAreAddedListedPreviewedAndPrintedAsASheet) {
    const QString hra = added({"questionnaire", "add", "Hra"});
    added({"questionnaire", "add", "Chování"});
    added({"questionnaire", "add", "Čtení"});
    EXPECT_EQ(run({"questionnaire", "list"}).out.split('\n', Qt::SkipEmptyParts).join('|').remove(QRegularExpression("\\d+\\t")),
              QStringLiteral("Čtení|Hra|Chování"));

    const QString first = added({"question", "add", "--questionnaire", hra, "--text", "S kým si hraješ?", "--negative",
                                 "S kým ne?"});
    added({"question", "add", "--questionnaire", hra, "--text", "Je \"hra\" 'fér'?", "--type", "3"});
    EXPECT_EQ(run({"question", "add", "--questionnaire", hra, "--text", "x", "--type", "9"}).code, 2);
    EXPECT_EQ(run({"question", "add", "--questionnaire", "999", "--text", "x"}).code, 1);

    const CliRun assignment = run({"questionnaire", "preview", "--id", hra, "--kind", "assignment"});
    ASSERT_EQ(assignment.code, 0) << assignment.err.toStdString();
    EXPECT_EQ(assignment.out, QStringLiteral("1. S kým si hraješ?\n[] Honzík    [] Peťa    [] Luboš     [] Vítek\n"
                                             "[] Anička    [] Irča    [] Lýdie     [] Pavlík\n[] Ludva\n\n\n"
                                             "2. Je \"hra\" 'fér'?\n[] ano    [] ne\n\n\n"));
    EXPECT_EQ(run({"questionnaire", "preview", "--question", first, "--kind", "question"}).out,
              QStringLiteral("S kým si hraješ?\n\nHonzík: 3\nAnička: 2\nLudva: 0\n"));
    // A preview file of a kind the program does not write is a usage error, and nothing is written.
    const QString odt = m_dir.filePath("nahled.odt");
    EXPECT_EQ(run({"questionnaire", "preview", "--id", hra, "--kind", "assignment", "--out", odt}).code, 2);
    EXPECT_FALSE(QFileInfo::exists(odt));

    const QString sheet = m_dir.filePath("zadani.docx");
    ASSERT_EQ(run({"questionnaire", "sheet", "--id", hra, "--out", sheet}).code, 0);
    const QString document = QString::fromUtf8(zipEntry(sheet, "word/document.xml"));
    EXPECT_TRUE(document.contains("Jméno a příjmení"));
    EXPECT_TRUE(document.contains("Je &quot;hra&quot; 'fér'?"));
    EXPECT_TRUE(document.contains("Cambria"));
    EXPECT_TRUE(document.contains("w:hanging=\"2977\""));
}

TEST_F(QuestionnaireCommandsTest, TheReportOfTheDemoSessionAsTextHtmlAndDocument) {
    const CliRun demo = run({"demo"});
    ASSERT_EQ(demo.code, 0) << demo.err.toStdString();
    const QRegularExpressionMatch session = QRegularExpression("vyhodnocení (\\d+)").match(demo.out);
    ASSERT_TRUE(session.hasMatch()) << demo.out.toStdString();
    const QString id = session.captured(1);

    const CliRun text = run({"report", "--session", id, "--zeros"});
    ASSERT_EQ(text.code, 0) << text.err.toStdString();
    const QStringList lines = text.out.split('\n');
    EXPECT_EQ(lines.value(0), QStringLiteral("Mapování vztahů"));
    EXPECT_TRUE(lines.contains(QRegularExpression("^.+ - \\dx$")));  // counted entries, no names
    EXPECT_TRUE(lines.contains(QRegularExpression("0x:\t.+")));  // the unchosen (a whole line matches)
    EXPECT_FALSE(text.out.contains("<b>"));

    const QString html = m_dir.filePath("zprava.html");
    ASSERT_EQ(run({"report", "--session", id, "--names", "--out", html}).code, 0);
    QFile file(html);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(page.contains("<b>Mapování vztahů</b>"));
    EXPECT_TRUE(page.contains(QRegularExpression("x&emsp;\\(")));  // a count with its respondents

    const QString docx = m_dir.filePath("zprava.docx");
    ASSERT_EQ(run({"report", "--session", id, "--out", docx}).code, 0);
    const QString document = QString::fromUtf8(zipEntry(docx, "word/document.xml"));
    EXPECT_TRUE(document.contains("Mapování vztahů"));
    EXPECT_TRUE(document.contains("Cambria"));
    EXPECT_TRUE(document.contains("w:sz w:val=\"20\""));  // the body at 10 pt
    EXPECT_EQ(run({"report", "--session", "99999"}).code, 1);
    EXPECT_EQ(run({"report", "--session", id, "--out", m_dir.filePath("x.odt")}).code, 2);
}

} // namespace
