// `orbelis-cli analysis` run in-process on a data folder with one class and session.
#include "cli/Cli.h"
#include "data/DataFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class AnalysisCommandTest : public DataFixture {
protected:
    void SetUp() override {
        DataFixture::SetUp();
        const qint64 trida = addClass(QStringLiteral("ZŠ Lipová"), QStringLiteral("6.B"), QStringLiteral("Dvořák"));
        const qint64 test = addTest(QStringLiteral("Vztahy"));
        m_question = addQuestion(test, QStringLiteral("S kým sedíš?"), QStringLiteral("S kým nesedíš?"), 0, 1);
        m_words = addQuestion(test, QStringLiteral("Co bys změnil?"), QVariant(), 4, 2);
        m_foreign = addQuestion(addTest(QStringLiteral("Jiný")), QStringLiteral("Kdo?"), QVariant(), 0, 1);
        m_session = addSession(trida, test, QStringLiteral("2026-09-10 00:00:00"));
        m_adam = addPupil(trida, QStringLiteral("Adam"), QStringLiteral("Bílý"), QStringLiteral("muž"), 1);
        m_eva = addPupil(trida, QStringLiteral("Eva"), QStringLiteral("Malá"), QStringLiteral("žena"), 2);
        m_ota = addPupil(trida, QStringLiteral("Ota"), QStringLiteral("Veselý"), QStringLiteral("muž"), 3);
        addAnswer(m_session, m_question, m_adam, m_eva);
        addAnswer(m_session, m_question, m_eva, m_adam);
        addAnswer(m_session, m_question, m_ota, m_eva);
        addAnswer(m_session, m_question, m_adam, m_ota, false);
        addAnswer(m_session, m_question, m_eva, m_ota, false);
    }
    int run(QStringList args, QString *outText = nullptr, QString *errText = nullptr) {
        args = QStringList{QStringLiteral("--data"), m_folders.dataFolder, QStringLiteral("analysis")} + args;
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = runCli(args, m_folders.programFolder, o, e);
        o.flush();
        e.flush();
        if (outText)
            *outText = out;
        if (errText)
            *errText = err;
        return code;
    }
    QStringList of(qint64 session, qint64 question) {
        return {QStringLiteral("--session"), QString::number(session), QStringLiteral("--question"),
                QString::number(question)};
    }
    static QByteArray read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    qint64 m_question = 0, m_words = 0, m_foreign = 0, m_session = 0, m_adam = 0, m_eva = 0, m_ota = 0;
};

TEST_F(AnalysisCommandTest, JsonOnStandardOutputEqualsTheFileAndNamesTheGroups) {
    QString out, err;
    ASSERT_EQ(run(of(m_session, m_question) << QStringLiteral("--format") << QStringLiteral("json"), &out, &err), 0)
        << err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(out.toUtf8()).object();
    ASSERT_FALSE(root.isEmpty()) << out.toStdString();
    EXPECT_EQ(root[u"n"].toInt(), 3);
    const QJsonArray pupils = root[u"pupils"].toArray();
    ASSERT_EQ(pupils.size(), 3);
    EXPECT_EQ(pupils[1].toObject()[u"name"].toString(), QStringLiteral("Eva Malá"));
    EXPECT_EQ(pupils[1].toObject()[u"pos_received"].toInt(), 2);
    EXPECT_EQ(pupils[2].toObject()[u"neg_received"].toInt(), 2);

    const QString file = m_dir.path() + QStringLiteral("/rozbor.json");
    ASSERT_EQ(run(of(m_session, m_question) << QStringLiteral("--out") << file), 0);
    EXPECT_EQ(read(file), out.toUtf8());

    ASSERT_EQ(run(of(m_session, m_question), &out), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("Soudržnost"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Eva Malá")));
}

TEST_F(AnalysisCommandTest, CsvIsForCzechSpreadsheets) {
    const QString file = m_dir.path() + QStringLiteral("/zaci.txt");
    ASSERT_EQ(run(of(m_session, m_question) << QStringLiteral("--format") << QStringLiteral("csv")
                                            << QStringLiteral("--out") << file),
              0);
    const QByteArray csv = read(file);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF")) << csv.toStdString();
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    const QStringList eva = lines[2].split(u';');
    EXPECT_EQ(eva.first(), QStringLiteral("Eva Malá"));
    EXPECT_EQ(eva[7], QStringLiteral("1")); // choice status 2 / 2
    EXPECT_EQ(lines[3].split(u';')[8], QStringLiteral("1")); // Ota's rejection status
    EXPECT_EQ(lines[1].split(u';')[10], QStringLiteral("0,5")); // Adam chose one of his two classmates
}

TEST_F(AnalysisCommandTest, RefusalsAreCzechAndFail) {
    QString err;
    EXPECT_EQ(run(of(m_session + 50, m_question), nullptr, &err), 1);
    EXPECT_FALSE(err.isEmpty());
    EXPECT_EQ(run(of(m_session, m_words), nullptr, &err), 1);
    EXPECT_EQ(err.trimmed(), QStringLiteral("Otázka je slovní."));
    EXPECT_EQ(run(of(m_session, m_foreign), nullptr, &err), 1);
    EXPECT_TRUE(err.contains(QString::number(m_foreign)));
    EXPECT_EQ(run(of(m_session, m_question) << QStringLiteral("--format") << QStringLiteral("xml"), nullptr, &err), 2);
    const QString unknown = m_dir.path() + QStringLiteral("/rozbor.xyz");
    EXPECT_EQ(run(of(m_session, m_question) << QStringLiteral("--out") << unknown, nullptr, &err), 2);
    EXPECT_FALSE(QFile::exists(unknown));
    EXPECT_EQ(run({QStringLiteral("--session"), QString::number(m_session)}, nullptr, &err), 2);
}

} // namespace
