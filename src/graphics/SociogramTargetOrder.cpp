#include "graphics/SociogramTargetOrder.h"

#include "graphics/SociogramArrangement.h"
#include "graphics/SociogramGeometry.h"

#include <QHash>
#include <QLineF>
#include <QRectF>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <future>
#include <limits>
#include <numbers>
#include <vector>

namespace SociogramTargetOrder {

namespace {

// The force-directed start: steps, and how far a bubble may move in the first one (in elliptic radii).
constexpr int kSteps = 90;
constexpr double kFirstStep = 0.12;
// The annealing of lengths: tries per item (within bounds), how many annealings a small class gets (each
// starting hotter), the first temperature in place pitches and how far it cools; a try goes to one of the
// nearest places, one in kFarTries to any place of the group.
constexpr int kShortenPerItem = 300;
constexpr int kShortenLeast = 1000;
constexpr int kShortenMost = 200000;
constexpr int kRestarts = 6;
constexpr double kShortenHeat = 2.0;
constexpr double kShortenCooling = 0.005;
constexpr int kShortenNear = 16;
constexpr int kFarTries = 4;
// The search of places: passes, places near its own a member tries (large classes), and places near the
// mean of its ties.
constexpr int kPasses = 3;
constexpr int kLargePasses = 0;
constexpr int kNearPlaces = 12;
constexpr int kLargeNearPlaces = 6;
constexpr int kTowardTies = 4;
constexpr int kSearched = 2; // of the annealings, searched further

// A length without the care std::hypot takes against overflow, which these sizes never need.
double norm(double x, double y) {
    return std::sqrt(x * x + y * y);
}

QRectF rectOf(const Problem &p, int item) {
    const QPointF c = p.items[item].centre;
    return QRectF(c.x() - p.size.width() / 2, c.y() - p.size.height() / 2, p.size.width(), p.size.height());
}

// Every member of a group on its place.
void place(Problem &p) {
    for (Group &group : p.groups)
        for (qsizetype i = 0; i < group.members.size(); ++i)
            p.items[group.members[i]].centre = group.places[group.at[i]];
}

// The cost of a placement, kept up to date while members move; what a move costs is counted from the arrows
// and bubbles it touches only.
class Evaluator final {
public:
    explicit Evaluator(Problem &problem) : m_p(problem) {
        const int n = int(m_p.items.size());
        m_halfW = m_p.size.width() / 2;
        m_halfH = m_p.size.height() / 2;
        m_edgesOf.resize(n);
        m_partners.resize(n);
        m_place.assign(n, -1);
        m_group.assign(n, -1);
        m_x.assign(n, 0);
        m_y.assign(n, 0);
        for (int i = 0; i < n; ++i) {
            m_group[i] = m_p.items[i].group;
            m_x[i] = m_p.items[i].centre.x();
            m_y[i] = m_p.items[i].centre.y();
        }
        QSet<QPair<int, int>> made;
        for (qsizetype e = 0; e < m_p.edges.size(); ++e) {
            const Edge &edge = m_p.edges.at(e);
            if (!edge.choice || edge.from == edge.to)
                continue;
            m_edgesOf[edge.from].push_back(int(m_segments.size()));
            m_edgesOf[edge.to].push_back(int(m_segments.size()));
            m_segments.push_back({edge.from, edge.to});
            made.insert({edge.from, edge.to});
        }
        for (const Segment &segment : m_segments) {
            const int from = segment.from, to = segment.to;
            if (from < to && made.contains({to, from}) && m_group[from] == m_group[to]) {
                m_partners[from].push_back(to);
                m_partners[to].push_back(from);
            }
        }
        for (std::vector<int> &list : m_partners) {
            std::sort(list.begin(), list.end());
            list.erase(std::unique(list.begin(), list.end()), list.end());
        }
        m_mark.assign(m_segments.size(), 0);
        for (const Group &group : m_p.groups) {
            std::vector<int> occupant(size_t(group.places.size()), -1);
            for (qsizetype i = 0; i < group.members.size(); ++i) {
                occupant[size_t(group.at.at(i))] = group.members.at(i);
                m_place[size_t(group.members.at(i))] = group.at.at(i);
            }
            m_occupant.push_back(std::move(occupant));
        }
        for (Segment &segment : m_segments)
            refresh(segment);
    }

    Cost total() const {
        Cost cost;
        const int count = int(m_segments.size());
        for (int e = 0; e < count; ++e)
            for (int f = e + 1; f < count; ++f)
                cost.crossings += cross(m_segments[e], m_segments[f]) ? 1 : 0;
        for (const Segment &segment : m_segments)
            for (int k = 0; k < int(m_x.size()); ++k)
                cost.throughBubbles += through(segment, k) ? 1 : 0;
        for (int i = 0; i < int(m_partners.size()); ++i)
            for (int q : m_partners[i])
                if (q > i)
                    cost.mutualGaps += gap(i, q);
        return cost;
    }

    // The part of the cost that depends on where u (and v, unless -1) stand; counting stops early once it
    // reaches `enough` (the caller then only learns that it is at least that much).
    double local(int u, int v, double enough = std::numeric_limits<double>::infinity()) {
        ++m_stamp;
        m_mine.clear();
        for (int item : {u, v})
            if (item >= 0)
                for (int e : m_edgesOf[item])
                    if (m_mark[e] != m_stamp) {
                        m_mark[e] = m_stamp;
                        m_mine.push_back(e);
                    }
        qint64 crossings = 0, through = 0, gaps = 0;
        for (int item : {u, v})
            if (item >= 0)
                for (int q : m_partners[item])
                    gaps += gap(item, q);
        auto sum = [&] { return double(crossings) + ThroughWeight * double(through) + GapWeight * double(gaps); };
        const int count = int(m_segments.size()), n = int(m_x.size());
        // Every term only adds: the count may stop as soon as it reaches `enough`.
        if (sum() >= enough)
            return sum();
        for (int e : m_mine) {
            const Segment &mine = m_segments[e];
            for (int f = 0; f < count; ++f)
                if ((m_mark[f] != m_stamp || f > e) && cross(mine, m_segments[f])) {
                    ++crossings;
                    if (sum() >= enough)
                        return sum();
                }
            for (int k = 0; k < n; ++k)
                if (this->through(mine, k)) {
                    ++through;
                    if (sum() >= enough)
                        return sum();
                }
        }
        for (int f = 0; f < count; ++f)
            if (m_mark[f] != m_stamp)
                for (int item : {u, v})
                    if (item >= 0 && this->through(m_segments[f], item)) {
                        ++through;
                        if (sum() >= enough)
                            return sum();
                    }
        return sum();
    }

    int placeOf(int item) const { return m_place[item]; }
    QPointF centre(int item) const { return QPointF(m_x[item], m_y[item]); }
    int occupant(int group, int place) const { return m_occupant[group][place]; }

    // Puts u on `place` of its group; whoever stood there takes u's place.
    void moveTo(int u, int place) {
        const int g = m_group[u];
        const int from = m_place[u];
        const int v = m_occupant[g][place];
        setPlace(u, place);
        m_occupant[g][place] = u;
        m_occupant[g][from] = v;
        if (v >= 0)
            setPlace(v, from);
    }

    // Writes the places back into the problem.
    void store() {
        for (Group &group : m_p.groups)
            for (qsizetype i = 0; i < group.members.size(); ++i)
                group.at[i] = m_place[group.members.at(i)];
        for (int i = 0; i < int(m_x.size()); ++i)
            m_p.items[i].centre = QPointF(m_x[i], m_y[i]);
    }

private:
    struct Segment {
        int from = -1, to = -1;
        double ax = 0, ay = 0, bx = 0, by = 0;
        double left = 0, top = 0, right = 0, bottom = 0;
    };

    void setPlace(int item, int place) {
        m_place[item] = place;
        const QPointF &at = m_p.groups.at(m_group[item]).places.at(place);
        m_x[item] = at.x();
        m_y[item] = at.y();
        for (int e : m_edgesOf[item])
            refresh(m_segments[e]);
    }

    void refresh(Segment &s) const {
        s.ax = m_x[s.from];
        s.ay = m_y[s.from];
        s.bx = m_x[s.to];
        s.by = m_y[s.to];
        s.left = std::min(s.ax, s.bx);
        s.right = std::max(s.ax, s.bx);
        s.top = std::min(s.ay, s.by);
        s.bottom = std::max(s.ay, s.by);
    }

    // Places between two members of a group beyond neighbouring ones, along the grid.
    int gap(int u, int v) const {
        const double steps = std::max(std::abs(m_x[u] - m_x[v]) / m_p.pitch.width(),
                                      std::abs(m_y[u] - m_y[v]) / m_p.pitch.height());
        return std::max(0, int(std::lround(steps)) - 1);
    }

    static bool cross(const Segment &x, const Segment &y) {
        if (x.right < y.left || y.right < x.left || x.bottom < y.top || y.bottom < x.top)
            return false;
        if (x.from == y.from || x.from == y.to || x.to == y.from || x.to == y.to)
            return false;
        return SociogramGeometry::segmentsCross({x.ax, x.ay}, {x.bx, x.by}, {y.ax, y.ay}, {y.bx, y.by});
    }

    bool through(const Segment &s, int item) const {
        const double l = m_x[item] - m_halfW, r = m_x[item] + m_halfW;
        const double t = m_y[item] - m_halfH, b = m_y[item] + m_halfH;
        if (s.right < l || r < s.left || s.bottom < t || b < s.top || item == s.from || item == s.to)
            return false;
        return SociogramGeometry::segmentEntersRect({s.ax, s.ay}, {s.bx, s.by}, QRectF(l, t, r - l, b - t));
    }

    Problem &m_p;
    double m_halfW = 0, m_halfH = 0;
    std::vector<Segment> m_segments; // the choice arrows
    std::vector<std::vector<int>> m_edgesOf;
    std::vector<std::vector<int>> m_partners; // mutual partners in the same group
    std::vector<int> m_place, m_group;
    std::vector<double> m_x, m_y;
    std::vector<std::vector<int>> m_occupant; // per group and place: the member there or -1
    std::vector<int> m_mark;
    std::vector<int> m_mine;
    int m_stamp = 0;
};

// Elliptic radius of a point relative to the centre.
double radius(const Problem &p, const QPointF &d) {
    return norm(d.x() / p.axes.width(), d.y() / p.axes.height());
}

// The nearest point of a group's zone.
QPointF intoZone(const Problem &p, const Group &group, QPointF d) {
    if (group.side < 0)
        d.setX(std::min(d.x(), -p.lane));
    else if (group.side > 0)
        d.setX(std::max(d.x(), p.lane));
    const double r = radius(p, d);
    const double margin = 0.02 * (group.outer - group.inner);
    const double wanted = std::clamp(r, group.inner + margin, group.outer - margin);
    if (r > 1e-9 && wanted != r)
        d *= wanted / r;
    return d;
}

// Fruchterman–Reingold inside the zones: ties pull their ends together, all bubbles push each other apart,
// every step is cut short by a cooling limit and ends back in the bubble's zone. Starts from the places
// the members stand on; leaves each member's wanted centre in `centre` (not yet a place).
void layOut(Problem &p) {
    for (Group &group : p.groups) {
        // Spread over the group's places in angle order, as a first guess.
        const qsizetype m = group.members.size(), c = group.places.size();
        group.at.clear();
        for (qsizetype i = 0; i < m; ++i)
            group.at.append(int((2 * i + 1) * c / (2 * m)));
    }
    place(p);
    const qsizetype n = p.items.size();
    if (n < 2)
        return;
    // Work in elliptic units, so that both axes count alike.
    QList<QPointF> pos(n), push(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF d = p.items[i].centre - p.centre;
        pos[i] = QPointF(d.x() / p.axes.width(), d.y() / p.axes.height());
    }
    const double k = std::sqrt(std::numbers::pi / double(n)) * 0.7;
    for (int step = 0; step < kSteps; ++step) {
        const double limit = kFirstStep * (1.0 - double(step) / kSteps) + 0.002;
        std::fill(push.begin(), push.end(), QPointF());
        for (qsizetype i = 0; i < n; ++i)
            for (qsizetype j = i + 1; j < n; ++j) {
                const QPointF d = pos[i] - pos[j];
                const double f = k * k / (QPointF::dotProduct(d, d) + 1e-9);
                push[i] += f * d;
                push[j] -= f * d;
            }
        for (const Edge &edge : p.edges) {
            if (!edge.choice || edge.from == edge.to)
                continue;
            const QPointF d = pos[edge.from] - pos[edge.to];
            const double f = norm(d.x(), d.y()) / k;
            push[edge.from] -= f * d;
            push[edge.to] += f * d;
        }
        for (qsizetype i = 0; i < n; ++i) {
            const Group &group = p.groups[p.items[i].group];
            if (group.side == 0)
                continue;
            const double length = norm(push[i].x(), push[i].y());
            if (length < 1e-12)
                continue;
            const QPointF moved = pos[i] + std::min(length, limit) / length * push[i];
            const QPointF inGraph = intoZone(p, group, QPointF(moved.x() * p.axes.width(), moved.y() * p.axes.height()));
            pos[i] = QPointF(inGraph.x() / p.axes.width(), inGraph.y() / p.axes.height());
        }
    }
    for (qsizetype i = 0; i < n; ++i)
        p.items[i].centre = p.centre + QPointF(pos[i].x() * p.axes.width(), pos[i].y() * p.axes.height());
}

// Every member onto the free place of its group nearest to where the layout wants it, the members of a group
// in the order of the items.
void snap(Problem &p) {
    for (Group &group : p.groups) {
        QList<bool> taken(group.places.size(), false);
        group.at.clear();
        for (int member : group.members) {
            const QPointF wanted = p.items[member].centre;
            int best = -1;
            double bestDistance = std::numeric_limits<double>::infinity();
            for (qsizetype q = 0; q < group.places.size(); ++q) {
                if (taken[q])
                    continue;
                const QPointF d = group.places[q] - wanted;
                const double distance = QPointF::dotProduct(d, d);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = int(q);
                }
            }
            taken[best] = true;
            group.at.append(best);
        }
    }
    place(p);
}

// For every place of every group, the nearest other places of the group, nearest first.
using Nearest = QList<QList<QList<int>>>;
Nearest nearestPlaces(const Problem &p, int count) {
    Nearest nearest(p.groups.size());
    for (qsizetype g = 0; g < p.groups.size(); ++g) {
        const QList<QPointF> &places = p.groups[g].places;
        for (qsizetype q = 0; q < places.size(); ++q) {
            QList<QPair<double, int>> byDistance;
            for (qsizetype r = 0; r < places.size(); ++r)
                if (r != q) {
                    const QPointF d = places[r] - places[q];
                    byDistance.append({QPointF::dotProduct(d, d), int(r)});
                }
            const qsizetype keep = std::min<qsizetype>(count, byDistance.size());
            std::partial_sort(byDistance.begin(), byDistance.begin() + keep, byDistance.end());
            QList<int> list;
            for (qsizetype i = 0; i < keep; ++i)
                list.append(byDistance[i].second);
            nearest[g].append(list);
        }
    }
    return nearest;
}

// Annealing on the summed length of the choice arrows, which cheaply pulls tied bubbles together: a random
// member tries a random place of its group (swapping with whoever stands there), kept when the length
// falls, or rises by little while the temperature is high. The generator starts from its fixed seed.
void shorten(Problem &p, const Nearest &nearby, SociogramRandom &random, int iterations, double heat) {
    const int n = int(p.items.size());
    std::vector<std::vector<int>> neighbours{size_t(n)};
    for (const Edge &edge : p.edges)
        if (edge.choice && edge.from != edge.to) {
            neighbours[edge.from].push_back(edge.to);
            neighbours[edge.to].push_back(edge.from);
        }
    std::vector<int> place(size_t(n), -1), group(size_t(n), -1);
    std::vector<QPointF> at{size_t(n)};
    std::vector<std::vector<int>> occupant;
    for (int g = 0; g < p.groups.size(); ++g) {
        const Group &gr = p.groups.at(g);
        occupant.emplace_back(size_t(gr.places.size()), -1);
        for (qsizetype i = 0; i < gr.members.size(); ++i) {
            const int member = gr.members.at(i);
            place[member] = gr.at.at(i);
            group[member] = g;
            occupant.back()[size_t(gr.at.at(i))] = member;
            at[member] = gr.places.at(gr.at.at(i));
        }
    }
    auto length = [&](int u) {
        double sum = 0;
        for (int w : neighbours[u])
            sum += norm(at[u].x() - at[w].x(), at[u].y() - at[w].y());
        return sum;
    };
    auto put = [&](int u, int q) {
        const int g = group[u], from = place[u], v = occupant[g][q];
        place[u] = q;
        at[u] = p.groups.at(g).places.at(q);
        occupant[g][q] = u;
        occupant[g][from] = v;
        if (v >= 0) {
            place[v] = from;
            at[v] = p.groups.at(g).places.at(from);
        }
    };
    const double cooling = std::pow(kShortenCooling, 1.0 / std::max(1, iterations));
    double temperature = heat * p.pitch.width();
    for (int i = 0; i < iterations; ++i, temperature *= cooling) {
        const int u = random.next(n);
        const int g = group[u];
        const int home = place[u];
        // Mostly a place near its own, now and then any place of the group.
        const QList<int> &near = nearby[g][home];
        const int q = near.isEmpty() || random.next(kFarTries) == 0
                          ? random.next(int(p.groups.at(g).places.size()))
                          : near[random.next(int(near.size()))];
        if (q == home)
            continue;
        const int v = occupant[g][q];
        const double before = length(u) + (v >= 0 ? length(v) : 0);
        put(u, q);
        const double rise = length(u) + (v >= 0 ? length(v) : 0) - before;
        if (rise <= 0 || random.next(1 << 30) < std::exp(-rise / temperature) * double(1 << 30))
            continue;
        put(u, home);
    }
    for (Group &gr : p.groups)
        for (qsizetype i = 0; i < gr.members.size(); ++i)
            gr.at[i] = place[gr.members.at(i)];
    for (int u = 0; u < n; ++u)
        p.items[u].centre = at[u];
}

// The places of a member's group nearest to the mean of its ties' ends.
QList<int> towardTies(const Problem &p, const Evaluator &evaluator, int u) {
    const Group &group = p.groups.at(p.items.at(u).group);
    QPointF sum;
    int ties = 0;
    for (const Edge &edge : p.edges)
        if (edge.choice && edge.from != edge.to && (edge.from == u || edge.to == u)) {
            sum += evaluator.centre(edge.from == u ? edge.to : edge.from);
            ++ties;
        }
    if (ties == 0)
        return {};
    QPointF wanted = sum / ties;
    if (group.side != 0)
        wanted = p.centre + intoZone(p, group, wanted - p.centre);
    QList<QPair<double, int>> byDistance;
    for (qsizetype q = 0; q < group.places.size(); ++q) {
        const QPointF d = group.places.at(q) - wanted;
        byDistance.append({QPointF::dotProduct(d, d), int(q)});
    }
    const qsizetype keep = std::min<qsizetype>(kTowardTies, byDistance.size());
    std::partial_sort(byDistance.begin(), byDistance.begin() + keep, byDistance.end());
    QList<int> places;
    for (qsizetype i = 0; i < keep; ++i)
        places.append(byDistance[i].second);
    return places;
}

// Moves a member to the best of the places near its own (swapping with whoever stands there) while that
// lowers the cost; a fixed number of passes over the members in the order of the items.
void improve(Problem &p, const Nearest &nearby) {
    const bool large = p.items.size() > LargeClass;
    const int near = large ? kLargeNearPlaces : kNearPlaces;
    Evaluator evaluator(p);
    const int passes = large ? kLargePasses : kPasses;
    if (passes == 0)
        return;
    for (int pass = 0; pass < passes; ++pass) {
        bool improved = false;
        for (int u = 0; u < p.items.size(); ++u) {
            const int g = p.items[u].group;
            const int home = evaluator.placeOf(u);
            int best = -1;
            double bestGain = 1e-9;
            const double alone = evaluator.local(u, -1);
            QList<int> candidates = nearby[g][home].mid(0, near);
            for (int q : towardTies(p, evaluator, u))
                if (q != home && !candidates.contains(q))
                    candidates.append(q);
            for (int q : candidates) {
                const int v = evaluator.occupant(g, q);
                const double before = v < 0 ? alone : evaluator.local(u, v);
                evaluator.moveTo(u, q);
                const double gain = before - evaluator.local(u, v, before - bestGain);
                evaluator.moveTo(u, home);
                if (gain > bestGain) {
                    bestGain = gain;
                    best = q;
                }
            }
            if (best >= 0) {
                evaluator.moveTo(u, best);
                improved = true;
            }
        }
        if (!improved)
            break;
    }
    evaluator.store();
}

} // namespace

void order(Problem &p) {
    layOut(p);
    snap(p);
    SociogramRandom random;
    random.restart();
    const int n = int(p.items.size());
    const Nearest nearby = nearestPlaces(p, std::max({kNearPlaces, kLargeNearPlaces, kShortenNear}));
    if (n > LargeClass) {
        shorten(p, nearby, random, std::min(kShortenPerItem * n, kShortenMost), kShortenHeat);
        improve(p, nearby);
        return;
    }
    // Several annealings from the same start, one after another along the sequence, each hotter; the two
    // best are searched further and the better one stays.
    const Problem start = p;
    QList<QPair<double, Problem>> trials;
    for (int attempt = 0; attempt < kRestarts; ++attempt) {
        Problem trial = start;
        shorten(trial, nearby, random, std::max(kShortenLeast, kShortenPerItem * n), kShortenHeat * (1 + attempt));
        trials.append({cost(trial).total(), trial});
    }
    std::stable_sort(trials.begin(), trials.end(), [](const auto &x, const auto &y) { return x.first < y.first; });
    // The searches are independent of each other: all but the first run beside it, each on its own copy.
    const qsizetype searched = std::min<qsizetype>(kSearched, trials.size());
    std::vector<std::future<void>> beside;
    for (qsizetype i = 1; i < searched; ++i) {
        Problem *trial = &trials[i].second;
        beside.push_back(std::async(std::launch::async, [trial, &nearby] { improve(*trial, nearby); }));
    }
    improve(trials[0].second, nearby);
    for (std::future<void> &search : beside)
        search.get();
    double best = std::numeric_limits<double>::infinity();
    for (qsizetype i = 0; i < searched; ++i) {
        const Problem &trial = trials[i].second;
        const double total = cost(trial).total();
        if (total < best) {
            best = total;
            p = trial;
        }
    }
}

Cost cost(const Problem &problem) {
    Problem copy = problem;
    return Evaluator(copy).total();
}

} // namespace SociogramTargetOrder
