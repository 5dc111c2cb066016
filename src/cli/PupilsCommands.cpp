#include "cli/PupilsCommands.h"

#include "data/Database.h"
#include "data/ClassRoster.h"
#include "data/OptionSet.h"
#include "pupils/PupilImportText.h"
#include "pupils/RosterText.h"

#include <QFile>
#include <QStringDecoder>
#include <optional>

namespace {

const char kPupilsUsage[] = "Použití: orbelis-cli pupils import --class ID SOUBOR | pupils list --class ID\n";
const char kOptionsUsage[] =
    "Použití: orbelis-cli options insert --class ID --set all|---|ano-ne|abcde|12345\n";

// Takes "--name VALUE" or "--name=VALUE" out of the words; nullopt when absent, an empty value when
// the value is missing.
std::optional<QString> takeOption(QStringList &words, const QString &name) {
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words[i] == name) {
            const QString value = i + 1 < words.size() ? words[i + 1] : QString();
            words.remove(i, i + 1 < words.size() ? 2 : 1);
            return value;
        }
        if (words[i].startsWith(name + u'=')) {
            const QString value = words[i].mid(name.size() + 1);
            words.remove(i);
            return value;
        }
    }
    return std::nullopt;
}

// The class named by --class; reports and returns nullopt when it is missing, malformed or unknown.
std::optional<qint64> takeClass(QStringList &words, Database &db, QTextStream &err, int *code) {
    const std::optional<QString> text = takeOption(words, QStringLiteral("--class"));
    if (!text || text->isEmpty()) {
        err << QStringLiteral("Chybí volba --class s číslem třídy.\n");
        *code = 2;
        return std::nullopt;
    }
    bool ok = false;
    const qint64 id = text->toLongLong(&ok);
    if (!ok) {
        err << QStringLiteral("Číslo třídy \"%1\" není platné.\n").arg(*text);
        *code = 2;
        return std::nullopt;
    }
    if (!ClassRoster::exists(db, id)) {
        err << QStringLiteral("Třída s číslem %1 v databázi není.\n").arg(id);
        *code = 1;
        return std::nullopt;
    }
    return id;
}

// The text of a pupil list file (UTF-8, with or without a byte-order mark).
std::optional<QString> readListFile(const QString &path, QTextStream &in, QTextStream &err) {
    if (path == QLatin1String("-"))
        return in.readAll();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << QStringLiteral("Soubor \"%1\" nelze otevřít: %2\n").arg(path, file.errorString());
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError()) {
        err << QStringLiteral("Soubor \"%1\" není v kódování UTF-8.\n").arg(path);
        return std::nullopt;
    }
    return text;
}

int runImport(QStringList words, Database &db, QTextStream &in, QTextStream &out, QTextStream &err) {
    int code = 0;
    const std::optional<qint64> classId = takeClass(words, db, err, &code);
    if (!classId)
        return code;
    if (words.size() != 1) {
        err << QString::fromUtf8(kPupilsUsage);
        return 2;
    }
    const std::optional<QString> text = readListFile(words[0], in, err);
    if (!text)
        return 1;
    const int added = ClassRoster(db, *classId).importPupils(PupilImportText::parse(*text));
    out << QStringLiteral("Do třídy %1 přidáno žáků: %2.\n").arg(*classId).arg(added);
    return 0;
}

int runList(QStringList words, Database &db, QTextStream &out, QTextStream &err) {
    int code = 0;
    const std::optional<qint64> classId = takeClass(words, db, err, &code);
    if (!classId)
        return code;
    if (!words.isEmpty()) {
        err << QString::fromUtf8(kPupilsUsage);
        return 2;
    }
    out << RosterText::pupilList(ClassRoster(db, *classId).entries());
    return 0;
}

} // namespace

int runPupilsCommand(const QStringList &args, Database &db, QTextStream &in, QTextStream &out,
                     QTextStream &err) {
    QStringList words = args;
    const QString action = words.isEmpty() ? QString() : words.takeFirst();
    try {
        if (action == QLatin1String("import"))
            return runImport(words, db, in, out, err);
        if (action == QLatin1String("list"))
            return runList(words, db, out, err);
    } catch (const DatabaseError &e) {
        err << QStringLiteral("Chyba databáze, nic nebylo změněno: ") << e.message() << '\n';
        return 1;
    }
    err << QString::fromUtf8(kPupilsUsage);
    return 2;
}

int runOptionsCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    if (words.isEmpty() || words.takeFirst() != QLatin1String("insert")) {
        err << QString::fromUtf8(kOptionsUsage);
        return 2;
    }
    try {
        int code = 0;
        const std::optional<qint64> classId = takeClass(words, db, err, &code);
        if (!classId)
            return code;
        const std::optional<QString> setName = takeOption(words, QStringLiteral("--set"));
        const bool all = setName && *setName == QLatin1String("all");
        const std::optional<OptionSet::Kind> set = setName ? OptionSet::fromMarker(*setName) : std::nullopt;
        if (!words.isEmpty() || (!all && !set)) {
            if (setName && !all && !set)
                err << QStringLiteral("Neznámá sada možností \"%1\".\n").arg(*setName);
            err << QString::fromUtf8(kOptionsUsage);
            return 2;
        }
        ClassRoster roster(db, *classId);
        const int added = all ? roster.insertAllOptionSets() : roster.insertOptionSet(*set);
        out << QStringLiteral("Do třídy %1 přidáno řádků možností: %2.\n").arg(*classId).arg(added);
        return 0;
    } catch (const DatabaseError &e) {
        err << QStringLiteral("Chyba databáze, nic nebylo změněno: ") << e.message() << '\n';
        return 1;
    }
}
