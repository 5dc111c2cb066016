// libFuzzer entry for the questionnaire exchange-file import. Each input is written to an exchange file
// and imported with TDM_IE::importQuestionnaire into a fresh main database of a temporary data folder.
//
// Expected outcomes: the import refuses (ExchangeRefused or DatabaseError) and the main database is as it
// was; the file holds no questionnaire or more than one and nothing is written; or the import returns the
// new questionnaire's ID and the main database holds exactly one new questionnaire with as many questions
// as the file's `otazky` table has rows. The file's rows are counted beforehand on a read-only connection
// of our own through the sqlite3 interface, every return code checked.
//
// Anything else aborts, so that libFuzzer keeps the input: a crash or sanitizer report, an exception of
// another kind, a refusal without a message, the file's connection left open, the main connection left
// inside a transaction, rows written by a refused import, a question count that differs from the file's.
//
// Imports that succeed although the file cannot be read to its end (fewer questions than the file holds,
// or a file that cannot be counted at all), and files passed over as "no questionnaire" although their
// questionnaire table cannot be read, abort as well, unless ORBELIS_FUZZ_KEEP_GOING names a folder: then
// they are counted, the first 40 such inputs are saved there, and the run goes on. The counts of
// every outcome are printed when the process ends; ORBELIS_FUZZ_VERBOSE prints each input's outcome.
#include "data/Database.h"
#include "data/Schema.h"
#include "data/TextOrder.h"
#include "platform/AppFolders.h"
#include "questionnaires/ExchangeFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

namespace {

// What the file holds, read on a connection of our own.
struct FileContent {
    std::optional<qint64> questionnaires; // rows of `testy`; empty when they cannot be counted
    std::optional<qint64> questions;      // rows of `otazky`, read to the end; empty when reading failed
    qint64 questionsRead = 0;             // rows read before reading failed
    QString failure;                      // why a count is missing
};

struct Counts {
    qint64 imported = 0;
    qint64 ignored = 0;
    qint64 refused = 0;        // ExchangeRefused
    qint64 databaseErrors = 0; // other DatabaseError
    qint64 partial = 0;        // imported although the file could not be read to its end
    qint64 ignoredUnreadable = 0;
    qint64 qtWarnings = 0;
};

Counts g_counts;
QHash<QString, int> g_warnings; // distinct Qt warnings, each printed once
int g_saved = 0;

const char kQuestionSelect[] = "SELECT text_otazky, text_otazky_negativni, poradi, poradi_vyhodnoceni, typ, "
                               "popis, nadpis_nad, popis_pro_web FROM otazky";

void printCounts() {
    std::fprintf(stderr,
                 "exchange-import-fuzzer: imported %lld, ignored %lld, refused %lld, database errors %lld, "
                 "partial imports %lld, unreadable files ignored %lld, Qt warnings %lld\n",
                 static_cast<long long>(g_counts.imported), static_cast<long long>(g_counts.ignored),
                 static_cast<long long>(g_counts.refused), static_cast<long long>(g_counts.databaseErrors),
                 static_cast<long long>(g_counts.partial), static_cast<long long>(g_counts.ignoredUnreadable),
                 static_cast<long long>(g_counts.qtWarnings));
}

void recordQtMessage(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    ++g_counts.qtWarnings;
    if (g_warnings[message]++ == 0)
        std::fprintf(stderr, "exchange-import-fuzzer: Qt says: %s\n", qPrintable(message));
    if (type == QtFatalMsg)
        std::abort();
}

[[noreturn]] void finding(const QString &what) {
    std::fprintf(stderr, "exchange-import-fuzzer: FINDING: %s\n", qPrintable(what));
    printCounts();
    std::abort();
}

// The per-process set-up: the application object, a temporary folder with the data folder, and the main
// database made once with the schema, copied afresh for every input.
struct Workplace {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/orbelis-exchange-fuzz-XXXXXX")};
    AppFolders folders;
    QString mainTemplate;
    QString mainFile;
    QString exchangeFile;
    QString keepGoingFolder;

    Workplace() {
        if (!dir.isValid())
            finding(QStringLiteral("no temporary folder: ") + dir.errorString());
        folders.programFolder = dir.path() + QStringLiteral("/program/");
        folders.dataFolder = dir.path() + QStringLiteral("/data/");
        QString error;
        if (!folders.createFolders(&error) || !QDir().mkpath(dir.path() + QStringLiteral("/in")))
            finding(QStringLiteral("no data folder: ") + error);
        mainTemplate = dir.path() + QStringLiteral("/skola-template.mdb");
        mainFile = folders.dataFolder + QStringLiteral("skola.mdb");
        // The file's name becomes the questionnaire's name.
        exchangeFile = dir.path() + QStringLiteral("/in/Vztahy ve třídě.mdb");
        {
            Database setup(QStringLiteral("fuzz-setup"));
            setup.create(mainTemplate);
            setup.close();
        }
        keepGoingFolder = qEnvironmentVariable("ORBELIS_FUZZ_KEEP_GOING");
        if (!keepGoingFolder.isEmpty() && !QDir().mkpath(keepGoingFolder))
            finding(QStringLiteral("cannot make ") + keepGoingFolder);
    }
};

Workplace &workplace() {
    static const bool started = [] {
        static int argc = 1;
        static char name[] = "exchange-import-fuzzer";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv); // lives as long as the process
        qInstallMessageHandler(recordQtMessage);
        std::atexit(printCounts);
        return true;
    }();
    (void)started;
    static Workplace instance; // its temporary folder goes when the process ends normally
    return instance;
}

void removeWithCompanions(const QString &file) {
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(file + QLatin1String(suffix));
}

// Counts the rows of one statement's result, stepping to the end and checking every step.
std::optional<qint64> countRows(sqlite3 *db, const char *sql, qint64 *read, QString *failure) {
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        *failure = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    qint64 rows = 0;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        ++rows;
    if (read)
        *read = rows;
    if (rc != SQLITE_DONE) {
        *failure = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    sqlite3_finalize(statement);
    return rows;
}

FileContent readIndependently(const QString &file) {
    FileContent content;
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(file);
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        content.failure = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("no memory");
        sqlite3_close(db);
        return content;
    }
    // The program's files declare the collation on their text columns.
    TextOrder::registerCollation(db);
    QString failure;
    // The table itself, not a smaller index that count(*) might count instead.
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM testy NOT INDEXED", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        content.questionnaires = sqlite3_column_int64(statement, 0);
    else
        failure = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    content.questions = countRows(db, kQuestionSelect, &content.questionsRead, &content.failure);
    if (!content.questionnaires)
        content.failure = QStringLiteral("testy: ") + failure + QStringLiteral("; otazky: ") + content.failure;
    sqlite3_close(db);
    return content;
}

sqlite3 *sqliteHandle(Database &db) {
    const QVariant v = db.handle().driver()->handle();
    return *static_cast<sqlite3 *const *>(v.data());
}

qint64 count(Database &db, const char *sql, const QVariantMap &params = {}) {
    return db.scalar(QString::fromUtf8(sql), params).toLongLong();
}

// A soft finding: with ORBELIS_FUZZ_KEEP_GOING counted and (the first few) saved, otherwise fatal.
void softFinding(const char *kind, const QString &what, const QByteArray &input) {
    Workplace &w = workplace();
    if (w.keepGoingFolder.isEmpty())
        finding(what);
    // Printed and saved for the first few only: the same fault shows in thousands of inputs.
    if (g_saved >= 40)
        return;
    std::fprintf(stderr, "exchange-import-fuzzer: %s: %s\n", kind, qPrintable(what));
    const QString name = QStringLiteral("%1-%2.mdb").arg(
        QLatin1String(kind),
        QString::fromLatin1(QCryptographicHash::hash(input, QCryptographicHash::Sha1).toHex().left(16)));
    QFile out(w.keepGoingFolder + u'/' + name);
    if (!out.exists() && out.open(QIODevice::WriteOnly) && out.write(input) == input.size())
        ++g_saved;
}

void importOne(const QByteArray &input) {
    Workplace &w = workplace();

    removeWithCompanions(w.exchangeFile);
    {
        QFile file(w.exchangeFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size() || !file.flush())
            finding(QStringLiteral("cannot write the input file"));
    }
    const FileContent content = readIndependently(w.exchangeFile);
    // Reading must not leave anything beside the file that the import would then see.
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(w.exchangeFile + QLatin1String(suffix));

    removeWithCompanions(w.mainFile);
    if (!QFile::copy(w.mainTemplate, w.mainFile))
        finding(QStringLiteral("cannot copy the main database"));
    Database main; // the program's own connection name
    main.open(w.mainFile);
    // Durability does not matter here; speed does.
    main.exec(QStringLiteral("PRAGMA synchronous = OFF"));
    const qint64 questionnairesBefore = count(main, "SELECT count(*) FROM testy");
    const qint64 questionsBefore = count(main, "SELECT count(*) FROM otazky");

    TDM_IE exchange(main, w.folders);
    std::optional<qint64> id;
    enum class Outcome { Imported, Ignored, Refused, DatabaseFailure } outcome;
    QString message;
    try {
        id = exchange.importQuestionnaire(w.exchangeFile);
        outcome = id ? Outcome::Imported : Outcome::Ignored;
    } catch (const ExchangeRefused &e) {
        outcome = Outcome::Refused;
        message = e.message();
    } catch (const DatabaseError &e) {
        outcome = Outcome::DatabaseFailure;
        message = e.message();
    } catch (const std::exception &e) {
        finding(QStringLiteral("unexpected exception: ") + QString::fromLocal8Bit(e.what()));
    } catch (...) {
        finding(QStringLiteral("unexpected exception of unknown type"));
    }

    if (qEnvironmentVariableIsSet("ORBELIS_FUZZ_VERBOSE"))
        std::fprintf(stderr, "exchange-import-fuzzer: %s%s%s\n",
                     outcome == Outcome::Imported  ? "imported as questionnaire "
                     : outcome == Outcome::Ignored ? "ignored"
                     : outcome == Outcome::Refused ? "refused: "
                                                   : "database error: ",
                     outcome == Outcome::Imported ? qPrintable(QString::number(*id)) : "", qPrintable(message));

    if (exchange.isConnected())
        finding(QStringLiteral("the exchange file's connection is still set after the import"));
    for (const QString &name : QSqlDatabase::connectionNames())
        if (name.startsWith(QLatin1String("orbelis-ie")))
            finding(QStringLiteral("connection %1 is still registered after the import").arg(name));
    if (!main.isOpen())
        finding(QStringLiteral("the main database was closed by the import"));
    if (!sqlite3_get_autocommit(sqliteHandle(main)))
        finding(QStringLiteral("the main connection is left inside a transaction"));
    if ((outcome == Outcome::Refused || outcome == Outcome::DatabaseFailure) && message.trimmed().isEmpty())
        finding(QStringLiteral("a refusal without a message"));

    const qint64 questionnairesAfter = count(main, "SELECT count(*) FROM testy");
    const qint64 questionsAfter = count(main, "SELECT count(*) FROM otazky");
    const QString fileState =
        QStringLiteral("file: testy %1, otazky %2 (%3 rows read)%4")
            .arg(content.questionnaires ? QString::number(*content.questionnaires) : QStringLiteral("unreadable"),
                 content.questions ? QString::number(*content.questions) : QStringLiteral("unreadable"))
            .arg(content.questionsRead)
            .arg(content.failure.isEmpty() ? QString() : QStringLiteral(", ") + content.failure);

    if (outcome != Outcome::Imported) {
        if (questionnairesAfter != questionnairesBefore || questionsAfter != questionsBefore)
            finding(QStringLiteral("an import that %1 changed the main database: questionnaires %2 -> %3, "
                                   "questions %4 -> %5; %6")
                        .arg(outcome == Outcome::Ignored ? QStringLiteral("was ignored")
                                                         : QStringLiteral("failed (") + message + u')')
                        .arg(questionnairesBefore)
                        .arg(questionnairesAfter)
                        .arg(questionsBefore)
                        .arg(questionsAfter)
                        .arg(fileState));
        switch (outcome) {
        case Outcome::Ignored:
            ++g_counts.ignored;
            // Passed over without a word: right for no questionnaire or several, wrong for a file whose
            // questionnaire table could not be read, or that holds exactly one.
            if (!content.questionnaires || *content.questionnaires == 1) {
                ++g_counts.ignoredUnreadable;
                softFinding("ignored-unreadable",
                            QStringLiteral("the file was passed over as holding no questionnaire; ") + fileState,
                            input);
            }
            break;
        case Outcome::Refused:
            ++g_counts.refused;
            break;
        default:
            ++g_counts.databaseErrors;
            break;
        }
        return;
    }

    ++g_counts.imported;
    const qint64 stored = count(main, "SELECT count(*) FROM otazky WHERE id_testu = :t", {{QStringLiteral("t"), *id}});
    if (questionnairesAfter != questionnairesBefore + 1)
        finding(QStringLiteral("the import wrote %1 questionnaires instead of one; %2")
                    .arg(questionnairesAfter - questionnairesBefore)
                    .arg(fileState));
    if (main.scalar(QStringLiteral("SELECT nazev_testu FROM testy WHERE ID = :t"), {{QStringLiteral("t"), *id}})
            .toString() != TDM_IE::importName(w.exchangeFile))
        finding(QStringLiteral("the imported questionnaire %1 does not carry the file's name").arg(*id));
    if (questionsAfter - questionsBefore != stored)
        finding(QStringLiteral("the import wrote %1 questions, %2 of them to the new questionnaire; %3")
                    .arg(questionsAfter - questionsBefore)
                    .arg(stored)
                    .arg(fileState));
    if (content.questionnaires && *content.questionnaires != 1)
        finding(QStringLiteral("a file without exactly one questionnaire was imported; %1").arg(fileState));
    if (content.questions && stored > *content.questions)
        finding(QStringLiteral("the import stored %1 questions, more than the file holds; %2")
                    .arg(stored)
                    .arg(fileState));
    if (!content.questions || stored < *content.questions) {
        ++g_counts.partial;
        softFinding("partial-import",
                    QStringLiteral("the import succeeded with %1 question(s); %2").arg(stored).arg(fileState), input);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    importOne(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
