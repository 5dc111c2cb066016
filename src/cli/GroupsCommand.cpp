#include "cli/GroupsCommand.h"

#include "analysis/grouping/Grouping.h"
#include "cli/CliOptions.h"
#include "files/FileWriter.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

const char kUsage[] = "Použití: orbelis-cli groups --session S --question Q [--question Q2 ...] (--groups K "
                      "| --sizes A,B,... | "
                      "--pairs) [--together ID:ID]... [--apart ID:ID]... [--pin ID:G]... [--balance-gender] "
                      "[--allow-mutual-rejection] [--seed N] [--anonymous] [--format json|csv|text] [--out "
                      "SOUBOR.docx|.html|.pdf|.csv|.json|.txt]\n";

// Every value of a repeated option, taken out of the words; false when one is missing.
bool takeAll(QStringList &words, const QString &name, QStringList *values) {
    while (std::optional<QString> value = takeOption(words, name)) {
        if (value->isEmpty())
            return false;
        values->append(*value);
    }
    return true;
}

// "12:34" as two numbers.
std::optional<QPair<qint64, qint64>> pairOf(const QString &text) {
    const QStringList parts = text.split(u':');
    bool a = false, b = false;
    if (parts.size() != 2)
        return std::nullopt;
    const qint64 first = parts[0].toLongLong(&a), second = parts[1].toLongLong(&b);
    if (!a || !b)
        return std::nullopt;
    return QPair<qint64, qint64>{first, second};
}

} // namespace

int runGroupsCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    Grouping::Request request;
    const std::optional<qint64> session = takeIdOption(words, QStringLiteral("--session"));
    QStringList questions, together, apart, pins;
    const bool listsOk = takeAll(words, QStringLiteral("--question"), &questions) &&
                         takeAll(words, QStringLiteral("--together"), &together) &&
                         takeAll(words, QStringLiteral("--apart"), &apart) &&
                         takeAll(words, QStringLiteral("--pin"), &pins);
    const std::optional<QString> groups = takeOption(words, QStringLiteral("--groups"));
    const std::optional<QString> sizes = takeOption(words, QStringLiteral("--sizes"));
    const bool pairs = takeFlag(words, QStringLiteral("--pairs"));
    request.balanceGender = takeFlag(words, QStringLiteral("--balance-gender"));
    request.allowMutualRejection = takeFlag(words, QStringLiteral("--allow-mutual-rejection"));
    const std::optional<QString> seed = takeOption(words, QStringLiteral("--seed"));
    const std::optional<QString> format = takeOption(words, QStringLiteral("--format"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    const int modes = int(groups.has_value()) + int(sizes.has_value()) + int(pairs);
    if (!session || !listsOk || questions.isEmpty() || modes != 1 || !words.isEmpty() ||
        (file && file->isEmpty())) {
        err << kUsage;
        return 2;
    }
    request.session = *session;
    for (const QString &q : questions) {
        bool ok = false;
        request.questions << q.toLongLong(&ok);
        if (!ok) {
            err << kUsage;
            return 2;
        }
    }
    for (const auto &[texts, rules] :
         {std::pair{&together, &request.together}, std::pair{&apart, &request.apart}})
        for (const QString &text : *texts) {
            const std::optional<QPair<qint64, qint64>> pair = pairOf(text);
            if (!pair) {
                err << QStringLiteral("Dvojice žáků se zapisuje jako ID:ID, ne \"%1\".\n").arg(text);
                return 2;
            }
            rules->append(*pair);
        }
    for (const QString &text : pins) {
        const std::optional<QPair<qint64, qint64>> pin = pairOf(text);
        if (!pin) {
            err << QStringLiteral("Připnutí se zapisuje jako ID:SKUPINA, ne \"%1\".\n").arg(text);
            return 2;
        }
        request.pins.append({pin->first, int(pin->second)});
    }
    if (groups) {
        request.mode = Grouping::SizeMode::Groups;
        bool ok = false;
        request.groups = groups->toInt(&ok);
        if (!ok) {
            err << QStringLiteral("Počet skupin musí být číslo.\n");
            return 1;
        }
    } else if (sizes) {
        request.mode = Grouping::SizeMode::Sizes;
        for (const QString &part : sizes->split(u',')) {
            bool ok = false;
            request.sizes << part.trimmed().toInt(&ok);
            if (!ok) {
                err << QStringLiteral("Velikosti skupin se zapisují jako čísla oddělená čárkou, ne \"%1\".\n")
                           .arg(*sizes);
                return 1;
            }
        }
    } else {
        request.mode = Grouping::SizeMode::Pairs;
    }
    if (seed) {
        bool ok = false;
        request.seed = seed->toUInt(&ok);
        if (!ok) {
            err << QStringLiteral("Semínko (--seed) musí být nezáporné celé číslo.\n");
            return 2;
        }
    }
    if (format && *format != QLatin1String("json") && *format != QLatin1String("csv") &&
        *format != QLatin1String("text")) {
        err << QStringLiteral("Neznámý formát \"%1\": použijte json, csv nebo text.\n").arg(*format);
        return 2;
    }
    // Without --format the file's suffix names the output; an unknown one is refused before any work.
    if (file && !format && !Grouping::suffixes().contains(QFileInfo(*file).suffix().toLower())) {
        err << QStringLiteral("Neznámý typ výstupu \"%1\": použijte .%2 nebo volbu --format.\n")
                   .arg(*file, Grouping::suffixes().join(QStringLiteral(", .")));
        return 2;
    }

    QString reason;
    const std::optional<Grouping::Result> result = Grouping::arrange(db, request, &reason);
    if (!result) {
        err << reason << '\n';
        return 1;
    }
    const QString kind = format.value_or(QStringLiteral("text"));
    const QByteArray bytes = kind == QLatin1String("json")  ? Grouping::json(*result)
                             : kind == QLatin1String("csv") ? Grouping::csv(*result)
                                                            : Grouping::text(*result).toUtf8();
    if (!file) {
        out << QString::fromUtf8(bytes);
        return 0;
    }
    QString error;
    if (!(format ? FileWriter::writeWhole(*file, bytes, &error) : Grouping::save(*result, *file, &error))) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Rozdělení uloženo do %1.\n").arg(*file);
    return 0;
}
