#include "graph/NodeShapes.h"

namespace {

QRect ltrb(int l, int t, int r, int b)
{
    return QRect(QPoint(l, t), QSize(r - l, b - t));
}

} // namespace

QPolygon TPolygonalNode::Vertices() const
{
    return ShapeVertices(Left(), Top(), Left() + Width(), Top() + Height());
}

QPainterPath TPolygonalNode::ShapeOutline(int l, int t, int r, int b) const
{
    QPainterPath path;
    path.addPolygon(QPolygonF(ShapeVertices(l, t, r, b)));
    path.closeSubpath();
    path.setFillRule(Qt::WindingFill);
    return path;
}

QPainterPath TPolygonalNode::ShapeRegion(int l, int t, int r, int b) const
{
    return ShapeOutline(l, t, r, b);
}

QPolygon TRectangularNode::ShapeVertices(int l, int t, int r, int b) const
{
    return QPolygon({QPoint(l, t), QPoint(r, t), QPoint(r, b), QPoint(l, b)});
}

QRect TRectangularNode::ShapeTextArea(int l, int t, int r, int b) const
{
    return ltrb(l, t, r, b);
}

QPolygon TTriangularNode::ShapeVertices(int l, int t, int r, int b) const
{
    const int mx = (l + r) / 2;
    return QPolygon({QPoint(mx, t), QPoint(r, b), QPoint(l, b)});
}

QRect TTriangularNode::ShapeTextArea(int l, int t, int r, int b) const
{
    const int mx = (l + r) / 2;
    return ltrb((mx + l) / 2, (t + b) / 2, (mx + r) / 2, b);
}

QPolygon TRhomboidalNode::ShapeVertices(int l, int t, int r, int b) const
{
    const int mx = (l + r) / 2;
    const int my = (t + b) / 2;
    return QPolygon({QPoint(mx, t), QPoint(r, my), QPoint(mx, b), QPoint(l, my)});
}

QRect TRhomboidalNode::ShapeTextArea(int l, int t, int r, int b) const
{
    const int mx = (l + r) / 2;
    const int my = (t + b) / 2;
    return ltrb((mx + l) / 2, (t + my) / 2, (r + mx) / 2, (my + b) / 2);
}

QPolygon TPentagonalNode::ShapeVertices(int l, int t, int r, int b) const
{
    const int mx = (l + r) / 2;
    const int my = (t + b) / 2;
    const int q = (r - l) / 4;
    return QPolygon({QPoint(mx, t), QPoint(r, my), QPoint(r - q, b), QPoint(l + q, b), QPoint(l, my)});
}

QRect TPentagonalNode::ShapeTextArea(int l, int t, int r, int b) const
{
    const int my = (t + b) / 2;
    const int q = (r - l) / 4;
    return ltrb(l + q, (t + my) / 2, r - q, b);
}

QPolygon THexagonalNode::ShapeVertices(int l, int t, int r, int b) const
{
    const int my = (t + b) / 2;
    const int q = (r - l) / 4;
    return QPolygon({QPoint(l + q, t), QPoint(r - q, t), QPoint(r, my), QPoint(r - q, b), QPoint(l + q, b),
                     QPoint(l, my)});
}

QRect THexagonalNode::ShapeTextArea(int l, int t, int r, int b) const
{
    const int q = (r - l) / 4;
    return ltrb(l + q, t, r - q, b);
}

QPainterPath TRoundRectangularNode::ShapeOutline(int l, int t, int r, int b) const
{
    const qreal radius = qMax(r - l, b - t) / 4 / 2.0;
    QPainterPath path;
    path.addRoundedRect(QRectF(l, t, r - l, b - t), radius, radius);
    return path;
}

QPainterPath TRoundRectangularNode::ShapeRegion(int l, int t, int r, int b) const
{
    return ShapeOutline(l, t, r + 1, b + 1);
}

QRect TRoundRectangularNode::ShapeTextArea(int l, int t, int r, int b) const
{
    return ltrb(l, t, r, b);
}

QPainterPath TEllipticNode::ShapeOutline(int l, int t, int r, int b) const
{
    QPainterPath path;
    path.addEllipse(QRectF(l, t, r - l, b - t));
    return path;
}

QPainterPath TEllipticNode::ShapeRegion(int l, int t, int r, int b) const
{
    return ShapeOutline(l, t, r + 1, b + 1);
}

QRect TEllipticNode::ShapeTextArea(int l, int t, int r, int b) const
{
    return ltrb(l, t, r, b);
}
