#pragma once

#include <QString>
#include <QStringList>

struct PagedDocument;
struct SurveyComparison;
struct SurveyTrend;

// The comparison of two surveys as files: .docx (through the word-processor layer: heading, summary, pupil
// table, pairs, class indices, and the course over time with its chart when one is given), .html, .pdf
// (the pages of print), .csv (the pupil table), .json and .txt. Every file goes through the checked file
// path.
namespace ComparisonOutputs {

// The suffixes save() accepts, without the dot: docx, html, csv, json, txt, pdf.
QStringList suffixes();
// The comparison (and, when `trend` is given and has at least two sessions, the course over time) as a
// standalone HTML page (UTF-8, every text escaped).
QString html(const SurveyComparison &comparison, const SurveyTrend *trend = nullptr);
// The pages of print, its preview and the PDF: the page's text, then the trend chart (vector), when it is
// shown, on a page of its own; landscape A4 (the pupil table is wide).
PagedDocument pages(const SurveyComparison &comparison, const SurveyTrend *trend = nullptr);
// Writes the comparison in the form its suffix names; false with the Czech reason in `error` (an unknown
// suffix included).
bool save(const SurveyComparison &comparison, const QString &path, QString *error,
          const SurveyTrend *trend = nullptr);

} // namespace ComparisonOutputs
