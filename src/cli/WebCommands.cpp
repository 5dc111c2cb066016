#include "cli/WebCommands.h"

#include "cli/CliOptions.h"
#include "data/Database.h"
#include "files/FileWriter.h"
#include "platform/AppFolders.h"
#include "platform/IniFile.h"
#include "support/ScriptedPrompter.h"
#include "web/CurlFtpClient.h"
#include "web/FormPages.h"
#include "web/FtpSettings.h"
#include "web/ResultImport.h"
#include "web/WebFiles.h"
#include "web/WebPublishing.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace {

const char kFormsUsage[] = "Použití: orbelis-cli forms --session ID [--site SLOŽKA]\n";
const char kPublishUsage[] = "Použití: orbelis-cli publish --session ID [--session ID …]\n";
const char kResultsUsage[] =
    "Použití: orbelis-cli results import --session ID [--csv SOUBOR] [--delete-remote]\n";

FtpSettings settingsOf(const AppFolders &folders) {
    return FtpSettings::load(IniFile(folders.programSettingsPath()));
}

} // namespace

namespace {

void writeSiteFile(const QString &path, const QByteArray &content) {
    QString error;
    if (!FileWriter::writeWhole(path, content, &error))
        throw std::runtime_error(error.toStdString());
}

QByteArray localFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("Soubor „%1“ nelze přečíst: %2").arg(path, file.errorString()).toStdString());
    return file.readAll();
}

// The tree the upload makes under the remote base folder, for a local web server: the session's folder
// with the files publishing sends (WebPublishing::sessionUploads), the root index of this session and the
// style sheet. Answers a local server collected there (data.php, chyby.php) stay; form pages of pupils the
// generation left out go.
QString writeSite(const QString &dir, Database &db, const AppFolders &folders, qint64 sessionId,
                  const FormPages::Result &generated) {
    const QString root = withTrailingSeparator(QDir(dir).absolutePath());
    const QString session = root + QString::number(sessionId) + u'/';
    if (!QDir().mkpath(session))
        throw std::runtime_error(QStringLiteral("Složku \"%1\" nelze vytvořit.").arg(session).toStdString());
    for (const WebPublishing::Upload &upload : WebPublishing::sessionUploads(folders, sessionId))
        writeSiteFile(session + upload.remote, localFile(upload.local));
    for (const QString &old : QDir(session).entryList({QStringLiteral("zak_*.php")}, QDir::Files))
        if (!generated.files.contains(old) && !QFile::remove(session + old))
            throw std::runtime_error(
                QStringLiteral("Soubor „%1“ nelze smazat.").arg(session + old).toStdString());

    QList<WebPublishing::Item> items;
    for (const WebPublishing::Item &item : WebPublishing::generatedSessions(db, folders))
        if (item.sessionId == sessionId)
            items << item;
    writeSiteFile(root + QStringLiteral("index.php"), FormPages::encodePage(WebPublishing::rootIndex(items)));
    writeSiteFile(root + QStringLiteral("style.css"),
                  localFile(folders.dataFolder + QStringLiteral("style.css")));
    return root;
}

} // namespace

int runFormsCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                    QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> session = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<QString> site = takeOption(words, QStringLiteral("--site"));
    if (!session || (site && site->isEmpty()) || !words.isEmpty()) {
        err << kFormsUsage;
        return 2;
    }
    WebFiles::restoreMissing(folders.dataFolder);
    const auto result = FormPages::generate(
        db, folders, *session,
        settingsOf(folders).openCollection ? FormPages::Collection::Open : FormPages::Collection::WithCodes);
    if (!result) {
        err << QStringLiteral("Vyhodnocení %1 neexistuje nebo nemá dotazník.\n").arg(*session);
        return 1;
    }
    out << result->folder << '\n';
    if (site)
        out << writeSite(*site, db, folders, *session, *result) << '\n';
    return 0;
}

int runPublishCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                      QTextStream &err) {
    QStringList words = args;
    QList<qint64> ids;
    while (const std::optional<QString> value = takeOption(words, QStringLiteral("--session"))) {
        bool number = false;
        const qint64 id = value->toLongLong(&number);
        if (!number) {
            err << kPublishUsage;
            return 2;
        }
        ids << id;
    }
    if (!words.isEmpty()) {
        err << kPublishUsage;
        return 2;
    }
    const QList<WebPublishing::Item> generated = WebPublishing::generatedSessions(db, folders);
    QList<WebPublishing::Item> checked;
    for (qint64 id : ids) {
        const auto found =
            std::find_if(generated.begin(), generated.end(),
                         [id](const WebPublishing::Item &item) { return item.sessionId == id; });
        if (found == generated.end()) {
            err << QStringLiteral(
                       "Formuláře vyhodnocení %1 nejsou vygenerovány (orbelis-cli forms --session %1).\n")
                       .arg(id);
            return 1;
        }
        checked << *found;
    }
    const FtpSettings settings = settingsOf(folders);
    if (!settings.complete()) {
        err << QStringLiteral("Nejsou vyplněny údaje o FTP serveru (oddíl [ftp] souboru %1).\n")
                   .arg(folders.programSettingsPath());
        return 1;
    }
    CurlFtpClient ftp;
    WebPublishing::Report report;
    try {
        report = WebPublishing::publish(ftp, settings, folders, checked);
    } catch (const FtpError &error) {
        err << error.message() << '\n';
        return 1;
    }
    out << QStringLiteral("Odesláno souborů: %1\n").arg(report.sent) << settings.address << '\n'
        << WebPublishing::kAnswersWhere << '\n';
    // The upload is done; what the collectors logged is told beside it.
    for (const QString &fault : report.faults)
        err << fault << '\n';
    return 0;
}

int runResultsCommand(const QStringList &args, Database &db, const AppFolders &folders, Prompter &prompter,
                      QTextStream &out, QTextStream &err) {
    QStringList words = args;
    if (words.value(0) != QLatin1String("import")) {
        err << kResultsUsage;
        return 2;
    }
    words.removeFirst();
    const std::optional<qint64> session = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<QString> csv = takeOption(words, QStringLiteral("--csv"));
    const bool deleteRemote = takeFlag(words, QStringLiteral("--delete-remote"));
    if (!session || (csv && csv->isEmpty()) || !words.isEmpty()) {
        err << kResultsUsage;
        return 2;
    }
    auto *scripted = dynamic_cast<ScriptedPrompter *>(&prompter);
    const int seen = scripted ? int(scripted->messages().size()) : 0;
    CurlFtpClient ftp;
    const FtpSettings settings = settingsOf(folders);
    if (deleteRemote && !settings.complete()) {
        err << QStringLiteral("Nejsou vyplněny údaje o FTP serveru (oddíl [ftp] souboru %1).\n")
                   .arg(folders.programSettingsPath());
        return 1;
    }
    const auto counts = ResultImport::run(
        db, folders, *session, prompter, &ftp, settings, csv.value_or(QString()),
        deleteRemote ? ResultImport::ServerFile::Delete : ResultImport::ServerFile::Keep);
    if (!counts) {
        if (scripted)
            for (const QString &message : scripted->messages().mid(seen))
                err << message << '\n';
        if (!csv)
            err << QStringLiteral("Soubor s odpověďmi uložený na disku načte volba --csv SOUBOR.\n");
        return 1;
    }
    out << QStringLiteral("Načteno řádků: %1\nPřidáno odpovědí: %2\nNahrazeno odpovědí: %3\n"
                          "Odmítnuto řádků: %4\n")
               .arg(counts->read)
               .arg(counts->added)
               .arg(counts->replaced)
               .arg(counts->rejected);
    for (const QString &problem : counts->problems)
        err << problem << '\n';
    if (!deleteRemote)
        return 0;
    // The deletion's own message (deleted, already gone, kept because more answers came, or an FTP error).
    const QString told =
        scripted && !scripted->messages().isEmpty() ? scripted->messages().last() : QString();
    if (!counts->deletedFromServer) {
        err << told << '\n';
        return 1;
    }
    out << told << '\n';
    return 0;
}
