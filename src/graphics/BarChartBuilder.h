#pragma once

#include "chart/ChartTypes.h"

#include <QList>
#include <QString>
#include <QVector>

class ChartModel;
class Database;
class TDM;

// One item of the three drop-down menus of the bar-chart window: caption and `Value` (a record id as
// text, or "-1" for "all"). `icon` marks the question items, which carry the question picture.
struct BarChartMenuItem {
    QString caption;
    QString value;
    bool icon = false;
    bool operator==(const BarChartMenuItem &other) const = default;
};

// What a build charts: the `Value` texts of the checked session, question and pupil items (empty when
// a menu has no checked item) and the option "ukázat i záznamy jiné než osoby".
struct BarChartFilter {
    QString session;
    QString question;
    QString pupil;
    bool otherRows = false;
};

// One bar series: a question, named after its positive wording padded to 50 characters, with two
// points per charted row (positive count up, negative count down) at X = the row's number.
struct BarChartSeriesData {
    qint64 questionId = 0;
    QString name;
    QVector<TXYInfo> points;
};

// The name shown under the axis while the mouse is over a group of bars.
struct BarChartHoverEntry {
    qint64 partnerId = 0;
    int number = 0; // X of the group, from 1
    QString name;
};

// Result of one build, computed without touching a chart.
struct BarChartData {
    enum class NoData { None, TryOtherRows, Nothing };

    // False when the session is unknown or has no questionnaire: the chart stays as it was.
    bool built = false;
    qint64 sessionId = 0;
    qint64 questionnaireId = 0;
    qint64 classId = 0;
    // "Preferenční volby <škola>, <stupeň>, třídní učitel: <učitel>, datum dd. mm. yyyy"
    QString defaultTitle;
    // "Graf <škola>, <stupeň>, <učitel>, zadání dd. mm. yyyy": files and class documents
    QString proposedName;
    QVector<qint64> questionIds;     // the N charted questions, by id
    QVector<qint64> totals;          // per question: all positive + negative choices received
    QVector<BarChartSeriesData> series; // questions with a total above 0, in question order
    // One entry per charted row when there is a series; empty otherwise.
    QVector<BarChartHoverEntry> hover;
    // "<n>. <name>\t\t" for every charted row, on one line.
    QString pupilList;
    NoData noData = NoData::None;

    // The message of a build without any choice (empty when there were choices).
    QString noDataMessage() const;
};

// The bar chart of choices received: for one session of a class, per question and row of the class,
// how many positive and negative choices the row received. Used by the bar-chart window and by
// `orbelis-cli chart`, so both chart the same values.
namespace BarChartBuilder {

// Sessions of Vyhodnoceni_Query (the current class), in its order.
QList<BarChartMenuItem> sessionItems(const TDM &dm);
// "Všichni žáci" ("-1") and the real pupils of Zak_Query (kind exactly "muž" or "žena"), in its order.
QList<BarChartMenuItem> pupilItems(const TDM &dm);
// "Všechny otázky" ("-1") and the questions of the session's questionnaire in `poradi` order, each with
// its kind prefix; Otazky_Query is reopened for that questionnaire. Only "Všechny otázky" when the
// session is unknown or has none.
QList<BarChartMenuItem> questionItems(TDM &dm, const QString &sessionValue);
// "základ __ ", "abcde  __ ", "12345  __ ", "ano-ne __ " for kinds 0 to 3; empty for other kinds.
QString questionPrefix(int typ);

// The chart's fixed settings in the window: legend, title and both grids shown, the title "Název grafu" in
// Arial of 19 pixels, the Y-axis title, X values not one per value, scales 1, colours, normal palette.
void setUp(ChartModel &chart);

// Reads the counts of a build. Statements take bound values only; database errors propagate as
// DatabaseError. Rows are those of the session's class.
BarChartData read(Database &db, const BarChartFilter &filter);

// The statement read() runs for the given filters: named parameters :s (session), :c (class),
// :t (questionnaire) and, when filtered, :q (question), :p (pupil) and :kind (option-row kind).
QString countsSql(bool question, bool pupil, bool optionKind, bool otherRows);

// Puts a build into the chart in one update: X-axis title emptied, the title, the series, X labels
// on, monochrome as given.
void fill(ChartModel &chart, const BarChartData &data, const QString &title, bool monochrome);

// The charted values as CSV (UTF-8 text, CR LF): header "otazka,x,jmeno,pozitivni,negativni", one row
// per series and charted row, the negative count as a positive number; names as CsvCell writes them.
QString pointsCsv(const BarChartData &data);

} // namespace BarChartBuilder
