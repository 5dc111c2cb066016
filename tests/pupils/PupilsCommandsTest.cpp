#include "PupilsTestDatabase.h"

#include "cli/PupilsCommands.h"

#include <QBuffer>
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
    EXPECT_EQ(m_out, QStringLiteral("Do třídy %1 přidáno žáků: 3.\n"
                                    "Vynecháno prázdných řádků: 0.\n"
                                    "Zkráceno jmen delších než 255 znaků: 0.\n")
                         .arg(m_classId));
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

TEST_F(PupilsCommandsTest, ControlCharactersAndEmptyLinesAreLeftOutAndCounted) {
    const QByteArray list("Petr\0 Novak muz\n\0\0\0\n", 20);
    ASSERT_EQ(pupils({"import", "--class", id(), "-"}, QString::fromUtf8(list)), 0) << m_err.toStdString();
    EXPECT_EQ(m_out, QStringLiteral("Do třídy %1 přidáno žáků: 1.\n"
                                    "Vynecháno prázdných řádků: 1.\n"
                                    "Zkráceno jmen delších než 255 znaků: 0.\n")
                         .arg(m_classId));
    ASSERT_EQ(pupils({"import", "--class", id(), writeFile(list + "\tEva\x01 Nov\xC3\xA1 \x1b\r\n")}), 0);
    EXPECT_TRUE(m_out.contains(QStringLiteral("přidáno žáků: 2.\nVynecháno prázdných řádků: 1.\n")));
    EXPECT_EQ(rows(), QStringList({"Eva|Nová|muž|1", "Petr|Novak|muz|2", "Petr|Novak|muz|3"}));

    // Rows written before names were cleaned still list without control characters.
    addRow(QStringLiteral("Ota") + QChar(0) + QStringLiteral("\tX"), QStringLiteral("Malý\r\n"),
           QStringLiteral("muž"));
    ASSERT_EQ(pupils({"list", "--class", id()}), 0);
    EXPECT_FALSE(m_out.contains(QChar(0)));
    EXPECT_EQ(m_out, QStringLiteral("Ota X Malý  \r\nEva Nová\r\n")); // "muz" is not a pupil's type
}

TEST_F(PupilsCommandsTest, LongNamesAreCutToTheColumnAndCounted) {
    const QString longName(300, u'a');
    ASSERT_EQ(pupils({"import", "--class", id(), "-"}, longName + QStringLiteral(" B\nC ") + longName + u' ' +
                                                           longName + QStringLiteral("\nD\n")),
              0);
    EXPECT_TRUE(m_out.endsWith(QStringLiteral("Zkráceno jmen delších než 255 znaků: 2.\n")))
        << m_out.toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT max(length(jmeno)) FROM zak")), 255);
    EXPECT_EQ(count(QStringLiteral("SELECT max(length(prijmeni)) FROM zak")), 255);
    EXPECT_EQ(count(QStringLiteral("SELECT max(length(pohlavi)) FROM zak")), 255);
}

// Standard input that makes up a pupil list as it is read and, halfway through, notes how many pupils the
// class holds already.
class GeneratedList final : public QIODevice {
public:
    GeneratedList(int lines, std::function<int()> storedPupils)
        : m_lines(lines), m_storedPupils(std::move(storedPupils)) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    int storedHalfway() const { return m_storedHalfway; }

protected:
    qint64 readData(char *data, qint64 maxSize) override {
        if (m_pending.isEmpty() && m_next < m_lines) {
            if (m_next == m_lines / 2)
                m_storedHalfway = m_storedPupils();
            for (int i = 0; i < 1000 && m_next < m_lines; ++i, ++m_next)
                m_pending += QStringLiteral("Žák %1 muž\n").arg(m_next).toUtf8();
        }
        const qint64 n = qMin<qint64>(maxSize, m_pending.size());
        memcpy(data, m_pending.constData(), size_t(n));
        m_pending.remove(0, n);
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    int m_lines;
    int m_next = 0;
    int m_storedHalfway = -1;
    QByteArray m_pending;
    std::function<int()> m_storedPupils;
};

TEST_F(PupilsCommandsTest, AnImportStoresPupilsWhileItsInputIsStillComing) {
    GeneratedList list(40'000, [&] { return count(QStringLiteral("SELECT count(*) FROM zak")); });
    QTextStream in(&list);
    QTextStream out(&m_out), err(&m_err);
    ASSERT_EQ(runPupilsCommand({"import", "--class", id(), "-"}, *m_db, in, out, err), 0);
    out.flush();
    EXPECT_TRUE(m_out.startsWith(QStringLiteral("Do třídy %1 přidáno žáků: 40000.\n").arg(m_classId)));
    // Not read whole before the first insert: the first half is in the class while the rest is read.
    EXPECT_GT(list.storedHalfway(), 10'000);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak WHERE poradi BETWEEN 1 AND 40000")), 40'000);

    // A list that is not UTF-8 halfway through changes nothing, whatever was read before.
    QByteArray bytes;
    for (int i = 0; i < 50'000; ++i)
        bytes += "Anna Nová žena\n";
    bytes += "Ji\xF8\xED Nov\xE1k\n";
    EXPECT_EQ(pupils({"import", "--class", id(), writeFile(bytes)}), 1);
    EXPECT_TRUE(m_err.contains(QStringLiteral("UTF-8")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM zak")), 40'000);
}

// Output that counts the writes reaching it.
class CountingOutput final : public QBuffer {
public:
    int writes = 0;

protected:
    qint64 writeData(const char *data, qint64 size) override {
        ++writes;
        return QBuffer::writeData(data, size);
    }
};

TEST_F(PupilsCommandsTest, TheListIsWrittenAsTheRowsCome) {
    QString list;
    for (int i = 0; i < 20'000; ++i)
        list += QStringLiteral("Žák %1 muž\n").arg(i);
    ASSERT_EQ(pupils({"import", "--class", id(), "-"}, list), 0);
    CountingOutput output;
    output.open(QIODevice::WriteOnly);
    QString input;
    QTextStream in(&input), out(&output), err(&m_err);
    ASSERT_EQ(runPupilsCommand({"list", "--class", id()}, *m_db, in, out, err), 0);
    out.flush();
    // The text stream passes its output on in pieces of 16 KiB as it fills; a list built whole would
    // arrive in one write.
    EXPECT_GT(output.writes, 10);
    const QList<QByteArray> lines = output.data().split('\n');
    ASSERT_EQ(lines.size(), 20'001);
    EXPECT_EQ(lines.at(0), QByteArray("Žák 0\r"));
}

} // namespace
