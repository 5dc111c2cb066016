#include "chart/ChartMetafile.h"

#include "chart/ChartLayouter.h"
#include "chart/ChartPainter.h"

#include "picture/PictureExport.h"

#include <QPainter>

#include <algorithm>
#include <utility>

ChartMetafile::ChartMetafile(ChartLayout layout)
    : m_layout(std::move(layout))
{
}

ChartMetafile ChartMetafile::create(const ChartModel &model, int width, int height)
{
    int a = std::max(1, width);
    int b = std::max(1, height);
    ChartLayout layout = ChartLayouter::layout(model, QSize(a, b), kDpi);
    if (layout.showLegend)
        b = std::max(b, layout.legendRect.y() + layout.legendRect.height() + 20);
    if (layout.plot.width() < layout.plot.height())
        a += layout.plot.height() - layout.plot.width();
    if (QSize(a, b) != layout.size)
        layout = ChartLayouter::layout(model, QSize(a, b), kDpi);
    // Every X tick labelled: the plot widened until the ticks stand more than a line of text apart (the
    // legend takes part of every widening, so a few rounds may be needed).
    for (int round = 0; round < 4 && layout.xLabelStep > 1; ++round) {
        a += int(layout.xTicks.size()) * (layout.textHeight + 2) - layout.plot.width();
        layout = ChartLayouter::layout(model, QSize(a, b), kDpi);
    }
    return ChartMetafile(std::move(layout));
}

QRectF ChartMetafile::printRect(const QRectF &target)
{
    constexpr double kAspect = 2100.0 / 1600.0;
    double w = target.width();
    double h = w / kAspect;
    if (h > target.height()) {
        h = target.height();
        w = h * kAspect;
    }
    return QRectF(target.x() + (target.width() - w) / 2.0, target.y() + (target.height() - h) / 2.0, w, h);
}

void ChartMetafile::printChart(const ChartModel &model, QPainter &painter, const QRect &target)
{
    create(model, 800, 600).play(painter, printRect(QRectF(target)));
}

void ChartMetafile::paint(QPainter &painter) const
{
    if (!isNull())
        ChartPainter::paint(painter, m_layout);
}

void ChartMetafile::play(QPainter &painter, const QRectF &target) const
{
    if (isNull() || target.isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / size().width(), target.height() / size().height());
    ChartPainter::paint(painter, m_layout);
    painter.restore();
}

QImage ChartMetafile::toImage() const
{
    return renderImage(size(), [this](QPainter &p) { paint(p); }, m_layout.background);
}

QByteArray ChartMetafile::toSvg() const
{
    return renderSvg(size(), [this](QPainter &p) { paint(p); }, m_layout.title);
}

QByteArray ChartMetafile::toEmf(EmfPaintDevice::PatternFills fills) const
{
    return renderEmf(size(), [this](QPainter &p) { paint(p); }, fills);
}

bool ChartMetafile::save(const QString &path, QString *error, const QString &title) const {
    return savePicture(
        path, size(), [this](QPainter &p) { paint(p); }, error, title);
}
