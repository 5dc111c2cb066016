#include "cli/MaintenanceCommands.h"

#include "cli/CliOptions.h"
#include "data/Database.h"
#include "data/DatabaseMaintenance.h"
#include "platform/AppFolders.h"
#include "questionnaires/ExchangeFile.h"

#include <QDir>

namespace {

const char kExchangeUsage[] = "Použití: orbelis-cli questionnaire export --id ID SOUBOR | import SOUBOR\n";
const char kBackupUsage[] = "Použití: orbelis-cli backup SOUBOR\n";
const char kWipeUsage[] = "Použití: orbelis-cli wipe --yes\n";

int exportCommand(QStringList words, TDM_IE &exchange, QTextStream &out, QTextStream &err) {
    const std::optional<QString> idText = takeOption(words, QStringLiteral("--id"));
    bool numeric = false;
    const qint64 id = idText ? idText->toLongLong(&numeric) : 0;
    if (!numeric || words.size() != 1 || words[0].isEmpty()) {
        err << kExchangeUsage;
        return 2;
    }
    try {
        const QString written = exchange.exportQuestionnaire(id, words[0]);
        out << QStringLiteral("Dotazník %1 uložen do %2.\n").arg(id).arg(QDir::toNativeSeparators(written));
        return 0;
    } catch (const ExchangeRefused &e) {
        err << e.message() << '\n';
    } catch (const DatabaseError &e) {
        if (!e.explainsItself())
            err << TDM_IE::exportFailedText() << '\n';
        err << e.message() << '\n';
    }
    return 1;
}

int importCommand(const QStringList &words, TDM_IE &exchange, QTextStream &out, QTextStream &err) {
    if (words.size() != 1 || words[0].isEmpty()) {
        err << kExchangeUsage;
        return 2;
    }
    try {
        const std::optional<qint64> id = exchange.importQuestionnaire(words[0]);
        if (!id) {
            err << QStringLiteral("Soubor \"%1\" neobsahuje právě jeden dotazník; nic nebylo importováno.\n")
                       .arg(QDir::toNativeSeparators(words[0]));
            return 1;
        }
        out << *id << '\n';
        return 0;
    } catch (const ExchangeRefused &e) {
        err << e.message() << '\n';
    } catch (const DatabaseError &e) {
        if (!e.explainsItself())
            err << TDM_IE::importFailedText() << '\n';
        err << e.message() << '\n';
    }
    return 1;
}

} // namespace

int runExchangeCommand(const QStringList &args, Database &db, const AppFolders &folders, QTextStream &out,
                       QTextStream &err) {
    TDM_IE exchange(db, folders);
    const QString verb = args.value(0);
    if (verb == QLatin1String("export"))
        return exportCommand(args.mid(1), exchange, out, err);
    if (verb == QLatin1String("import"))
        return importCommand(args.mid(1), exchange, out, err);
    err << kExchangeUsage;
    return 2;
}

int runBackupCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err) {
    if (args.size() != 1 || args[0].isEmpty() || args[0].startsWith(QLatin1String("--"))) {
        err << kBackupUsage;
        return 2;
    }
    try {
        DatabaseMaintenance::backup(db, args[0]);
    } catch (const DatabaseError &e) {
        err << e.message() << '\n';
        return 1;
    }
    out << QStringLiteral("Záloha databáze uložena do %1.\n").arg(QDir::toNativeSeparators(args[0]));
    return 0;
}

int runWipeCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err) {
    const bool yes = args == QStringList{QStringLiteral("--yes")};
    if (!yes && !args.isEmpty()) {
        err << kWipeUsage;
        return 2;
    }
    if (!yes) {
        err << QStringLiteral(
            "Vyčištění odstraní všechna vyhodnocení a všechny odpovědi žáků a nelze je vrátit. "
            "Nic nebylo smazáno; pro smazání přidejte volbu --yes.\n");
        return 1;
    }
    try {
        const DatabaseMaintenance::WipeCount count = DatabaseMaintenance::wipeAnswersAndSessions(db);
        out << QStringLiteral("Smazáno %1 vyhodnocení a %2 odpovědí.\n")
                   .arg(count.sessions)
                   .arg(count.answers);
    } catch (const DatabaseError &e) {
        err << e.message() << '\n';
        return 1;
    }
    return 0;
}
