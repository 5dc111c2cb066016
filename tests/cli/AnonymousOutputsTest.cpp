// Outputs without names: every headless output of the demo class made with --anonymous, searched for every
// pupil's first name and surname, the school and the teacher; the anonymised copy of the class, whose
// analysis and sociogram are the original's with codes for names; and codes that stay when pupils come
// and go.
#include "CliRun.h"
#include "automation/DocxPackage.h"
#include "data/Database.h"
#include "support/Poppler.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class AnonymousOutputsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(data()));
        const DemoIds demo = writeDemo(data(), m_dir.path());
        ASSERT_TRUE(demo.ok()) << demo.run.out.toStdString() << demo.run.err.toStdString();
        m_class = demo.classId;
        m_session = demo.session;
        // A later survey of the class, for the comparison.
        const CliRun later = run({"session", "add", "--class", m_class, "--questionnaire", demo.questionnaire,
                                  "--date", "2027-01-15"});
        ASSERT_EQ(later.code, 0) << later.err.toStdString();
        m_later = later.out.trimmed();
        for (const char *pair : {"1:2", "2:1", "3:4"})
            ASSERT_EQ(run({"answers", "add", "--session", m_later, "--question", "1", "--respondent",
                           QString::fromLatin1(pair).section(u':', 0, 0), "--partner",
                           QString::fromLatin1(pair).section(u':', 1)})
                          .code,
                      0);
        // Every first name and surname of the class's pupils.
        for (const QString &row : rows(
                 QStringLiteral("SELECT jmeno || ' ' || prijmeni FROM zak WHERE pohlavi IN ('muž', 'žena')")))
            m_names << row.split(u' ', Qt::SkipEmptyParts);
        ASSERT_GE(m_names.size(), 40);
    }
    QString data() const { return m_dir.filePath(QStringLiteral("data")); }
    // The first column of a statement's rows, read from the data folder's database.
    QStringList rows(const QString &sql) {
        Database db(QStringLiteral("anonymous-test"));
        db.open(data() + QStringLiteral("/skola.mdb"));
        SqlQuery query(db, sql);
        query.exec();
        QStringList values;
        while (query.next())
            values << query.value(0).toString();
        return values;
    }
    CliRun run(const QStringList &args, const QString &folder = QString()) {
        return runCliOn(folder.isEmpty() ? data() : folder, m_dir.path(), args);
    }
    // The text of an output file as a reader of it sees it.
    static QString textOf(const QString &path) {
        const QString suffix = QFileInfo(path).suffix();
        if (suffix == QLatin1String("pdf"))
            return Poppler::text(path);
        if (suffix == QLatin1String("docx"))
            return QString::fromUtf8(readZip(path).value(QStringLiteral("word/document.xml")));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        const QByteArray bytes = file.readAll();
        if (suffix == QLatin1String("emf")) // texts of the records are UTF-16
            return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                                      bytes.size() / 2);
        return QString::fromUtf8(bytes);
    }
    // What `graph dump` prints of a sociogram file, line by line.
    QStringList dump(const QString &sgp) {
        const CliRun dumped = run({"graph", "dump", sgp});
        EXPECT_EQ(dumped.code, 0) << dumped.err.toStdString();
        return dumped.out.split(u'\n');
    }

    QTemporaryDir m_dir;
    QString m_class, m_session, m_later;
    QStringList m_names;
};

} // namespace

TEST_F(AnonymousOutputsTest, NoOutputMadeAnonymouslyNamesAPupilTheSchoolOrTheTeacher) {
    const QStringList forbidden = m_names + QStringList{"Komenského", "Brno", "Jana Malá"};
    const QString s = m_session;
    const QList<QStringList> commands = {
        {"sociogram", "--session", s, "--question", "1", "--out", "OUT.sgp"},
        {"sociogram", "--session", s, "--question", "1", "--negative", "--status-colours", "--out",
         "OUT.svg"},
        {"sociogram", "--session", s, "--question", "2", "--layout", "target", "--out", "OUT.pdf"},
        {"sociogram", "--session", s, "--question", "1", "--out", "OUT.emf"},
        {"chart", "--session", s, "--out", "OUT.svg", "--points", "OUT.csv", "--word", "OUT.docx"},
        {"chart", "--session", s, "--all-rows", "--out", "OUT.pdf"},
        {"report", "--session", s, "--names", "--zeros", "--out", "OUT.txt"},
        {"report", "--session", s, "--names", "--out", "OUT.html"},
        {"report", "--session", s, "--names", "--out", "OUT.docx"},
        {"report", "--session", s, "--names", "--out", "OUT.pdf"},
        {"analysis", "--session", s, "--question", "1", "--out", "OUT.json"},
        {"analysis", "--session", s, "--question", "1", "--out", "OUT.csv"},
        {"analysis", "--session", s, "--question", "1", "--out", "OUT.txt"},
        {"analysis", "--session", s, "--question", "1", "--out", "OUT.html"},
        {"analysis", "--session", s, "--question", "1", "--out", "OUT.docx"},
        {"analysis", "--session", s, "--question", "1", "--out", "OUT.pdf"},
        {"analysis", "--session", s, "--question", "1", "--out", "OUT.svg"},
        {"compare", "--from", s, "--to", m_later, "--question", "1", "--out", "OUT.json"},
        {"compare", "--from", s, "--to", m_later, "--question", "1", "--out", "OUT.html"},
        {"compare", "--from", s, "--to", m_later, "--question", "1", "--out", "OUT.docx"},
        {"compare", "--from", s, "--to", m_later, "--question", "1", "--out", "OUT.pdf"},
        {"export", "counts", "--session", s, "--out", "OUT.csv"},
        {"groups", "--session", s, "--question", "1", "--groups", "3", "--out", "OUT.json"},
        {"groups", "--session", s, "--question", "1", "--pairs", "--out", "OUT.txt"},
    };
    int files = 0;
    for (qsizetype c = 0; c < commands.size(); ++c) {
        QStringList args = commands[c];
        QStringList written;
        for (QString &word : args)
            if (word.startsWith(QLatin1String("OUT."))) {
                word = m_dir.filePath(QStringLiteral("a%1%2").arg(c).arg(word.mid(3)));
                written << word;
            }
        const CliRun made = run(args << "--anonymous");
        ASSERT_EQ(made.code, 0) << args.join(u' ').toStdString() << '\n' << made.err.toStdString();
        for (const QString &file : written) {
            SCOPED_TRACE(file.toStdString());
            const QString text = file.endsWith(QLatin1String(".sgp")) ? dump(file).join(u'\n') : textOf(file);
            ASSERT_FALSE(text.isEmpty());
            // The codes stand where the names stood.
            static const QStringList showCodes = {"sgp", "json", "txt", "csv", "html", "pdf"};
            if (showCodes.contains(QFileInfo(file).suffix()))
                EXPECT_TRUE(text.contains(QLatin1String("D1")) || text.contains(QLatin1String("C1")));
            for (const QString &name : forbidden)
                EXPECT_FALSE(text.contains(name)) << name.toStdString();
            ++files;
        }
    }
    EXPECT_EQ(files, 26);
    // The same outputs without the switch do name the pupils: the search above can find them.
    const CliRun named = run({"analysis", "--session", s, "--question", "1", "--format", "text"});
    EXPECT_TRUE(named.out.contains(QStringLiteral("Tomáš Zeman")));
}

TEST_F(AnonymousOutputsTest, FreeTextAnswersAreLeftOutUnlessAskedFor) {
    const CliRun plain = run({"report", "--session", m_session, "--names"});
    const CliRun without = run({"report", "--session", m_session, "--names", "--anonymous"});
    const CliRun with = run({"report", "--session", m_session, "--names", "--anonymous", "--with-free-text"});
    ASSERT_EQ(plain.code + without.code + with.code, 0)
        << without.err.toStdString() << with.err.toStdString();
    // The answers of the free-text question as the named report gives them ("Name: \ttext").
    QStringList answers;
    for (const QString &line : plain.out.split(u'\n'))
        if (line.contains(QLatin1String(": \t")))
            answers << line.section(QStringLiteral(": \t"), 1).trimmed();
    ASSERT_FALSE(answers.isEmpty());
    for (const QString &answer : answers) {
        EXPECT_FALSE(without.out.contains(answer)) << answer.toStdString();
        EXPECT_TRUE(with.out.contains(answer)) << answer.toStdString();
    }
    // Only with --anonymous.
    EXPECT_EQ(run({"report", "--session", m_session, "--with-free-text"}).code, 2);
}

TEST_F(AnonymousOutputsTest, TheAnonymisedCopyGivesTheSameAnalysisAndSociogramWithCodesForNames) {
    const QString copy = m_dir.filePath(QStringLiteral("trida.mdb"));
    const CliRun exported = run({"export", "anonymous", "--class", m_class, copy});
    ASSERT_EQ(exported.code, 0) << exported.err.toStdString();
    // The receiver's data folder with the copy as its database.
    const QString receiver = m_dir.filePath(QStringLiteral("prijemce"));
    ASSERT_TRUE(QDir().mkpath(receiver));
    ASSERT_EQ(run({"init"}, receiver).code, 0);
    ASSERT_TRUE(QFile::remove(receiver + QStringLiteral("/skola.mdb")));
    ASSERT_TRUE(QFile::copy(copy, receiver + QStringLiteral("/skola.mdb")));

    const QStringList analysis = {"analysis", "--session", m_session, "--question", "1", "--format", "json"};
    const CliRun original = run(analysis);
    const CliRun received = run(analysis, receiver);
    ASSERT_EQ(original.code + received.code, 0) << received.err.toStdString();
    QJsonObject a = QJsonDocument::fromJson(original.out.toUtf8()).object();
    QJsonObject b = QJsonDocument::fromJson(received.out.toUtf8()).object();
    QJsonArray pa = a.take(QStringLiteral("pupils")).toArray(),
               pb = b.take(QStringLiteral("pupils")).toArray();
    EXPECT_EQ(a, b);
    ASSERT_EQ(pa.size(), pb.size());
    ASSERT_GE(pa.size(), 20);
    const QString key = m_dir.filePath(QStringLiteral("klic.csv"));
    ASSERT_EQ(run({"export", "key", "--class", m_class, "--out", key}).code, 0);
    const QString keyText = textOf(key);
    for (qsizetype i = 0; i < pa.size(); ++i) {
        QJsonObject x = pa[i].toObject(), y = pb[i].toObject();
        const QString name = x.take(QStringLiteral("name")).toString();
        const QString code = y.take(QStringLiteral("name")).toString();
        EXPECT_EQ(x, y);
        // The key tells who the code is.
        EXPECT_TRUE(keyText.contains(code + u';' + name + u';')) << code.toStdString() << name.toStdString();
    }

    // The sociogram of the copy: the same objects in the same places; only the bubbles' texts and the
    // heading's school, date and teacher differ.
    const QStringList sociogram = {"sociogram", "--session", m_session, "--question", "1", "--out"};
    ASSERT_EQ(run(sociogram + QStringList{m_dir.filePath("a.sgp")}).code, 0);
    ASSERT_EQ(run(sociogram + QStringList{m_dir.filePath("b.sgp")}, receiver).code, 0);
    const QStringList da = dump(m_dir.filePath("a.sgp")), db = dump(m_dir.filePath("b.sgp"));
    ASSERT_EQ(da.size(), db.size());
    int texts = 0;
    for (qsizetype i = 0; i < da.size(); ++i) {
        if (da[i] == db[i])
            continue;
        EXPECT_TRUE(da[i].trimmed().startsWith(QLatin1String("Text: "))) << da[i].toStdString();
        ++texts;
    }
    EXPECT_EQ(texts, 25); // 24 bubbles and the heading
    // The copy keeps dates to the month.
    EXPECT_TRUE(db.join(u'\n').contains(QRegularExpression(QStringLiteral(
        "Text: \"Škola: neuvedena, vyplněno 1\\.\\d+\\.\\d{4}, třída 6\\.B, třídní učitel: neuveden\""))));

    // What the copy leaves out.
    const QString text = textOf(copy);
    for (const QString &name : m_names)
        EXPECT_FALSE(text.contains(name)) << name.toStdString();
    EXPECT_EQ(run({"export", "anonymous", "--class", "99", m_dir.filePath("x.mdb")}).code, 1);
    EXPECT_FALSE(QFile::exists(m_dir.filePath("x.mdb")));
}

TEST_F(AnonymousOutputsTest, CodesStayWhenPupilsJoinAndLeave) {
    const QString before = m_dir.filePath(QStringLiteral("pred.csv"));
    ASSERT_EQ(run({"export", "key", "--class", m_class, "--out", before}).code, 0);
    const QStringList old = textOf(before).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1);
    ASSERT_EQ(old.size(), 24);
    EXPECT_TRUE(old.first().startsWith(QLatin1String("D1;")));
    // A boy leaves, a month later a boy and a girl join.
    QString lastBoy;
    int boys = 0, girls = 0;
    for (const QString &line : old) {
        if (line.startsWith(u'C')) {
            lastBoy = line;
            ++boys;
        }
        girls += line.startsWith(u'D');
    }
    ASSERT_EQ(lastBoy.section(u';', 0, 0), QStringLiteral("C%1").arg(boys));
    const QString leaving =
        rows(QStringLiteral("SELECT id_zaka FROM pseudonymy WHERE kod = 'C%1'").arg(boys)).value(0);
    ASSERT_FALSE(leaving.isEmpty());
    ASSERT_EQ(run({"delete", "pupil", leaving, "--yes"}).code, 0);
    const QString joining = m_dir.filePath(QStringLiteral("novi.txt"));
    QFile file(joining);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Aaron Adámek muž\nAlena Abrahámová žena\n");
    file.close();
    ASSERT_EQ(run({"pupils", "import", "--class", m_class, joining}).code, 0);

    const QString after = m_dir.filePath(QStringLiteral("po.csv"));
    ASSERT_EQ(run({"export", "key", "--class", m_class, "--out", after}).code, 0);
    const QStringList now = textOf(after).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).mid(1);
    for (const QString &line : old)
        if (line != lastBoy)
            EXPECT_TRUE(now.contains(line)) << line.toStdString();
    EXPECT_FALSE(now.contains(lastBoy));
    // The newcomers get the next numbers; the code of the boy who left is given to nobody.
    EXPECT_TRUE(now.contains(QStringLiteral("C%1;Aaron Adámek;muž").arg(boys + 1)));
    EXPECT_TRUE(now.contains(QStringLiteral("D%1;Alena Abrahámová;žena").arg(girls + 1)));
    EXPECT_FALSE(textOf(after).contains(QStringLiteral("C%1;").arg(boys)));
}
