// The headless bar chart, run in-process on a data folder with one class and two sessions.
#include "automation/DocxPackage.h"
#include "cli/Cli.h"
#include "graphics/BarChartFixture.h"

#include <QFile>

namespace {

class ChartCommandTest : public BarChartFixture {
protected:
    int run(QStringList args, QString *errText = nullptr) {
        args = QStringList{"--data", m_folders.dataFolder, "chart"} + args;
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = runCli(args, m_folders.programFolder, o, e);
        if (errText)
            *errText = err;
        return code;
    }
    static QByteArray read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(ChartCommandTest, WritesThePictureTheValuesAndOneChartPerQuestion) {
    const QString base = m_dir.path() + QStringLiteral("/graf.");
    QString err;
    ASSERT_EQ(run({"--session", QString::number(m_session), "--out", base + "png", "--points", base + "csv",
                   "--word", base + "docx"},
                  &err),
              0)
        << err.toStdString();
    EXPECT_TRUE(read(base + "png").startsWith("\x89PNG"));

    const QString q1 = QString::number(m_q1), q3 = QString::number(m_q3);
    EXPECT_EQ(QString::fromUtf8(read(base + "csv")),
              "otazka,x,jmeno,pozitivni,negativni\r\n" +
                  q1 + ",1,Adam Bílý,3,1\r\n" + q1 + ",2,Eva Malá,1,0\r\n" + q1 + ",3,Petr Dub,0,0\r\n" + q1 +
                  ",4,Jana Nová,0,0\r\n" + q3 + ",1,Adam Bílý,0,0\r\n" + q3 + ",2,Eva Malá,0,0\r\n" + q3 +
                  ",3,Petr Dub,0,0\r\n" + q3 + ",4,Jana Nová,2,0\r\n");

    // Five questions: "Všechny otázky" and one chart per question.
    const QMap<QString, QByteArray> docx = readZip(base + "docx");
    const QByteArray body = docx.value(QStringLiteral("word/document.xml"));
    EXPECT_EQ(body.count("<w:drawing"), 6);
    // Each chart fills a page: no paragraph may follow the last one, or the document ends with a blank page.
    const QByteArray afterLast = body.mid(body.lastIndexOf("<w:drawing"));
    EXPECT_FALSE(afterLast.contains("<w:p>") || afterLast.contains("<w:p ") || afterLast.contains("<w:p/>"))
        << afterLast.constData();
    EXPECT_TRUE(body.contains("w:orient=\"landscape\""));
}

TEST_F(ChartCommandTest, RefusesWhatItCannotChart) {
    const QString csv = m_dir.path() + QStringLiteral("/x.csv");
    const QString session = QString::number(m_session);
    EXPECT_EQ(run({"--session", session}), 2); // no output asked for
    EXPECT_EQ(run({"--session", session, "--out", m_dir.path() + "/x.bmp"}), 2);
    QString err;
    EXPECT_EQ(run({"--session", "9999", "--points", csv}, &err), 1);
    EXPECT_EQ(err, "Vyhodnocení s ID 9999 neexistuje.\n");
    const qint64 foreign = addQuestion(addTest(QStringLiteral("Jiný")), QStringLiteral("Cizí otázka"));
    EXPECT_EQ(run({"--session", session, "--question", QString::number(foreign), "--points", csv}, &err), 1);
    EXPECT_FALSE(QFile::exists(csv));
}
