#pragma once

#include "questionnaires/QuestionnaireTexts.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <optional>

class Database;
class QTextDocument;
class WordProcessor;
struct OutputClass;
struct SessionOutputData;

// One detail row of the who-chose-whom aggregation, as the report reads it.
struct EvaluationRow {
    bool positive = true;
    qint64 questionId = 0;
    qint64 recipientId = 0;
    QString recipientName;  // `jmeno_adresata`
    QString respondentName; // `jmeno_respondenta`, empty when nobody chose the recipient
    std::optional<qint64> respondentId; // `id_respondenta`; none when nobody chose the recipient
    int countPositive = 0;
    int countNegative = 0;
    int typ = 0;
    QString slovy; // null when the engine gave NULL
    QString pohlavi;
    QString celeJmeno; // of the row's partner: for a free-text answer its author
    QString textOtazky;
    QString textOtazkyNegativni;
    QString nadpisNad;
    QString popis;
    int poradiVyhodnoceni = 0; // an empty order counts as 0
};
Q_DECLARE_TYPEINFO(EvaluationRow, Q_RELOCATABLE_TYPE);

// The class and session the report is about.
struct EvaluationHeader {
    QString skola;
    QString stupen;
    QString tridniUcitel;
    QDate datum;
    QString poznamky;
};

struct EvaluationOptions {
    bool zeros = false; // list the members nobody chose ("0x:")
    bool names = false; // name the respondents behind every count
};

// "Mapování vztahů": the written report of one session. Built as header lines and question blocks kept in
// slots by evaluation order (positive block 2·v−1, negative block 2·v); lines carry markers ("<b>" question
// line, "<h2>" heading) until the final pass turns them into bold and bold-underlined lines.
class TextualEvaluation final {
public:
    TextualEvaluation(const EvaluationHeader &header, const EvaluationOptions &options);

    // The rows of one pass (all positive rows, then in a second call all negative rows), in the order of
    // the matching ordering line of the aggregation. A pass stops at the first row of the other polarity.
    void addPass(const QList<EvaluationRow> &rows, bool positive);
    // Both passes from one read of the session's rows (readRows in the positive ordering): the positive
    // rows as they come, then the negative ones in the negative ordering, sorted in memory. Raises
    // DatabaseError when the statement fails.
    void addPasses(Database &db, const SessionOutputData &session);

    // The finished report: bold first three lines, cleaned lines with bold and bold-underlined markers
    // resolved. The first line is never cleaned.
    QList<StyledLine> lines() const;

    // "2012/2013" for any date from September 2012 to August 2013; empty without a date.
    static QString schoolYear(const QDate &date);
    // The header lines as written at the top of the report.
    QStringList headerLines() const;

    // The rows of the who-chose-whom aggregation (`ADOQuery2`'s statement) of the session, in the given
    // ordering, read with bound values. Raises DatabaseError when the statement fails.
    static QList<EvaluationRow> readRows(Database &db, const SessionOutputData &session,
                                         const QString &orderLine);
    // The same rows one by one, without keeping them.
    static void forEachRow(Database &db, const SessionOutputData &session, const QString &orderLine,
                           const std::function<void(EvaluationRow &&)> &take);
    // The positions of the negative rows of `rows` in the order of the aggregation's negative ordering
    // (AggregationQueries::negativeFirstOrder): the second pass without a second run of the statement.
    static QList<qsizetype> negativeOrder(const QList<EvaluationRow> &rows);

private:
    // One row of the pass; false (and nothing done) for a row of the other polarity.
    bool addRow(const EvaluationRow &row, bool positive);
    void endPass();
    void endBlock(bool trimTrailingComma);

    EvaluationHeader m_header;
    EvaluationOptions m_options;
    QMap<int, QString> m_slots;
    // Grouping state of the pass being read.
    bool m_inBlock = false;
    qint64 m_question = 0;
    qint64 m_recipient = 0;
    int m_slot = -1;
    bool m_inEntry = false;
    QStringList m_respondents;
    bool m_entryListsNames = false;
    bool m_zeroListStarted = false;
};

// Plain text of the report (markers resolved), one line per line.
QString evaluationPlainText(const QList<StyledLine> &lines);
// HTML of the report: bold and underline kept, text escaped.
QString evaluationHtml(const QList<StyledLine> &lines);
// The word processor's formatting of the report: tab stop and hanging indent 148.8375 pt, Cambria 10, the
// title lines 14 pt centred, the next four lines 12 pt, headings (bold and underlined) 14 pt.
void formatEvaluationReport(WordProcessor &word, const QTextDocument &report);

// The header of the report of a session, from its class and the session's date and notes.
EvaluationHeader evaluationHeader(const SessionOutputData &session);
// The header when there is no session: the class's lines, no school year, no date and no notes.
EvaluationHeader evaluationHeader(const OutputClass &trida);

// The report of a session read by id (readSession): its header, then both passes of the aggregation.
// Raises DatabaseError when a statement fails, so that no report comes out with answers missing.
QList<StyledLine> evaluateSession(Database &db, const SessionOutputData &session,
                                  const EvaluationOptions &options);
// The report of the session of that id; nullopt with the Czech reason in `error` when there is no such
// session or its class does not exist.
std::optional<QList<StyledLine>> evaluateSession(Database &db, qint64 sessionId,
                                                 const EvaluationOptions &options, QString *error = nullptr);
// The report when there is no session to evaluate: the header of the class (of no class when `classId` is
// null or names no class), and no question block.
QList<StyledLine> evaluateWithoutSession(Database &db, const QVariant &classId);
