#pragma once

#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QSizeF>

// The two searches of the target layout, on plain data: which bubble takes which of the places of its zone,
// and which way each arrow runs. Everything here is deterministic: the same problem gives the same answer.
namespace SociogramTargetOrder {

enum class Kind { Boy, Girl, Option };

// Above this many items a class is large: one annealing instead of several, no search of places after it,
// fewer ways weighed for a bent arrow, so that a school's largest class is arranged in well under a second.
constexpr int LargeClass = 80;

struct Item {
    Kind kind = Kind::Boy;
    int received = 0;
    int ring = -1;  // options: -1
    int group = -1; // index into Problem::groups
    QPointF centre;
};

struct Edge {
    int from = -1;
    int to = -1;
    bool choice = true; // a lost tie is drawn but not weighed
};

// A half ring (or the option column): its places and the items on it, members[i] at places[at[i]]. There
// are usually more places than members.
struct Group {
    QList<QPointF> places;
    QList<int> members;
    QList<int> at;
    // The zone the places lie in, in elliptic radii (Problem::axes) and on which side of the axis; the
    // option column (side 0) does not move before it is ordered.
    double inner = 0;
    double outer = 0;
    int side = 0; // -1 left, 1 right
};

struct Problem {
    QList<Item> items;
    QList<Edge> edges;
    QList<Group> groups;
    QSizeF size;  // of every bubble
    QSizeF pitch; // of the grid of places
    QPointF centre;
    QSizeF axes; // the ellipse of elliptic radius 1 around the centre
    double lane = 0; // the least distance of a bubble's centre from the vertical axis
};

// What a placement costs: crossing choice arrows, choice arrows through third bubbles (each one that is
// left is bent later, which costs crossings of its own), and mutual partners of the same group standing
// apart (places between them beyond the first).
constexpr double ThroughWeight = 1.0;
constexpr double GapWeight = 2.0;
struct Cost {
    qint64 crossings = 0;
    qint64 throughBubbles = 0;
    qint64 mutualGaps = 0;
    double total() const {
        return double(crossings) + ThroughWeight * double(throughBubbles) + GapWeight * double(mutualGaps);
    }
};

// Puts the members of every group on its places: first where a force-directed layout kept inside the zones
// pulls them (ties attract, bubbles repel), on the nearest free place, then a member moves to one of the
// places near it (or swaps with the member there) while that lowers the cost. Sets `at` and every item's
// centre. The same problem always gives the same placement.
void order(Problem &problem);
// The cost of the placement as it stands, with arrows straight from centre to centre.
Cost cost(const Problem &problem);
// One polyline per edge from the centre of its `from` item to the centre of its `to` item: straight where
// that passes no other bubble, else over one or two bends beside the bubbles in the way.
QList<QPolygonF> route(const Problem &problem);

} // namespace SociogramTargetOrder
