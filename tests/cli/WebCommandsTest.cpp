// The headless web-form commands, run in-process on a data folder with the demo class.
#include "CliRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class WebCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_data = m_dir.path() + "/data/";
        const CliRun demo = run({"demo"});
        ASSERT_EQ(demo.code, 0) << demo.err.toStdString();
        const QRegularExpressionMatch match = QRegularExpression("vyhodnocení (\\d+)").match(demo.out);
        ASSERT_TRUE(match.hasMatch());
        m_session = match.captured(1);
    }
    CliRun run(const QStringList &args) { return runCliOn(m_data, m_dir.path(), args); }
    QTemporaryDir m_dir;
    QString m_data;
    QString m_session;
};

TEST_F(WebCommandsTest, FormsAreWrittenAndCollectedResultsImportedOnce) {
    const CliRun forms = run({"forms", "--session", m_session});
    ASSERT_EQ(forms.code, 0) << forms.err.toStdString();
    const QString folder = m_data + "html/" + m_session + "/";
    EXPECT_EQ(forms.out, folder + "\n");
    const QStringList pages = QDir(folder).entryList({"zak_*.php"});
    ASSERT_FALSE(pages.isEmpty());

    // Two answers of the first pupil as the collector writes them, one line that is not an answer.
    const QString pupil = pages.first().mid(4).chopped(4);
    QFile allowed(folder + "povolene.php");
    ASSERT_TRUE(allowed.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch question =
        QRegularExpression("    (\\d+) => array\\('slovni' => false, 'poz' => array\\((\\d+), (\\d+)")
            .match(QString::fromUtf8(allowed.readAll()));
    ASSERT_TRUE(question.hasMatch());
    const QString partner = question.captured(2) == pupil ? question.captured(3) : question.captured(2);
    QFile csv(m_dir.path() + "/data.csv");
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write(QStringLiteral("%1,%2,1,%3,%4,t,-\r\n%1,%2,0,%3,%4,t,-\r\n%1,%2,1,%3,%3,t,-\r\n")
                  .arg(m_session, question.captured(1), pupil, partner)
                  .toUtf8());
    csv.close();

    const CliRun first = run({"results", "import", "--session", m_session, "--csv", csv.fileName()});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("Načteno řádků: 3\n"))) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("Odmítnuto řádků: 1\n")));
    const CliRun second = run({"results", "import", "--session", m_session, "--csv", csv.fileName()});
    EXPECT_TRUE(second.out.contains(QStringLiteral("Přidáno odpovědí: 0\n"))) << second.out.toStdString();

    EXPECT_EQ(run({"forms", "--session", "x"}).code, 2);
    EXPECT_EQ(run({"publish", "--session", "99999"}).code, 1);
}

} // namespace
