#include "graphics/SociogramTargetOrder.h"

#include "graphics/SociogramGeometry.h"

#include <QHash>
#include <QLineF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

// The ways of the target layout's arrows: straight where they pass no bubble, else round the bubbles.
namespace SociogramTargetOrder {

namespace {

// Routing: how many ways with one bend (and with two) are weighed for an arrow, from how many corners seen
// from each end the ways with two bends are made, and the least room an arrow keeps from a bubble.
constexpr int kBendChoices = 8;
constexpr int kLargeBendChoices = 3;
constexpr int kTwoBendEnds = 12;
constexpr double kClearance = 3.0;

double norm(double x, double y) {
    return std::sqrt(x * x + y * y);
}

QRectF rectOf(const Problem &p, int item) {
    const QPointF c = p.items[item].centre;
    return QRectF(c.x() - p.size.width() / 2, c.y() - p.size.height() / 2, p.size.width(), p.size.height());
}

// The arrows as they are being routed, to count what a new way for one of them would cross.
class Routes final {
public:
    Routes(const Problem &p, QList<QPolygonF> lines) : m_p(p), m_lines(std::move(lines)) {
        for (const QPolygonF &line : m_lines)
            m_boxes.append(line.boundingRect());
    }
    const QList<QPolygonF> &lines() const { return m_lines; }
    void set(int e, const QPolygonF &line) {
        m_lines[e] = line;
        m_boxes[e] = line.boundingRect();
    }
    // Arrows without a common end that the polyline would cross, were it arrow e's.
    int crossings(int e, const QPolygonF &line) const {
        const Edge &edge = m_p.edges.at(e);
        const QRectF box = line.boundingRect();
        int count = 0;
        for (qsizetype f = 0; f < m_lines.size(); ++f) {
            const Edge &other = m_p.edges.at(f);
            if (f == e || other.from == edge.from || other.from == edge.to || other.to == edge.from ||
                other.to == edge.to)
                continue;
            const QRectF &b = m_boxes.at(f);
            if (b.right() < box.left() || box.right() < b.left() || b.bottom() < box.top() || box.bottom() < b.top())
                continue;
            const QPolygonF &o = m_lines.at(f);
            bool met = false;
            for (qsizetype i = 0; !met && i + 1 < line.size(); ++i)
                for (qsizetype j = 0; !met && j + 1 < o.size(); ++j)
                    met = SociogramGeometry::segmentsCross(line.at(i), line.at(i + 1), o.at(j), o.at(j + 1));
            count += met ? 1 : 0;
        }
        return count;
    }

private:
    const Problem &m_p;
    QList<QPolygonF> m_lines;
    QList<QRectF> m_boxes;
};

// A coarse grid of the free room between the bubbles, for ways round them that one or two bends do not
// find: the shortest way over free cells (first within a window around both ends, then anywhere),
// straightened wherever a straight piece passes no bubble. A cell remembers up to two bubbles it meets;
// one that meets more is blocked for every arrow.
class FreeRoom final {
public:
    FreeRoom(const QList<QRectF> &obstacles, const SociogramGeometry::RectIndex &index, double cell)
        : m_index(index), m_cell(cell) {
        for (const QRectF &r : obstacles)
            m_area |= r;
        m_area.adjust(-4 * cell, -4 * cell, 4 * cell, 4 * cell);
        m_columns = int(std::ceil(m_area.width() / cell));
        m_rows = int(std::ceil(m_area.height() / cell));
        m_first.assign(size_t(m_columns) * size_t(m_rows), -1);
        m_second.assign(m_first.size(), -1);
        for (int i = 0; i < int(obstacles.size()); ++i) {
            const QRectF &r = obstacles.at(i);
            const int c0 = column(r.left()), c1 = column(r.right()), r0 = row(r.top()), r1 = row(r.bottom());
            for (int y = r0; y <= r1; ++y)
                for (int x = c0; x <= c1; ++x) {
                    const size_t c = size_t(y) * size_t(m_columns) + size_t(x);
                    if (m_first[c] < 0)
                        m_first[c] = i;
                    else if (m_second[c] < 0)
                        m_second[c] = i;
                    else
                        m_first[c] = m_second[c] = kEverybody;
                }
        }
        m_cost.assign(m_first.size(), std::numeric_limits<double>::infinity());
        m_previous.assign(m_first.size(), -1);
    }

    QPolygonF way(const QPointF &s, const QPointF &t, int from, int to) {
        const double margin = 6 * m_cell + 0.25 * QLineF(s, t).length();
        const QRectF window = QRectF(s, t).normalized().adjusted(-margin, -margin, margin, margin);
        QPolygonF line = search(s, t, from, to, window);
        return line.isEmpty() ? search(s, t, from, to, m_area) : line;
    }

private:
    static constexpr int kEverybody = std::numeric_limits<int>::max();

    QPolygonF search(const QPointF &s, const QPointF &t, int from, int to, const QRectF &window) {
        const int start = cellOf(s), goal = cellOf(t);
        const int x0 = column(window.left()), x1 = column(window.right());
        const int y0 = row(window.top()), y1 = row(window.bottom());
        auto passable = [&](size_t c) {
            const int a = m_first[c], b = m_second[c];
            return (a < 0 || a == from || a == to) && (b < 0 || b == from || b == to);
        };
        auto centre = [&](int c) {
            return QPointF(m_area.left() + (c % m_columns + 0.5) * m_cell, m_area.top() + (c / m_columns + 0.5) * m_cell);
        };
        const QPointF target = centre(goal);
        auto estimate = [&](int c) { return norm(centre(c).x() - target.x(), centre(c).y() - target.y()); };
        std::vector<int> touched{start};
        m_cost[size_t(start)] = 0;
        using Entry = std::pair<double, int>;
        std::vector<Entry> heap{{-estimate(start), start}};
        bool reached = false;
        while (!heap.empty()) {
            std::pop_heap(heap.begin(), heap.end());
            const auto [key, c] = heap.back();
            heap.pop_back();
            if (c == goal) {
                reached = true;
                break;
            }
            if (-key > m_cost[size_t(c)] + estimate(c) + 1e-6)
                continue;
            const int cx = c % m_columns, cy = c / m_columns;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = cx + dx, ny = cy + dy;
                    if ((dx == 0 && dy == 0) || nx < x0 || ny < y0 || nx > x1 || ny > y1)
                        continue;
                    const int n = ny * m_columns + nx;
                    if (!passable(size_t(n)))
                        continue;
                    const double next = m_cost[size_t(c)] + ((dx != 0 && dy != 0) ? 1.41421356 : 1.0) * m_cell;
                    if (next < m_cost[size_t(n)]) {
                        if (std::isinf(m_cost[size_t(n)]))
                            touched.push_back(n);
                        m_cost[size_t(n)] = next;
                        m_previous[size_t(n)] = c;
                        heap.push_back({-(next + estimate(n)), n});
                        std::push_heap(heap.begin(), heap.end());
                    }
                }
        }
        QList<QPointF> path;
        if (reached)
            for (int c = goal; c >= 0 && c != start; c = m_previous[size_t(c)])
                path.prepend(centre(c));
        for (int c : touched) {
            m_cost[size_t(c)] = std::numeric_limits<double>::infinity();
            m_previous[size_t(c)] = -1;
        }
        if (!reached)
            return {};
        path.prepend(s);
        path.last() = t;
        // Straight pieces as long as they pass no bubble.
        QPolygonF line{s};
        for (qsizetype i = 0; i + 1 < path.size();) {
            qsizetype j = path.size() - 1;
            for (; j > i + 1; --j)
                if (!m_index.blocks(path[i], path[j], 0, i == 0 ? from : -1, j == path.size() - 1 ? to : -1))
                    break;
            line.append(path[j]);
            i = j;
        }
        return line;
    }

    int column(double x) const { return std::clamp(int((x - m_area.left()) / m_cell), 0, m_columns - 1); }
    int row(double y) const { return std::clamp(int((y - m_area.top()) / m_cell), 0, m_rows - 1); }
    int cellOf(const QPointF &p) const { return row(p.y()) * m_columns + column(p.x()); }

    const SociogramGeometry::RectIndex &m_index;
    double m_cell;
    QRectF m_area;
    int m_columns = 0, m_rows = 0;
    std::vector<int> m_first, m_second; // the bubbles a cell meets
    std::vector<double> m_cost;
    std::vector<int> m_previous;
};

} // namespace

QList<QPolygonF> route(const Problem &p) {
    const double w = p.size.width(), h = p.size.height();
    const double clearance = kClearance;
    QList<QRectF> obstacles;
    QList<QPointF> corners;
    for (qsizetype i = 0; i < p.items.size(); ++i) {
        const QRectF r = rectOf(p, int(i));
        obstacles.append(r.adjusted(-clearance, -clearance, clearance, clearance));
        const QRectF c = r.adjusted(-clearance - 3, -clearance - 3, clearance + 3, clearance + 3);
        corners << c.topLeft() << c.topRight() << c.bottomRight() << c.bottomLeft();
    }
    const SociogramGeometry::RectIndex index(obstacles, 1.5 * std::max(w, h));
    const bool large = p.items.size() > LargeClass;
    const int choices = large ? kLargeBendChoices : kBendChoices;
    const double reach = 2 * (w + h);

    // Straight first; the second arrow of a mutual pair runs back along the first.
    QList<QPolygonF> straight;
    QHash<QPair<int, int>, int> first;
    QList<int> blocked, twins(p.edges.size(), -1);
    for (qsizetype e = 0; e < p.edges.size(); ++e) {
        const Edge &edge = p.edges.at(e);
        const QPointF s = p.items.at(edge.from).centre, t = p.items.at(edge.to).centre;
        straight.append(QPolygonF{s, t});
        if (const auto it = first.constFind({edge.to, edge.from}); it != first.constEnd()) {
            twins[e] = *it;
            continue;
        }
        first.insert({edge.from, edge.to}, int(e));
        if (index.blocks(s, t, 0, edge.from, edge.to))
            blocked.append(int(e));
    }
    Routes routes(p, straight);
    std::optional<FreeRoom> room;
    for (int e : blocked) {
        const Edge &edge = p.edges.at(e);
        const QPointF s = p.items.at(edge.from).centre, t = p.items.at(edge.to).centre;
        // Corners beside the bubbles near the straight line, the shortest ways first.
        const double length2 = std::max(1e-9, QPointF::dotProduct(t - s, t - s));
        QList<QPair<double, QPointF>> near;
        for (qsizetype k = 0; k < p.items.size(); ++k) {
            if (k == edge.from || k == edge.to)
                continue;
            const QPointF c = p.items.at(k).centre;
            const double along = QPointF::dotProduct(c - s, t - s) / length2;
            const QPointF foot = s + std::clamp(along, 0.0, 1.0) * (t - s);
            if (QLineF(c, foot).length() > reach)
                continue;
            for (int corner = 0; corner < 4; ++corner) {
                const QPointF q = corners.at(4 * k + corner);
                near.append({QLineF(s, q).length() + QLineF(q, t).length(), q});
            }
        }
        std::stable_sort(near.begin(), near.end(), [](const auto &x, const auto &y) { return x.first < y.first; });
        // Of the first few ways that pass no bubble, the one that crosses fewest arrows, then the shortest.
        QPolygonF best;
        int bestCrossings = std::numeric_limits<int>::max();
        auto consider = [&](const QPolygonF &line) {
            const int crossings = routes.crossings(e, line);
            if (crossings < bestCrossings) {
                bestCrossings = crossings;
                best = line;
            }
        };
        int tried = 0;
        QList<QPointF> fromStart, toEnd;
        for (const auto &[via, q] : near) {
            const bool firstFree = !index.blocks(s, q, 0, edge.from);
            const bool secondFree = !index.blocks(q, t, 0, edge.to);
            if (firstFree && secondFree && tried < choices) {
                consider(QPolygonF{s, q, t});
                ++tried;
            }
            if (firstFree && fromStart.size() < kTwoBendEnds)
                fromStart.append(q);
            if (secondFree && toEnd.size() < kTwoBendEnds)
                toEnd.append(q);
        }
        if (best.isEmpty()) {
            QList<QPair<double, QPolygonF>> ways;
            for (const QPointF &q1 : fromStart)
                for (const QPointF &q2 : toEnd)
                    ways.append({QLineF(s, q1).length() + QLineF(q1, q2).length() + QLineF(q2, t).length(),
                                 QPolygonF{s, q1, q2, t}});
            std::stable_sort(ways.begin(), ways.end(), [](const auto &x, const auto &y) { return x.first < y.first; });
            for (const auto &[length, line] : ways) {
                if (tried >= 2 * choices)
                    break;
                if (!index.blocks(line[1], line[2], 0)) {
                    consider(line);
                    ++tried;
                }
            }
        }
        if (best.isEmpty()) {
            if (!room)
                room.emplace(obstacles, index, std::max(4.0, (std::min(p.pitch.width() - w, p.pitch.height() - h) - 2 * clearance) / 2));
            best = room->way(s, t, edge.from, edge.to);
        }
        if (!best.isEmpty())
            routes.set(e, best);
    }
    QList<QPolygonF> lines = routes.lines();
    for (qsizetype e = 0; e < lines.size(); ++e)
        if (twins[e] >= 0) {
            lines[e] = lines[twins[e]];
            std::reverse(lines[e].begin(), lines[e].end());
        }
    return lines;
}

} // namespace SociogramTargetOrder
