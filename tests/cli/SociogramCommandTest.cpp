// The headless sociogram command, run in-process on a data folder with one class and session.
#include "cli/Cli.h"
#include "graphics/SociogramBuilder.h"
#include "graphics/SociogramFixture.h"

#include <QFile>

namespace {

class SociogramCommandTest : public SociogramFixture {
protected:
    void SetUp() override {
        SociogramFixture::SetUp();
        const qint64 a = addPupil(m_class, "Adam", "Bílý");
        const qint64 b = addPupil(m_class, "Eva", "Malá", QStringLiteral("žena"));
        addPupil(m_class, "ne", QVariant(), QStringLiteral("ano-ne"));
        for (int i = 0; i < 10; ++i)
            addPupil(m_class, QStringLiteral("Žák%1").arg(i));
        addAnswer(m_session, m_question, a, b, true);
        addAnswer(m_session, m_question, b, a, true);
        addAnswer(m_session, m_question, a, b, false);
    }
    int run(QStringList args, QString *errText = nullptr) {
        args.prepend(m_folders.dataFolder);
        args.prepend("--data");
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = runCli(args, m_folders.programFolder, o, e);
        if (errText)
            *errText = err;
        return code;
    }
    QStringList choice(const QString &out) const {
        return {
            "sociogram", "--session", QString::number(m_session), "--question", QString::number(m_question),
            "--out",     out};
    }
    static QByteArray read(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(SociogramCommandTest, WritesEveryKindOfFileOfTheArrangedSociogram) {
    const QString base = m_dir.path() + QStringLiteral("/s.");
    for (const char *kind : {"sgp", "png", "jpg", "svg", "emf"}) {
        QString err;
        ASSERT_EQ(run(choice(base + kind), &err), 0) << kind << err.toStdString();
    }
    EXPECT_TRUE(read(base + "png").startsWith("\x89PNG"));
    EXPECT_TRUE(read(base + "jpg").startsWith("\xFF\xD8\xFF"));
    EXPECT_TRUE(read(base + "svg").contains("<svg"));
    EXPECT_EQ(read(base + "emf").mid(40, 4), QByteArray(" EMF"));

    GraphDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(base + "sgp"));
    EXPECT_FALSE(node(doc, "ne")); // nobody chose it
    ASSERT_TRUE(link(doc, "Adam Bílý", "Eva Malá"));
    EXPECT_EQ(link(doc, "Adam Bílý", "Eva Malá")->Pen().Color, SociogramColors::Reciprocal);
    // Eva's choice is answered by Adam both ways: ambivalent wins over reciprocal.
    ASSERT_TRUE(link(doc, "Eva Malá", "Adam Bílý"));
    EXPECT_EQ(link(doc, "Eva Malá", "Adam Bílý")->Pen().Style, psDot);
    EXPECT_GE(node(doc, "Eva Malá")->Top(), 460); // koeficient 12 / 6 = 2, chosen once
    EXPECT_LE(node(doc, "Eva Malá")->Top(), 559);

    // With koeficient 3 one arrow in is little-chosen.
    ASSERT_EQ(run(choice(base + "sgp") << "--coefficient"
                                       << "3"),
              0);
    ASSERT_TRUE(doc.LoadFromFile(base + "sgp"));
    EXPECT_GE(node(doc, "Eva Malá")->Top(), 630);
    // 2 is the lowest koeficient the window offers.
    EXPECT_EQ(run(choice(base + "sgp") << "--coefficient"
                                       << "2"),
              0);
    // The negative sociogram.
    ASSERT_EQ(run(choice(base + "sgp") << "--negative"), 0);
    ASSERT_TRUE(doc.LoadFromFile(base + "sgp"));
    EXPECT_TRUE(node(doc, "NEGATIVNÍ VOLBY"));
    EXPECT_TRUE(node(doc, "S kým nesedíš?"));
}

TEST_F(SociogramCommandTest, RefusesWrongChoicesAndWritesNothing) {
    const QString out = m_dir.path() + QStringLiteral("/x.sgp");
    EXPECT_EQ(run({"sociogram", "--session", QString::number(m_session), "--out", out}), 2);
    EXPECT_EQ(run(choice(m_dir.path() + QStringLiteral("/x.bmp"))), 2);
    for (const char *coefficient : {"9", "1"})
        EXPECT_EQ(run(choice(out) << "--coefficient" << coefficient), 2) << coefficient;
    QString err;
    EXPECT_EQ(
        run({"sociogram", "--session", "999", "--question", QString::number(m_question), "--out", out}, &err),
        1);
    EXPECT_TRUE(err.contains("999")) << err.toStdString();
    // The second question has no negative wording.
    EXPECT_EQ(run({"sociogram", "--session", QString::number(m_session), "--question",
                   QString::number(m_plainQuestion), "--negative", "--out", out}),
              1);
    EXPECT_FALSE(QFile::exists(out));
}
