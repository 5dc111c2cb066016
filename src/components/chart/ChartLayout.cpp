#include "chart/ChartLayout.h"

#include <cmath>

bool ChartLayout::clientToChart(QPointF pixel, double &x, double &y) const
{
    const double left = plot.x(), right = plot.x() + plot.width();
    const double top = plot.y(), bottom = plot.y() + plot.height();
    if (pixel.x() < left || pixel.x() > right || pixel.y() < top || pixel.y() > bottom)
        return false;

    if (onePerValue) {
        int nearest = -1;
        double best = 0.0;
        for (int i = 0; i < xTicks.size(); ++i) {
            const double d = std::abs(xTicks[i].Pixel - pixel.x());
            if (nearest < 0 || d < best) {
                nearest = i;
                best = d;
            }
        }
        if (nearest >= 0)
            x = xTicks[nearest].Value;
    } else if (xTicks.size() > 1 && plot.width() > 0) {
        x = xFirst + (pixel.x() - left) * (xTicks.size() - 1) * xStep / plot.width();
    }
    if (yTicks.size() > 1 && plot.height() > 0)
        y = yFirst + (bottom - pixel.y()) * (yTicks.size() - 1) * yStep / plot.height();
    return true;
}

ChartHit ChartLayout::hitTest(QPointF pixel) const
{
    ChartHit hit;
    hit.inside = clientToChart(pixel, hit.x, hit.y);
    if (!hit.inside)
        return hit;
    const QPoint p(int(std::floor(pixel.x())), int(std::floor(pixel.y())));
    for (const ChartSeriesGeometry &geometry : series) {
        for (int i = 0; i < geometry.bars.size(); ++i) {
            if (geometry.bars[i].contains(p)) {
                hit.series = geometry.number;
                hit.point = i;
                hit.name = geometry.names.value(i);
                return hit;
            }
        }
    }
    if (onePerValue) {
        for (int i = 0; i < xTicks.size(); ++i)
            if (xTicks[i].Value == hit.x)
                hit.name = xTickNames.value(i);
    }
    return hit;
}
