#include "graphics/SociogramTargetLayout.h"

#include "graph/CaptionLayout.h"
#include "graph/GraphDocument.h"
#include "graph/GraphLink.h"
#include "graph/GraphNode.h"
#include "graph/NodeShapes.h"
#include "graphics/SociogramArrangement.h"
#include "graphics/SociogramGeometry.h"
#include "graphics/SociogramStatusColours.h"
#include "graphics/SociogramTargetOrder.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace {

using namespace SociogramTargetOrder;

constexpr double kPi = 3.14159265358979323846;
constexpr int kPictureLeft = 25;      // the heading's left edge
constexpr int kHeaderBottom = 110;    // nodes whose top is above this are the heading
constexpr int kBelowHeader = 20;      // room between the heading and the rings
constexpr TColor kRingColour = 0xB4B4B4; // faint on paper, still seen over the canvas's grid
constexpr TColor kLabelColour = 0x808080;
constexpr int kRingPoints = 96;
constexpr int kLabelHeight = 18;
// Width to height of the rings' ellipse.
constexpr double kAspect = 1.4;
// Places per needed place: wanted, and the least before the picture may leave the page.
constexpr double kRoomy = 4.5;
constexpr double kTight = 2.5;
// What the drawn picture may take beyond the planned one (pens, arrow heads, bends outside the rings).
constexpr int kPageSlack = 30;
// Room between neighbouring places, as shares of the bubble's width and height.
constexpr double kGapX = 0.36;
constexpr double kGapY = 0.7;

bool isLegend(const TGraphObject *object) {
    return object->IsNode() && object->Tag() == SociogramStatusColours::LegendTag;
}

int choiceArrows(const QList<TGraphLink *> &links) {
    return int(std::count_if(links.begin(), links.end(),
                             [](const TGraphLink *link) { return SociogramArrangement::isChoiceArrow(link); }));
}

// The grid of one bubble size: the bubble, the room between bubbles, the free lane on the vertical axis.
struct Spacing {
    double w = 0, h = 0;
    double gapX = 0, gapY = 0;
    double lane = 0;
    double pitchX() const { return w + gapX; }
    double pitchY() const { return h + gapY; }
    // The least distance of a bubble's centre from the vertical axis.
    double laneX() const { return lane / 2 + w / 2; }
};

Spacing spacingFor(const QSize &size, double labelWidth) {
    Spacing s;
    s.w = size.width();
    s.h = size.height();
    s.gapX = std::round(kGapX * s.w);
    s.gapY = std::round(kGapY * s.h);
    s.lane = std::max(std::ceil(labelWidth) + 12, s.gapX);
    return s;
}

struct Place {
    QPointF at; // relative to the centre
    double radius = 0;
    int side = 1;
};

// The places of the grid whose centres lie inside the ellipse (a, b), columns beside the lane, odd columns
// half a row lower; by elliptic radius, then from the top down, left before right.
QList<Place> gridPlaces(const Spacing &s, double a, double b) {
    QList<Place> places;
    for (int i = 0;; ++i) {
        const double x = s.laneX() + i * s.pitchX();
        if (x > a)
            break;
        const double shift = i % 2 ? 0.5 : 0.0;
        const int rows = int(b / s.pitchY()) + 1;
        for (int j = -rows; j <= rows; ++j) {
            const double y = (j + shift) * s.pitchY();
            const double radius = std::sqrt(x * x / (a * a) + y * y / (b * b));
            if (radius > 1)
                continue;
            places.append({QPointF(-x, y), radius, -1});
            places.append({QPointF(x, y), radius, 1});
        }
    }
    std::sort(places.begin(), places.end(), [](const Place &p, const Place &q) {
        if (p.radius != q.radius)
            return p.radius < q.radius;
        if (p.at.y() != q.at.y())
            return p.at.y() < q.at.y();
        return p.at.x() < q.at.x();
    });
    return places;
}

// The geometry of the layout for one bubble size and ellipse, around the origin.
struct Geometry {
    Spacing spacing;
    double a = 0, b = 0; // the ellipse of elliptic radius 1
    QList<SociogramRing> rings; // a, b: the drawn outer line of each ring
    QList<double> inner, outer; // elliptic radii of each ring's zone
    QList<QList<QPointF>> halves; // ring * 2 + side (0 left, 1 right)
    QList<QPointF> options;       // the option column
    QRectF bounds;                // bubbles, rings and labels
    bool ok = false;
};

// Per side, the room the rings need: the larger half of every ring.
int ringRoom(const QList<int> &halfCounts) {
    int room = 0;
    for (qsizetype k = 0; 2 * k + 1 < halfCounts.size(); ++k)
        room += std::max(halfCounts[2 * k], halfCounts[2 * k + 1]);
    return room;
}

// The smallest ellipse (in steps of 3 %) with `factor` places per needed place on each side.
double axisFor(const Spacing &s, int room, double factor) {
    double a = s.laneX() + s.w;
    while (gridPlaces(s, a, a / kAspect).size() / 2 < factor * room && a < TGraphConstraints::CanvasMax / 4)
        a *= 1.03;
    return a;
}

Geometry geometryFor(const Spacing &s, double a, const QList<SociogramRing> &rings, const QList<int> &halfCounts,
                     int optionCount) {
    Geometry g;
    g.spacing = s;
    g.a = a;
    g.b = a / kAspect;
    g.rings = rings;
    const QList<Place> places = gridPlaces(s, g.a, g.b);
    const int room = ringRoom(halfCounts);
    const double perSide = double(places.size() / 2);
    if (room > 0 && perSide < room)
        return g;
    // The zones from the centre out, each ring as many places per side as its larger half needs, in the
    // same proportion; the last ring takes the rest.
    g.halves.fill({}, 2 * rings.size());
    qsizetype next = 0;
    double inner = 0;
    for (int k = 0; k < rings.size(); ++k) {
        const int larger = std::max(halfCounts[2 * k], halfCounts[2 * k + 1]);
        const qsizetype wanted = std::max<qsizetype>(larger, qsizetype(std::floor(perSide * larger / room)));
        const bool last = k + 1 == rings.size();
        qsizetype left = 0, right = 0;
        while (next < places.size() && (last || std::min(left, right) < wanted)) {
            const Place &p = places[next++];
            g.halves[2 * k + (p.side < 0 ? 0 : 1)].append(p.at);
            (p.side < 0 ? left : right) += 1;
        }
        if (g.halves[2 * k].size() < halfCounts[2 * k] || g.halves[2 * k + 1].size() < halfCounts[2 * k + 1])
            return g;
        const double outer = last || next >= places.size() ? 1.0 : (places[next - 1].radius + places[next].radius) / 2;
        g.inner.append(inner);
        g.outer.append(outer);
        inner = outer;
    }
    const double outerA = g.a + s.w / 2 + s.gapX / 2, outerB = g.b + s.h / 2 + s.gapY / 2;
    for (int k = 0; k < g.rings.size(); ++k) {
        const bool last = k + 1 == g.rings.size();
        g.rings[k].a = last ? outerA : g.a * g.outer[k];
        g.rings[k].b = last ? outerB : g.b * g.outer[k];
    }
    if (!rings.isEmpty())
        g.bounds = QRectF(-outerA, -outerB, 2 * outerA, 2 * outerB);
    const double column = rings.isEmpty() ? 0 : outerA + s.gapX + s.w / 2;
    for (int i = 0; i < optionCount; ++i)
        g.options.append(QPointF(column, (i - (optionCount - 1) / 2.0) * s.pitchY()));
    for (const QPointF &p : g.options)
        g.bounds |= QRectF(p.x() - s.w / 2, p.y() - s.h / 2, s.w, s.h);
    g.ok = true;
    return g;
}

// Whether every name shows whole in a bubble of the size.
bool readable(GraphDocument &document, const QList<TGraphNode *> &nodes, const QSize &size) {
    for (TGraphNode *node : nodes) {
        const int inset = node->Margin() + (node->Pen().Style == psInsideFrame ? node->Pen().Width : node->Pen().Width / 2);
        const int width = size.width() - 2 * inset, height = size.height() - 2 * inset;
        const TextMetrics &metrics = document.MetricsFor(node->Font());
        if (width <= 0 || height < metrics.height())
            return false;
        bool truncated = false;
        CaptionLayout::wrap(node->Text(), metrics, width, height / metrics.height(), &truncated);
        if (truncated)
            return false;
        for (const QString &line : CaptionLayout::wrap(node->Text(), metrics, width))
            if (metrics.width(line.trimmed()) > width)
                return false; // a word wider than the bubble
    }
    return true;
}

// Bubble sizes from the largest down, half as high as wide, never below the smallest.
QList<QSize> sizesDown() {
    QList<QSize> sizes;
    for (int w = SociogramTargetLayout::LargestBubble.width(); w >= SociogramTargetLayout::SmallestBubble.width();
         w -= 4) {
        const int h = std::max(SociogramTargetLayout::SmallestBubble.height(),
                               SociogramTargetLayout::LargestBubble.height() -
                                   (SociogramTargetLayout::LargestBubble.width() - w) / 2);
        sizes.append(QSize(w, h));
    }
    return sizes;
}

QPolygon ellipse(const QPointF &centre, double a, double b) {
    QPolygon points;
    for (int i = 0; i <= kRingPoints; ++i) {
        const double t = 2 * kPi * i / kRingPoints;
        points.append(QPointF(centre.x() + a * std::sin(t), centre.y() - b * std::cos(t)).toPoint());
    }
    return points;
}

void drawRings(GraphDocument &document, const Geometry &g, const QPointF &centre) {
    const Spacing &s = g.spacing;
    QList<TGraphObject *> behind;
    for (int k = 0; k < g.rings.size(); ++k) {
        const SociogramRing &ring = g.rings[k];
        TGraphLink *line = document.AddLink();
        line->SetTag(SociogramTargetLayout::RingTag);
        line->SetOptions(0);
        line->SetEndStyle(lsNone);
        line->SetBeginStyle(lsNone);
        TGraphPen pen = line->Pen();
        pen.Color = kRingColour;
        pen.Width = 1;
        line->SetPen(pen);
        line->SetPoints(ellipse(centre, ring.a, ring.b));

        const int width = int(std::ceil(s.lane - 4));
        auto *label = document.AddNode<TRectangularNode>(
            QRect(int(std::lround(centre.x() - width / 2.0)), int(std::lround(centre.y() - ring.b + 3)), width,
                  kLabelHeight));
        label->SetTag(SociogramTargetLayout::RingTag);
        label->SetOptions(goShowCaption);
        label->SetNodeOptions(0);
        label->SetMargin(0);
        label->SetBrush({clWhite, bsClear});
        TGraphPen none = label->Pen();
        none.Style = psClear;
        label->SetPen(none);
        TGraphFont font = document.Font();
        font.Color = kLabelColour;
        label->SetFont(font);
        label->SetText(ring.label);
        behind << label << line;
    }
    // Labels behind the arrows, lines behind the labels.
    for (TGraphObject *object : behind)
        document.SendToBack(object);
}

// The bubbles of a graph (by fill colour, in the graph's order) and the links between two of them, as the
// searches see them, with the heading's extent and the status legend.
struct Collected {
    Problem problem;
    QList<TGraphNode *> nodes;  // nodes[i] is problem.items[i]
    QList<TGraphLink *> links;  // links[e] is problem.edges[e]
    QRectF header;
    QList<TGraphObject *> legend;
};

Collected collect(GraphDocument &document) {
    Collected found;
    QHash<const TGraphObject *, int> itemOf;
    for (TGraphObject *object : document.Objects()) {
        if (!object->IsNode())
            continue;
        auto *node = static_cast<TGraphNode *>(object);
        const TColor colour = node->Brush().Color;
        if (SociogramArrangement::isBubbleColor(colour)) {
            itemOf.insert(node, int(found.nodes.size()));
            found.nodes.append(node);
            Item item;
            item.kind = colour == SociogramColors::Boy    ? Kind::Boy
                        : colour == SociogramColors::Girl ? Kind::Girl
                                                          : Kind::Option;
            item.received = choiceArrows(node->LinkInputs());
            item.centre = QRectF(node->Bounds()).center();
            found.problem.items.append(item);
        } else if (isLegend(node)) {
            found.legend.append(node);
        } else if (node->Top() < kHeaderBottom && !SociogramTargetLayout::isRingObject(node)) {
            found.header |= QRectF(node->Bounds());
        }
    }
    for (TGraphObject *object : document.Objects()) {
        if (!object->IsLink())
            continue;
        auto *link = static_cast<TGraphLink *>(object);
        const int from = itemOf.value(link->Source(), -1), to = itemOf.value(link->Target(), -1);
        if (from < 0 || to < 0)
            continue;
        found.links.append(link);
        found.problem.edges.append({from, to, SociogramArrangement::isChoiceArrow(link)});
    }
    return found;
}

} // namespace

bool SociogramTargetLayout::isRingObject(const TGraphObject *object) {
    return object && object->Tag() == RingTag;
}

void SociogramTargetLayout::removeRings(GraphDocument &document) {
    document.BeginUpdate();
    QList<TGraphObject *> rings;
    for (TGraphObject *object : document.Objects())
        if (isRingObject(object))
            rings.append(object);
    for (TGraphObject *object : rings)
        document.Delete(object);
    document.EndUpdate();
}

void SociogramTargetLayout::takeOff(GraphDocument &document) {
    bool rings = false;
    for (const TGraphObject *object : document.Objects())
        rings = rings || isRingObject(object);
    if (!rings)
        return;
    document.BeginUpdate();
    removeRings(document);
    const Collected found = collect(document);
    for (TGraphLink *link : found.links)
        if (link->PointCount() > 2)
            link->SetPoints(QPolygon{link->Source()->Center(), link->Target()->Center()});
    document.EndUpdate();
}

void SociogramTargetLayout::routeArrows(GraphDocument &document) {
    Collected found = collect(document);
    Problem &problem = found.problem;
    if (found.nodes.isEmpty())
        return;
    // Every bubble counts as large as the largest, so the ways stay clear of each.
    QSizeF size;
    for (const TGraphNode *node : found.nodes)
        size = size.expandedTo(QSizeF(node->Width(), node->Height()));
    problem.size = size;
    problem.pitch = QSizeF(size.width() * (1 + kGapX), size.height() * (1 + kGapY));
    const QList<QPolygonF> routes = route(problem);
    document.BeginUpdate();
    for (int e = 0; e < found.links.size(); ++e)
        found.links[e]->SetPoints(routes[e].toPolygon());
    document.EndUpdate();
}

QString SociogramTargetLayout::rangeLabel(int fewest, int most) {
    const QString word = most == 1 ? QStringLiteral("volba")
                         : most >= 2 && most <= 4 ? QStringLiteral("volby")
                                                  : QStringLiteral("voleb");
    if (fewest == most)
        return QStringLiteral("%1 %2").arg(most).arg(word);
    return QStringLiteral("%1–%2 %3").arg(fewest).arg(most).arg(word);
}

QList<SociogramRing> SociogramTargetLayout::ringsFor(QList<int> received) {
    std::sort(received.begin(), received.end());
    QList<int> chosen;
    for (int r : received)
        if (r > 0)
            chosen.append(r);
    // Lower bounds of the rings from the centre outwards: the upper quartile of the chosen, one, zero.
    QList<int> floors;
    if (!chosen.isEmpty())
        floors << chosen[(3 * chosen.size()) / 4] << 1;
    floors << 0;
    QList<SociogramRing> rings;
    int ceiling = std::numeric_limits<int>::max();
    for (int floor : floors) {
        if (floor >= ceiling)
            continue;
        SociogramRing ring;
        ring.fewest = std::numeric_limits<int>::max();
        ring.most = -1;
        for (int r : received)
            if (r >= floor && r < ceiling) {
                ring.fewest = std::min(ring.fewest, r);
                ring.most = std::max(ring.most, r);
            }
        ceiling = floor;
        if (ring.most < 0)
            continue;
        ring.label = rangeLabel(ring.fewest, ring.most);
        rings.append(ring);
    }
    return rings;
}

SociogramTargetPlan SociogramTargetLayout::arrange(GraphDocument &document) {
    SociogramTargetPlan plan;
    document.BeginUpdate();
    removeRings(document);
    SociogramArrangement::removeUnchosenOptions(document);
    Collected found = collect(document);
    Problem &problem = found.problem;
    const QList<TGraphNode *> &nodes = found.nodes;
    const QList<TGraphLink *> &links = found.links;
    const QRectF header = found.header;
    const QList<TGraphObject *> &legend = found.legend;

    QList<int> pupilsReceived;
    for (const Item &item : problem.items)
        if (item.kind != Kind::Option)
            pupilsReceived.append(item.received);
    const QList<SociogramRing> rings = ringsFor(pupilsReceived);
    QList<int> halfCounts(2 * rings.size(), 0);
    int optionCount = 0;
    for (Item &item : problem.items) {
        if (item.kind == Kind::Option) {
            ++optionCount;
            continue;
        }
        for (int k = 0; k < rings.size(); ++k)
            if (item.received >= rings[k].fewest && item.received <= rings[k].most)
                item.ring = k;
        item.group = 2 * item.ring + (item.kind == Kind::Boy ? 0 : 1);
        ++halfCounts[item.group];
    }

    double labelWidth = 0;
    const TextMetrics &metrics = document.MetricsFor(document.Font());
    for (const SociogramRing &ring : rings)
        labelWidth = std::max(labelWidth, double(metrics.width(ring.label)));

    // The largest readable bubbles for which a roomy enough ellipse fits the page; else the smallest
    // readable ones with the tight ellipse.
    const double top = std::max<double>(kHeaderBottom, header.isEmpty() ? 0 : header.bottom() + kBelowHeader);
    const int room = ringRoom(halfCounts);
    auto pictureOf = [&](const Geometry &g) {
        QRectF picture = g.bounds.translated(kPictureLeft - g.bounds.left(), top - g.bounds.top());
        return header.isEmpty() ? picture : picture | header;
    };
    auto fitsPage = [&](const Geometry &g) {
        const QRectF picture = pictureOf(g);
        return g.ok && picture.width() <= Page.width() - kPageSlack && picture.height() <= Page.height() - kPageSlack;
    };
    QList<Spacing> readableSizes;
    for (const QSize &size : sizesDown()) {
        if (size != LargestBubble && !readable(document, nodes, size))
            break;
        readableSizes.append(spacingFor(size, labelWidth));
    }
    Geometry chosen;
    bool fits = false;
    // The largest bubbles with a roomy ellipse on the page; else the largest with as much room as the page
    // gives above the tight ellipse; else the smallest with a roomy ellipse, and the picture grows.
    for (const Spacing &s : readableSizes) {
        const Geometry g = geometryFor(s, axisFor(s, room, kRoomy), rings, halfCounts, optionCount);
        if (fitsPage(g)) {
            chosen = g;
            fits = true;
            break;
        }
    }
    for (qsizetype i = 0; !fits && i < readableSizes.size(); ++i) {
        const Spacing &s = readableSizes[i];
        double low = axisFor(s, room, kTight), high = axisFor(s, room, kRoomy);
        if (!fitsPage(geometryFor(s, low, rings, halfCounts, optionCount)))
            continue;
        for (int step = 0; step < 10; ++step) {
            const double mid = (low + high) / 2;
            (fitsPage(geometryFor(s, mid, rings, halfCounts, optionCount)) ? low : high) = mid;
        }
        chosen = geometryFor(s, low, rings, halfCounts, optionCount);
        fits = true;
    }
    if (!fits && !readableSizes.isEmpty())
        chosen = geometryFor(readableSizes.last(), axisFor(readableSizes.last(), room, kRoomy), rings, halfCounts,
                             optionCount);
    const QPointF centre = chosen.ok ? QPointF(kPictureLeft - chosen.bounds.left(), top - chosen.bounds.top())
                                     : QPointF();
    plan.centre = centre;
    plan.rings = chosen.rings;
    plan.bubble = QSize(int(chosen.spacing.w), int(chosen.spacing.h));
    plan.fitsPage = fits;
    if (!chosen.ok || problem.items.isEmpty()) {
        document.EndUpdate();
        return plan;
    }

    // Places in graph coordinates, bubbles on whole units.
    const Spacing &s = chosen.spacing;
    auto snapped = [&](const QPointF &p) {
        const QPointF corner = p + centre - QPointF(s.w / 2, s.h / 2);
        return QPointF(std::round(corner.x()), std::round(corner.y())) + QPointF(s.w / 2, s.h / 2);
    };
    problem.size = QSizeF(s.w, s.h);
    problem.pitch = QSizeF(s.pitchX(), s.pitchY());
    problem.centre = centre;
    problem.axes = QSizeF(chosen.a, chosen.b);
    problem.lane = s.laneX();
    for (int h = 0; h < chosen.halves.size(); ++h) {
        Group group;
        for (const QPointF &p : chosen.halves[h])
            group.places.append(snapped(p));
        group.inner = chosen.inner[h / 2];
        group.outer = chosen.outer[h / 2];
        group.side = h % 2 ? 1 : -1;
        problem.groups.append(group);
    }
    Group column;
    for (const QPointF &p : chosen.options)
        column.places.append(snapped(p));
    const int optionGroup = int(problem.groups.size());
    problem.groups.append(column);
    for (int i = 0; i < problem.items.size(); ++i) {
        Item &item = problem.items[i];
        if (item.kind == Kind::Option)
            item.group = optionGroup;
        problem.groups[item.group].members.append(i);
    }
    order(problem);
    const QList<QPolygonF> routes = route(problem);

    for (int i = 0; i < nodes.size(); ++i) {
        const QPointF corner = problem.items[i].centre - QPointF(s.w / 2, s.h / 2);
        nodes[i]->SetBounds(int(std::lround(corner.x())), int(std::lround(corner.y())), int(s.w), int(s.h));
    }
    for (int e = 0; e < links.size(); ++e)
        links[e]->SetPoints(routes[e].toPolygon());
    drawRings(document, chosen, centre);

    // The status legend stands right of the new picture.
    if (!legend.isEmpty()) {
        QRect picture, legendBox;
        for (TGraphObject *object : document.Objects())
            (legend.contains(object) ? legendBox : picture) |= object->BoundsRect();
        const QPoint shift(picture.right() + 41 - legendBox.left(), picture.top() - legendBox.top());
        for (TGraphObject *object : legend)
            object->MoveBy(shift.x(), shift.y());
    }
    document.EndUpdate();
    return plan;
}
