#include "chart/ChartLayouter.h"

#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"
#include "chart/ChartSpline.h"
#include "chart/NiceTicks.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>

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

namespace {

// The words of a line, a date ("03. 12. 2026") kept as one: a day or month number with its dot is never
// parted from the number after it.
QStringList unbreakableWords(const QString &text) {
    static const QRegularExpression dayOrMonth(QStringLiteral("^\\d{1,2}\\.$"));
    QStringList words;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        if (!words.isEmpty() && !word.isEmpty() && word.front().isDigit() &&
            dayOrMonth.match(words.back().section(QLatin1Char(' '), -1)).hasMatch())
            words.back() += QLatin1Char(' ') + word;
        else
            words.append(word);
    }
    return words;
}

} // namespace

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
        for (const QString &word : unbreakableWords(core)) {
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

namespace {

// The layout steps, in order, sharing the plot edges as they move.
class LayoutBuilder {
public:
    LayoutBuilder(const ChartModel &model, QSize size, int dpi);

    ChartLayout build();

private:
    void title();
    void yAxis();
    void yRows();
    void legend();
    void legendLabels(int captionsHeight, int &contentHeight, int &widest);
    void xAxis();
    void xLabels();
    void points();
    int xPixel(double x) const;
    int yPixel(double y) const;

    const ChartModel &m_model;
    ChartLayout m_lay;
    const QFontMetrics m_fm;
    const int m_th;
    int m_left, m_right, m_top, m_bottom;
    Range m_xRange, m_yRange;
    int m_barSeries = 0;
    double m_yPerValue = 0.0, m_xPerValue = 0.0;
    QVector<double> m_xValues; // distinct X values, sorted (one tick per value)
};

LayoutBuilder::LayoutBuilder(const ChartModel &model, QSize size, int dpi)
    : m_model(model),
      m_fm(ChartLayouter::pixelFont(model.Font(), dpi)),
      m_th(m_fm.height()),
      m_left(kMargin),
      m_right(size.width() - kMargin),
      m_top(kMargin),
      m_bottom(size.height() - kBottomMargin)
{
    m_lay.size = size;
    m_lay.background = model.Color();
    m_lay.font = ChartLayouter::pixelFont(model.Font(), dpi);
    m_lay.titleFont = ChartLayouter::pixelFont(model.TitleFont(), dpi);
    m_lay.textHeight = m_th;
    m_lay.monochrome = model.Monochrome();
    m_lay.softColors = model.SoftColors();
    m_lay.showXGrid = model.ShowXGrid();
    m_lay.showYGrid = model.ShowYGrid();
    m_lay.axisYTitle = model.AxisYTitle();
    m_lay.markerSize = std::max(1, ChartLayouter::roundPixel(size.width() * 0.004));

    for (int s = 0; s < model.SeriesCount(); ++s) {
        const TChartSeries *series = model.Series(s);
        if (series->Kind() == ChartSeriesKind::Bar)
            ++m_barSeries;
        for (const TXYInfo &p : series->Points()) {
            m_yRange.add(p.Y);
            m_xRange.add(p.X);
        }
    }
    m_lay.hasBars = m_barSeries > 0;
}

ChartLayout LayoutBuilder::build()
{
    title();
    m_bottom -= 2 * m_th + 14; // room for the X labels
    yAxis();
    yRows();
    legend();
    m_lay.plot = QRect(m_left, m_top, m_right - m_left, m_bottom - m_top);
    xAxis();
    xLabels();
    points();
    return m_lay;
}

// The title, word-wrapped over the plot width; the plot starts 10 px below it.
void LayoutBuilder::title()
{
    if (!m_model.ShowTitle() || m_model.Title().isEmpty())
        return;
    const QFontMetrics tfm(m_lay.titleFont);
    m_lay.title = m_model.Title();
    m_lay.titleLines = ChartLayouter::wrapText(m_lay.title, tfm, std::max(1, m_right - m_left));
    const int height = int(m_lay.titleLines.size()) * tfm.height();
    m_lay.titleRect = QRect(m_left, m_top, m_right - m_left, height);
    m_top += height + 10;
}

// Y ticks: one per integer of the data range, at least 3; the plot left moves right
// by the text height, the widest label and 14.
void LayoutBuilder::yAxis()
{
    if (!m_yRange.empty()) {
        const double span = m_yRange.max - m_yRange.min + 1.0;
        // Ticks closer than one pixel cannot be told apart; the cap also keeps a huge
        // data range from producing millions of ticks.
        const int cap = std::max(3, m_bottom - m_top + 1);
        const int n = std::max(3, std::min(ChartLayouter::roundPixel(std::min(span, 1e9)), cap));
        const NiceScale scale = niceTicks(n, m_yRange.min, m_yRange.max);
        m_lay.yFirst = scale.first;
        m_lay.yStep = scale.step;
        for (int i = 0; i < n; ++i) {
            TAxisInfo tick;
            tick.Value = scale.first + i * scale.step;
            tick.Label = ChartLayouter::formatValue(tick.Value / m_model.AxisYScale());
            m_lay.yLabelWidth = std::max(m_lay.yLabelWidth, m_fm.horizontalAdvance(tick.Label));
            m_lay.yTicks.append(tick);
        }
    }
    m_left += m_th + m_lay.yLabelWidth + 14;
}

// Tick rows up from the plot bottom; the row of value 0 (the bottom if 0 is no tick).
void LayoutBuilder::yRows()
{
    const int n = int(m_lay.yTicks.size());
    m_yPerValue = n > 1 ? double(m_bottom - m_top) / ((n - 1) * m_lay.yStep) : 0.0;
    m_lay.zeroRow = m_bottom;
    for (int i = 0; i < n; ++i) {
        TAxisInfo &tick = m_lay.yTicks[i];
        tick.Pixel = ChartLayouter::roundPixel(m_bottom - i * m_lay.yStep * m_yPerValue);
        if (isZero(tick.Value, m_lay.yStep))
            m_lay.zeroRow = tick.Pixel;
    }
}

// The legend box at the right from the plot top: wrapped captions, then the point
// labels; the plot ends 20 px left of it.
void LayoutBuilder::legend()
{
    m_lay.showLegend = m_model.ShowLegend() && m_model.SeriesCount() > 0;
    if (!m_lay.showLegend)
        return;
    const int wrapWidth = std::max(60, m_lay.size.width() / 3);
    int y = 0;
    int widest = 0; // rightmost text edge from the box's left
    for (int s = 0; s < m_model.SeriesCount(); ++s) {
        const TChartSeries *series = m_model.Series(s);
        ChartLegendEntry entry;
        entry.series = s;
        entry.kind = series->Kind();
        entry.lines = ChartLayouter::wrapText(series->Caption(), m_fm, wrapWidth);
        entry.top = y;
        entry.height = std::max(int(entry.lines.size()) * m_th, kLegendMinEntry);
        for (const QString &line : entry.lines)
            widest = std::max(widest, kLegendIndent + m_fm.horizontalAdvance(line));
        y += entry.height + (s + 1 < m_model.SeriesCount() ? kLegendGap : 0);
        m_lay.legend.append(entry);
    }
    int contentHeight = y;
    legendLabels(y, contentHeight, widest);

    const int width = widest + 10;
    m_lay.legendRect = QRect(m_right - width, m_top, width, contentHeight + 2 * kLegendPadding);
    m_right = m_lay.legendRect.x() - 20;
}

// With ShowXLabel: "number name" of every second point of the first series, below
// the captions, in columns of 30 lines.
void LayoutBuilder::legendLabels(int captionsHeight, int &contentHeight, int &widest)
{
    const TChartSeries *first = m_model.Series(0);
    if (!m_model.ShowXLabel() || first->PointCount() == 0)
        return;
    const int labelsTop = captionsHeight + kLegendPadding; // within the content
    int column = kLegendIndent;
    int rightmost = column;
    int row = 0;
    for (int i = 0, number = 1; i < first->PointCount(); i += 2, ++number) {
        ChartLegendLabel label;
        label.text = QString::number(number) + QLatin1Char(' ') + first->Point(i).Name;
        label.pos = QPoint(column, kLegendPadding + labelsTop + row * m_th);
        rightmost = std::max(rightmost, column + m_fm.horizontalAdvance(label.text));
        m_lay.legendLabels.append(label);
        contentHeight = std::max(contentHeight, labelsTop + (row + 1) * m_th);
        ++row;
        if (number % kLabelsPerColumn == 0) { // next column, 10 px right of the widest so far
            row = 0;
            column = rightmost + 10;
        }
    }
    widest = std::max(widest, rightmost);
}

// X ticks: one per distinct value (forced by bar series), in slot centres when bars
// are drawn and edge to edge otherwise; or plot width div 50 + 1 nice ticks.
void LayoutBuilder::xAxis()
{
    const int plotWidth = m_right - m_left;
    m_lay.onePerValue = m_model.AxisXOnePerValue() || m_lay.hasBars;
    if (m_lay.onePerValue) {
        QHash<double, QString> firstNames; // name of the first series' point per X
        for (int s = 0; s < m_model.SeriesCount(); ++s)
            for (const TXYInfo &p : m_model.Series(s)->Points()) {
                if (std::isfinite(p.X))
                    m_xValues.append(p.X);
                if (s == 0 && !firstNames.contains(p.X))
                    firstNames.insert(p.X, p.Name);
            }
        std::sort(m_xValues.begin(), m_xValues.end());
        m_xValues.erase(std::unique(m_xValues.begin(), m_xValues.end()), m_xValues.end());

        const int m = int(m_xValues.size());
        m_lay.slotWidth = m > 0 ? double(plotWidth) / m : 0.0;
        for (int i = 0; i < m; ++i) {
            TAxisInfo tick;
            tick.Value = m_xValues[i];
            if (m_lay.hasBars)
                tick.Pixel = ChartLayouter::roundPixel(m_left + m_lay.slotWidth * (i + 0.5));
            else if (m == 1)
                tick.Pixel = ChartLayouter::roundPixel(m_left + plotWidth / 2.0);
            else
                tick.Pixel = ChartLayouter::roundPixel(m_left + double(i) * plotWidth / (m - 1));
            const QString name = firstNames.value(tick.Value);
            tick.Label = ChartLayouter::formatValue(tick.Value / m_model.AxisXScale());
            if (!name.isEmpty())
                tick.Label += QLatin1Char(' ') + name;
            m_lay.xTicks.append(tick);
            m_lay.xTickNames.append(name);
        }
        return;
    }
    if (m_xRange.empty())
        return;
    const int n = std::max(2, plotWidth / 50 + 1);
    const NiceScale scale = niceTicks(n, m_xRange.min, m_xRange.max);
    m_lay.xFirst = scale.first;
    m_lay.xStep = scale.step;
    m_xPerValue = plotWidth / ((n - 1) * scale.step);
    for (int i = 0; i < n; ++i) {
        TAxisInfo tick;
        tick.Value = scale.first + i * scale.step;
        tick.Pixel = ChartLayouter::roundPixel(m_left + double(i) * plotWidth / (n - 1));
        tick.Label = ChartLayouter::formatValue(tick.Value / m_model.AxisXScale());
        m_lay.xTicks.append(tick);
        m_lay.xTickNames.append(QString());
    }
}

// "12 Adam Novák" as "12 Adam N.": the number and first word kept, every later word by its initial.
QString abbreviated(const QString &label) {
    const QStringList words = label.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() <= 2)
        return label;
    QStringList kept = words.mid(0, 2);
    for (qsizetype i = 2; i < words.size(); ++i)
        kept << words[i].left(1) + QLatin1Char('.');
    return kept.join(QLatin1Char(' '));
}

// Rotated labels, each a line of text wide and reading upwards from 9 px under the axis: text that would
// run past the picture's bottom is shortened, and ticks closer than a line (plus a pixel) share labels.
void LayoutBuilder::xLabels() {
    const int n = int(m_lay.xTicks.size());
    const int h = n >= 2 ? (m_lay.xTicks[1].Pixel - m_lay.xTicks[0].Pixel) / 2 : 0;
    int spacing = INT_MAX;
    for (int i = 1; i < n; ++i)
        spacing = std::min(spacing, m_lay.xTicks[i].Pixel - m_lay.xTicks[i - 1].Pixel);
    m_lay.xLabelStep = spacing > m_th ? 1 : (m_th + 1 + std::max(spacing, 1) - 1) / std::max(spacing, 1);
    const int top = m_bottom + 9;
    const int room = std::max(m_th, m_lay.size.height() - top - 2);
    for (int i = 0; i < n; ++i) {
        QString label;
        if (i % m_lay.xLabelStep == 0) {
            label = m_lay.xTicks[i].Label;
            if (m_fm.horizontalAdvance(label) > room)
                label = abbreviated(label);
            if (m_fm.horizontalAdvance(label) > room)
                label = m_fm.elidedText(label, Qt::ElideRight, room);
        }
        const int x = m_lay.xTicks[i].Pixel + m_th / 2 - (h - 4) / 2;
        m_lay.xLabels.append(label);
        m_lay.xLabelRects.append(label.isEmpty() ? QRect()
                                                 : QRect(x, top, m_th, m_fm.horizontalAdvance(label)));
    }
}

int LayoutBuilder::xPixel(double x) const
{
    if (m_lay.onePerValue) {
        const auto it = std::lower_bound(m_xValues.cbegin(), m_xValues.cend(), x);
        if (it == m_xValues.cend() || *it != x)
            return m_left;
        return m_lay.xTicks[int(it - m_xValues.cbegin())].Pixel;
    }
    return ChartLayouter::roundPixel(m_left + (x - m_lay.xFirst) * m_xPerValue);
}

int LayoutBuilder::yPixel(double y) const
{
    return std::isfinite(y) ? ChartLayouter::roundPixel(m_bottom - (y - m_lay.yFirst) * m_yPerValue) : m_lay.zeroRow;
}

// Point pixels; bars of the k-th bar series in sub-slots of w = round(s / (bars + 1)),
// starting round(w/2 - s/2 + k w + 0.1 w) from the point and round(0.8 w) wide,
// from the point's row to the row of 0; curves of smooth series.
void LayoutBuilder::points()
{
    const double s = m_lay.slotWidth;
    const int w = m_barSeries > 0 ? ChartLayouter::roundPixel(s / (m_barSeries + 1)) : 0;
    m_lay.subSlotWidth = w;
    const int barWidth = ChartLayouter::roundPixel(0.8 * w);
    int k = 0;
    for (int index = 0; index < m_model.SeriesCount(); ++index) {
        const TChartSeries *series = m_model.Series(index);
        ChartSeriesGeometry geometry;
        geometry.number = index;
        geometry.kind = series->Kind();
        const bool bar = series->Kind() == ChartSeriesKind::Bar;
        const int offset = bar ? ChartLayouter::roundPixel(w / 2.0 - s / 2.0 + k * w + 0.1 * w) : 0;
        geometry.points.reserve(series->PointCount());
        for (const TXYInfo &p : series->Points()) {
            const QPoint pixel(xPixel(p.X), yPixel(p.Y));
            geometry.points.append(pixel);
            geometry.names.append(p.Name);
            if (bar) {
                // Up from the 0 row or down to it; normalised so that a bar whose 0
                // row lies off the axis range still shows.
                const int top = std::min(pixel.y(), m_lay.zeroRow);
                geometry.bars.append(QRect(pixel.x() + offset, top, barWidth, std::abs(m_lay.zeroRow - pixel.y())));
            }
        }
        if (series->Kind() == ChartSeriesKind::Smooth) {
            QVector<QPointF> curvePoints;
            for (const QPoint &p : geometry.points)
                curvePoints.append(QPointF(p));
            geometry.curve = interpolatingBSpline(curvePoints, kSplinePoints);
        }
        if (bar)
            geometry.barIndex = k++;
        m_lay.series.append(geometry);
    }
}

} // namespace

ChartLayout ChartLayouter::layout(const ChartModel &model, QSize size, int dpi)
{
    return LayoutBuilder(model, size, dpi).build();
}
