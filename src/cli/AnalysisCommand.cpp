#include "cli/AnalysisCommand.h"

#include "analysis/AnalysisOutputs.h"
#include "analysis/AnalysisTexts.h"
#include "analysis/SociometricAnalysis.h"
#include "cli/CliOptions.h"
#include "files/FileWriter.h"

#include <QFileInfo>

namespace {

const char kUsage[] = "Použití: orbelis-cli analysis --session ID --question ID [--format json|csv|text] "
                      "[--anonymous] [--out SOUBOR]\n";

QByteArray formatted(const SociometricAnalysis &analysis, const QString &format) {
    if (format == QLatin1String("json"))
        return AnalysisTexts::json(analysis);
    if (format == QLatin1String("csv"))
        return AnalysisTexts::csv(analysis);
    return AnalysisTexts::text(analysis).toUtf8();
}

} // namespace

int runAnalysisCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    const std::optional<qint64> sessionId = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<qint64> questionId = takeIdOption(words, QStringLiteral("--question"));
    const std::optional<QString> format = takeOption(words, QStringLiteral("--format"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    if (!sessionId || !questionId || !words.isEmpty() || (file && file->isEmpty())) {
        err << kUsage;
        return 2;
    }
    static const QStringList formats = {QStringLiteral("json"), QStringLiteral("csv"), QStringLiteral("text")};
    if (format && !formats.contains(*format)) {
        err << QStringLiteral("Neznámý formát \"%1\": použijte json, csv nebo text.\n").arg(*format);
        return 2;
    }
    // Without --format the file's suffix names the output; an unknown one is refused before any work.
    const QString suffix = file ? QFileInfo(*file).suffix().toLower() : QString();
    if (file && !format && !AnalysisOutputs::suffixes().contains(suffix)) {
        err << QStringLiteral("Neznámý typ výstupu \"%1\": použijte .%2 nebo volbu --format.\n")
                   .arg(*file, AnalysisOutputs::suffixes().join(QStringLiteral(", .")));
        return 2;
    }

    QString reason;
    const std::optional<SociometricAnalysis> analysis = Sociometry::analyse(db, *sessionId, *questionId, &reason);
    if (!analysis) {
        err << reason << '\n';
        return 1;
    }
    if (!file) {
        out << QString::fromUtf8(formatted(*analysis, format.value_or(QStringLiteral("text"))));
        return 0;
    }
    QString error;
    const bool written = format ? FileWriter::writeWhole(*file, formatted(*analysis, *format), &error)
                                : AnalysisOutputs::save(*analysis, *file, &error);
    if (!written) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Rozbor uložen do %1.\n").arg(*file);
    return 0;
}
