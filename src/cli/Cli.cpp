#include "cli/Cli.h"
#include "cli/CliHelp.h"

#include "app/DataFolderSetup.h"
#include "cli/AnalysisCommand.h"
#include "cli/ArchiveCommand.h"
#include "cli/ChartCommand.h"
#include "cli/CliOptions.h"
#include "cli/CodesCommand.h"
#include "cli/CompareCommand.h"
#include "cli/DeleteCommand.h"
#include "cli/DocumentCommands.h"
#include "cli/GraphCommands.h"
#include "cli/GroupsCommand.h"
#include "cli/MaintenanceCommands.h"
#include "cli/PupilsCommands.h"
#include "cli/QuestionnaireCommands.h"
#include "cli/ReportCommand.h"
#include "cli/SessionCommands.h"
#include "cli/SociogramCommand.h"
#include "cli/WebCommands.h"
#include "data/AnonymousCopy.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "platform/AppFolders.h"
#include "platform/Settings.h"
#include "platform/Shell.h"
#include "support/DemoData.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <stdexcept>

namespace {

// The help text lives in orbelis-cli.help.txt, which also gives the manual page: a new command adds
// its lines there.

// Options common to every command, taken out of the argument list.
struct CommonOptions {
    QString dataFolder;
    bool help = false;
    bool version = false;
    QStringList words;
};

CommonOptions parseCommon(const QStringList &arguments, QString *error)
{
    CommonOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--data") || a.startsWith(QLatin1String("--data="))) {
            // An empty name is refused rather than read as "no option": a script whose variable is unset
            // must not end up working on the user's own data folder.
            const bool separate = a.size() == 6;
            const QString folder = separate ? arguments.value(i + 1) : a.mid(7);
            if (folder.isEmpty()) {
                *error = QStringLiteral("Volba --data potřebuje název složky.");
                return options;
            }
            options.dataFolder = folder;
            if (separate)
                ++i;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            options.help = true;
        } else if (a == QLatin1String("--version")) {
            options.version = true;
        } else {
            options.words << a;
        }
    }
    return options;
}

AppFolders foldersFor(const CommonOptions &options, const QString &programFolder)
{
    if (options.dataFolder.isEmpty()) {
        QtShell shell;
        return AppFolders::resolve({}, programFolder, shell);
    }
    AppFolders folders;
    folders.programFolder = withTrailingSeparator(programFolder);
    folders.dataFolder = withTrailingSeparator(QDir(options.dataFolder).absolutePath());
    return folders;
}

int runInit(const AppFolders &folders, QTextStream &out)
{
    const bool fresh = DataFolderSetup::needsFirstRun(folders);
    const QString file = Settings(folders).databaseFile();
    DataFolderSetup::createDefaultContent(folders, file);
    if (fresh)
        out << QStringLiteral("Vytvořena datová složka %1 s databází %2.\n").arg(folders.dataFolder, file);
    else
        out << QStringLiteral("Datová složka %1 už databázi má; doplněny jen chybějící soubory.\n")
                   .arg(folders.dataFolder);
    return 0;
}

int runDemo(const AppFolders &folders, QTextStream &out)
{
    const QString file = Settings(folders).databaseFile();
    DataFolderSetup::createDefaultContent(folders, file);
    Database db(QStringLiteral("orbelis-cli-demo"));
    db.open(folders.dataFolder + file);
    const DemoSummary s = writeDemoData(db);
    db.close();
    out << QStringLiteral("Ukázková data zapsána do %1%2:\n").arg(folders.dataFolder, file)
        << QStringLiteral("  třída %1 se %2 žáky a %3 řádky možností odpovědí\n")
               .arg(s.classId).arg(s.pupils).arg(s.optionRows)
        << QStringLiteral("  dotazník %1 se %2 otázkami\n").arg(s.questionnaireId).arg(s.questions)
        << QStringLiteral("  vyhodnocení %1 s %2 odpověďmi\n").arg(s.sessionId).arg(s.answers);
    return 0;
}

// The configured database of an existing data folder.
struct DataSession {
    explicit DataSession(const AppFolders &f) : folders(f)
    {
        if (!QFileInfo(folders.dataFolder).isDir())
            throw std::runtime_error(
                QStringLiteral("Datová složka \"%1\" neexistuje.").arg(folders.dataFolder).toStdString());
        db.open(folders.dataFolder + Settings(folders).databaseFile());
    }
    ~DataSession() { db.close(); }

    // A command that failed: the reasons the rules showed in their message boxes follow its own line.
    int withReasons(int code, QTextStream &err)
    {
        if (code != 0)
            log.printTo(err);
        return code;
    }

    // The database an output command reads. With `--anonymous` (and `--with-free-text`, taken out with
    // it), a copy of the classes of the sessions the command names, with codes for names (AnonymousCopy);
    // the command itself never knows the difference.
    Database &outputs(QStringList &words) {
        if (!takeFlag(words, QStringLiteral("--anonymous")))
            return db;
        const bool freeText = takeFlag(words, QStringLiteral("--with-free-text"));
        static const QStringList sessionOptions = {QStringLiteral("--session"), QStringLiteral("--from"),
                                                   QStringLiteral("--to"),
                                                   QStringLiteral("--keep-layout-of")};
        QList<qint64> sessions;
        for (qsizetype i = 0; i < words.size(); ++i) {
            for (const QString &option : sessionOptions) {
                QString value;
                if (words[i] == option)
                    value = words.value(i + 1);
                else if (words[i].startsWith(option + u'='))
                    value = words[i].mid(option.size() + 1);
                bool ok = false;
                const qint64 id = value.toLongLong(&ok);
                if (ok)
                    sessions.append(id);
            }
        }
        anonymous = std::make_unique<AnonymousCopy::OutputDatabase>(db, sessions, true, freeText);
        return anonymous->db();
    }

    AppFolders folders;
    Database db{QStringLiteral("orbelis-cli")};
    std::unique_ptr<AnonymousCopy::OutputDatabase> anonymous;
    ScriptedPrompter prompter;
    PromptLog log{prompter};
};

} // namespace

bool cliCommandPaints(const QStringList &arguments)
{
    QString error;
    const CommonOptions options = parseCommon(arguments, &error);
    if (!error.isEmpty() || options.version || options.help || options.words.isEmpty())
        return false;
    static const QStringList plain = {
        QStringLiteral("init"),    QStringLiteral("demo"),    QStringLiteral("delete"),
        QStringLiteral("pupils"),  QStringLiteral("options"), QStringLiteral("question"),
        QStringLiteral("session"), QStringLiteral("answers"), QStringLiteral("export"),
        QStringLiteral("backup"),  QStringLiteral("wipe"),    QStringLiteral("documents"),
        QStringLiteral("forms"),   QStringLiteral("publish"), QStringLiteral("results"),
        QStringLiteral("help")};
    const QString &command = options.words.first();
    if (command == QLatin1String("export")) // the code key is laid out as a document
        return options.words.value(1) == QLatin1String("key");
    if (command == QLatin1String("questionnaire")) // the sheet and a preview written to a file are laid out
        return options.words.value(1) == QLatin1String("sheet") ||
               (options.words.value(1) == QLatin1String("preview") &&
                options.words.contains(QStringLiteral("--out")));
    return !plain.contains(command);
}

int runCli(const QStringList &arguments, const QString &programFolder, QTextStream &out, QTextStream &err)
{
    QString error;
    const CommonOptions options = parseCommon(arguments, &error);
    if (!error.isEmpty()) {
        err << error << '\n';
        return 2;
    }
    if (options.version) {
        try {
            AppFolders folders;
            folders.programFolder = withTrailingSeparator(programFolder);
            out << readVersionText(folders.resourceFolder()) << '\n';
        } catch (const std::exception &) {
            out << QStringLiteral("Verze programu: neznámá\n");
        }
        return 0;
    }
    const QString command = options.words.value(0);
    if (options.help || command.isEmpty() || command == QLatin1String("help")) {
        out << cliHelpText();
        return command.isEmpty() && !options.help ? 2 : 0;
    }

    try {
        const AppFolders folders = foldersFor(options, programFolder);
        if (command == QLatin1String("init"))
            return runInit(folders, out);
        const QStringList rest = options.words.mid(1);
        if (command == QLatin1String("demo"))
            return rest.isEmpty() ? runDemo(folders, out) : runArchiveCommand(rest, folders, out, err);
        if (command == QLatin1String("graph"))
            return runGraphCommand(rest, out, err);
        if (command == QLatin1String("pupils")) {
            DataSession session(folders);
            QTextStream in(stdin);
            return runPupilsCommand(rest, session.db, in, out, err);
        }
        if (command == QLatin1String("options")) {
            DataSession session(folders);
            return runOptionsCommand(rest, session.db, out, err);
        }
        if (command == QLatin1String("questionnaire") &&
            (rest.value(0) == QLatin1String("export") || rest.value(0) == QLatin1String("import"))) {
            DataSession session(folders);
            return runExchangeCommand(rest, session.db, session.folders, out, err);
        }
        if (command == QLatin1String("backup") || command == QLatin1String("wipe")) {
            DataSession session(folders);
            return command == QLatin1String("backup") ? runBackupCommand(rest, session.db, out, err)
                                                      : runWipeCommand(rest, session.db, out, err);
        }
        if (command == QLatin1String("questionnaire") || command == QLatin1String("question")) {
            DataSession session(folders);
            TDM dm(session.db, session.folders, session.prompter);
            return session.withReasons(command == QLatin1String("question")
                                           ? runQuestionCommand(rest, dm, out, err)
                                           : runQuestionnaireCommand(rest, dm, out, err),
                                       err);
        }
        if (command == QLatin1String("chart")) {
            DataSession session(folders);
            QStringList words = rest;
            TDM dm(session.outputs(words), session.folders, session.prompter);
            return session.withReasons(runChartCommand(words, dm, out, err), err);
        }
        if (command == QLatin1String("sociogram")) {
            DataSession session(folders);
            QStringList words = rest;
            TDM dm(session.outputs(words), session.folders, session.prompter);
            return session.withReasons(runSociogramCommand(words, dm, out, err), err);
        }
        if (command == QLatin1String("session") || command == QLatin1String("answers") ||
            command == QLatin1String("export")) {
            DataSession session(folders);
            QStringList words = rest;
            Database &db = command == QLatin1String("export") && rest.value(0) == QLatin1String("counts")
                               ? session.outputs(words)
                               : session.db;
            TDM dm(db, session.folders, session.prompter);
            if (command == QLatin1String("session"))
                return runSessionCommand(words, dm, out, err);
            return command == QLatin1String("answers") ? runAnswersCommand(words, dm, out, err)
                                                       : runExportCommand(words, dm, out, err);
        }
        if (command == QLatin1String("documents")) {
            DataSession session(folders);
            TDM dm(session.db, session.folders, session.prompter);
            return runDocumentsCommand(rest, dm, session.prompter, out, err);
        }
        if (command == QLatin1String("report")) {
            DataSession session(folders);
            QStringList words = rest;
            Database &db = session.outputs(words);
            return session.withReasons(runReportCommand(words, db, out, err), err);
        }
        if (command == QLatin1String("analysis")) {
            DataSession session(folders);
            QStringList words = rest;
            Database &db = session.outputs(words);
            return runAnalysisCommand(words, db, out, err);
        }
        if (command == QLatin1String("groups")) {
            DataSession session(folders);
            QStringList words = rest;
            Database &db = session.outputs(words);
            return runGroupsCommand(words, db, out, err);
        }
        if (command == QLatin1String("compare") || command == QLatin1String("trend")) {
            DataSession session(folders);
            if (command == QLatin1String("trend"))
                return runTrendCommand(rest, session.db, out, err);
            QStringList words = rest;
            Database &db = session.outputs(words);
            return runCompareCommand(words, db, out, err);
        }
        if (command == QLatin1String("forms") || command == QLatin1String("publish") ||
            command == QLatin1String("results")) {
            DataSession session(folders);
            if (command == QLatin1String("forms"))
                return runFormsCommand(rest, session.db, session.folders, out, err);
            if (command == QLatin1String("publish"))
                return runPublishCommand(rest, session.db, session.folders, out, err);
            return runResultsCommand(rest, session.db, session.folders, session.prompter, out, err);
        }
        if (command == QLatin1String("codes")) {
            DataSession session(folders);
            return runCodesCommand(rest, session.db, session.folders, out, err);
        }
        if (command == QLatin1String("delete")) {
            DataSession session(folders);
            return runDeleteCommand(rest, session.db, session.prompter, out, err);
        }
    } catch (const DatabaseError &e) {
        err << QStringLiteral("Chyba databáze: ") << e.message() << '\n';
        return 1;
    } catch (const std::exception &e) {
        err << QString::fromUtf8(e.what()) << '\n';
        return 1;
    }
    err << QStringLiteral("Neznámý příkaz \"%1\". Nápovědu vypíše orbelis-cli --help.\n").arg(command);
    return 2;
}
