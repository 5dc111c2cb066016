#include "graphics/SociogramGeometry.h"

#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graphics/SociogramArrangement.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>

namespace SociogramGeometry {

namespace {

QRectF boundsOf(const QPolygonF &points) {
    return points.boundingRect();
}

bool boxesMeet(const QRectF &a, const QRectF &b) {
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

} // namespace

Picture pictureOf(const GraphDocument &document) {
    Picture picture;
    QHash<const TGraphObject *, int> index;
    for (const TGraphObject *object : document.Objects()) {
        if (!object->IsNode() || !SociogramArrangement::isBubbleColor(object->Brush().Color))
            continue;
        index.insert(object, int(picture.bubbles.size()));
        picture.bubbles.append(QRectF(static_cast<const TGraphNode *>(object)->Bounds()));
    }
    for (const TGraphObject *object : document.Objects()) {
        if (!SociogramArrangement::isChoiceArrow(object))
            continue;
        const auto *link = static_cast<const TGraphLink *>(object);
        const int from = index.value(link->Source(), -1);
        const int to = index.value(link->Target(), -1);
        if (from < 0 || to < 0 || link->PointCount() < 2)
            continue;
        picture.arrows.append({QPolygonF(link->Points()), from, to});
    }
    return picture;
}

bool rectsOverlap(const QRectF &a, const QRectF &b) {
    return a.left() < b.right() && b.left() < a.right() && a.top() < b.bottom() && b.top() < a.bottom();
}

qint64 crossings(const Picture &picture) {
    const qsizetype n = picture.arrows.size();
    QList<QRectF> boxes;
    boxes.reserve(n);
    for (const Arrow &arrow : picture.arrows)
        boxes.append(boundsOf(arrow.points));
    qint64 count = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const Arrow &first = picture.arrows.at(i);
        for (qsizetype j = i + 1; j < n; ++j) {
            const Arrow &second = picture.arrows.at(j);
            if (first.from == second.from || first.from == second.to || first.to == second.from ||
                first.to == second.to || !boxesMeet(boxes.at(i), boxes.at(j)))
                continue;
            bool met = false;
            for (qsizetype s = 0; !met && s + 1 < first.points.size(); ++s)
                for (qsizetype t = 0; !met && t + 1 < second.points.size(); ++t)
                    met = segmentsCross(first.points.at(s), first.points.at(s + 1), second.points.at(t),
                                        second.points.at(t + 1));
            count += met ? 1 : 0;
        }
    }
    return count;
}

int arrowsThroughBubbles(const Picture &picture) {
    const RectIndex index(picture.bubbles, 120);
    int count = 0;
    for (const Arrow &arrow : picture.arrows) {
        QList<int> entered;
        for (qsizetype s = 0; s + 1 < arrow.points.size(); ++s)
            for (int bubble : index.enteredBy(arrow.points.at(s), arrow.points.at(s + 1), 0, arrow.from, arrow.to))
                if (!entered.contains(bubble))
                    entered.append(bubble);
        count += int(entered.size());
    }
    return count;
}

int overlappingBubbles(const Picture &picture) {
    int count = 0;
    for (qsizetype i = 0; i < picture.bubbles.size(); ++i)
        for (qsizetype j = i + 1; j < picture.bubbles.size(); ++j)
            count += rectsOverlap(picture.bubbles.at(i), picture.bubbles.at(j)) ? 1 : 0;
    return count;
}

RectIndex::RectIndex(QList<QRectF> rects, double cell) : m_rects(std::move(rects)), m_cell(std::max(cell, 1.0)) {
    for (const QRectF &rect : m_rects)
        m_area |= rect;
    m_columns = std::max(1, int(std::ceil(m_area.width() / m_cell)));
    m_rows = std::max(1, int(std::ceil(m_area.height() / m_cell)));
    m_cells.resize(qsizetype(m_columns) * m_rows);
    for (qsizetype i = 0; i < m_rects.size(); ++i) {
        const QRectF &rect = m_rects.at(i);
        const int c0 = std::clamp(int((rect.left() - m_area.left()) / m_cell), 0, m_columns - 1);
        const int c1 = std::clamp(int((rect.right() - m_area.left()) / m_cell), 0, m_columns - 1);
        const int r0 = std::clamp(int((rect.top() - m_area.top()) / m_cell), 0, m_rows - 1);
        const int r1 = std::clamp(int((rect.bottom() - m_area.top()) / m_cell), 0, m_rows - 1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                m_cells[qsizetype(r) * m_columns + c].append(int(i));
    }
    m_seen.fill(0, m_rects.size());
}

// Calls visit(cell) for every cell the segment passes (a grid walk), and for none when it misses the area.
template <class F> void RectIndex::visitCells(const QPointF &a, const QPointF &b, F &&visit) const {
    if (m_rects.isEmpty())
        return;
    // Clip to the area first, so the walk stays inside the grid.
    QPointF p = a, q = b;
    {
        double t0 = 0, t1 = 1;
        const double dx = q.x() - p.x(), dy = q.y() - p.y();
        const double pp[4] = {-dx, dx, -dy, dy};
        const double qq[4] = {p.x() - m_area.left(), m_area.right() - p.x(), p.y() - m_area.top(),
                              m_area.bottom() - p.y()};
        for (int i = 0; i < 4; ++i) {
            if (pp[i] == 0) {
                if (qq[i] < 0)
                    return;
                continue;
            }
            const double t = qq[i] / pp[i];
            if (pp[i] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            if (t0 > t1)
                return;
        }
        p = a + t0 * (b - a);
        q = a + t1 * (b - a);
    }
    const double x0 = (p.x() - m_area.left()) / m_cell, y0 = (p.y() - m_area.top()) / m_cell;
    const double x1 = (q.x() - m_area.left()) / m_cell, y1 = (q.y() - m_area.top()) / m_cell;
    int cx = std::clamp(int(x0), 0, m_columns - 1), cy = std::clamp(int(y0), 0, m_rows - 1);
    const int ex = std::clamp(int(x1), 0, m_columns - 1), ey = std::clamp(int(y1), 0, m_rows - 1);
    const int sx = x1 > x0 ? 1 : -1, sy = y1 > y0 ? 1 : -1;
    const double dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double stepX = dx > 0 ? 1 / dx : inf, stepY = dy > 0 ? 1 / dy : inf;
    double nextX = dx > 0 ? (sx > 0 ? (cx + 1 - x0) : (x0 - cx)) * stepX : inf;
    double nextY = dy > 0 ? (sy > 0 ? (cy + 1 - y0) : (y0 - cy)) * stepY : inf;
    for (int guard = m_columns + m_rows + 2; guard > 0; --guard) {
        visit(qsizetype(cy) * m_columns + cx);
        if (cx == ex && cy == ey)
            return;
        if (nextX < nextY) {
            cx += sx;
            nextX += stepX;
        } else {
            cy += sy;
            nextY += stepY;
        }
        if (cx < 0 || cy < 0 || cx >= m_columns || cy >= m_rows)
            return;
    }
}

QList<int> RectIndex::enteredBy(const QPointF &a, const QPointF &b, double inset, int skip1, int skip2) const {
    QList<int> result;
    ++m_stamp;
    visitCells(a, b, [&](qsizetype cell) {
        for (int i : m_cells.at(cell)) {
            if (m_seen.at(i) == m_stamp)
                continue;
            m_seen[i] = m_stamp;
            if (i != skip1 && i != skip2 && segmentEntersRect(a, b, m_rects.at(i), inset))
                result.append(i);
        }
    });
    return result;
}

bool RectIndex::blocks(const QPointF &a, const QPointF &b, double inset, int skip1, int skip2) const {
    bool blocked = false;
    ++m_stamp;
    visitCells(a, b, [&](qsizetype cell) {
        if (blocked)
            return;
        for (int i : m_cells.at(cell)) {
            if (m_seen.at(i) == m_stamp)
                continue;
            m_seen[i] = m_stamp;
            if (i != skip1 && i != skip2 && segmentEntersRect(a, b, m_rects.at(i), inset)) {
                blocked = true;
                return;
            }
        }
    });
    return blocked;
}

} // namespace SociogramGeometry
