#include "cli/QuestionnaireCommands.h"

#include "automation/WordProcessor.h"
#include "cli/CliOptions.h"
#include "data/DataModule.h"
#include "data/Database.h"
#include "data/TextRules.h"
#include "questionnaires/AssignmentSheet.h"
#include "questionnaires/QuestionnaireTexts.h"
#include "questionnaires/TextExport.h"

#include <QFileInfo>
#include <QTextDocument>

namespace {

const char kQuestionnaireUsage[] =
    "Použití: orbelis-cli questionnaire list | add NÁZEV | preview --id ID --kind assignment|evaluation "
    "[--out SOUBOR.txt|.docx|.pdf] | preview --question ID --kind question [--out SOUBOR.txt|.docx|.pdf] | "
    "sheet --id ID --out SOUBOR.docx\n";
const char kQuestionUsage[] =
    "Použití: orbelis-cli question add --questionnaire ID --text TEXT [--negative TEXT] [--type 0..4]\n";

// Makes the questionnaire the current row of `Testy_Query` and reads its questions into `Otazky_Query`,
// as the questionnaire window does before it shows the question window.
bool selectQuestionnaire(TDM &dm, qint64 id, QTextStream &err) {
    Dataset &questionnaires = dm.Testy_Query();
    if (!dm.RefreshDataset(questionnaires) || !questionnaires.locate(QStringLiteral("ID"), id)) {
        err << QStringLiteral("Dotazník s ID %1 neexistuje.\n").arg(id);
        return false;
    }
    dm.Otazky_Query().setParameter(QStringLiteral("par_id_testu"), id);
    return dm.RefreshDataset(dm.Otazky_Query());
}

int list(TDM &dm, QTextStream &out) {
    Dataset &questionnaires = dm.Testy_Query();
    if (!dm.RefreshDataset(questionnaires))
        return 1;
    const int id = questionnaires.fieldIndex(QStringLiteral("ID"));
    const int name = questionnaires.fieldIndex(QStringLiteral("nazev_testu"));
    for (int row = 0; row < questionnaires.recordCount(); ++row)
        out << questionnaires.value(row, id).toLongLong() << '\t' << questionnaires.value(row, name).toString() << '\n';
    return 0;
}

// A text of a short column given on the command line: without control characters, cut to the column's
// length with a notice.
QString shortColumnText(const QString &text, const QString &what, QTextStream &notices) {
    QString result = TextRules::cleaned(text);
    if (TextRules::fitShortText(result))
        notices << QStringLiteral("%1 byl zkrácen na %2 znaků.\n").arg(what).arg(TextRules::kShortTextLength);
    return result;
}

int add(TDM &dm, const QString &name, QTextStream &out, QTextStream &err) {
    Dataset &questionnaires = dm.Testy_Query();
    if (!dm.RefreshDataset(questionnaires) || !questionnaires.insert())
        return 1;
    questionnaires.setValue(QStringLiteral("nazev_testu"), shortColumnText(name, QStringLiteral("Název"), err));
    if (!questionnaires.post()) {
        err << QStringLiteral("Dotazník se nepodařilo uložit.\n");
        return 1;
    }
    out << questionnaires.value(QStringLiteral("ID")).toLongLong() << '\n';
    return 0;
}

int preview(Database &db, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<QString> kind = takeOption(words, QStringLiteral("--kind"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    static const QStringList kinds = {QStringLiteral("txt"), QStringLiteral("docx"), QStringLiteral("pdf")};
    if (file && !kinds.contains(QFileInfo(*file).suffix().toLower())) {
        err << QStringLiteral("Soubor musí mít příponu .txt, .docx nebo .pdf.\n");
        return 2;
    }
    std::optional<QList<StyledLine>> lines;
    QString reason;
    if (kind == QLatin1String("question")) {
        const std::optional<qint64> questionId = takeIdOption(words, QStringLiteral("--question"));
        if (!questionId || !words.isEmpty()) {
            err << kQuestionnaireUsage;
            return 2;
        }
        lines = QuestionnaireTexts::questionPreview(db, *questionId, &reason);
    } else if (kind == QLatin1String("assignment") || kind == QLatin1String("evaluation")) {
        const std::optional<qint64> id = takeIdOption(words, QStringLiteral("--id"));
        if (!id || !words.isEmpty()) {
            err << kQuestionnaireUsage;
            return 2;
        }
        lines = kind == QLatin1String("assignment") ? QuestionnaireTexts::assignmentPreview(db, *id, &reason)
                                                    : QuestionnaireTexts::evaluationPreview(db, *id, &reason);
    } else {
        err << kQuestionnaireUsage;
        return 2;
    }
    if (!lines) {
        err << reason << '\n';
        return 1;
    }
    if (!file) {
        out << QuestionnaireTexts::plainText(*lines);
        return 0;
    }
    QTextDocument text;
    QuestionnaireTexts::writeTo(text, *lines);
    QString error;
    if (!saveEditorText(text, *file, {}, &error, QStringLiteral("Náhled"))) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Náhled uložen do %1.\n").arg(*file);
    return 0;
}

int sheet(Database &db, QStringList words, QTextStream &out, QTextStream &err) {
    const std::optional<qint64> id = takeIdOption(words, QStringLiteral("--id"));
    const std::optional<QString> file = takeOption(words, QStringLiteral("--out"));
    if (!id || !file || file->isEmpty() || !words.isEmpty()) {
        err << kQuestionnaireUsage;
        return 2;
    }
    QString reason;
    const std::optional<QList<StyledLine>> lines = QuestionnaireTexts::assignmentSheet(db, *id, &reason);
    if (!lines) {
        err << reason << '\n';
        return 1;
    }
    QTextDocument text;
    QuestionnaireTexts::writeTo(text, *lines);
    WordProcessor word;
    formatAssignmentSheet(word, text);
    QString error;
    if (!word.saveAs(*file, &error)) {
        err << error << '\n';
        return 1;
    }
    out << QStringLiteral("Zadání uloženo do %1.\n").arg(*file);
    return 0;
}

} // namespace

int runQuestionnaireCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    if (verb == QLatin1String("list") && rest.isEmpty())
        return list(dm, out);
    if (verb == QLatin1String("add") && rest.size() == 1 && !rest[0].trimmed().isEmpty())
        return add(dm, rest[0].trimmed(), out, err);
    if (verb == QLatin1String("preview"))
        return preview(dm.database(), rest, out, err);
    if (verb == QLatin1String("sheet"))
        return sheet(dm.database(), rest, out, err);
    err << kQuestionnaireUsage;
    return 2;
}

int runQuestionCommand(const QStringList &args, TDM &dm, QTextStream &out, QTextStream &err) {
    QStringList words = args.mid(1);
    const std::optional<qint64> questionnaire = takeIdOption(words, QStringLiteral("--questionnaire"));
    const std::optional<QString> text = takeOption(words, QStringLiteral("--text"));
    const std::optional<QString> negative = takeOption(words, QStringLiteral("--negative"));
    const std::optional<QString> type = takeOption(words, QStringLiteral("--type"));
    bool typeOk = true;
    const int typ = type ? type->toInt(&typeOk) : 0;
    if (args.value(0) != QLatin1String("add") || !questionnaire || !text || text->trimmed().isEmpty() || !words.isEmpty() ||
        !typeOk || typ < 0 || typ > 4) {
        err << kQuestionUsage;
        return 2;
    }
    if (!selectQuestionnaire(dm, *questionnaire, err))
        return 1;
    Dataset &questions = dm.Otazky_Query();
    if (!questions.insert())
        return 1;
    questions.setValue(QStringLiteral("text_otazky"), shortColumnText(*text, QStringLiteral("Text otázky"), err));
    if (negative && !negative->trimmed().isEmpty())
        questions.setValue(QStringLiteral("text_otazky_negativni"),
                           shortColumnText(*negative, QStringLiteral("Negativní text otázky"), err));
    questions.setValue(QStringLiteral("typ"), typ);
    if (!questions.post()) {
        err << QStringLiteral("Otázku se nepodařilo uložit.\n");
        return 1;
    }
    out << questions.value(QStringLiteral("ID")).toLongLong() << '\n';
    return 0;
}
