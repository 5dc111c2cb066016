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
        : m_p(painter), m_lay(layout), m_fm(layout.font),
          m_raster(painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster)
    {
    }

    void paint();

private:
    QColor seriesColor(int number) const { return ChartPalette::color(number, m_lay.softColors); }
    QColor penColor(int number) const { return m_lay.monochrome ? QColor(Qt::black) : seriesColor(number); }
    const QBrush &hatch(int number);

    // Text with its top-left corner at (x, y).
    void textAt(int x, int y, const QString &text) { m_p.drawText(x, y + m_fm.ascent(), text); }
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

    QPainter &m_p;
    const ChartLayout &m_lay;
    const QFontMetrics m_fm;
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
    m_p.save();
    m_p.translate(x, y);
    m_p.rotate(-90.0);
    m_p.drawText(0, m_fm.ascent(), text);
    m_p.restore();
}

void Context::fillBar(const QRect &rect, int number)
{
    if (rect.isEmpty())
        return;
    if (!m_lay.monochrome) {
        m_p.fillRect(rect, seriesColor(number));
        return;
    }
    m_p.fillRect(rect, m_lay.background);
    const QBrush &brush = hatch(number);
    if (m_raster) {
        // The raster engine spreads tall textured fills over worker threads, which
        // costs more than it saves for bars; bands of 64 rows stay on this thread.
        // The texture is anchored at the brush origin, so the bands join seamlessly.
        for (int y = rect.y(); y < rect.y() + rect.height(); y += 64)
            m_p.fillRect(QRect(rect.x(), y, rect.width(), std::min(64, rect.y() + rect.height() - y)), brush);
    } else {
        m_p.fillRect(rect, brush);
    }
    m_p.setPen(QPen(Qt::black, 1));
    m_p.setBrush(Qt::NoBrush);
    m_p.drawRect(rect.adjusted(0, 0, -1, -1));
}

void Context::marker(QPoint c, int number, int h)
{
    m_p.setPen(QPen(penColor(number), 1));
    m_p.setBrush(Qt::white);
    const int x = c.x(), y = c.y();
    switch (ChartPalette::marker(number)) {
    case ChartPalette::Marker::Square:
        m_p.drawRect(QRect(x - h, y - h, 2 * h, 2 * h));
        break;
    case ChartPalette::Marker::Circle:
        m_p.drawEllipse(QPoint(x, y), h, h);
        break;
    case ChartPalette::Marker::TriangleUp:
        m_p.drawPolygon(QPolygon({QPoint(x, y - h), QPoint(x + h, y + h), QPoint(x - h, y + h)}));
        break;
    case ChartPalette::Marker::TriangleDown:
        m_p.drawPolygon(QPolygon({QPoint(x, y + h), QPoint(x + h, y - h), QPoint(x - h, y - h)}));
        break;
    case ChartPalette::Marker::Diamond:
        m_p.drawPolygon(QPolygon({QPoint(x, y - h), QPoint(x + h, y), QPoint(x, y + h), QPoint(x - h, y)}));
        break;
    }
}

void Context::legend()
{
    if (!m_lay.showLegend)
        return;
    const QRect box = m_lay.legendRect;
    m_p.fillRect(box.translated(kShadow, kShadow), Qt::black);
    m_p.fillRect(box, m_lay.background);
    m_p.setPen(QPen(Qt::black, 1));
    m_p.setBrush(Qt::NoBrush);
    m_p.drawRect(box.adjusted(0, 0, -1, -1));

    const int contentTop = box.y() + kLegendPadding;
    for (const ChartLegendEntry &entry : m_lay.legend)
        for (int i = 0; i < entry.lines.size(); ++i)
            textAt(box.x() + kLegendIndent, contentTop + entry.top + i * m_lay.textHeight, entry.lines[i]);
    for (const ChartLegendLabel &label : m_lay.legendLabels)
        textAt(box.x() + label.pos.x(), box.y() + label.pos.y(), label.text);
}

void Context::legendSymbols()
{
    if (!m_lay.showLegend)
        return;
    const QRect box = m_lay.legendRect;
    const int contentTop = box.y() + kLegendPadding;
    for (const ChartLegendEntry &entry : m_lay.legend) {
        const int centre = contentTop + entry.top + m_lay.textHeight / 2;
        if (entry.kind == ChartSeriesKind::Bar) {
            const QRect square(box.x() + 11, centre - 5, 11, 11);
            if (m_lay.monochrome) {
                fillBar(square, entry.series);
            } else {
                m_p.fillRect(square, seriesColor(entry.series));
            }
        } else {
            m_p.setPen(QPen(penColor(entry.series), 1));
            m_p.drawLine(box.x() + 5, centre, box.x() + 27, centre);
            marker(QPoint(box.x() + 16, centre), entry.series, std::max(2, std::min(m_lay.markerSize, 4)));
        }
    }
}

void Context::xAxis()
{
    const int left = m_lay.plot.x(), right = m_lay.plot.x() + m_lay.plot.width();
    const int top = m_lay.plot.y(), bottom = m_lay.plot.y() + m_lay.plot.height();
    m_p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::FlatCap));
    m_p.drawLine(left, bottom, right, bottom);

    const int h = m_lay.xTicks.size() >= 2 ? (m_lay.xTicks[1].Pixel - m_lay.xTicks[0].Pixel) / 2 : 0;
    m_p.setPen(Qt::black);
    for (qsizetype i = 0; i < m_lay.xLabels.size(); ++i) {
        const QRect &rect = m_lay.xLabelRects[i];
        if (!m_lay.xLabels[i].isEmpty())
            rotatedTextAt(rect.x(), rect.y() + rect.height(), m_lay.xLabels[i]);
    }
    if (m_lay.showXGrid) {
        // Half a tick step right of each tick: the slot boundaries of a bar chart.
        // The last line of a line chart would fall outside the plot and is left out.
        m_p.setPen(QPen(Qt::red, 1, Qt::DotLine));
        for (const TAxisInfo &tick : m_lay.xTicks)
            if (tick.Pixel + h <= right)
                m_p.drawLine(tick.Pixel + h, bottom, tick.Pixel + h, top);
    }
}

void Context::yAxis()
{
    const int left = m_lay.plot.x(), right = m_lay.plot.x() + m_lay.plot.width();
    const int top = m_lay.plot.y(), bottom = m_lay.plot.y() + m_lay.plot.height();
    m_p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::FlatCap));
    m_p.drawLine(left, top, left, bottom);

    m_p.setPen(Qt::black);
    if (!m_lay.axisYTitle.isEmpty()) {
        const int width = m_fm.horizontalAdvance(m_lay.axisYTitle);
        rotatedTextAt(20, (top + bottom) / 2 + width / 2, m_lay.axisYTitle);
    }
    for (const TAxisInfo &tick : m_lay.yTicks) {
        const int width = m_fm.horizontalAdvance(tick.Label);
        textAt(left - 4 - width, tick.Pixel - m_lay.textHeight / 2, tick.Label);
        m_p.drawLine(left - 3, tick.Pixel, left - 2, tick.Pixel);
    }
    if (m_lay.showYGrid) {
        for (int i = 1; i + 1 < m_lay.yTicks.size(); ++i) {
            const TAxisInfo &tick = m_lay.yTicks[i];
            if (tick.Pixel == m_lay.zeroRow && std::abs(tick.Value) <= std::abs(m_lay.yStep) * 1e-9)
                m_p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
            else
                m_p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
            m_p.drawLine(left, tick.Pixel, right, tick.Pixel);
        }
    }
}

void Context::plotFrame()
{
    const int left = m_lay.plot.x(), right = m_lay.plot.x() + m_lay.plot.width();
    const int top = m_lay.plot.y(), bottom = m_lay.plot.y() + m_lay.plot.height();
    m_p.setPen(QPen(Qt::black, 1));
    m_p.drawLine(left, top, right, top);
    m_p.drawLine(right, top, right, bottom);
}

void Context::seriesShapes(bool bars)
{
    for (const ChartSeriesGeometry &g : m_lay.series) {
        const bool isBar = g.kind == ChartSeriesKind::Bar;
        if (isBar != bars)
            continue;
        if (isBar) {
            for (const QRect &rect : g.bars)
                fillBar(rect, g.number);
            continue;
        }
        m_p.setPen(QPen(penColor(g.number), 1));
        m_p.setBrush(Qt::NoBrush);
        if (g.kind == ChartSeriesKind::Smooth && g.curve.size() > 1)
            m_p.drawPolyline(g.curve.constData(), int(g.curve.size()));
        else if (g.points.size() > 1)
            m_p.drawPolyline(g.points.constData(), int(g.points.size()));
        for (const QPoint &point : g.points)
            marker(point, g.number, m_lay.markerSize);
    }
}

void Context::paint()
{
    m_p.save();
    m_p.setClipRect(QRect(QPoint(0, 0), m_lay.size));
    m_p.setFont(m_lay.font);
    // Hatch bitmaps leave their 0-bits in the background colour on every device.
    m_p.setBackground(m_lay.background);
    m_p.fillRect(QRect(QPoint(0, 0), m_lay.size), m_lay.background);

    legend();
    if (!m_lay.titleLines.isEmpty()) {
        // Each line centred over the title rectangle.
        m_p.setFont(m_lay.titleFont);
        m_p.setPen(Qt::black);
        const QFontMetrics tfm(m_lay.titleFont);
        for (int i = 0; i < m_lay.titleLines.size(); ++i) {
            const QString &line = m_lay.titleLines[i];
            const int x = m_lay.titleRect.x() + (m_lay.titleRect.width() - tfm.horizontalAdvance(line)) / 2;
            m_p.drawText(x, m_lay.titleRect.y() + i * tfm.height() + tfm.ascent(), line);
        }
        m_p.setFont(m_lay.font);
    }
    xAxis();
    yAxis();
    plotFrame();
    seriesShapes(true);
    seriesShapes(false);
    legendSymbols();
    m_p.restore();
}

} // namespace

void ChartPainter::paint(QPainter &painter, const ChartLayout &layout)
{
    Context(painter, layout).paint();
}
