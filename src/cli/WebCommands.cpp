#include "cli/WebCommands.h"

#include "cli/CliOptions.h"
#include "data/Database.h"
#include "platform/AppFolders.h"
#include "platform/IniFile.h"
#include "support/ScriptedPrompter.h"
#include "web/CurlFtpClient.h"
#include "web/FormPages.h"
#include "web/FtpSettings.h"
#include "web/ResultImport.h"
#include "web/WebFiles.h"
#include "web/WebPublishing.h"

namespace {

const char kFormsUsage[] = "Použití: orbelis-cli forms --session ID\n";
const char kPublishUsage[] = "Použití: orbelis-cli publish --session ID [--session ID …]\n";
const char kResultsUsage[] = "Použití: orbelis-cli results import --session ID [--csv SOUBOR]\n";

FtpSettings settingsOf(const AppFolders &folders) {
    return FtpSettings::load(IniFile(folders.programSettingsPath()));
}

} // namespace

int runFormsCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                    QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> session = takeIdOption(words, QStringLiteral("--session"));
    if (!session || !words.isEmpty()) {
        err << kFormsUsage;
        return 2;
    }
    WebFiles::restoreMissing(folders.dataFolder);
    const auto result = FormPages::generate(db, folders, *session);
    if (!result) {
        err << QStringLiteral("Vyhodnocení %1 neexistuje nebo nemá dotazník.\n").arg(*session);
        return 1;
    }
    out << result->folder << '\n';
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
    int sent = 0;
    try {
        WebPublishing::publish(ftp, settings, folders, checked, [&sent](const QString &, int index, int) {
            sent = index + 1;
            return true;
        });
    } catch (const FtpError &error) {
        err << error.message() << '\n';
        return 1;
    }
    out << QStringLiteral("Odesláno souborů: %1\n").arg(sent) << settings.address << '\n';
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
    if (!session || (csv && csv->isEmpty()) || !words.isEmpty()) {
        err << kResultsUsage;
        return 2;
    }
    auto *scripted = dynamic_cast<ScriptedPrompter *>(&prompter);
    const int seen = scripted ? int(scripted->messages().size()) : 0;
    CurlFtpClient ftp;
    const auto counts = ResultImport::run(db, folders, *session, prompter, &ftp, settingsOf(folders),
                                          csv.value_or(QString()));
    if (!counts) {
        if (scripted)
            for (const QString &message : scripted->messages().mid(seen))
                err << message << '\n';
        if (!csv)
            err << QStringLiteral("Soubor s odpověďmi uložený na disku načte volba --csv SOUBOR.\n");
        return 1;
    }
    out << QStringLiteral("Načteno řádků: %1\nPřidáno odpovědí: %2\nOdmítnuto řádků: %3\n")
               .arg(counts->read)
               .arg(counts->added)
               .arg(counts->rejected);
    for (const QString &problem : counts->problems)
        err << problem << '\n';
    return 0;
}
