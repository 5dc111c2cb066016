#include "analysis/TrendChart.h"

#include "analysis/ComparisonTexts.h"
#include "analysis/SurveyComparison.h"
#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"
#include "picture/PictureExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace {

// The axis gets a tick per unit of its data (the component's rule); more than this many units make the
// labels run into each other, so larger values are charted in steps of 2, 5, 10, … and the labels scaled
// back (AxisYScale), so that they still read in per cent and pupils.
constexpr double kMostTicks = 20;

double axisStep(double largest) {
    for (double decade = 1; std::isfinite(largest) && decade < 1e300; decade *= 10)
        for (double factor : {1.0, 2.0, 5.0})
            if (largest / (factor * decade) <= kMostTicks)
                return factor * decade;
    return 1;
}

// Cohesion in per cent, to one decimal as the tables show it.
std::optional<double> cohesionPercent(const SociometricAnalysis &a) {
    if (!a.group.cohesion)
        return std::nullopt;
    return std::round(*a.group.cohesion * 1000.0) / 10.0;
}

} // namespace

QString TrendChart::cohesionSeriesName() {
    return QStringLiteral("Soudržnost (%)");
}

QString TrendChart::isolatesSeriesName() {
    return QStringLiteral("Izolovaní žáci");
}

void TrendChart::fill(ChartModel &chart, const SurveyTrend &trend) {
    double largest = 0;
    for (const TrendSession &s : trend.sessions) {
        largest = std::max(largest, cohesionPercent(s.analysis).value_or(0));
        largest = std::max(largest, double(s.analysis.group.isolates.size()));
    }
    const double step = axisStep(largest);

    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(19);
    chart.BeginUpdate();
    chart.Clear();
    chart.setFont(font);
    chart.setTitleFont(titleFont);
    chart.setShowTitle(true);
    chart.setTitle(QStringLiteral("Vývoj třídy – „%1“").arg(trend.questionText));
    chart.setShowLegend(true);
    chart.setShowXLabel(false); // the dates are the X labels themselves
    chart.setShowXGrid(false);  // the X grid marks bar slots, which a line chart has none of
    chart.setShowYGrid(true);
    chart.setAxisXTitle(QString());
    chart.setAxisYTitle(QStringLiteral("Soudržnost v %, počet izolovaných žáků"));
    chart.setAxisXOnePerValue(true);
    chart.setAxisXScale(1.0);
    chart.setAxisYScale(1.0 / step);
    chart.setMonochrome(false);
    chart.setSoftColors(false);
    TChartSeries *cohesion = chart.AddSeries(ChartSeriesKind::Line);
    cohesion->setCaption(cohesionSeriesName());
    TChartSeries *isolates = chart.AddSeries(ChartSeriesKind::Line);
    isolates->setCaption(isolatesSeriesName());
    for (int i = 0; i < trend.sessions.size(); ++i) {
        const SociometricAnalysis &a = trend.sessions[i].analysis;
        const QString date = ComparisonTexts::sessionDate(a);
        if (const std::optional<double> percent = cohesionPercent(a))
            cohesion->AddXY(date, i + 1, *percent / step);
        isolates->AddXY(date, i + 1, double(a.group.isolates.size()) / step);
    }
    chart.EndUpdate();
}

QSize TrendChart::defaultSize() {
    return QSize(800, 600);
}

ChartMetafile TrendChart::picture(const SurveyTrend &trend, QSize size) {
    ChartModel chart;
    fill(chart, trend);
    ChartLayout layout = ChartMetafile::create(chart, size.width(), size.height()).layout();
    // The component draws each X label half a tick step left of its tick, where a bar chart's slot begins;
    // the ticks of a line chart are its points, so they move right by that much and each date stands at
    // its point (the X grid, the only other use of the ticks, is off). The component puts the tick's value
    // before its name; the date alone says which session it is.
    const int shift =
        layout.xTicks.size() >= 2 ? ((layout.xTicks[1].Pixel - layout.xTicks[0].Pixel) / 2 - 4) / 2 : 0;
    for (qsizetype i = 0; i < layout.xTicks.size(); ++i) {
        layout.xTicks[i].Pixel += shift;
        layout.xTicks[i].Label = layout.xTickNames.value(i);
    }
    return ChartMetafile(std::move(layout));
}

QByteArray TrendChart::png(const SurveyTrend &trend, int scale) {
    const ChartMetafile chart = picture(trend);
    const QSize size = chart.size() * std::clamp(scale, 1, 4);
    const QImage image =
        renderImage(size, [&](QPainter &p) { chart.play(p, QRectF(QPointF(0, 0), QSizeF(size))); });
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return QByteArray();
    return bytes;
}

bool TrendChart::save(const SurveyTrend &trend, const QString &path, QString *error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") && suffix != QLatin1String("emf")) {
        if (error)
            *error = QStringLiteral("Neznámý formát obrázku „%1“: použijte .png, .svg nebo .emf.")
                         .arg(QFileInfo(path).fileName());
        return false;
    }
    return picture(trend).save(path, error);
}
