#pragma once

#include "chart/ChartLayout.h"

#include "picture/EmfPaintDevice.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

class ChartModel;
class QPainter;

// A chart drawn for a fixed picture size: the vector picture behind exports, the
// clipboard and printing. Holds its own layout, so later changes of the chart do not
// alter it. Plays back on any painter, stretched into any rectangle, and renders to
// a bitmap, SVG or an Enhanced Metafile.
class ChartMetafile final {
public:
    // Resolution at which pictures are laid out (that of the EMF device).
    static constexpr int kDpi = 96;

    ChartMetafile() = default;
    explicit ChartMetafile(ChartLayout layout);

    // The chart laid out for a x b; b is raised to the legend bottom + 20 and, when
    // the plot is narrower than tall, a is widened by the difference, and widened
    // further until every X tick gets its label; the chart is then laid out again
    // for the adjusted size (not needed when it is unchanged, as for 800 x 600 in
    // the common case).
    static ChartMetafile create(const ChartModel &model, int width, int height);

    // The largest rectangle of aspect 2100 : 1600 that fits `target`, centred in it.
    static QRectF printRect(const QRectF &target);
    // The 800 x 600 picture stretched into printRect(target).
    static void printChart(const ChartModel &model, QPainter &painter, const QRect &target);

    bool isNull() const { return m_layout.size.isEmpty(); }
    QSize size() const { return m_layout.size; }
    const ChartLayout &layout() const { return m_layout; }

    // Draws the picture at its own size at the painter's origin.
    void paint(QPainter &painter) const;
    // Draws the picture stretched into `target`.
    void play(QPainter &painter, const QRectF &target) const;

    QImage toImage() const;
    QByteArray toSvg() const;
    // Hatches as GDI pattern brushes by default (what Word and Windows expect), or
    // drawn out for readers without pattern brushes (LibreOffice).
    QByteArray toEmf(EmfPaintDevice::PatternFills fills = EmfPaintDevice::PatternFills::Brushes) const;
    // Writes the picture by extension (.emf, .jpg, .png, .svg, .pdf) through FileWriter; `title` is the
    // document title of a PDF or SVG.
    bool save(const QString &path, QString *error = nullptr, const QString &title = QString()) const;

private:
    ChartLayout m_layout;
};
