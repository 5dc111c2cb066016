#include "chart/ChartLayouter.h"

#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"
#include "chart/ChartSpline.h"
#include "chart/NiceTicks.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr int kMargin = 20;
constexpr int kBottomMargin = 95;
constexpr int kLegendIndent = 32;    // caption text from the box's left edge
constexpr int kLegendPadding = 5;    // content from the box's top edge
constexpr int kLegendMinEntry = 20;  // minimum height of one series' entry
constexpr int kLegendGap = 2;        // between series entries
constexpr int kLabelsPerColumn = 30; // point labels per legend column
constexpr int kSplinePoints = 20;

struct Range {
    double min = std::numeric_limits<double>::max();
    double max = std::numeric_limits<double>::lowest();
    bool empty() const { return min > max; }
    void add(double v)
    {
        if (!std::isfinite(v))
            return;
        min = std::min(min, v);
        max = std::max(max, v);
    }
};

bool isZero(double value, double step)
{
    return std::abs(value) <= std::abs(step) * 1e-9;
}

} // namespace

int ChartLayouter::roundPixel(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double r = std::nearbyint(value);
    return int(std::clamp(r, double(INT_MIN / 2), double(INT_MAX / 2)));
}

QFont ChartLayouter::pixelFont(const QFont &font, int dpi)
{
    QFont f = font;
    if (font.pixelSize() <= 0) {
        const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 8.0;
        f.setPixelSize(std::max(1, qRound(points * dpi / 72.0)));
    }
    return f;
}

QString ChartLayouter::formatValue(double value)
{
    if (value >= 1.7e308 || value <= -1.7e308)
        return QStringLiteral("~");
    double rounded = std::round(value * 100.0) / 100.0;
    if (rounded == 0.0)
        rounded = 0.0; // no "-0"
    const QLocale locale;
    QString text = locale.toString(rounded, 'f', 2);
    const QString point = locale.decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

QStringList ChartLayouter::wrapText(const QString &text, const QFontMetrics &metrics, int maxWidth)
{
    QStringList lines;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (int p = 0; p < paragraphs.size(); ++p) {
        QString paragraph = paragraphs[p];
        paragraph.remove(QLatin1Char('\r'));
        int trailing = 0;
        while (trailing < paragraph.size() && paragraph[paragraph.size() - 1 - trailing] == QLatin1Char(' '))
            ++trailing;
        const QString core = paragraph.left(paragraph.size() - trailing);
        QString line;
        bool started = false;
        for (const QString &word : core.split(QLatin1Char(' '))) {
            if (!started) {
                line = word;
                started = true;
                continue;
            }
            const QString candidate = line + QLatin1Char(' ') + word;
            if (metrics.horizontalAdvance(candidate) <= maxWidth || line.isEmpty()) {
                line = candidate;
            } else {
                lines.append(line);
                line = word;
            }
        }
        if (trailing > 0) {
            const int space = std::max(1, metrics.horizontalAdvance(QLatin1Char(' ')));
            const int room = (maxWidth - metrics.horizontalAdvance(line)) / space;
            line += QString(std::clamp(room, 0, trailing), QLatin1Char(' '));
        }
        lines.append(line);
    }
    return lines;
}

ChartLayout ChartLayouter::layout(const ChartModel &model, QSize size, int dpi)
{
    ChartLayout L;
    const int W = size.width();
    const int H = size.height();
    L.size = size;
    L.background = model.Color();
    L.font = pixelFont(model.Font(), dpi);
    L.titleFont = pixelFont(model.TitleFont(), dpi);
    L.monochrome = model.Monochrome();
    L.softColors = model.SoftColors();
    L.showXGrid = model.ShowXGrid();
    L.showYGrid = model.ShowYGrid();
    L.axisYTitle = model.AxisYTitle();
    L.markerSize = std::max(1, roundPixel(W * 0.004));

    const QFontMetrics fm(L.font);
    const int th = fm.height();
    L.textHeight = th;

    int left = kMargin, right = W - kMargin, top = kMargin, bottom = H - kBottomMargin;

    // 1. Title, word-wrapped over the plot width.
    if (model.ShowTitle() && !model.Title().isEmpty()) {
        const QFontMetrics tfm(L.titleFont);
        L.titleLines = wrapText(model.Title(), tfm, std::max(1, right - left));
        const int height = int(L.titleLines.size()) * tfm.height();
        L.title = model.Title();
        L.titleRect = QRect(left, top, right - left, height);
        top += height + 10;
    }

    // 2. Room for the X labels.
    bottom -= 2 * th + 14;

    // 3. Y ticks: one per integer of the data range, at least 3.
    Range yRange, xRange;
    int barSeries = 0;
    for (int s = 0; s < model.SeriesCount(); ++s) {
        const TChartSeries *series = model.Series(s);
        if (series->Kind() == ChartSeriesKind::Bar)
            ++barSeries;
        for (const TXYInfo &p : series->Points()) {
            yRange.add(p.Y);
            xRange.add(p.X);
        }
    }
    L.hasBars = barSeries > 0;

    int yCount = 0;
    if (!yRange.empty()) {
        const double span = yRange.max - yRange.min + 1.0;
        // Ticks closer than one pixel cannot be told apart; the cap also keeps a huge
        // data range from producing millions of ticks.
        const double cap = std::max(3, bottom - top + 1);
        yCount = std::max(3, int(std::min(double(roundPixel(std::min(span, 1e9))), cap)));
        const NiceScale scale = niceTicks(yCount, yRange.min, yRange.max);
        L.yFirst = scale.first;
        L.yStep = scale.step;
        int widest = 0;
        for (int i = 0; i < yCount; ++i) {
            TAxisInfo tick;
            tick.Value = scale.first + i * scale.step;
            tick.Label = formatValue(tick.Value / model.AxisYScale());
            widest = std::max(widest, fm.horizontalAdvance(tick.Label));
            L.yTicks.append(tick);
        }
        L.yLabelWidth = widest;
    }
    left += th + L.yLabelWidth + 14;

    // 4. Y tick rows from the plot bottom; the row of value 0.
    const double plotHeight = bottom - top;
    const double yPerValue = yCount > 1 ? plotHeight / ((yCount - 1) * L.yStep) : 0.0;
    L.zeroRow = bottom;
    for (int i = 0; i < L.yTicks.size(); ++i) {
        TAxisInfo &tick = L.yTicks[i];
        tick.Pixel = roundPixel(bottom - i * L.yStep * yPerValue);
        if (isZero(tick.Value, L.yStep))
            L.zeroRow = tick.Pixel;
    }

    // 5. Legend at the right, from the plot top.
    L.showLegend = model.ShowLegend() && model.SeriesCount() > 0;
    if (L.showLegend) {
        const int wrapWidth = std::max(60, W / 3);
        int y = 0;
        int widest = 0;
        for (int s = 0; s < model.SeriesCount(); ++s) {
            const TChartSeries *series = model.Series(s);
            ChartLegendEntry entry;
            entry.series = s;
            entry.kind = series->Kind();
            entry.lines = wrapText(series->Caption(), fm, wrapWidth);
            entry.top = y;
            entry.height = std::max(int(entry.lines.size()) * th, kLegendMinEntry);
            for (const QString &line : entry.lines)
                widest = std::max(widest, kLegendIndent + fm.horizontalAdvance(line));
            y += entry.height + (s + 1 < model.SeriesCount() ? kLegendGap : 0);
            L.legend.append(entry);
        }
        int contentHeight = y;

        // Point labels of the first series: every second point, columns of 30 lines.
        const TChartSeries *first = model.Series(0);
        if (model.ShowXLabel() && first->PointCount() > 0) {
            const int labelsTop = y + kLegendPadding;
            int column = kLegendIndent;
            int rightmost = column;
            int row = 0;
            for (int i = 0, number = 1; i < first->PointCount(); i += 2, ++number) {
                ChartLegendLabel label;
                label.text = QString::number(number) + QLatin1Char(' ') + first->Point(i).Name;
                label.pos = QPoint(column, labelsTop + row * th);
                rightmost = std::max(rightmost, column + fm.horizontalAdvance(label.text));
                L.legendLabels.append(label);
                contentHeight = std::max(contentHeight, labelsTop + (row + 1) * th);
                ++row;
                if (number % kLabelsPerColumn == 0) {
                    row = 0;
                    column = rightmost + 10;
                }
            }
            // Label positions were relative to the content; make them relative to the box.
            for (ChartLegendLabel &label : L.legendLabels)
                label.pos.ry() += kLegendPadding;
            widest = std::max(widest, rightmost);
        }

        const int width = widest + 10;
        L.legendRect = QRect(right - width, top, width, contentHeight + 2 * kLegendPadding);
        right = L.legendRect.x() - 20;
    }

    L.plot = QRect(left, top, right - left, bottom - top);

    // 6. X ticks and point positions.
    const int plotWidth = right - left;
    L.onePerValue = model.AxisXOnePerValue() || L.hasBars;
    QVector<double> values;
    if (L.onePerValue) {
        for (int s = 0; s < model.SeriesCount(); ++s)
            for (const TXYInfo &p : model.Series(s)->Points())
                if (std::isfinite(p.X))
                    values.append(p.X);
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());

        QHash<double, QString> firstNames;
        if (model.SeriesCount() > 0) {
            for (const TXYInfo &p : model.Series(0)->Points())
                if (!firstNames.contains(p.X))
                    firstNames.insert(p.X, p.Name);
        }
        const int m = int(values.size());
        L.slotWidth = m > 0 ? double(plotWidth) / m : 0.0;
        for (int i = 0; i < m; ++i) {
            TAxisInfo tick;
            tick.Value = values[i];
            if (L.hasBars)
                tick.Pixel = roundPixel(left + L.slotWidth * (i + 0.5));
            else if (m == 1)
                tick.Pixel = roundPixel(left + plotWidth / 2.0);
            else
                tick.Pixel = roundPixel(left + double(i) * plotWidth / (m - 1));
            const QString name = firstNames.value(tick.Value);
            tick.Label = formatValue(tick.Value / model.AxisXScale());
            if (!name.isEmpty())
                tick.Label += QLatin1Char(' ') + name;
            L.xTicks.append(tick);
            L.xTickNames.append(name);
        }
    } else if (!xRange.empty()) {
        const int n = std::max(2, plotWidth / 50 + 1);
        const NiceScale scale = niceTicks(n, xRange.min, xRange.max);
        L.xFirst = scale.first;
        L.xStep = scale.step;
        for (int i = 0; i < n; ++i) {
            TAxisInfo tick;
            tick.Value = scale.first + i * scale.step;
            tick.Pixel = roundPixel(left + double(i) * plotWidth / (n - 1));
            tick.Label = formatValue(tick.Value / model.AxisXScale());
            L.xTicks.append(tick);
            L.xTickNames.append(QString());
        }
    }
    const double xPerValue = !L.onePerValue && L.xTicks.size() > 1
                                 ? plotWidth / ((L.xTicks.size() - 1) * L.xStep)
                                 : 0.0;

    auto xPixel = [&](double x) {
        if (L.onePerValue) {
            const auto it = std::lower_bound(values.cbegin(), values.cend(), x);
            if (it == values.cend() || *it != x)
                return left;
            return L.xTicks[int(it - values.cbegin())].Pixel;
        }
        return roundPixel(left + (x - L.xFirst) * xPerValue);
    };
    auto yPixel = [&](double y) { return roundPixel(bottom - (y - L.yFirst) * yPerValue); };

    const double s = L.slotWidth;
    const int w = barSeries > 0 ? roundPixel(s / (barSeries + 1)) : 0;
    L.subSlotWidth = w;
    const int barWidth = roundPixel(0.8 * w);
    int k = 0;
    for (int index = 0; index < model.SeriesCount(); ++index) {
        const TChartSeries *series = model.Series(index);
        ChartSeriesGeometry geometry;
        geometry.number = index;
        geometry.kind = series->Kind();
        const bool bar = series->Kind() == ChartSeriesKind::Bar;
        if (bar)
            geometry.barIndex = k;
        const int offset = bar ? roundPixel(w / 2.0 - s / 2.0 + k * w + 0.1 * w) : 0;
        geometry.points.reserve(series->PointCount());
        for (const TXYInfo &p : series->Points()) {
            const QPoint pixel(xPixel(p.X), std::isfinite(p.Y) ? yPixel(p.Y) : L.zeroRow);
            geometry.points.append(pixel);
            geometry.names.append(p.Name);
            if (bar) {
                const int x0 = pixel.x() + offset;
                if (p.Y >= 0)
                    geometry.bars.append(QRect(x0, pixel.y(), barWidth, L.zeroRow - pixel.y()));
                else
                    geometry.bars.append(QRect(x0, L.zeroRow, barWidth, pixel.y() - L.zeroRow));
            }
        }
        if (series->Kind() == ChartSeriesKind::Smooth) {
            QVector<QPointF> points;
            for (const QPoint &p : geometry.points)
                points.append(QPointF(p));
            geometry.curve = interpolatingBSpline(points, kSplinePoints);
        }
        if (bar)
            ++k;
        L.series.append(geometry);
    }
    return L;
}
