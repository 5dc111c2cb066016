#pragma once

#include "chart/ChartLayout.h"

#include <QFont>
#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <QStringList>

class ChartModel;

// Lays a chart out for a size (pixels) and a resolution (dots per inch). Fonts given
// in points are turned into pixel sizes for that resolution, so the layout and the
// painting agree on any paint device, scaled or not.
class ChartLayouter final {
public:
    ChartLayouter() = delete;

    static ChartLayout layout(const ChartModel &model, QSize size, int dpi = 96);

    // The font in pixels at `dpi` (unchanged when it already has a pixel size).
    static QFont pixelFont(const QFont &font, int dpi);
    // An axis label: value formatted "0.##" (the locale's decimal separator);
    // 1.7e308 and beyond show as "~".
    static QString formatValue(double value);
    // Greedy word wrap to maxWidth pixels, never inside a date ("03. 12. 2026");
    // trailing blanks stay on the last line as
    // far as they fit. Explicit line breaks start new lines.
    static QStringList wrapText(const QString &text, const QFontMetrics &metrics, int maxWidth);
    // Rounding of layout arithmetic: to nearest, halves to even.
    static int roundPixel(double value);
};
