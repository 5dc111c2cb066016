#include "cli/PupilsCommands.h"

#include "cli/CliOptions.h"

#include "data/Database.h"
#include "data/ClassRoster.h"
#include "data/OptionSet.h"
#include "data/PupilKinds.h"
#include "data/TextRules.h"
#include "pupils/PupilImportText.h"
#include "pupils/RosterText.h"

#include <QFile>
#include <QStringDecoder>
#include <functional>
#include <optional>

namespace {

const char kPupilsUsage[] = "Použití: orbelis-cli pupils import --class ID SOUBOR | pupils list --class ID\n";
const char kOptionsUsage[] =
    "Použití: orbelis-cli options insert --class ID --set all|---|ano-ne|abcde|12345\n";

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

// Raised while a pupil list is read: the import stops and nothing is kept.
struct ListReadError {
    QString message;
};

// Characters of a list read from a file or from standard input at a time.
constexpr qint64 kPieceLength = 64 * 1024;

// Hands out a pupil list (UTF-8, with or without a byte-order mark) from a file or from standard input a
// piece at a time; raises ListReadError when the bytes turn out not to be UTF-8 or cannot be read.
class ListPieces {
public:
    ListPieces(QIODevice &device, const QString &shownName) : m_device(device), m_name(shownName) {}

    bool next(QString &piece) {
        // A piece may decode to nothing (a byte-order mark, an unfinished character): read on.
        do {
            const QByteArray bytes = m_device.read(kPieceLength);
            if (bytes.isEmpty()) {
                const auto *file = qobject_cast<QFileDevice *>(&m_device);
                if (file && file->error() != QFileDevice::NoError)
                    throw ListReadError{QStringLiteral("%1 nelze přečíst: %2\n").arg(m_name, file->errorString())};
                return false;
            }
            piece = m_decoder.decode(bytes);
            if (m_decoder.hasError())
                throw notUtf8();
        } while (piece.isEmpty());
        return true;
    }

private:
    ListReadError notUtf8() const { return {QStringLiteral("%1 není v kódování UTF-8.\n").arg(m_name)}; }

    QIODevice &m_device;
    QString m_name;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
};

int runImport(QStringList words, Database &db, QTextStream &in, QTextStream &out, QTextStream &err) {
    int code = 0;
    const std::optional<qint64> classId = takeClass(words, db, err, &code);
    if (!classId)
        return code;
    if (words.size() != 1) {
        err << QString::fromUtf8(kPupilsUsage);
        return 2;
    }
    // The list is read as it is imported, a piece at a time, so that its length does not matter.
    // Standard input is decoded by the same rule as a named file; a stream of text (tests) is text already.
    std::function<bool(QString &)> pieces;
    QFile file(words[0]);
    std::optional<ListPieces> list;
    if (words[0] != QLatin1String("-")) {
        if (!file.open(QIODevice::ReadOnly)) {
            err << QStringLiteral("Soubor \"%1\" nelze otevřít: %2\n").arg(words[0], file.errorString());
            return 1;
        }
        list.emplace(file, QStringLiteral("Soubor \"%1\"").arg(words[0]));
    } else if (in.device()) {
        list.emplace(*in.device(), QStringLiteral("Standardní vstup"));
    }
    if (list)
        pieces = [&list](QString &piece) { return list->next(piece); };
    else
        pieces = [&in](QString &piece) {
            piece = in.read(kPieceLength);
            return !piece.isEmpty();
        };
    PupilListReader reader(pieces);
    qint64 added = 0;
    try {
        added = ClassRoster(db, *classId).importPupils([&](NewPupil &pupil) { return reader.next(pupil); });
    } catch (const ListReadError &e) {
        err << e.message;
        return 1;
    }
    const PupilImportText::Tally &tally = reader.tally();
    out << QStringLiteral("Do třídy %1 přidáno žáků: %2.\n").arg(*classId).arg(added)
        << QStringLiteral("Vynecháno prázdných řádků: %1.\n").arg(tally.skippedLines)
        << QStringLiteral("Zkráceno jmen delších než %1 znaků: %2.\n")
               .arg(TextRules::kShortTextLength)
               .arg(tally.cutNames);
    return 0;
}

// A name as one line of the list: control characters left by earlier versions are not written out
// (line breaks and tabs become blanks), so that every pupil stays on one line.
QString printable(const QString &name) {
    QString text;
    text.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            text += u' ';
        else if (c.category() != QChar::Other_Control)
            text += c;
    }
    return text;
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
    // Row by row from the query, as RosterText::pupilList writes the whole list.
    ClassRoster(db, *classId).forEachEntry([&](const RosterEntry &row) {
        if (PupilKinds::isRealPupil(row.pohlavi))
            out << printable(RosterText::pupilName(row.jmeno, row.prijmeni)) << QLatin1String("\r\n");
    });
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
