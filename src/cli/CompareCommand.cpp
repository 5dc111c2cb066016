#include "cli/CompareCommand.h"

#include "analysis/ComparisonOutputs.h"
#include "analysis/ComparisonTexts.h"
#include "analysis/SurveyComparison.h"
#include "cli/CliOptions.h"
#include "files/FileWriter.h"

#include <QFileInfo>

namespace {

const char kCompareUsage[] =
    "Použití: orbelis-cli compare --from ID --to ID --question ID [--question-to ID] "
    "[--format json|csv|text] [--anonymous] [--out SOUBOR]\n";
const char kTrendUsage[] = "Použití: orbelis-cli trend --class ID --question-text \"TEXT\" [--format json|csv|text] "
                           "[--out SOUBOR]\n";

// The format asked for: json, csv or text; an unknown one is refused (exit 2).
bool knownFormat(const std::optional<QString> &format, QTextStream &err) {
    static const QStringList formats = {QStringLiteral("json"), QStringLiteral("csv"), QStringLiteral("text")};
    if (!format || formats.contains(*format))
        return true;
    err << QStringLiteral("Neznámý formát \"%1\": použijte json, csv nebo text.\n").arg(*format);
    return false;
}

// Writes the output to standard output or the file; 0 on success, 1 with the reason on err.
int deliver(const QByteArray &bytes, const std::optional<QString> &file, QTextStream &out, QTextStream &err) {
    if (!file) {
        out << QString::fromUtf8(bytes);
        return 0;
    }
    QString error;
    if (!FileWriter::writeWhole(*file, bytes, &error)) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Zapsáno: %1\n").arg(*file);
    return 0;
}

} // namespace

int runCompareCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> from = takeIdOption(words, QStringLiteral("--from"));
    const std::optional<qint64> to = takeIdOption(words, QStringLiteral("--to"));
    const std::optional<qint64> question = takeIdOption(words, QStringLiteral("--question"));
    const bool questionToGiven = words.contains(QStringLiteral("--question-to"))
        || !words.filter(QStringLiteral("--question-to=")).isEmpty();
    const std::optional<qint64> questionTo = takeIdOption(words, QStringLiteral("--question-to"));
    const std::optional<QString> format = takeOption(words, QStringLiteral("--format"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    if (!from || !to || !question || (questionToGiven && !questionTo) || !words.isEmpty()
        || (file && file->isEmpty())) {
        err << kCompareUsage;
        return 2;
    }
    if (!knownFormat(format, err))
        return 2;
    // Without --format the file's suffix names the output; an unknown one is refused before any work.
    if (file && !format && !ComparisonOutputs::suffixes().contains(QFileInfo(*file).suffix().toLower())) {
        err << QStringLiteral("Neznámý typ výstupu \"%1\": použijte .%2 nebo volbu --format.\n")
                   .arg(*file, ComparisonOutputs::suffixes().join(QStringLiteral(", .")));
        return 2;
    }

    QString reason;
    const std::optional<SurveyComparison> comparison = Comparison::compare(db, *from, *question, *to, questionTo, &reason);
    if (!comparison) {
        err << reason << '\n';
        return 1;
    }
    if (file && !format) {
        // The document carries the course over time of the earlier question's text, as the window's does.
        const std::optional<SurveyTrend> trend =
            Comparison::trend(db, comparison->from.trida.id, comparison->from.questionText);
        QString error;
        if (!ComparisonOutputs::save(*comparison, *file, &error, trend ? &*trend : nullptr)) {
            err << error << '\n';
            return 1;
        }
        out << QStringLiteral("Zapsáno: %1\n").arg(*file);
        return 0;
    }
    const QString chosen = format.value_or(QStringLiteral("text"));
    const QByteArray bytes = chosen == QLatin1String("json")  ? ComparisonTexts::json(*comparison)
                             : chosen == QLatin1String("csv") ? ComparisonTexts::csv(*comparison)
                                                              : ComparisonTexts::text(*comparison).toUtf8();
    return deliver(bytes, file, out, err);
}

int runTrendCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> classId = takeIdOption(words, QStringLiteral("--class"));
    const std::optional<QString> text = takeOption(words, QStringLiteral("--question-text"));
    const std::optional<QString> format = takeOption(words, QStringLiteral("--format"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    if (!classId || !text || text->trimmed().isEmpty() || !words.isEmpty() || (file && file->isEmpty())) {
        err << kTrendUsage;
        return 2;
    }
    if (!knownFormat(format, err))
        return 2;
    QString reason;
    const std::optional<SurveyTrend> trend = Comparison::trend(db, *classId, *text, &reason);
    if (!trend) {
        err << reason << '\n';
        return 1;
    }
    const QString chosen = format.value_or(QStringLiteral("text"));
    const QByteArray bytes = chosen == QLatin1String("json")  ? ComparisonTexts::trendJson(*trend)
                             : chosen == QLatin1String("csv") ? ComparisonTexts::trendCsv(*trend)
                                                              : ComparisonTexts::trendText(*trend).toUtf8();
    return deliver(bytes, file, out, err);
}
