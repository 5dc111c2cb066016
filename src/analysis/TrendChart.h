#pragma once

#include "chart/ChartMetafile.h"

#include <QByteArray>
#include <QSize>
#include <QString>

class ChartModel;
struct SurveyTrend;

// The course of a class over time as a line chart of the chart component: per session, in date order, the
// cohesion and the number of isolated pupils. Both lines share one axis: the cohesion in per cent
// ("Soudržnost (%)"), so that its usual values (a few per cent up to a few tens) sit in the range of the
// isolates' count instead of being a flat line at the bottom. The X values are the sessions' numbers
// 1, 2, …, each named by its date. The window, the pictures and print all paint picture().
namespace TrendChart {

QString cohesionSeriesName(); // "Soudržnost (%)"
QString isolatesSeriesName(); // "Izolovaní žáci"

// Puts the trend into the chart in one update: title, axis titles, the two line series; whatever the
// chart held before is gone. A session without a cohesion (fewer than two people) has no cohesion point.
void fill(ChartModel &chart, const SurveyTrend &trend);

// The size pictures are laid out at: 800 × 600.
QSize defaultSize();
// The chart laid out for a picture of `size` (the window paints it at its own size), each date under its
// point.
ChartMetafile picture(const SurveyTrend &trend, QSize size = defaultSize());
// The picture laid out at defaultSize() as PNG bytes, every pixel `scale` pixels (2 for print); empty when
// it cannot be made.
QByteArray png(const SurveyTrend &trend, int scale = 1);
// Saves the picture as .png, .svg or .emf (by the suffix) through the checked file path; false with the
// Czech reason in `error`.
bool save(const SurveyTrend &trend, const QString &path, QString *error);

} // namespace TrendChart
