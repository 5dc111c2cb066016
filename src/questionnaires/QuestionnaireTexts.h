#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class Dataset;
class QTextDocument;

// One line of a text output with the style it is written in. The style of a line replaces the style
// of the line before (a line is bold or italic, not both; headings are bold and underlined).
struct StyledLine {
    enum class Style { Normal, Bold, Italic, BoldUnderline };
    QString text;
    Style style = Style::Normal;
    bool operator==(const StyledLine &other) const = default;
};

// The question columns the previews and the assignment sheet print.
struct QuestionText {
    QVariant poradi;
    QString textOtazky;
    QString popis;        // shown in the evaluation
    QString popisProWeb;  // shown to the pupils
    QString nadpisNad;
    QVariant typ;
};

// Texts built from a questionnaire's questions: the three previews, the assignment sheet and the labels
// of the question kinds. Nothing here touches a window: the editor window and the headless tool write
// the same lines.
namespace QuestionnaireTexts {

// Grid label of a question kind: "základní", "abcde", "12345", "ano-ne", "slovní"; "základní" for any other
// value, NULL included.
QString kindLabel(const QVariant &typ);
// Captions of the kinds as the question editor offers them, in the order of their values 0–4.
QStringList kindCaptions();

// "Náhled otázky" of one question.
QList<StyledLine> questionPreview(const QuestionText &question);
// "Náhled vyhodnocení"; the questions in evaluation order.
QList<StyledLine> evaluationPreview(const QList<QuestionText> &questions);
// "Náhled zadání"; the questions in questionnaire order.
QList<StyledLine> assignmentPreview(const QList<QuestionText> &questions);
// The assignment sheet: the questionnaire's name, the name and class lines, the questions (positive
// wording only) with room for the answers.
QList<StyledLine> assignmentSheet(const QString &questionnaireName, const QList<QuestionText> &questions);

// The questions of the questions dataset read in the given order ("ORDER BY poradi ASC"): the dataset's
// last statement line is remembered, replaced, the dataset re-read, and the remembered line put back and
// the dataset re-read again, so that a window's own ordering (a title click) and its current row survive.
// A question being edited is saved first; nothing is read when that save is refused.
QList<QuestionText> questionsInOrder(Dataset &questions, const QString &orderLine);
QuestionText currentQuestion(const Dataset &questions);

// The lines as plain text, one per line ("\n"), for standard output.
QString plainText(const QList<StyledLine> &lines);
// Replaces the document's content by the lines, bold and italic as their styles say.
void writeTo(QTextDocument &document, const QList<StyledLine> &lines);

} // namespace QuestionnaireTexts
