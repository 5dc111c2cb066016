#pragma once

#include "chart/ChartTypes.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QVector>

// Rectangles here are QRect(x, y, width, height); a rectangle's right edge is
// x() + width() and its bottom edge y() + height() (the plot rectangle runs from
// left 20 to right W - 20, so its width is W - 40).

// Geometry of one series: pixel position of every point, the bar rectangle of every
// point of a bar series (empty for other kinds and for zero-height bars), and the
// curve of a smooth series.
struct ChartSeriesGeometry {
    int number = 0; // series number: palette, hatch and marker index
    ChartSeriesKind kind = ChartSeriesKind::Bar;
    int barIndex = -1; // k among the bar series, -1 for other kinds
    QVector<QPoint> points;
    QVector<QString> names;
    QVector<QRect> bars;
    QVector<QPointF> curve;
};

// One series' entry in the legend box; `top` is relative to the box's content top.
struct ChartLegendEntry {
    int series = 0;
    ChartSeriesKind kind = ChartSeriesKind::Bar;
    int top = 0;
    int height = 0;
    QStringList lines;
};

// One line of the point-label list under the legend captions; `pos` is the text's
// top-left corner relative to the legend box.
struct ChartLegendLabel {
    QPoint pos;
    QString text;
};

// What a pixel of the chart points at.
struct ChartHit {
    bool inside = false; // inside the plot rectangle
    double x = 0.0;      // chart values (valid when inside)
    double y = 0.0;
    int series = -1;     // series and point of the bar under the pixel, if any
    int point = -1;
    QString name;        // that point's name, or the name of the X tick's group
};

// A laid-out chart: every number the painter needs, computed for one size and
// resolution. A plain value: it holds no reference to the model.
struct ChartLayout {
    QSize size;
    QColor background = Qt::white;
    QFont font;      // chart font in pixels of the laid-out resolution
    QFont titleFont; // title font, likewise
    int textHeight = 0;
    bool monochrome = false;
    bool softColors = false;
    bool showXGrid = true;
    bool showYGrid = true;

    QString title; // empty when no title is drawn
    QStringList titleLines; // the title wrapped over the plot width
    QRect titleRect;
    QString axisYTitle;

    QRect plot;
    int zeroRow = 0;
    int markerSize = 1; // half-size of point markers

    QVector<TAxisInfo> xTicks;
    QVector<QString> xTickNames; // name part of each X tick's label (one X per value)
    // The label drawn under each X tick (reading upwards), and its rectangle. A label longer than the room
    // under the axis shows the first name and initials ("12 Adam N."), then is elided; where the ticks
    // stand closer than a line of text, only every xLabelStep-th tick is labelled, so that no two labels
    // overlap. ChartMetafile widens its pictures instead.
    QVector<QString> xLabels;
    QVector<QRect> xLabelRects;
    int xLabelStep = 1;
    QVector<TAxisInfo> yTicks;
    int yLabelWidth = 0; // widest Y label
    bool onePerValue = false;
    bool hasBars = false;
    double slotWidth = 0.0; // s: width of one X slot when bars are drawn
    int subSlotWidth = 0;   // w: width of one bar's sub-slot
    double xFirst = 0.0, xStep = 1.0; // X ticks without one per value
    double yFirst = 0.0, yStep = 1.0;

    bool showLegend = false;
    QRect legendRect;
    QVector<ChartLegendEntry> legend;
    QVector<ChartLegendLabel> legendLabels;

    QVector<ChartSeriesGeometry> series;

    // Chart values of a client pixel: false (x and y untouched) outside the plot;
    // X is the nearest tick's value with one tick per value, otherwise the inverse
    // of the linear mapping; Y the inverse of the Y mapping.
    bool clientToChart(QPointF pixel, double &x, double &y) const;
    // clientToChart plus the bar under the pixel.
    ChartHit hitTest(QPointF pixel) const;
};
