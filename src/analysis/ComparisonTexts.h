#pragma once

#include "analysis/SurveyComparison.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The comparison of two surveys and the course over time as the teacher and scripts read them. Every
// human-readable output (window, text, HTML, Word) takes its wording from here.
namespace ComparisonTexts {

// "Srovnání vyhodnocení", the class, both sessions with their dates and questions.
QStringList heading(const SurveyComparison &comparison);
// "12. 9. 2026" for the session of an analysis ("bez data" when it has none).
QString sessionDate(const SociometricAnalysis &analysis);

// "Shrnutí": the main changes, one sentence per line, by fixed rules: pupils whose status group rose and
// fell (Comparison::statusRank), those who became isolated and who stopped being isolated, the cohesion,
// the mutual positive pairs (and negative ones when both questions have a negative wording), and the
// pupils absent from either session.
QStringList summary(const SurveyComparison &comparison);

// The pupil table ("Žáci"): headings and one row per pupil; "chyběl" for a session the pupil was
// absent from, no change figures then.
QStringList pupilColumns();
QStringList pupilCells(const ComparedPupil &pupil);

// "Vazby": one section per list (kept, new, broken positive pairs; the same for negative ones when either
// question has a negative wording), each line a pair by names.
QList<AnalysisTexts::SubgroupSection> pairSections(const SurveyComparison &comparison);

// "Třída": the class indices, one row each: name, then, now, difference (signed), explanation.
QStringList indexColumns();
QStringList indexCells(const IndexChange &index);

// The JSON contract of `orbelis-cli compare --format json`.
QByteArray json(const SurveyComparison &comparison);
// The pupil table: UTF-8 with a byte-order mark, ";" separated, decimal commas, cells through CsvCell.
QByteArray csv(const SurveyComparison &comparison);
// The whole comparison as plain text: heading, summary, pupils, pairs, indices.
QString text(const SurveyComparison &comparison);

// "Vývoj": the heading, the table (one row per pupil: name, then LM and status for each session) and the
// class figures per session (cohesion, isolates).
QStringList trendHeading(const SurveyTrend &trend);
QStringList trendColumns(const SurveyTrend &trend);
QList<QStringList> trendRows(const SurveyTrend &trend);
QByteArray trendJson(const SurveyTrend &trend);
QByteArray trendCsv(const SurveyTrend &trend);
QString trendText(const SurveyTrend &trend);

} // namespace ComparisonTexts
