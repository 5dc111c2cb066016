// The headless class document commands, run in-process on a data folder with the demo class.
#include "CliRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DocumentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_data = m_dir.path() + "/data/";
        const CliRun demo = run({"demo"});
        ASSERT_EQ(demo.code, 0) << demo.err.toStdString();
        const QRegularExpressionMatch match = QRegularExpression("třída (\\d+)").match(demo.out);
        ASSERT_TRUE(match.hasMatch());
        m_class = match.captured(1);
        m_folder = m_data + "Listiny/" + m_class + "/";
    }
    CliRun run(const QStringList &args) { return runCliOn(m_data, m_dir.path(), args); }
    QString write(const QString &name, const QByteArray &bytes) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QTemporaryDir m_dir;
    QString m_data;
    QString m_class;
    QString m_folder;
};

TEST_F(DocumentCommandsTest, ADocumentWithQuotesDiacriticsAndBlanksIsAddedListedAndRemovedWithItsFile) {
    const QString name = QStringLiteral("Zpráva \"třídní\" o 'žácích' 5.A.txt");
    const QString source = write(name, "ZPRAVA");
    const CliRun added = run({"documents", "add", "--class", m_class, source});
    ASSERT_EQ(added.code, 0) << added.err.toStdString();
    const QString first = added.out.trimmed();
    const CliRun titled =
        run({"documents", "add", "--class", m_class, source, "--title", "Hodnocení \"třídy\""});
    ASSERT_EQ(titled.code, 0) << titled.err.toStdString();
    const QString second = titled.out.trimmed();

    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    const CliRun listed = run({"documents", "list", "--class", m_class});
    ASSERT_EQ(listed.code, 0);
    const QString firstPath = m_folder + first + "_" + name;
    const QString secondPath = m_folder + second + "_" + name;
    EXPECT_EQ(listed.out, first + "\t" + today + "\t" + name + "\t" + firstPath + "\n" + second + "\t" +
                              today + "\tHodnocení \"třídy\"\t" + secondPath + "\n");
    QFile copy(secondPath);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), QByteArray("ZPRAVA"));

    EXPECT_EQ(run({"documents", "remove", first}).code, 1); // without --yes nothing goes
    EXPECT_TRUE(QFile::exists(firstPath));
    const CliRun removed = run({"documents", "remove", first, "--yes"});
    EXPECT_EQ(removed.code, 0) << removed.err.toStdString();
    EXPECT_FALSE(QFile::exists(firstPath));
    EXPECT_TRUE(QFile::exists(secondPath));
    EXPECT_EQ(run({"documents", "list", "--class", m_class}).out.count('\n'), 1);
    EXPECT_EQ(run({"documents", "remove", first, "--yes"}).code, 1); // gone already
}

TEST_F(DocumentCommandsTest, AFailedCopyRegistersNothingAndWrongUsageIsRefused) {
    const QString source = write("dopis.txt", "DOPIS");
    // The class's folder cannot be made: a file stands in its place.
    QDir().mkpath(m_data + "Listiny");
    QFile blocker(m_data + "Listiny/" + m_class);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const CliRun failed = run({"documents", "add", "--class", m_class, source});
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.err.contains("Soubor nelze duplikovat")) << failed.err.toStdString();
    EXPECT_EQ(run({"documents", "list", "--class", m_class}).out, QString());

    EXPECT_EQ(run({"documents", "add", "--class", "999", source}).code, 1);
    EXPECT_EQ(run({"documents", "add", "--class", m_class, m_dir.filePath("chybi.txt")}).code, 1);
    EXPECT_EQ(run({"documents", "add", source}).code, 2);
    EXPECT_EQ(run({"documents", "list"}).code, 2);
    EXPECT_EQ(run({"documents", "remove", "x", "--yes"}).code, 2);
}

} // namespace
