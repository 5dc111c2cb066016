#include "PupilsTestDatabase.h"

#include "cli/PupilsCommands.h"

#include <QFile>

namespace {

class PupilsCommandsTest : public PupilsTestDatabase {
protected:
    int pupils(const QStringList &args, const QString &input = QString()) {
        clearOutput();
        QString in = input;
        QTextStream inStream(&in);
        QTextStream out(&m_out), err(&m_err);
        const int code = runPupilsCommand(args, *m_db, inStream, out, err);
        out.flush();
        err.flush();
        return code;
    }
    int options(const QStringList &args) {
        clearOutput();
        QTextStream out(&m_out), err(&m_err);
        const int code = runOptionsCommand(args, *m_db, out, err);
        out.flush();
        err.flush();
        return code;
    }
    void clearOutput() {
        m_out.clear();
        m_err.clear();
    }
    QString writeFile(const QByteArray &bytes) {
        const QString path = m_dir.filePath(QStringLiteral("zaci.txt"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    QString id() const { return QString::number(m_classId); }

    QString m_out, m_err;
};

TEST_F(PupilsCommandsTest, ImportFromAFileAndFromInputThenList) {
    options({"insert", "--class", id(), "--set", "ano-ne"});
    const QString file =
        writeFile(QByteArray("\xEF\xBB\xBF") +
                  QStringLiteral("Petr S. muž\r\nAnetka M. žena\r\nAleš - muž\r\n").toUtf8());
    ASSERT_EQ(pupils({"import", "--class", id(), file}), 0) << m_err.toStdString();
    EXPECT_EQ(m_out, QStringLiteral("Do třídy %1 přidáno žáků: 3.\n").arg(m_classId));
    ASSERT_EQ(pupils({"import", "--class=" + id(), "-"}, QStringLiteral("Zita O'Neil žena\n")), 0);
    EXPECT_EQ(rows(), QStringList({"Aleš|-|muž|1", "Anetka|M.|žena|2", "Petr|S.|muž|3", "Zita|O'Neil|žena|4",
                                   "ano|∅|ano-ne|5", "ne|∅|ano-ne|6"}));
    ASSERT_EQ(pupils({"list", "--class", id()}), 0);
    EXPECT_EQ(m_out, QStringLiteral("Aleš -\r\nAnetka M.\r\nPetr S.\r\nZita O'Neil\r\n"));
}

TEST_F(PupilsCommandsTest, WrongClassOrInputChangesNothing) {
    EXPECT_EQ(pupils({"import", "--class", "999", "-"}, QStringLiteral("Petr")), 1);
    EXPECT_EQ(m_err, QStringLiteral("Třída s číslem 999 v databázi není.\n"));
    EXPECT_EQ(pupils({"list", "--class", "abc"}), 2);
    EXPECT_TRUE(m_err.contains(QStringLiteral("není platné")));
    EXPECT_EQ(pupils({"list"}), 2);
    EXPECT_EQ(pupils({"import", "--class", id(), m_dir.filePath(QStringLiteral("chybi.txt"))}), 1);
    EXPECT_EQ(pupils({"import", "--class", id(), writeFile("Ji\xF8\xED Nov\xE1k")}), 1); // Windows-1250 bytes
    EXPECT_TRUE(m_err.contains(QStringLiteral("UTF-8")));
    EXPECT_EQ(pupils({"smazat"}), 2);
    EXPECT_EQ(options({"insert", "--class", "999", "--set", "all"}), 1);
    EXPECT_EQ(options({"insert", "--class", id(), "--set", "xyz"}), 2);
    EXPECT_TRUE(m_err.contains(QStringLiteral("Neznámá sada možností \"xyz\"")));
    EXPECT_EQ(options({"insert", "--class", id()}), 2);
    EXPECT_EQ(options({"vložit"}), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak")), 0);

    m_db->exec(QStringLiteral("CREATE TRIGGER no_chyba BEFORE INSERT ON zak WHEN NEW.jmeno = 'Chyba' "
                              "BEGIN SELECT RAISE(ABORT, 'řádek odmítnut'); END"));
    EXPECT_EQ(pupils({"import", "--class", id(), "-"}, QStringLiteral("Anna\nChyba\nPetr\n")), 1);
    EXPECT_TRUE(m_err.contains(QStringLiteral("řádek odmítnut")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak")), 0);
}

TEST_F(PupilsCommandsTest, OptionSetsAreInsertedOnceAndAllRenumbers) {
    ASSERT_EQ(options({"insert", "--class", id(), "--set", "abcde"}), 0);
    EXPECT_EQ(m_out, QStringLiteral("Do třídy %1 přidáno řádků možností: 5.\n").arg(m_classId));
    ASSERT_EQ(options({"insert", "--class", id(), "--set", "abcde"}), 0);
    EXPECT_EQ(m_out, QStringLiteral("Do třídy %1 přidáno řádků možností: 0.\n").arg(m_classId));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE poradi IS NULL")), 5);
    ASSERT_EQ(options({"insert", "--class", id(), "--set", "all"}), 0);
    EXPECT_EQ(m_out, QStringLiteral("Do třídy %1 přidáno řádků možností: 16.\n").arg(m_classId));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE poradi BETWEEN 1 AND 21")), 21);
    ASSERT_EQ(options({"insert", "--class", id(), "--set", "---"}), 0);
    ASSERT_EQ(pupils({"list", "--class", id()}), 0);
    EXPECT_EQ(m_out, QString());
}

} // namespace
