#include "graph/GraphNode.h"

#include "graph/CaptionLayout.h"
#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"

#include <QLineF>
#include <QPainter>

#include <limits>

namespace {

int clampToInt(qint64 v)
{
    return int(qBound(qint64(std::numeric_limits<int>::min() / 2), v, qint64(std::numeric_limits<int>::max() / 2)));
}

} // namespace

TGraphNode::TGraphNode(GraphDocument *owner)
    : TGraphObject(owner)
{
}

bool TGraphNode::SetBounds(int left, int top, int width, int height)
{
    GraphDocument *doc = Owner();
    const int minSize = doc ? doc->MinNodeSize() : 16;
    const TGraphConstraints c = doc ? doc->GraphConstraints() : TGraphConstraints();
    const bool fresh = m_width == 0 && m_height == 0;

    qint64 l = left, t = top;
    qint64 w = qMax(width, minSize), h = qMax(height, minSize);
    if (!fresh) {
        if (!(m_nodeOptions & gnoMovable)) {
            l = m_left;
            t = m_top;
        }
        if (!(m_nodeOptions & gnoResizable)) {
            w = m_width;
            h = m_height;
        }
    }
    const bool resizing = fresh || w != m_width || h != m_height;
    l = qMax<qint64>(l, c.MinLeft);
    t = qMax<qint64>(t, c.MinTop);
    if (l + w > c.MaxRight) {
        if (resizing)
            w = qMax<qint64>(minSize, c.MaxRight - l);
        if (l + w > c.MaxRight)
            l = qMax<qint64>(c.MinLeft, c.MaxRight - w);
    }
    if (t + h > c.MaxBottom) {
        if (resizing)
            h = qMax<qint64>(minSize, c.MaxBottom - t);
        if (t + h > c.MaxBottom)
            t = qMax<qint64>(c.MinTop, c.MaxBottom - h);
    }
    // Whatever the constraints and the minimum size say, the node stays on the canvas: a file
    // holds nothing else.
    constexpr qint64 canvasMin = TGraphConstraints::CanvasMin, canvasMax = TGraphConstraints::CanvasMax;
    l = qBound(canvasMin, l, canvasMax - 1);
    t = qBound(canvasMin, t, canvasMax - 1);
    w = qBound(qint64(1), w, canvasMax - l);
    h = qBound(qint64(1), h, canvasMax - t);
    const QRect newBounds{int(l), int(t), int(w), int(h)};
    if (newBounds == Bounds() && !fresh)
        return false;
    if (doc && doc->CanMoveResizeNode && !fresh && !doc->CanMoveResizeNode(this, newBounds))
        return false;
    m_left = newBounds.x();
    m_top = newBounds.y();
    m_width = newBounds.width();
    m_height = newBounds.height();
    Changed(BoundsChanged);
    if (doc)
        emit doc->nodeMoveResize(this);
    return true;
}

void TGraphNode::SetBoundsDirect(int left, int top, int width, int height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    Changed(BoundsChanged);
}

void TGraphNode::SetAlignment(TAlignment alignment)
{
    if (m_alignment != alignment) {
        m_alignment = alignment;
        Changed(TextChanged);
    }
}

void TGraphNode::SetLayout(TTextLayout layout)
{
    if (m_layout != layout) {
        m_layout = layout;
        Changed(TextChanged);
    }
}

void TGraphNode::SetMargin(int margin)
{
    if (m_margin != margin) {
        m_margin = margin;
        Changed(TextChanged);
    }
}

void TGraphNode::SetNodeOptions(int options)
{
    options &= gnoAllOptions;
    if (m_nodeOptions != options) {
        m_nodeOptions = options;
        Changed(AppearanceChanged);
    }
}

void TGraphNode::SetBackgroundMargins(const QMargins &margins)
{
    if (m_backgroundMargins != margins) {
        m_backgroundMargins = margins;
        Changed(AppearanceChanged);
    }
}

QRect TGraphNode::TextArea() const
{
    const qint64 l = m_left, t = m_top, r = qint64(m_left) + m_width, b = qint64(m_top) + m_height;
    const QRect shape = ShapeTextArea(clampToInt(l), clampToInt(t), clampToInt(r), clampToInt(b));
    const qint64 pen = Pen().Style == psInsideFrame ? Pen().Width : Pen().Width / 2;
    const qint64 inset = qint64(m_margin) + pen;
    const QRect inner(QPoint(clampToInt(l + inset), clampToInt(t + inset)),
                      QSize(clampToInt(r - l - 2 * inset), clampToInt(b - t - 2 * inset)));
    if (shape.isEmpty() || inner.isEmpty())
        return QRect(shape.topLeft(), QSize(0, 0));
    return shape.intersected(inner);
}

void TGraphNode::UpdateLayout(int flags)
{
    const int l = m_left, t = m_top, r = clampToInt(qint64(m_left) + m_width),
              b = clampToInt(qint64(m_top) + m_height);
    if (flags & BoundsChanged || m_outline.isEmpty()) {
        m_outline = ShapeOutline(l, t, r, b);
        m_region = ShapeRegion(l, t, r, b);
        m_outlinePolygon = m_outline.toFillPolygon();
    }
    if (flags & (BoundsChanged | TextChanged) || flags & AppearanceChanged) {
        QStringList lines;
        QRect rect;
        if (!Text().isEmpty() && Owner()) {
            const auto result =
                CaptionLayout::layout(Text(), Owner()->MetricsFor(Font()), TextArea(),
                                      CaptionLayout::HAlign(m_alignment == taLeftJustify    ? CaptionLayout::Left
                                                            : m_alignment == taRightJustify ? CaptionLayout::Right
                                                                                            : CaptionLayout::Center),
                                      CaptionLayout::VAlign(m_layout == tlTop      ? CaptionLayout::Top
                                                            : m_layout == tlBottom ? CaptionLayout::Bottom
                                                                                   : CaptionLayout::Middle));
            lines = result.lines;
            rect = result.rect;
        }
        SetCaption(lines, rect);
    }
    const int grow = Pen().Width / 2 + 1;
    QRect bounds = QRect(QPoint(l, t), QPoint(r, b)).adjusted(-grow, -grow, grow, grow);
    if (!CaptionRect().isEmpty())
        bounds |= CaptionRect();
    SetBoundsRect(bounds);
    if (flags & BoundsChanged) {
        for (TGraphLink *link : LinkInputs())
            link->UpdateEndPoints();
        for (TGraphLink *link : LinkOutputs())
            link->UpdateEndPoints();
    }
}

bool TGraphNode::RegionContains(const QPoint &pt) const
{
    return m_region.contains(QPointF(pt));
}

QPoint TGraphNode::Center() const
{
    return QPoint(clampToInt((qint64(m_left) * 2 + m_width) / 2), clampToInt((qint64(m_top) * 2 + m_height) / 2));
}

QPoint TGraphNode::OutlinePointToward(const QPoint &toward) const
{
    const QPoint center = Center();
    if (RegionContains(toward) || m_outlinePolygon.size() < 2)
        return center;
    const QLineF ray(center, toward);
    QPointF best;
    qreal bestDist = -1;
    for (qsizetype i = 0; i + 1 < m_outlinePolygon.size(); ++i) {
        const QLineF edge(m_outlinePolygon.at(i), m_outlinePolygon.at(i + 1));
        QPointF hit;
        if (ray.intersects(edge, &hit) != QLineF::BoundedIntersection)
            continue;
        const qreal dist = QLineF(hit, toward).length();
        if (bestDist < 0 || dist < bestDist) {
            bestDist = dist;
            best = hit;
        }
    }
    return bestDist < 0 ? center : best.toPoint();
}

QList<QPoint> TGraphNode::MarkerPoints() const
{
    const int l = m_left, t = m_top, r = m_left + m_width, b = m_top + m_height;
    const int mx = (l + r) / 2, my = (t + b) / 2;
    return {QPoint(r, b), QPoint(l, b), QPoint(r, t), QPoint(l, t),
            QPoint(mx, b), QPoint(r, my), QPoint(l, my), QPoint(mx, t)};
}

bool TGraphNode::IsMarkerMovable(int) const
{
    return (m_nodeOptions & gnoResizable) != 0;
}

GraphHitInfo TGraphNode::HitTest(const QPoint &pt) const
{
    if (Selected()) {
        const int tol = HitTolerance();
        const QList<QPoint> markers = MarkerPoints();
        for (int i = 0; i < markers.size(); ++i) {
            const QPoint &m = markers.at(i);
            if (qAbs(pt.x() - m.x()) <= tol && qAbs(pt.y() - m.y()) <= tol)
                return {GraphHit::Marker, i};
        }
    }
    if ((Options() & goShowCaption) && CaptionRect().contains(pt))
        return {GraphHit::Caption, -1};
    if (RegionContains(pt))
        return {GraphHit::Inside, -1};
    return {};
}

void TGraphNode::DrawBody(QPainter &painter) const
{
    painter.drawPath(m_outline);
}

void TGraphNode::DrawOutline(QPainter &painter) const
{
    painter.drawPath(m_outline);
}

void TGraphNode::MoveBy(int dx, int dy)
{
    SetBounds(m_left + dx, m_top + dy, m_width, m_height);
}
