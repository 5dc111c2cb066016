#pragma once

#include "data/SessionOutput.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

class Database;
class QTextDocument;

// One line of a text output with the style it is written in. The style of a line replaces the style
// of the line before (a line is bold or italic, not both; headings are bold and underlined).
struct StyledLine {
    enum class Style { Normal, Bold, Italic, BoldUnderline };
    QString text;
    Style style = Style::Normal;
    bool operator==(const StyledLine &other) const = default;
};

// The question as the previews and the assignment sheet print it: a question read by id.
using QuestionText = OutputQuestion;

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

// The same texts of a question or a questionnaire read by id (readQuestionOutput, readQuestionnaireOutput),
// whatever order or row a window shows: the previews in questionnaire or evaluation order, the sheet under
// the questionnaire's name. Nullopt with the Czech reason in `error` when there is no question or
// questionnaire of that id; a failing statement raises DatabaseError.
std::optional<QList<StyledLine>> questionPreview(Database &db, qint64 questionId, QString *error = nullptr);
std::optional<QList<StyledLine>> evaluationPreview(Database &db, qint64 questionnaireId,
                                                   QString *error = nullptr);
std::optional<QList<StyledLine>> assignmentPreview(Database &db, qint64 questionnaireId,
                                                   QString *error = nullptr);
std::optional<QList<StyledLine>> assignmentSheet(Database &db, qint64 questionnaireId,
                                                 QString *error = nullptr);

// The lines as plain text, one per line ("\n"), for standard output.
QString plainText(const QList<StyledLine> &lines);
// Replaces the document's content by the lines, bold and italic as their styles say.
void writeTo(QTextDocument &document, const QList<StyledLine> &lines);

} // namespace QuestionnaireTexts
