#include "questionnaires/QuestionnaireTexts.h"


#include <QTextCursor>
#include <QTextDocument>

namespace {

using Style = StyledLine::Style;

void add(QList<StyledLine> &lines, Style style, const QString &text) {
    lines.append({text, style});
}

// "nadpis\r\n" appended to the box gives the heading and an empty line.
void addHeading(QList<StyledLine> &lines, const QString &heading) {
    if (heading.isEmpty())
        return;
    add(lines, Style::Bold, heading);
    add(lines, Style::Bold, QString());
}

int kindOf(const QVariant &typ) {
    bool ok = false;
    const int value = typ.isNull() ? -1 : typ.toInt(&ok);
    return ok ? value : -1;
}

void addSampleResults(QList<StyledLine> &lines, Style style, const QVariant &typ) {
    QStringList samples;
    switch (kindOf(typ)) {
    case 0:
        samples = {QStringLiteral("Honzík: 3"), QStringLiteral("Anička: 2"), QStringLiteral("Ludva: 0")};
        break;
    case 1:
        samples = {QStringLiteral("a): 3"), QStringLiteral("b): 2"), QStringLiteral("c): 0"), QStringLiteral("d): 1"),
                   QStringLiteral("e): 5")};
        break;
    case 2:
        samples = {QStringLiteral("1: 3"), QStringLiteral("2: 2"), QStringLiteral("3: 0"), QStringLiteral("4: 1"),
                   QStringLiteral("5: 5")};
        break;
    case 3:
        samples = {QStringLiteral("ano: 3"), QStringLiteral("ne: 2")};
        break;
    default:
        break;
    }
    for (const QString &sample : std::as_const(samples))
        add(lines, style, sample);
}

void addAnswerBoxes(QList<StyledLine> &lines, Style style, const QVariant &typ) {
    QStringList boxes;
    switch (kindOf(typ)) {
    case 0:
        boxes = {QStringLiteral("[] Honzík    [] Peťa    [] Luboš     [] Vítek"),
                 QStringLiteral("[] Anička    [] Irča    [] Lýdie     [] Pavlík"), QStringLiteral("[] Ludva")};
        break;
    case 1:
        boxes = {QStringLiteral("[] a)     [] b)     [] c)     [] d)     [] e)")};
        break;
    case 2:
        boxes = {QStringLiteral("[] 1      [] 2      [] 3      [] 4      [] 5")};
        break;
    case 3:
        boxes = {QStringLiteral("[] ano    [] ne")};
        break;
    default:
        break;
    }
    for (const QString &box : std::as_const(boxes))
        add(lines, style, box);
}

QString orderText(const QVariant &poradi) {
    return poradi.isNull() ? QString() : poradi.toString();
}

// The question as numbered in the questionnaire, then its description for the pupils; returns the style
// the following lines are written in.
Style addNumberedQuestion(QList<StyledLine> &lines, const QuestionText &question) {
    add(lines, Style::Bold, orderText(question.poradi) + QStringLiteral(". ") + question.textOtazky);
    if (question.popisProWeb.isEmpty())
        return Style::Bold;
    add(lines, Style::Italic, question.popisProWeb);
    add(lines, Style::Italic, QString());
    return Style::Italic;
}

} // namespace

QString QuestionnaireTexts::kindLabel(const QVariant &typ) {
    switch (kindOf(typ)) {
    case 1:
        return QStringLiteral("abcde");
    case 2:
        return QStringLiteral("12345");
    case 3:
        return QStringLiteral("ano-ne");
    case 4:
        return QStringLiteral("slovní");
    default:
        return QStringLiteral("základní");
    }
}

QStringList QuestionnaireTexts::kindCaptions() {
    return {QStringLiteral("klasický (výběr spolužáka)"), QStringLiteral("abcde"), QStringLiteral("12345"),
            QStringLiteral("ano / ne"), QStringLiteral("slovní")};
}

QList<StyledLine> QuestionnaireTexts::questionPreview(const QuestionText &question) {
    QList<StyledLine> lines;
    addHeading(lines, question.nadpisNad);
    add(lines, Style::Bold, question.textOtazky);
    if (!question.popis.isEmpty())
        add(lines, Style::Italic, question.popis);
    add(lines, Style::Italic, QString());
    addSampleResults(lines, Style::Italic, question.typ);
    return lines;
}

QList<StyledLine> QuestionnaireTexts::evaluationPreview(const QList<QuestionText> &questions) {
    QList<StyledLine> lines;
    for (const QuestionText &question : questions) {
        addHeading(lines, question.nadpisNad);
        add(lines, Style::Bold, question.textOtazky);
        Style style = Style::Bold;
        if (!question.popis.isEmpty()) {
            style = Style::Italic;
            add(lines, style, question.popis);
            add(lines, style, QString());
        }
        addSampleResults(lines, style, question.typ);
        add(lines, style, QString());
        add(lines, style, QString());
    }
    return lines;
}

QList<StyledLine> QuestionnaireTexts::assignmentPreview(const QList<QuestionText> &questions) {
    QList<StyledLine> lines;
    for (const QuestionText &question : questions) {
        const Style style = addNumberedQuestion(lines, question);
        addAnswerBoxes(lines, style, question.typ);
        add(lines, style, QString());
        add(lines, style, QString());
    }
    return lines;
}

QList<StyledLine> QuestionnaireTexts::assignmentSheet(const QString &questionnaireName,
                                                      const QList<QuestionText> &questions) {
    QList<StyledLine> lines;
    for (const QString &line : {questionnaireName, QStringLiteral("Jméno a příjmení: _______________________________________"),
                                QStringLiteral("Třída: _______________________________________"),
                                QStringLiteral("Odpověz prosím na následující otázky:")}) {
        add(lines, Style::Bold, line);
        add(lines, Style::Bold, QString());
        add(lines, Style::Bold, QString());
    }
    for (const QuestionText &question : questions) {
        const Style style = addNumberedQuestion(lines, question);
        for (int i = 0; i < 4; ++i)
            add(lines, style, QString());
    }
    return lines;
}

std::optional<QList<StyledLine>> QuestionnaireTexts::questionPreview(Database &db, qint64 questionId,
                                                                     QString *error) {
    const std::optional<OutputQuestion> question = readQuestionOutput(db, questionId, error);
    if (!question)
        return std::nullopt;
    return questionPreview(*question);
}

std::optional<QList<StyledLine>> QuestionnaireTexts::evaluationPreview(Database &db, qint64 questionnaireId,
                                                                       QString *error) {
    const std::optional<OutputQuestionnaire> questionnaire =
        readQuestionnaireOutput(db, questionnaireId, error);
    if (!questionnaire)
        return std::nullopt;
    return evaluationPreview(questionnaire->inEvaluationOrder());
}

std::optional<QList<StyledLine>> QuestionnaireTexts::assignmentPreview(Database &db, qint64 questionnaireId,
                                                                       QString *error) {
    const std::optional<OutputQuestionnaire> questionnaire =
        readQuestionnaireOutput(db, questionnaireId, error);
    if (!questionnaire)
        return std::nullopt;
    return assignmentPreview(questionnaire->questions);
}

std::optional<QList<StyledLine>> QuestionnaireTexts::assignmentSheet(Database &db, qint64 questionnaireId,
                                                                     QString *error) {
    const std::optional<OutputQuestionnaire> questionnaire =
        readQuestionnaireOutput(db, questionnaireId, error);
    if (!questionnaire)
        return std::nullopt;
    return assignmentSheet(questionnaire->name, questionnaire->questions);
}

QString QuestionnaireTexts::plainText(const QList<StyledLine> &lines) {
    QString result;
    for (const StyledLine &line : lines)
        result += line.text + u'\n';
    return result;
}

void QuestionnaireTexts::writeTo(QTextDocument &document, const QList<StyledLine> &lines) {
    document.clear();
    QTextCursor cursor(&document);
    bool first = true;
    for (const StyledLine &line : lines) {
        QTextCharFormat format;
        format.setFontWeight(line.style == Style::Bold || line.style == Style::BoldUnderline ? QFont::Bold
                                                                                           : QFont::Normal);
        format.setFontItalic(line.style == Style::Italic);
        format.setFontUnderline(line.style == Style::BoldUnderline);
        if (!first)
            cursor.insertBlock(QTextBlockFormat(), format);
        cursor.setBlockCharFormat(format);
        cursor.insertText(line.text, format);
        first = false;
    }
}
