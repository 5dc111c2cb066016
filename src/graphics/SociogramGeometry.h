#pragma once

#include <QLineF>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

#include <algorithm>

class GraphDocument;

// The picture of a sociogram reduced to what legibility depends on: the rectangles of its bubbles
// (recognised by their fill colours) and the polylines of the choice arrows between two of them, as the
// graph model holds them. The target layout measures its own work with it; tests and benchmarks count with
// it on whatever a build gives.
namespace SociogramGeometry {

struct Arrow {
    QPolygonF points; // from the chooser's outline over any break points to the chosen's outline
    int from = -1;    // index into Picture::bubbles
    int to = -1;
};

struct Picture {
    QList<QRectF> bubbles;
    QList<Arrow> arrows;
};

// The bubbles (pupils and answer options) and the choice arrows whose both ends are bubbles.
Picture pictureOf(const GraphDocument &document);

// Whether the segments cross at one point inside both (touching ends and collinear overlaps do not count).
// Whether the segment passes through the inside of the rectangle shrunk by `inset` on every side (running
// along an edge or touching a corner does not count). Both are asked millions of times by the layout's
// search, so they are inline (below the namespace).
inline bool segmentsCross(const QPointF &a, const QPointF &b, const QPointF &c, const QPointF &d);
inline bool segmentEntersRect(const QPointF &a, const QPointF &b, const QRectF &rect, double inset = 0);
// Whether two rectangles share more than an edge.
bool rectsOverlap(const QRectF &a, const QRectF &b);

// Pairs of arrows that cross, each pair counted once however often its polylines meet; arrows with a
// common end bubble are never counted (they meet there anyway).
qint64 crossings(const Picture &picture);
// Pairs (arrow, bubble) where the arrow passes through a bubble other than its two ends.
int arrowsThroughBubbles(const Picture &picture);
// Pairs of bubbles that overlap.
int overlappingBubbles(const Picture &picture);

// A uniform grid over rectangles for quick questions about what a segment or a rectangle meets.
class RectIndex final {
public:
    RectIndex(QList<QRectF> rects, double cell);
    const QList<QRectF> &rects() const { return m_rects; }
    // Indices of rectangles whose inside (shrunk by `inset`) the segment passes through, skipping two.
    QList<int> enteredBy(const QPointF &a, const QPointF &b, double inset, int skip1 = -1, int skip2 = -1) const;
    // Whether the segment passes through any rectangle's inside (shrunk by `inset`) other than two.
    bool blocks(const QPointF &a, const QPointF &b, double inset, int skip1 = -1, int skip2 = -1) const;

private:
    template <class F> void visitCells(const QPointF &a, const QPointF &b, F &&visit) const;
    QList<QRectF> m_rects;
    QRectF m_area;
    double m_cell;
    int m_columns = 0;
    int m_rows = 0;
    QList<QList<int>> m_cells;
    mutable QList<int> m_seen; // stamp per rectangle
    mutable int m_stamp = 0;
};

} // namespace SociogramGeometry

namespace SociogramGeometry {

inline bool segmentsCross(const QPointF &a, const QPointF &b, const QPointF &c, const QPointF &d) {
    auto side = [](const QPointF &o, const QPointF &p, const QPointF &q) {
        return (p.x() - o.x()) * (q.y() - o.y()) - (p.y() - o.y()) * (q.x() - o.x());
    };
    const double d1 = side(c, d, a), d2 = side(c, d, b), d3 = side(a, b, c), d4 = side(a, b, d);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

inline bool segmentEntersRect(const QPointF &a, const QPointF &b, const QRectF &rect, double inset) {
    const double left = rect.left() + inset, right = rect.right() - inset;
    const double top = rect.top() + inset, bottom = rect.bottom() - inset;
    if (left >= right || top >= bottom)
        return false;
    // Liang–Barsky: the part of the segment inside the closed rectangle is [t0, t1].
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - left, right - a.x(), a.y() - top, bottom - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    if (t1 - t0 <= 1e-9)
        return false;
    // The middle of that part lies strictly inside unless the segment only runs along an edge.
    const double tm = (t0 + t1) / 2;
    const double x = a.x() + tm * dx, y = a.y() + tm * dy;
    return x > left && x < right && y > top && y < bottom;
}

} // namespace SociogramGeometry
