// What a teacher meets when the disk is full, a file is damaged or another program writes at the same
// time: an exit code of 1 with a Czech reason, the old file intact, nothing imported in part.
#include "CliRun.h"
#include "data/Database.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

int count(const QString &database, const QString &sql) {
    Database db(QStringLiteral("faults-check"));
    db.open(database, QStringList());
    return db.scalar(sql).toInt();
}

// A demo data folder of its own.
class DemoFolder {
public:
    explicit DemoFolder(const QString &path) : m_path(path) {
        QDir().mkpath(path);
        const CliRun demo = run({"demo"});
        EXPECT_EQ(demo.code, 0) << demo.err.toStdString();
    }
    CliRun run(const QStringList &args) const { return runCliOn(m_path, m_path, args); }
    QString database() const { return m_path + QStringLiteral("/skola.mdb"); }
    QString path() const { return m_path; }

private:
    QString m_path;
};

// A small tmpfs of our own, filled to the last byte on request.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_mount = m_dir.filePath(QStringLiteral("disk"));
        QDir().mkpath(m_mount);
        if (::mount("tmpfs", QFile::encodeName(m_mount).constData(), "tmpfs", 0, "size=4m") != 0)
            GTEST_SKIP() << "a tmpfs cannot be mounted here (needs root and a kernel that allows it): "
                         << std::strerror(errno);
        m_mounted = true;
    }
    void TearDown() override {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_mount).constData(), MNT_DETACH);
    }
    QString onDisk(const QString &name) const { return m_mount + u'/' + name; }
    // Takes every free byte of the tmpfs.
    void fill() {
        QFile filler(onDisk(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        for (int i = 0; i < 64; ++i) // what the last blocks left
            filler.write("x", 1);
    }
    // Files a failed write left behind on the disk, beside the ones named.
    QStringList strayFiles(const QStringList &expected) const {
        QStringList stray;
        QDirIterator it(m_mount, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = QDir(m_mount).relativeFilePath(it.next());
            if (name != QLatin1String("filler") && !expected.contains(name))
                stray << name;
        }
        return stray;
    }

    QTemporaryDir m_dir;
    QString m_mount;
    bool m_mounted = false;
};

TEST_F(FullDisk, EveryOutputFailsWithTheReasonAndKeepsTheOldFile) {
    const DemoFolder data(m_dir.filePath(QStringLiteral("data")));
    const QString session = QString::number(count(data.database(), "SELECT min(ID) FROM vyhodnoceni"));
    const QString question = QString::number(count(
        data.database(), "SELECT min(o.ID) FROM otazky o JOIN vyhodnoceni v ON v.id_testu = o.id_testu"));
    const QString questionnaire = QString::number(count(data.database(), "SELECT min(ID) FROM testy"));

    struct Output {
        QString file;
        QStringList args; // the file's path is appended where it is empty
    };
    const QList<Output> outputs = {
        {"sociogram.sgp", {"sociogram", "--session", session, "--question", question, "--out", ""}},
        {"sociogram.png", {"sociogram", "--session", session, "--question", question, "--out", ""}},
        {"sociogram.jpg", {"sociogram", "--session", session, "--question", question, "--out", ""}},
        {"sociogram.svg", {"sociogram", "--session", session, "--question", question, "--out", ""}},
        {"sociogram.emf", {"sociogram", "--session", session, "--question", question, "--out", ""}},
        {"zprava.txt", {"report", "--session", session, "--out", ""}},
        {"zprava.html", {"report", "--session", session, "--out", ""}},
        {"zprava.docx", {"report", "--session", session, "--out", ""}},
        {"graf.png", {"chart", "--session", session, "--out", ""}},
        {"body.csv", {"chart", "--session", session, "--points", ""}},
        {"grafy.docx", {"chart", "--session", session, "--word", ""}},
        {"zadani.docx", {"questionnaire", "sheet", "--id", questionnaire, "--out", ""}},
        {"pocty.csv", {"export", "counts", "--session", session, "--out", ""}},
        {"zaloha.mdb", {"backup", ""}},
        {"vymena.mdb", {"questionnaire", "export", "--id", questionnaire, ""}},
    };
    QStringList names;
    for (const Output &output : outputs) {
        writeAll(onDisk(output.file), "stary obsah " + output.file.toUtf8());
        names << output.file;
    }
    fill();

    for (const Output &output : outputs) {
        QStringList args = output.args;
        args[args.indexOf(QString())] = onDisk(output.file);
        const CliRun run = data.run(args);
        EXPECT_EQ(run.code, 1) << output.file.toStdString() << ": " << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Na disku není dost místa"))) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(QStringLiteral("No space"))) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QStringLiteral("nelze")), 1) << "the reason once: " << run.err.toStdString();
        EXPECT_EQ(readAll(onDisk(output.file)), "stary obsah " + output.file.toUtf8()) << output.file.toStdString();
    }
    EXPECT_EQ(strayFiles(names), QStringList());
}

TEST_F(FullDisk, SettingsFormsAndChangesOfAFolderOnAFullDiskStayAsTheyWere) {
    const DemoFolder data(onDisk(QStringLiteral("data")));
    const QString session = QString::number(count(data.database(), "SELECT min(ID) FROM vyhodnoceni"));
    ASSERT_EQ(data.run({"forms", "--session", session}).code, 0);
    const QString page = data.path() + QStringLiteral("/html/") + session + QStringLiteral("/index.php");
    const QByteArray formBefore = readAll(page);
    ASSERT_FALSE(formBefore.isEmpty());
    IniFile settings(data.path() + QStringLiteral("/nastaveni.ini"));
    ASSERT_TRUE(settings.writeString(QStringLiteral("databaze"), QStringLiteral("soubor"), QStringLiteral("skola.mdb")));
    const QByteArray settingsBefore = readAll(data.path() + QStringLiteral("/nastaveni.ini"));
    const int answers = count(data.database(), "SELECT count(*) FROM odpovedi");
    fill();

    QString error;
    EXPECT_FALSE(settings.writeString(QStringLiteral("nastaveni"), QStringLiteral("expert"), QStringLiteral("1"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Na disku není dost místa"))) << error.toStdString();
    EXPECT_EQ(readAll(data.path() + QStringLiteral("/nastaveni.ini")), settingsBefore);

    const CliRun forms = data.run({"forms", "--session", session});
    EXPECT_EQ(forms.code, 1);
    EXPECT_TRUE(forms.err.contains(QStringLiteral("Na disku není dost místa"))) << forms.err.toStdString();
    EXPECT_EQ(readAll(page), formBefore);

    // The class cascade cannot write its journal: nothing goes, and the teacher is told why.
    const CliRun deleted = data.run({"delete", "class", "1", "--yes"});
    EXPECT_EQ(deleted.code, 1);
    EXPECT_TRUE(deleted.err.contains(QStringLiteral("Na disku není dost místa"))) << deleted.err.toStdString();
    EXPECT_EQ(count(data.database(), "SELECT count(*) FROM odpovedi"), answers);
}

// The disk fills while the pages of a bigger class are made: every page of the previous generation stays
// byte for byte, no page of the new one and no temporary folder is left.
TEST_F(FullDisk, FormsThatNoLongerFitLeaveEveryOldPage) {
    const DemoFolder data(onDisk(QStringLiteral("data")));
    const QString session = QString::number(count(data.database(), "SELECT min(ID) FROM vyhodnoceni"));
    ASSERT_EQ(data.run({"forms", "--session", session}).code, 0);
    const QString folder = data.path() + QStringLiteral("/html/") + session + u'/';
    QMap<QString, QByteArray> before;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        before[name] = readAll(folder + name);
    ASSERT_GT(before.size(), 5);

    QByteArray pupils;
    for (int i = 0; i < 40; ++i)
        pupils += QStringLiteral("Žák%1 Nový muž\n").arg(i).toUtf8();
    writeAll(m_dir.filePath(QStringLiteral("zaci.txt")), pupils);
    ASSERT_EQ(data.run({"pupils", "import", "--class", "1", m_dir.filePath(QStringLiteral("zaci.txt"))}).code, 0);
    fill();
    // Room for a few of the new pages, not for all of them.
    QFile filler(onDisk(QStringLiteral("filler")));
    ASSERT_TRUE(filler.resize(filler.size() - 160 * 1024));

    const CliRun forms = data.run({"forms", "--session", session});
    EXPECT_EQ(forms.code, 1);
    EXPECT_TRUE(forms.err.contains(QStringLiteral("Na disku není dost místa"))) << forms.err.toStdString();
    QMap<QString, QByteArray> after;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        after[name] = readAll(folder + name);
    EXPECT_EQ(after.keys(), before.keys());
    EXPECT_TRUE(after == before) << "a page of the previous generation changed";
    EXPECT_EQ(QDir(data.path() + QStringLiteral("/html")).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{session});
}

// A transaction whose commit fails is rolled back: the connection is not left inside it, so later
// changes are committed as they should be.
TEST_F(FullDisk, AFailedCommitLeavesNoOpenTransaction) {
    Database db(QStringLiteral("faults-commit"));
    db.create(onDisk(QStringLiteral("skola.mdb")));
    db.exec(QStringLiteral("PRAGMA cache_size = 1"));
    fill();
    {
        Transaction transaction(db);
        try {
            for (int i = 0; i < 2000; ++i)
                db.exec(QStringLiteral("INSERT INTO trida (skola) VALUES (:s)"),
                        {{QStringLiteral("s"), QString(200, u'x')}});
            transaction.commit();
            FAIL() << "4 MB took 400 kB of rows on a full disk";
        } catch (const DatabaseError &e) {
            EXPECT_TRUE(e.explainsItself()) << e.message().toStdString();
        }
    }
    QFile::remove(onDisk(QStringLiteral("filler")));
    Transaction transaction(db);
    db.exec(QStringLiteral("INSERT INTO trida (skola) VALUES ('po uvolnění')"));
    transaction.commit();
    db.close();
    EXPECT_EQ(count(onDisk(QStringLiteral("skola.mdb")), "SELECT count(*) FROM trida"), 1);
}

// The database or exchange file with a page damaged on purpose.
class DamagedFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    // Overwrites the last leaf page of the table's rows with zeros.
    static void damageTable(const QString &file, const QString &table) {
        qint64 page = 0, pageSize = 0;
        {
            Database db(QStringLiteral("faults-damage"));
            db.open(file, QStringList());
            pageSize = db.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
            page = db.scalar(QStringLiteral("SELECT max(pageno) FROM dbstat WHERE name = :t AND pagetype = 'leaf'"),
                             {{QStringLiteral("t"), table}})
                       .toLongLong();
        }
        ASSERT_GT(page, 1) << table.toStdString() << " lies on one page only";
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek((page - 1) * pageSize);
        f.write(QByteArray(int(pageSize), '\0'));
    }
    QTemporaryDir m_dir;
};

TEST_F(DamagedFile, OutputsOfASessionSayTheDatabaseIsDamagedInsteadOfShowingFewerAnswers) {
    const DemoFolder data(m_dir.filePath(QStringLiteral("data")));
    const QString session = QString::number(count(data.database(), "SELECT min(ID) FROM vyhodnoceni"));
    const QString question = QString::number(count(
        data.database(), "SELECT min(o.ID) FROM otazky o JOIN vyhodnoceni v ON v.id_testu = o.id_testu"));
    damageTable(data.database(), QStringLiteral("odpovedi"));

    const CliRun report = data.run({"report", "--session", session});
    EXPECT_EQ(report.code, 1) << report.out.toStdString();
    EXPECT_TRUE(report.err.contains(QStringLiteral("poškozený"))) << report.err.toStdString();
    for (const QStringList &command :
         {QStringList{"export", "counts", "--session", session},
          QStringList{"analysis", "--session", session, "--question", question}}) {
        const CliRun run = data.run(command);
        EXPECT_EQ(run.code, 1) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("poškozený"))) << command.join(' ').toStdString();
    }

    const CliRun sociogram =
        data.run({"sociogram", "--session", session, "--question", question, "--out", m_dir.filePath("s.sgp")});
    EXPECT_EQ(sociogram.code, 1);
    EXPECT_TRUE(sociogram.err.contains(QStringLiteral("poškozený"))) << sociogram.err.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath("s.sgp")));
}

TEST_F(DamagedFile, ADamagedExchangeFileImportsNothing) {
    const DemoFolder data(m_dir.filePath(QStringLiteral("data")));
    const CliRun added = data.run({"questionnaire", "add", "Velký dotazník"});
    ASSERT_EQ(added.code, 0);
    const QString id = added.out.trimmed();
    for (int i = 1; i <= 305; ++i)
        ASSERT_EQ(data.run({"question", "add", "--questionnaire", id, "--text",
                            QStringLiteral("Otázka číslo %1 s dlouhým textem, který zabere místo na stránce").arg(i)})
                      .code,
                  0);
    const QString file = m_dir.filePath(QStringLiteral("vymena.mdb"));
    ASSERT_EQ(data.run({"questionnaire", "export", "--id", id, file}).code, 0);
    damageTable(file, QStringLiteral("otazky"));
    const int questionnaires = count(data.database(), "SELECT count(*) FROM testy");
    const int questions = count(data.database(), "SELECT count(*) FROM otazky");

    const CliRun imported = data.run({"questionnaire", "import", file});
    EXPECT_EQ(imported.code, 1) << imported.out.toStdString();
    EXPECT_TRUE(imported.err.contains(QStringLiteral("je poškozený. Nic nebylo importováno."))) << imported.err.toStdString();
    EXPECT_FALSE(imported.err.contains(QStringLiteral("autora programu"))) << imported.err.toStdString();
    EXPECT_EQ(count(data.database(), "SELECT count(*) FROM testy"), questionnaires);
    EXPECT_EQ(count(data.database(), "SELECT count(*) FROM otazky"), questions);
}

// Files the fuzzer found imported in part before: each is refused whole now.
TEST_F(DamagedFile, FuzzedExchangeFilesAreRefusedWhole) {
    const DemoFolder data(m_dir.filePath(QStringLiteral("data")));
    const int questions = count(data.database(), "SELECT count(*) FROM otazky");
    const QStringList findings = QDir(QStringLiteral(EXCHANGE_FINDINGS_DIR)).entryList({"*.mdb"}, QDir::Files);
    ASSERT_FALSE(findings.isEmpty());
    for (const QString &name : findings) {
        const QString copy = m_dir.filePath(name);
        QFile::copy(QStringLiteral(EXCHANGE_FINDINGS_DIR "/") + name, copy);
        const CliRun imported = data.run({"questionnaire", "import", copy});
        EXPECT_EQ(imported.code, 1) << name.toStdString() << ": " << imported.out.toStdString();
        EXPECT_TRUE(imported.err.contains(QStringLiteral("poškozený"))) << imported.err.toStdString();
    }
    EXPECT_EQ(count(data.database(), "SELECT count(*) FROM otazky"), questions);
}

// Texts from an exchange file lose their control characters (line breaks of the descriptions kept) and are
// cut to the column's length before they reach the database and the reports.
TEST_F(DamagedFile, TextsOfAnExchangeFileAreCleanedAndCut) {
    const DemoFolder data(m_dir.filePath(QStringLiteral("data")));
    const QString id = QString::number(count(data.database(), "SELECT min(ID) FROM testy"));
    const QString file = m_dir.filePath(QStringLiteral("cizi.mdb"));
    ASSERT_EQ(data.run({"questionnaire", "export", "--id", id, file}).code, 0);
    {
        Database exchange(QStringLiteral("faults-foreign"));
        exchange.open(file, QStringList());
        exchange.exec(QStringLiteral("UPDATE otazky SET text_otazky = :t, nadpis_nad = :n"),
                      {{QStringLiteral("t"), QString(QChar(0)) + QStringLiteral("Kdo\x01 je\x1b tu?") + QString(10000, u'x')},
                       {QStringLiteral("n"), QStringLiteral("Řádek 1\r\nŘádek 2\x07")}});
    }
    const CliRun imported = data.run({"questionnaire", "import", file});
    ASSERT_EQ(imported.code, 0) << imported.err.toStdString();
    Database db(QStringLiteral("faults-imported"));
    db.open(data.database());
    const QVariantMap t{{QStringLiteral("t"), imported.out.trimmed()}};
    const QString text = db.scalar(QStringLiteral("SELECT min(text_otazky) FROM otazky WHERE id_testu = :t"), t).toString();
    EXPECT_EQ(text.size(), 255);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Kdo je tu?xxx"))) << text.left(20).toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT min(nadpis_nad) FROM otazky WHERE id_testu = :t"), t).toString(),
              QStringLiteral("Řádek 1\r\nŘádek 2"));
}

// The real program, as a script or a second window runs it.
QProcess *startCli(const QString &data, const QStringList &args, QObject *parent = nullptr) {
    auto *process = new QProcess(parent);
    process->start(QStringLiteral(ORBELIS_CLI_BINARY), QStringList{"--data", data} + args);
    return process;
}

TEST(StandardInput, IsDecodedAsStrictlyAsANamedFile) {
    QTemporaryDir dir;
    const DemoFolder data(dir.filePath(QStringLiteral("data")));
    const int pupils = count(data.database(), "SELECT count(*) FROM zak");
    QProcess process;
    process.start(QStringLiteral(ORBELIS_CLI_BINARY), {"--data", data.path(), "pupils", "import", "--class", "1", "-"});
    process.write("Ji\xF8\xED Nov\xE1k\n"); // Windows-1250
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("není v kódování UTF-8")));
    EXPECT_EQ(count(data.database(), "SELECT count(*) FROM zak"), pupils);
}

// Two programs write into one database for half a minute: every write waits its turn, none fails as busy,
// none is lost.
TEST(TwoPrograms, WriteAtOnceWithoutLosingAnything) {
    QTemporaryDir dir;
    const DemoFolder data(dir.filePath(QStringLiteral("data")));
    const QString db = data.database();
    const QString cls = QString::number(count(db, "SELECT min(ID) FROM trida"));
    const QString questionnaire = QString::number(count(db, "SELECT min(ID) FROM testy"));
    const CliRun added = data.run({"session", "add", "--class", cls, "--questionnaire", questionnaire});
    ASSERT_EQ(added.code, 0) << added.err.toStdString();
    const QString session = added.out.trimmed();
    QList<qint64> pupils, questions;
    {
        Database read(QStringLiteral("faults-ids"));
        read.open(db);
        SqlQuery p(read, QStringLiteral("SELECT ID FROM zak WHERE id_tridy = :c AND pohlavi IN ('muž', 'žena') "
                                         "ORDER BY ID"));
        p.bind(QStringLiteral("c"), cls).exec();
        while (p.next())
            pupils << p.value(0).toLongLong();
        SqlQuery q(read, QStringLiteral("SELECT ID FROM otazky WHERE id_testu = :t AND coalesce(typ, 0) = 0 "
                                         "AND coalesce(text_otazky_negativni, '') <> ''"));
        q.bind(QStringLiteral("t"), questionnaire).exec();
        while (q.next())
            questions << q.value(0).toLongLong();
    }
    ASSERT_GE(pupils.size(), 4);
    ASSERT_FALSE(questions.isEmpty());

    // One program marks positive choices one by one, the other imports result files of negative ones.
    constexpr int kLinesPerFile = 4;
    int marked = 0, imported = 0, failures = 0, nextChoice = 0, nextFile = 0;
    QString failureText;
    const auto choice = [&](int n, qint64 *r, qint64 *p, qint64 *q) {
        const int pairs = int(pupils.size() * (pupils.size() - 1));
        *q = questions[(n / pairs) % questions.size()];
        *r = pupils[(n % pairs) / (pupils.size() - 1)];
        int partner = (n % pairs) % int(pupils.size() - 1);
        if (partner >= pupils.indexOf(*r))
            ++partner;
        *p = pupils[partner];
    };
    const int capacity = int(pupils.size() * (pupils.size() - 1) * questions.size());
    QElapsedTimer clock;
    clock.start();
    QProcess *marker = nullptr, *importer = nullptr;
    const auto startMarker = [&] {
        qint64 r, p, q;
        choice(nextChoice++ % capacity, &r, &p, &q);
        marker = startCli(data.path(), {"answers", "add", "--session", session, "--question", QString::number(q),
                                        "--respondent", QString::number(r), "--partner", QString::number(p)});
    };
    const auto startImporter = [&] {
        QByteArray csv;
        for (int i = 0; i < kLinesPerFile; ++i) {
            qint64 r, p, q;
            choice((nextFile * kLinesPerFile + i) % capacity, &r, &p, &q);
            csv += QStringLiteral("%1,%2,0,%3,%4,-,-\n").arg(session).arg(q).arg(r).arg(p).toUtf8();
        }
        const QString file = dir.filePath(QStringLiteral("data%1.csv").arg(nextFile++));
        writeAll(file, csv);
        importer = startCli(data.path(), {"results", "import", "--session", session, "--csv", file});
    };
    const auto finished = [&](QProcess *&process, int &done) {
        if (!process || !process->waitForFinished(0))
            return false;
        if (process->exitCode() == 0)
            ++done;
        else {
            ++failures;
            failureText = QString::fromUtf8(process->readAllStandardError());
        }
        delete process;
        process = nullptr;
        return true;
    };
    startMarker();
    startImporter();
    while (marker || importer) {
        QThread::msleep(5);
        if (finished(marker, marked) && clock.elapsed() < 30000 && nextChoice < capacity)
            startMarker();
        if (finished(importer, imported) && clock.elapsed() < 30000 && nextFile * kLinesPerFile < capacity)
            startImporter();
    }
    EXPECT_EQ(failures, 0) << failureText.toStdString();
    EXPECT_GT(marked, 20);
    EXPECT_GT(imported, 5);
    EXPECT_EQ(count(db, "SELECT count(*) FROM odpovedi WHERE id_vyhodnoceni = " + session + " AND pozitivni = 1"),
              std::min(marked, capacity));
    EXPECT_EQ(count(db, "SELECT count(*) FROM odpovedi WHERE id_vyhodnoceni = " + session + " AND pozitivni = 0"),
              std::min(imported * kLinesPerFile, capacity));
}

} // namespace
