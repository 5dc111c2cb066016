// Every CSV the program writes is safe to open in a spreadsheet: a text cell that would be taken for a
// formula is neutralised, the numbers stay numbers. The cell rule itself, then the counts export, the
// analysis table and the bar chart's values through orbelis-cli.
#include "CliRun.h"
#include "data/DataFixture.h"
#include "files/CsvCell.h"

#include <QFile>
#include <QRegularExpression>

namespace {

TEST(CsvCellRule, TextThatASpreadsheetWouldTakeForAFormulaGetsAnApostrophe) {
    EXPECT_EQ(CsvCell::of(QStringLiteral("=SUM(A1)"), u','), "'=SUM(A1)");
    EXPECT_EQ(CsvCell::of(QStringLiteral("@x"), u','), "'@x");
    EXPECT_EQ(CsvCell::of(QStringLiteral("+420 777"), u','), "'+420 777");
    EXPECT_EQ(CsvCell::of(QStringLiteral("-2+3"), u','), "'-2+3");
    EXPECT_EQ(CsvCell::of(QStringLiteral("-"), u','), "'-");
    EXPECT_EQ(CsvCell::of(QStringLiteral("\t=1"), u';'), "'\t=1");
    EXPECT_EQ(CsvCell::of(QStringLiteral("\r=1"), u';'), "\"'\r=1\"");
    EXPECT_EQ(CsvCell::of(QStringLiteral("=HYPERLINK(\"x\";\"y\")"), u';'), "\"'=HYPERLINK(\"\"x\"\";\"\"y\"\")\"");
    // Only the first character counts.
    EXPECT_EQ(CsvCell::of(QStringLiteral("a=b"), u','), "a=b");
    EXPECT_EQ(CsvCell::of(QStringLiteral(" =1"), u','), " =1");
    EXPECT_EQ(CsvCell::of(QString(), u','), "");
}

TEST(CsvCellRule, NumbersStayNumbersAndCellsAreQuotedOnlyWhenTheyMustBe) {
    for (const char *number : {"-0,81", "-3", "2.5", "+1", "0", "-12.75"})
        EXPECT_EQ(CsvCell::of(QString::fromLatin1(number), u';'), QString::fromLatin1(number)) << number;
    EXPECT_EQ(CsvCell::of(QStringLiteral("-0,81"), u','), "\"-0,81\"");
    for (const char *text : {"-1e5", "-,5", "-1,", "--1", "-1,2,3", "-1 "})
        EXPECT_TRUE(CsvCell::of(QString::fromLatin1(text), u';').startsWith(u'\'')) << text;
    EXPECT_EQ(CsvCell::of(QVariant(qint64(-3)), u','), "-3");
    EXPECT_EQ(CsvCell::of(QVariant(-0.00001), u','), QVariant(-0.00001).toString());
    EXPECT_EQ(CsvCell::of(QVariant(), u','), "");
    EXPECT_EQ(CsvCell::of(QVariant(QStringLiteral("=1")), u','), "'=1");
    EXPECT_EQ(CsvCell::of(QStringLiteral("Malý, st."), u','), "\"Malý, st.\"");
    EXPECT_EQ(CsvCell::of(QStringLiteral("Malý, st."), u';'), "Malý, st.");
    EXPECT_EQ(CsvCell::of(QStringLiteral("a;b"), u';'), "\"a;b\"");
    EXPECT_EQ(CsvCell::of(QStringLiteral("a\nb"), u';'), "\"a\nb\"");
    EXPECT_EQ(CsvCell::of(QStringLiteral("say \"hi\""), u','), "\"say \"\"hi\"\"\"");
}

class CsvOutputsTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        const qint64 trida = addClass(QStringLiteral("ZŠ"), QStringLiteral("6.A"), QStringLiteral("Nová"));
        const qint64 test = addTest(QStringLiteral("Vztahy"));
        m_question = addQuestion(test, QStringLiteral("S kým sedíš?"), QStringLiteral("S kým ne?"), 0, 1);
        m_words = addQuestion(test, QStringLiteral("Co bys změnil?"), QVariant(), 4, 2);
        m_session = addSession(trida, test, QStringLiteral("2026-09-10 00:00:00"));
        m_at = addPupil(trida, QStringLiteral("@x"), QVariant(), QStringLiteral("muž"), 1);
        m_eva = addPupil(trida, QStringLiteral("Eva"), QStringLiteral("Malá"), QStringLiteral("žena"), 2);
        m_plus = addPupil(trida, QStringLiteral("+Ota"), QStringLiteral("Veselý"), QStringLiteral("muž"), 3);
        m_dana = addPupil(trida, QStringLiteral("Dana"), QStringLiteral("Nová"), QStringLiteral("žena"), 4);
        // Eva is chosen by everyone, Ota by nobody and rejected twice: figures below the class mean.
        addAnswer(m_session, m_question, m_at, m_eva);
        addAnswer(m_session, m_question, m_plus, m_eva);
        addAnswer(m_session, m_question, m_dana, m_eva);
        addAnswer(m_session, m_question, m_eva, m_dana);
        addAnswer(m_session, m_question, m_at, m_plus, false);
        addAnswer(m_session, m_question, m_eva, m_plus, false);
        addAnswer(m_session, m_question, m_dana, m_at, false);
        addAnswer(m_session, m_words, m_eva, -1, true, QStringLiteral("=SUM(A1)"));
        addAnswer(m_session, m_words, m_dana, -1, true, QStringLiteral("-5"));
    }
    CliRun run(const QStringList &args) { return runCliOn(m_folders.dataFolder, m_folders.programFolder, args); }
    static QString read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Cells of a CSV line without quoted separators.
    static QStringList cells(const QString &line, QChar separator) { return line.split(separator); }

    qint64 m_question = 0, m_words = 0, m_session = 0, m_at = 0, m_eva = 0, m_plus = 0, m_dana = 0;
};

TEST_F(CsvOutputsTest, TheCountsExportNeutralisesNamesAndFreeTextsButNotNumbers) {
    const CliRun csv = run({"export", "counts", "--session", QString::number(m_session)});
    ASSERT_EQ(csv.code, 0) << csv.err.toStdString();
    const QStringList lines = csv.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_FALSE(lines.filter(QRegularExpression(QStringLiteral("^'@x,%1,").arg(m_question))).isEmpty())
        << csv.out.toStdString();
    EXPECT_TRUE(lines.filter(QRegularExpression("^@x")).isEmpty());
    EXPECT_FALSE(lines.filter(QRegularExpression("^'\\+Ota Veselý,")).isEmpty());
    EXPECT_TRUE(lines.contains(QStringLiteral("Eva Malá,%1,%2,Co bys změnil?,Co bys změnil?,,0,0,'=SUM(A1)")
                                   .arg(m_words)
                                   .arg(m_eva)))
        << csv.out.toStdString();
    // A number a pupil wrote is no formula.
    EXPECT_TRUE(lines.contains(QStringLiteral("Dana Nová,%1,%2,Co bys změnil?,Co bys změnil?,,0,0,-5")
                                   .arg(m_words)
                                   .arg(m_dana)))
        << csv.out.toStdString();
}

TEST_F(CsvOutputsTest, TheAnalysisTableKeepsNegativeFiguresAsNumbersAndNeutralisesNames) {
    const CliRun csv = run({"analysis", "--session", QString::number(m_session), "--question",
                            QString::number(m_question), "--format", "csv"});
    ASSERT_EQ(csv.code, 0) << csv.err.toStdString();
    QStringList lines = csv.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    int negative = 0;
    for (const QString &line : lines.mid(1)) {
        const QStringList row = cells(line, u';');
        ASSERT_EQ(row.size(), 17) << line.toStdString();
        for (const QString &cell : row.mid(1, 14)) {
            EXPECT_FALSE(cell.startsWith(u'\'')) << "a figure neutralised: " << cell.toStdString();
            if (QRegularExpression("^-\\d+(,\\d+)?$").match(cell).hasMatch())
                ++negative;
        }
    }
    EXPECT_GT(negative, 0) << csv.out.toStdString(); // the figures below the mean are there, as numbers
    EXPECT_EQ(lines.filter(QRegularExpression("^'@x;")).size(), 1) << csv.out.toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression("^'\\+Ota Veselý;")).size(), 1);
}

TEST_F(CsvOutputsTest, TheBarChartValuesNeutraliseNames) {
    const QString path = m_dir.path() + QStringLiteral("/body.csv");
    const CliRun chart = run({"chart", "--session", QString::number(m_session), "--question",
                              QString::number(m_question), "--points", path});
    ASSERT_EQ(chart.code, 0) << chart.err.toStdString();
    const QStringList lines = read(path).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^%1,\\d+,'@x,\\d+,\\d+$").arg(m_question))).size(), 1)
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^%1,\\d+,'\\+Ota Veselý,0,2$").arg(m_question))).size(),
              1)
        << lines.join('\n').toStdString();
}

} // namespace
