// The headless exchange, backup and wipe commands, run in-process on a demo data folder.
#include "CliRun.h"
#include "data/Database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class MaintenanceCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("data"));
        const CliRun demo = run({"demo"});
        ASSERT_EQ(demo.code, 0) << demo.err.toStdString();
    }
    CliRun run(const QStringList &args) { return runCliOn(m_dir.filePath("data"), m_dir.path(), args); }
    QString database() const { return m_dir.filePath("data/skola.mdb"); }
    QVariant scalar(const QString &file, const QString &sql) {
        Database db("check");
        db.open(file, QStringList());
        return db.scalar(sql);
    }
    int count(const QString &sql) { return scalar(database(), sql).toInt(); }
    QTemporaryDir m_dir;
};

TEST_F(MaintenanceCommandsTest, AQuestionnaireIsExportedAndImportedAgain) {
    const QString id = QString::number(count("SELECT min(ID) FROM testy"));
    const int questions = count("SELECT count(*) FROM otazky");
    ASSERT_GT(questions, 0);
    const QString file = m_dir.filePath("vymena");

    const CliRun exported = run({"questionnaire", "export", "--id", id, file});
    ASSERT_EQ(exported.code, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.contains(file + ".mdb"));
    EXPECT_EQ(scalar(file + ".mdb", "SELECT count(*) FROM otazky").toInt(), questions);

    const CliRun imported = run({"questionnaire", "import", file + ".mdb"});
    ASSERT_EQ(imported.code, 0) << imported.err.toStdString();
    const QString newId = imported.out.trimmed();
    EXPECT_NE(newId, id);
    EXPECT_EQ(scalar(database(), "SELECT nazev_testu FROM testy WHERE ID = " + newId).toString(), "vymena");
    EXPECT_EQ(count("SELECT count(*) FROM otazky WHERE id_testu = " + newId), questions);
    EXPECT_TRUE(run({"questionnaire", "list"}).out.contains(newId + "\tvymena\n"));

    EXPECT_EQ(run({"questionnaire", "export", file}).code, 2);
    EXPECT_EQ(run({"questionnaire", "export", "--id", "x", file}).code, 2);
    EXPECT_EQ(run({"questionnaire", "import"}).code, 2);
    const CliRun missing = run({"questionnaire", "export", "--id", "999", file + "2"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("Dotazník s ID 999 neexistuje.")) << missing.err.toStdString();
}

TEST_F(MaintenanceCommandsTest, AFileThatIsNoExchangeFileIsRefused) {
    const int before = count("SELECT count(*) FROM testy");
    QFile text(m_dir.filePath("seznam.mdb"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(2048, 'a'));
    text.close();
    const CliRun refused = run({"questionnaire", "import", text.fileName()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("není soubor s exportovaným dotazníkem")) << refused.err.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM testy"), before);
}

TEST_F(MaintenanceCommandsTest, TheBackupIsAConsistentCopyAndNeverTheOpenFile) {
    const QString target = m_dir.filePath("zaloha.mdb");
    const CliRun done = run({"backup", target});
    ASSERT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_EQ(scalar(target, "SELECT count(*) FROM odpovedi").toInt(),
              count("SELECT count(*) FROM odpovedi"));
    EXPECT_EQ(scalar(target, "SELECT group_concat(jmeno) FROM zak").toString(),
              scalar(database(), "SELECT group_concat(jmeno) FROM zak").toString());

    const CliRun refused = run({"backup", database()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, "Došlo k chybě. Soubor nelze duplikovat.\n");
    EXPECT_GT(count("SELECT count(*) FROM zak"), 0);
    EXPECT_EQ(run({"backup"}).code, 2);
}

TEST_F(MaintenanceCommandsTest, TheWipeNeedsYesAndKeepsTheClass) {
    const int answers = count("SELECT count(*) FROM odpovedi");
    const int pupils = count("SELECT count(*) FROM zak");
    const int questions = count("SELECT count(*) FROM otazky");
    ASSERT_GT(answers, 0);

    const CliRun asked = run({"wipe"});
    EXPECT_EQ(asked.code, 1);
    EXPECT_TRUE(asked.err.contains("Nic nebylo smazáno")) << asked.err.toStdString();
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), answers);
    EXPECT_EQ(run({"wipe", "--force"}).code, 2);
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), answers);

    const CliRun wiped = run({"wipe", "--yes"});
    ASSERT_EQ(wiped.code, 0) << wiped.err.toStdString();
    EXPECT_EQ(wiped.out, QStringLiteral("Smazáno 1 vyhodnocení a %1 odpovědí.\n").arg(answers));
    EXPECT_EQ(count("SELECT count(*) FROM odpovedi"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM vyhodnoceni"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM zak"), pupils);
    EXPECT_EQ(count("SELECT count(*) FROM otazky"), questions);
    EXPECT_EQ(count("SELECT count(*) FROM trida"), 1);
}

} // namespace
