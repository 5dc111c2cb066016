#include "cli/ReportCommand.h"

#include "automation/WordProcessor.h"
#include "cli/CliOptions.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "files/FileWriter.h"
#include "questionnaires/TextualEvaluation.h"

#include <QFileInfo>
#include <QTextDocument>

namespace {

const char kUsage[] = "Použití: orbelis-cli report --session ID [--zeros] [--names] [--out SOUBOR.txt|.html|.docx]\n";

// Makes the session's class and the session the current rows, as the windows have them.
bool selectSession(TDM &dm, qint64 session, QTextStream &err) {
    const QVariant classId = dm.database().scalar(QStringLiteral("SELECT id_tridy FROM vyhodnoceni WHERE ID = :s"),
                                                  {{QStringLiteral("s"), session}});
    if (classId.isNull() || !dm.RefreshDataset(dm.Trida_Query()) ||
        !dm.Trida_Query().locate(QStringLiteral("ID"), classId) ||
        !dm.Vyhodnoceni_Query().locate(QStringLiteral("ID"), session)) {
        err << QStringLiteral("Vyhodnocení s ID %1 neexistuje.\n").arg(session);
        return false;
    }
    return true;
}

} // namespace

int runReportCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
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
    if (!selectSession(dm, *session, err))
        return 1;
    const std::optional<QList<StyledLine>> read = evaluateCurrentSession(dm, options);
    if (!read)
        return 1;
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
    } else if (suffix == QLatin1String("html") || suffix == QLatin1String("htm")) {
        written = FileWriter::writeWhole(*file, evaluationHtml(lines).toUtf8(), &error);
    } else if (suffix == QLatin1String("txt")) {
        written = FileWriter::writeWhole(*file, evaluationPlainText(lines).toUtf8(), &error);
    } else {
        err << QStringLiteral("Soubor musí mít příponu .txt, .html nebo .docx.\n");
        return 2;
    }
    if (!written) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Vyhodnocení uloženo do %1.\n").arg(*file);
    return 0;
}
