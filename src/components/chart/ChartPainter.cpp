#include "chart/ChartPainter.h"

#include "chart/ChartLayout.h"
#include "chart/ChartPalette.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>

#include <array>
#include <cmath>
#include <optional>

namespace {

constexpr int kLegendIndent = 32;
constexpr int kLegendPadding = 5;
constexpr int kShadow = 3;

class Context {
public:
    Context(QPainter &painter, const ChartLayout &layout)
        : p(painter), L(layout), fm(layout.font),
          m_raster(painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster)
    {
    }

    void paint();

private:
    QColor seriesColor(int number) const { return ChartPalette::color(number, L.softColors); }
    QColor penColor(int number) const { return L.monochrome ? QColor(Qt::black) : seriesColor(number); }
    const QBrush &hatch(int number);

    // Text with its top-left corner at (x, y).
    void textAt(int x, int y, const QString &text) { p.drawText(x, y + fm.ascent(), text); }
    // Text rotated by 90 degrees (reading upwards) from the corner point (x, y).
    void rotatedTextAt(int x, int y, const QString &text);
    void fillBar(const QRect &rect, int number);
    void marker(QPoint centre, int number, int half);
    void legend();
    void xAxis();
    void yAxis();
    void plotFrame();
    void seriesShapes(bool bars);
    void legendSymbols();

    QPainter &p;
    const ChartLayout &L;
    const QFontMetrics fm;
    const bool m_raster;
    std::array<std::optional<QBrush>, ChartPalette::kHatchCount> m_hatches;
};

// Black hatch brush of a series: a bitmap texture, which EMF output keeps as a
// pattern brush. Made once per painting and reused for every bar.
const QBrush &Context::hatch(int number)
{
    const size_t i = size_t(((number % ChartPalette::kHatchCount) + ChartPalette::kHatchCount)
                            % ChartPalette::kHatchCount);
    if (!m_hatches[i])
        m_hatches[i] = QBrush(Qt::black, QBitmap::fromImage(ChartPalette::hatch(number)));
    return *m_hatches[i];
}

void Context::rotatedTextAt(int x, int y, const QString &text)
{
    p.save();
    p.translate(x, y);
    p.rotate(-90.0);
    p.drawText(0, fm.ascent(), text);
    p.restore();
}

void Context::fillBar(const QRect &rect, int number)
{
    if (rect.isEmpty())
        return;
    if (!L.monochrome) {
        p.fillRect(rect, seriesColor(number));
        return;
    }
    p.fillRect(rect, L.background);
    const QBrush &brush = hatch(number);
    if (m_raster) {
        // The raster engine spreads tall textured fills over worker threads, which
        // costs more than it saves for bars; bands of 64 rows stay on this thread.
        // The texture is anchored at the brush origin, so the bands join seamlessly.
        for (int y = rect.y(); y < rect.y() + rect.height(); y += 64)
            p.fillRect(QRect(rect.x(), y, rect.width(), std::min(64, rect.y() + rect.height() - y)), brush);
    } else {
        p.fillRect(rect, brush);
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect.adjusted(0, 0, -1, -1));
}

void Context::marker(QPoint c, int number, int h)
{
    p.setPen(QPen(penColor(number), 1));
    p.setBrush(Qt::white);
    const int x = c.x(), y = c.y();
    switch (ChartPalette::marker(number)) {
    case ChartPalette::Marker::Square:
        p.drawRect(QRect(x - h, y - h, 2 * h, 2 * h));
        break;
    case ChartPalette::Marker::Circle:
        p.drawEllipse(QPoint(x, y), h, h);
        break;
    case ChartPalette::Marker::TriangleUp:
        p.drawPolygon(QPolygon({QPoint(x, y - h), QPoint(x + h, y + h), QPoint(x - h, y + h)}));
        break;
    case ChartPalette::Marker::TriangleDown:
        p.drawPolygon(QPolygon({QPoint(x, y + h), QPoint(x + h, y - h), QPoint(x - h, y - h)}));
        break;
    case ChartPalette::Marker::Diamond:
        p.drawPolygon(QPolygon({QPoint(x, y - h), QPoint(x + h, y), QPoint(x, y + h), QPoint(x - h, y)}));
        break;
    }
}

void Context::legend()
{
    if (!L.showLegend)
        return;
    const QRect box = L.legendRect;
    p.fillRect(box.translated(kShadow, kShadow), Qt::black);
    p.fillRect(box, L.background);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box.adjusted(0, 0, -1, -1));

    const int contentTop = box.y() + kLegendPadding;
    for (const ChartLegendEntry &entry : L.legend)
        for (int i = 0; i < entry.lines.size(); ++i)
            textAt(box.x() + kLegendIndent, contentTop + entry.top + i * L.textHeight, entry.lines[i]);
    for (const ChartLegendLabel &label : L.legendLabels)
        textAt(box.x() + label.pos.x(), box.y() + label.pos.y(), label.text);
}

void Context::legendSymbols()
{
    if (!L.showLegend)
        return;
    const QRect box = L.legendRect;
    const int contentTop = box.y() + kLegendPadding;
    for (const ChartLegendEntry &entry : L.legend) {
        const int centre = contentTop + entry.top + L.textHeight / 2;
        if (entry.kind == ChartSeriesKind::Bar) {
            const QRect square(box.x() + 11, centre - 5, 11, 11);
            if (L.monochrome) {
                fillBar(square, entry.series);
            } else {
                p.fillRect(square, seriesColor(entry.series));
            }
        } else {
            p.setPen(QPen(penColor(entry.series), 1));
            p.drawLine(box.x() + 5, centre, box.x() + 27, centre);
            marker(QPoint(box.x() + 16, centre), entry.series, std::max(2, std::min(L.markerSize, 4)));
        }
    }
}

void Context::xAxis()
{
    const int left = L.plot.x(), right = L.plot.x() + L.plot.width();
    const int top = L.plot.y(), bottom = L.plot.y() + L.plot.height();
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(left, bottom, right, bottom);

    const int h = L.xTicks.size() >= 2 ? (L.xTicks[1].Pixel - L.xTicks[0].Pixel) / 2 : 0;
    p.setPen(Qt::black);
    for (const TAxisInfo &tick : L.xTicks) {
        const int width = fm.horizontalAdvance(tick.Label);
        rotatedTextAt(tick.Pixel + L.textHeight / 2 - (h - 4) / 2, bottom + width + 9, tick.Label);
    }
    if (L.showXGrid) {
        // Half a tick step right of each tick: the slot boundaries of a bar chart.
        // The last line of a line chart would fall outside the plot and is left out.
        p.setPen(QPen(Qt::red, 1, Qt::DotLine));
        for (const TAxisInfo &tick : L.xTicks)
            if (tick.Pixel + h <= right)
                p.drawLine(tick.Pixel + h, bottom, tick.Pixel + h, top);
    }
}

void Context::yAxis()
{
    const int left = L.plot.x(), right = L.plot.x() + L.plot.width();
    const int top = L.plot.y(), bottom = L.plot.y() + L.plot.height();
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(left, top, left, bottom);

    p.setPen(Qt::black);
    if (!L.axisYTitle.isEmpty()) {
        const int width = fm.horizontalAdvance(L.axisYTitle);
        rotatedTextAt(20, (top + bottom) / 2 + width / 2, L.axisYTitle);
    }
    for (const TAxisInfo &tick : L.yTicks) {
        const int width = fm.horizontalAdvance(tick.Label);
        textAt(left - 4 - width, tick.Pixel - L.textHeight / 2, tick.Label);
        p.drawLine(left - 3, tick.Pixel, left - 2, tick.Pixel);
    }
    if (L.showYGrid) {
        for (int i = 1; i + 1 < L.yTicks.size(); ++i) {
            const TAxisInfo &tick = L.yTicks[i];
            if (tick.Pixel == L.zeroRow && std::abs(tick.Value) <= std::abs(L.yStep) * 1e-9)
                p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
            else
                p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
            p.drawLine(left, tick.Pixel, right, tick.Pixel);
        }
    }
}

void Context::plotFrame()
{
    const int left = L.plot.x(), right = L.plot.x() + L.plot.width();
    const int top = L.plot.y(), bottom = L.plot.y() + L.plot.height();
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(left, top, right, top);
    p.drawLine(right, top, right, bottom);
}

void Context::seriesShapes(bool bars)
{
    for (const ChartSeriesGeometry &g : L.series) {
        const bool isBar = g.kind == ChartSeriesKind::Bar;
        if (isBar != bars)
            continue;
        if (isBar) {
            for (const QRect &rect : g.bars)
                fillBar(rect, g.number);
            continue;
        }
        p.setPen(QPen(penColor(g.number), 1));
        p.setBrush(Qt::NoBrush);
        if (g.kind == ChartSeriesKind::Smooth && g.curve.size() > 1)
            p.drawPolyline(g.curve.constData(), int(g.curve.size()));
        else if (g.points.size() > 1)
            p.drawPolyline(g.points.constData(), int(g.points.size()));
        for (const QPoint &point : g.points)
            marker(point, g.number, L.markerSize);
    }
}

void Context::paint()
{
    p.save();
    p.setClipRect(QRect(QPoint(0, 0), L.size));
    p.setFont(L.font);
    // Hatch bitmaps leave their 0-bits in the background colour on every device.
    p.setBackground(L.background);
    p.fillRect(QRect(QPoint(0, 0), L.size), L.background);

    legend();
    if (!L.titleLines.isEmpty()) {
        // Each line centred over the title rectangle.
        p.setFont(L.titleFont);
        p.setPen(Qt::black);
        const QFontMetrics tfm(L.titleFont);
        for (int i = 0; i < L.titleLines.size(); ++i) {
            const QString &line = L.titleLines[i];
            const int x = L.titleRect.x() + (L.titleRect.width() - tfm.horizontalAdvance(line)) / 2;
            p.drawText(x, L.titleRect.y() + i * tfm.height() + tfm.ascent(), line);
        }
        p.setFont(L.font);
    }
    xAxis();
    yAxis();
    plotFrame();
    seriesShapes(true);
    seriesShapes(false);
    legendSymbols();
    p.restore();
}

} // namespace

void ChartPainter::paint(QPainter &painter, const ChartLayout &layout)
{
    Context(painter, layout).paint();
}
