#include "cli/Cli.h"
#include "data/Database.h"
#include "platform/AppFolders.h"
#include "platform/Shell.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int code = 0;
    QString out;
    QString err;
};

CliRun run(const QStringList &args, const QString &programFolder = QString())
{
    CliRun result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.code = runCli(args, programFolder, out, err);
    return result;
}

TEST(CliTest, InitCreatesTheFolderAndDatabaseOnce)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("nova slozka"));
    CliRun r = run({QStringLiteral("init"), QStringLiteral("--data"), data});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/skola.mdb")));
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/Listiny")));
    r = run({QStringLiteral("--data"), data, QStringLiteral("init")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("už databázi má")));
}

TEST(CliTest, DemoWritesIntoTheConfiguredDatabase)
{
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("nastaveni.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[databaze]\nsoubor=ukazka.mdb\n");
    ini.close();
    const CliRun r = run({QStringLiteral("demo"), QStringLiteral("--data=") + dir.path()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("ukazka.mdb")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("skola.mdb"))));
    Database db(QStringLiteral("cli-test"));
    db.open(dir.filePath(QStringLiteral("ukazka.mdb")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 1);
    EXPECT_GT(db.scalar(QStringLiteral("SELECT count(*) FROM odpovedi")).toInt(), 100);
}

TEST(CliTest, UsageErrorsExitNonZeroWithAMessage)
{
    CliRun r = run({QStringLiteral("nesmysl"), QStringLiteral("--data"), QStringLiteral("/tmp")});
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Neznámý příkaz")));
    r = run({QStringLiteral("init"), QStringLiteral("--data")});
    EXPECT_NE(r.code, 0);
    EXPECT_FALSE(r.err.isEmpty());
    r = run({});
    EXPECT_NE(r.code, 0);
    r = run({QStringLiteral("--help")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("init")));
    // A data folder that cannot be created.
    r = run({QStringLiteral("init"), QStringLiteral("--data"), QStringLiteral("/proc/orbelis")});
    EXPECT_NE(r.code, 0);
    EXPECT_FALSE(r.err.isEmpty());
}

TEST(CliTest, AnEmptyDataFolderIsRefusedRatherThanTheDefaultOneUsed)
{
    // The default data folder lies in a temporary folder for this test, and holds a class.
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    QtShell shell;
    const QString defaultFolder = AppFolders::resolve({}, QString(), shell).dataFolder;
    ASSERT_TRUE(defaultFolder.startsWith(home.path())) << defaultFolder.toStdString();
    ASSERT_EQ(run({QStringLiteral("--data"), defaultFolder, QStringLiteral("demo")}).code, 0);

    const QStringList deleteClass = {QStringLiteral("delete"), QStringLiteral("class"), QStringLiteral("1"),
                                     QStringLiteral("--yes")};
    for (const QStringList &data :
         {QStringList{QStringLiteral("--data"), QString()}, QStringList{QStringLiteral("--data=")}}) {
        for (const QStringList &args :
             {data + deleteClass, deleteClass + data, data + QStringList{QStringLiteral("init")}}) {
            const CliRun r = run(args);
            EXPECT_EQ(r.code, 2) << args.join(u' ').toStdString();
            EXPECT_EQ(r.err, QStringLiteral("Volba --data potřebuje název složky.\n"));
            EXPECT_TRUE(r.out.isEmpty());
        }
    }
    {
        Database db(QStringLiteral("cli-test"));
        db.open(defaultFolder + QStringLiteral("skola.mdb"));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 1);
        EXPECT_GT(db.scalar(QStringLiteral("SELECT count(*) FROM zak")).toInt(), 20);
    }
    if (savedHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", savedHome);
}

TEST(CliTest, VersionComesFromTheVersionFile)
{
    QTemporaryDir dir;
    QFile version(dir.filePath(QStringLiteral("orbelis.txt")));
    ASSERT_TRUE(version.open(QIODevice::WriteOnly));
    version.write("2.5.1\n");
    version.close();
    const CliRun r = run({QStringLiteral("--version")}, dir.path());
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.trimmed(), QStringLiteral("Verze programu: 25.1"));
}

} // namespace

namespace {

TEST(CliTest, DeleteRunsTheCascadeOnlyWithYes)
{
    QTemporaryDir dir;
    ASSERT_EQ(run({QStringLiteral("demo"), QStringLiteral("--data"), dir.path()}).code, 0);
    CliRun r = run({QStringLiteral("delete"), QStringLiteral("class"), QStringLiteral("1"), QStringLiteral("--data"), dir.path()});
    EXPECT_NE(r.code, 0);
    {
        Database db(QStringLiteral("cli-delete"));
        db.open(dir.filePath(QStringLiteral("skola.mdb")));
        EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 1);
    }
    r = run({QStringLiteral("--data"), dir.path(), QStringLiteral("delete"), QStringLiteral("class"), QStringLiteral("1"),
             QStringLiteral("--yes")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    Database db(QStringLiteral("cli-delete"));
    db.open(dir.filePath(QStringLiteral("skola.mdb")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM trida")).toInt(), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM odpovedi")).toInt(), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM zak")).toInt(), 0);

    // A data folder that does not exist is refused without creating anything.
    r = run({QStringLiteral("delete"), QStringLiteral("class"), QStringLiteral("1"), QStringLiteral("--yes"),
             QStringLiteral("--data"), dir.filePath(QStringLiteral("chybi"))});
    EXPECT_NE(r.code, 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("chybi"))));
}

} // namespace

namespace {

// The real program, not the in-process call: the application object must leave "--session" alone.
TEST(CliBinaryTest, TheSessionOptionReachesTheCommand)
{
    QTemporaryDir dir;
    ASSERT_EQ(run({QStringLiteral("init"), QStringLiteral("--data"), dir.path()}).code, 0);
    QProcess process;
    process.start(QStringLiteral(ORBELIS_CLI_BINARY),
                  {QStringLiteral("--data"), dir.path(), QStringLiteral("report"), QStringLiteral("--session"),
                   QStringLiteral("999")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("neexistuje")));
}

// Started with nothing to do, the real program prints its help and exits with the usage code.
TEST(CliBinaryTest, NoCommandGivesTheHelpAndTheUsageCode) {
    QProcess process;
    process.start(QStringLiteral(ORBELIS_CLI_BINARY), QStringList());
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardOutput())
                    .startsWith(QStringLiteral("Použití: orbelis-cli")));
}

// The real program starts the commands that only read and write data without a platform or fonts, and
// those that draw with them: each kind works as a process of its own.
TEST(CliBinaryTest, EveryKindOfCommandRunsInTheRealProgram)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    const auto program = [&](const QStringList &args) {
        QProcess process;
        process.start(QStringLiteral(ORBELIS_CLI_BINARY), QStringList{QStringLiteral("--data"), data} + args);
        EXPECT_TRUE(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 0) << args.join(u' ').toStdString() << ": " << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("QGuiApplication"))) << err.toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    EXPECT_TRUE(program({QStringLiteral("--version")}).startsWith(QStringLiteral("Verze programu")));
    EXPECT_TRUE(program({QStringLiteral("--help")}).contains(QStringLiteral("demo")));
    program({QStringLiteral("demo")});
    EXPECT_TRUE(program({QStringLiteral("session"), QStringLiteral("list"), QStringLiteral("--class"),
                         QStringLiteral("1")})
                    .startsWith(QStringLiteral("1\t")));
    EXPECT_FALSE(program({QStringLiteral("pupils"), QStringLiteral("list"), QStringLiteral("--class"),
                          QStringLiteral("1")})
                     .isEmpty());
    program({QStringLiteral("questionnaire"), QStringLiteral("preview"), QStringLiteral("--id"), QStringLiteral("1"),
             QStringLiteral("--kind"), QStringLiteral("assignment")});
    program({QStringLiteral("export"), QStringLiteral("counts"), QStringLiteral("--session"), QStringLiteral("1"),
             QStringLiteral("--out"), dir.filePath(QStringLiteral("pocty.csv"))});
    program({QStringLiteral("forms"), QStringLiteral("--session"), QStringLiteral("1")});
    program({QStringLiteral("backup"), dir.filePath(QStringLiteral("zaloha.mdb"))});
    program({QStringLiteral("report"), QStringLiteral("--session"), QStringLiteral("1"), QStringLiteral("--out"),
             dir.filePath(QStringLiteral("zprava.docx"))});
    program({QStringLiteral("questionnaire"), QStringLiteral("sheet"), QStringLiteral("--id"), QStringLiteral("1"),
             QStringLiteral("--out"), dir.filePath(QStringLiteral("zadani.docx"))});
    program({QStringLiteral("sociogram"), QStringLiteral("--session"), QStringLiteral("1"), QStringLiteral("--question"),
             QStringLiteral("1"), QStringLiteral("--out"), dir.filePath(QStringLiteral("sociogram.png"))});
    program({QStringLiteral("chart"), QStringLiteral("--session"), QStringLiteral("1"), QStringLiteral("--out"),
             dir.filePath(QStringLiteral("graf.png"))});
    program({QStringLiteral("export"), QStringLiteral("anonymous"), QStringLiteral("--class"), QStringLiteral("1"),
             dir.filePath(QStringLiteral("trida.mdb"))});
    program({QStringLiteral("export"), QStringLiteral("key"), QStringLiteral("--class"), QStringLiteral("1"),
             QStringLiteral("--out"), dir.filePath(QStringLiteral("klic.pdf"))});
    for (const char *file : {"pocty.csv", "zaloha.mdb", "zprava.docx", "zadani.docx", "sociogram.png", "graf.png",
                             "trida.mdb", "klic.pdf"})
        EXPECT_GT(QFileInfo(dir.filePath(QString::fromLatin1(file))).size(), 0) << file;
}

} // namespace
