#include "cli/ReportCommand.h"

#include "automation/WordProcessor.h"
#include "cli/CliOptions.h"
#include "data/Database.h"
#include "files/FileWriter.h"
#include "questionnaires/TextExport.h"
#include "questionnaires/TextualEvaluation.h"

#include <QFileInfo>
#include <QTextDocument>

namespace {

const char kUsage[] = "Použití: orbelis-cli report --session ID [--zeros] [--names] [--anonymous "
                      "[--with-free-text]] [--out SOUBOR.txt|.html|.docx|.pdf]\n";

} // namespace

int runReportCommand(const QStringList &args, Database &db, QTextStream &out, QTextStream &err) {
    QStringList words = args;
    EvaluationOptions options;
    options.zeros = takeFlag(words, QStringLiteral("--zeros"));
    options.names = takeFlag(words, QStringLiteral("--names"));
    const std::optional<qint64> session = takeIdOption(words, QStringLiteral("--session"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    if (!session || !words.isEmpty() || (file && file->isEmpty())) {
        err << kUsage;
        return 2;
    }
    QString reason;
    const std::optional<QList<StyledLine>> read = evaluateSession(db, *session, options, &reason);
    if (!read) {
        err << reason << '\n';
        return 1;
    }
    const QList<StyledLine> &lines = *read;
    if (!file) {
        out << evaluationPlainText(lines);
        return 0;
    }
    const QString suffix = QFileInfo(*file).suffix().toLower();
    QString error;
    bool written = false;
    if (suffix == QLatin1String("docx")) {
        QTextDocument report;
        QuestionnaireTexts::writeTo(report, lines);
        WordProcessor word;
        formatEvaluationReport(word, report);
        written = word.saveAs(*file, &error);
    } else if (suffix == QLatin1String("pdf")) {
        QTextDocument report;
        QuestionnaireTexts::writeTo(report, lines);
        written = saveEditorText(report, *file, {}, &error, QStringLiteral("Vyhodnocení"));
    } else if (suffix == QLatin1String("html") || suffix == QLatin1String("htm")) {
        written = FileWriter::writeWhole(*file, evaluationHtml(lines).toUtf8(), &error);
    } else if (suffix == QLatin1String("txt")) {
        written = FileWriter::writeWhole(*file, evaluationPlainText(lines).toUtf8(), &error);
    } else {
        err << QStringLiteral("Soubor musí mít příponu .txt, .html, .docx nebo .pdf.\n");
        return 2;
    }
    if (!written) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Vyhodnocení uloženo do %1.\n").arg(*file);
    return 0;
}
