#pragma once

#include <QString>

class ChartMetafile;
class WordProcessor;

// The bar chart in the word processor: the landscape pages with narrow margins the chart pictures are
// placed on, one saved picture file, or one picture after another (one chart per question).
namespace BarChartWord {

// Page margins of a chart document, in points.
inline constexpr double kMargins = 36.285714285714285;

// A new document holding the picture file embedded at its start, on landscape pages with the chart
// margins. False with a Czech message when the file cannot be read.
bool placeSavedPicture(WordProcessor &word, const QString &file, QString *error = nullptr);

// Appends the chart as an embedded metafile at the insertion point, followed by a paragraph break.
// Hatches are drawn out, so the picture looks the same in readers without pattern brushes.
bool appendChart(WordProcessor &word, const ChartMetafile &picture, QString *error = nullptr);

} // namespace BarChartWord
