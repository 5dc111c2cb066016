#pragma once

#include "analysis/SociometricAnalysis.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The analysis as the teacher and scripts read it: the names and explanations of the class indices, the
// columns of the pupil table, and the whole analysis as JSON, CSV and plain text. Every human-readable
// output (window, text, HTML, Word) takes its wording from here.
namespace AnalysisTexts {

// One class index: the JSON key, the Czech name, a one-line explanation and the formatted value
// ("–" when there is none).
struct IndexLine {
    QString key;
    QString name;
    QString explanation;
    std::optional<double> value;
    bool isCount = false; // a whole number, not a ratio
};
QList<IndexLine> groupIndices(const SociometricAnalysis &analysis);

// A figure as the teacher reads it: Czech decimal comma, at most three decimals; "–" for none.
QString figure(const std::optional<double> &value, int decimals = 3);
// "oblíbený" … for the pupil, empty when the pupil has no status.
QString statusOf(const AnalysisPupil &pupil);
// Why the status columns, the scatter and the status counts are empty; empty when they are not.
QString missingStatusReason(const SociometricAnalysis &analysis);
// The group as a whole, in the plural ("oblíbení", "odmítaní", …): the scatter's regions and the counts.
QString groupName(Sociometry::Status status);
// "Nezapočtené volby: …" when choices were left out before counting; empty when none were.
QString ignoredChoicesLine(const SociometricAnalysis &analysis);

// The pupil table: headings and one row of cells per pupil, as the window, CSV, HTML and Word show it.
QStringList pupilColumns();
QStringList pupilCells(const AnalysisPupil &pupil);

// Names of the members, joined by ", ".
QString namesOf(const SociometricAnalysis &analysis, const QList<qint64> &ids);
// The subgroups by names: one line per pair or group under each heading.
struct SubgroupSection {
    QString heading;
    QStringList lines; // empty: none
};
QList<SubgroupSection> subgroupSections(const SociometricAnalysis &analysis);
// "Sociometrický rozbor", the class, the date and the question.
QStringList heading(const SociometricAnalysis &analysis);

// "12. 9. 2026"; empty for no date.
QString dateText(const QVariant &datum);
// School, grade and teacher, those that are not empty, joined by ", ".
QString classLine(const OutputClass &trida);
// A table as CSV: UTF-8 with a byte-order mark, ";" separated, CRLF lines, every cell through CsvCell.
QByteArray csvTable(const QStringList &columns, const QList<QStringList> &rows);

// The JSON contract of `orbelis-cli analysis --format json` (UTF-8, keys in the documented order).
QByteArray json(const SociometricAnalysis &analysis);
// The pupil table: UTF-8 with a byte-order mark, ";" separated, decimal commas; a text cell that a
// spreadsheet would take for a formula is neutralised (CsvCell), the figures stay numbers.
QByteArray csv(const SociometricAnalysis &analysis);
// The whole analysis as plain text.
QString text(const SociometricAnalysis &analysis);

} // namespace AnalysisTexts
