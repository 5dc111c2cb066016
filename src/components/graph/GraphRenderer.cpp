#include "graph/GraphRenderer.h"

#include "graph/GraphDocument.h"
#include "graph/GraphObject.h"

#include <QPainter>

void GraphRenderer::paint(const GraphDocument &document, QPainter &painter, const GraphPaintOptions &options)
{
    if (options.showGrid)
        paintGrid(document, painter, options);
    paintObjects(document, painter, options.clip, options.drawOrder);
    if (options.showMarkers || !options.dragging.isEmpty())
        paintSelection(document, painter, options);
}

void GraphRenderer::paintObjects(const GraphDocument &document, QPainter &painter, const QRect &clip,
                                 TGraphDrawOrder order)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    auto drawPass = [&](int pass) {
        for (const TGraphObject *object : document.Objects()) {
            if (!object->IsShown())
                continue;
            if (pass == 1 && object->IsLink())
                continue;
            if (pass == 2 && object->IsNode())
                continue;
            if (!clip.isNull() && !object->BoundsRect().intersects(clip))
                continue;
            object->Draw(painter);
        }
    };
    switch (order) {
    case doDefault:
        drawPass(0);
        break;
    case doNodesOnTop:
        drawPass(2);
        drawPass(1);
        break;
    case doLinksOnTop:
        drawPass(1);
        drawPass(2);
        break;
    }
    painter.restore();
}

void GraphRenderer::paintGrid(const GraphDocument &document, QPainter &painter, const GraphPaintOptions &options)
{
    const int step = qMax(1, options.gridSize);
    // Skip the grid when its points would merge on the device.
    const qreal scale = painter.transform().m11();
    if (step * scale < 3.0)
        return;
    const TGraphConstraints &c = document.GraphConstraints();
    QRect area = QRect(QPoint(c.MinLeft, c.MinTop), QPoint(c.MaxRight, c.MaxBottom));
    if (!options.clip.isNull())
        area &= options.clip;
    if (area.isEmpty())
        return;
    const int x0 = (area.left() + step - 1) / step * step;
    const int y0 = (area.top() + step - 1) / step * step;
    QPolygon points;
    points.reserve(qMin<qint64>(1'000'000, qint64(area.width() / step + 1) * (area.height() / step + 1)));
    for (int y = y0; y <= area.bottom() && points.size() < 1'000'000; y += step)
        for (int x = x0; x <= area.right(); x += step)
            points.append(QPoint(x, y));
    painter.save();
    QPen pen(GraphTypes::toQColor(options.gridColor));
    pen.setCosmetic(true);
    pen.setWidth(1);
    painter.setPen(pen);
    painter.drawPoints(points);
    painter.restore();
}

void GraphRenderer::paintSelection(const GraphDocument &document, QPainter &painter,
                                   const GraphPaintOptions &options)
{
    const QTransform toDevice = painter.transform();
    painter.save();
    for (const TGraphObject *object : document.SelectedObjects()) {
        if (!object->IsShown())
            continue;
        if (options.dragging.contains(object)) {
            const int w = object->Pen().Width;
            QPen pen(Qt::white, w < 2 ? w + 2 : (w - 1) / 2);
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            object->DrawOutline(painter);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            continue;
        }
        if (!options.showMarkers)
            continue;
        painter.setTransform(QTransform());
        const QList<QPoint> markers = object->MarkerPoints();
        const int m = options.markerSize;
        QPen pen(GraphTypes::toQColor(options.markerColor), 1);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(options.canvasColor);
        for (int i = 0; i < markers.size(); ++i) {
            const QPoint p = toDevice.map(markers.at(i));
            const QRect box(p.x() - m, p.y() - m, 2 * m, 2 * m);
            painter.drawRect(box);
            const bool locked = object->IsLink() ? options.lockLinks : options.lockNodes;
            if (locked || !object->IsMarkerMovable(i))
                painter.drawRect(box.adjusted(2, 2, -2, -2));
        }
        painter.setTransform(toDevice);
    }
    painter.restore();
}
