#pragma once

#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>

class GraphDocument;
class TGraphObject;

// One ring of the target layout: the pupils who received from `fewest` to `most` choices (both included).
// Their bubbles' centres lie inside the ellipse with the semi-axes `a` and `b` around the layout's centre
// (the ring's drawn outer line) and outside the ring within it.
struct SociogramRing {
    int fewest = 0;
    int most = 0;
    double a = 0;
    double b = 0;
    QString label; // "2–3 volby"
};

// Where the last target layout put things, for whoever wants to check or draw on it.
struct SociogramTargetPlan {
    QPointF centre;
    QList<SociogramRing> rings; // from the centre outwards
    QSize bubble;               // the size every bubble got
    bool fitsPage = false;      // whether the planned picture fits SociogramTargetLayout::Page
};

// The target layout of a sociogram ("Uspořádat přehledně"), the clear alternative to the bands:
//  - grey option bubbles that no arrow starts from or ends at are deleted, as by the bands;
//  - pupils stand in concentric elliptic rings by the choices they received: from the upper quartile of the
//    chosen up in the centre, the other chosen around them, the unchosen outermost; boys (blue) on the left
//    half, everybody else of the rings on the right, the chosen option bubbles in a column right of the
//    rings; a free lane on the vertical axis holds the rings' labels;
//  - the places are a grid inside each ring's zone, so no two bubbles overlap; which bubble takes which
//    place is searched by SociogramTargetOrder (ties pull together, crossing arrows, arrows through bubbles
//    and mutual partners standing apart cost), deterministically, so the same graph always gets the same
//    picture;
//  - an arrow whose straight line would pass through a bubble other than its ends is bent round it;
//  - every bubble gets the same size: the largest from 100 × 50 down to the smallest that still shows every
//    name whole, for which the picture fits the page; when none fits, the smallest, and the picture grows;
//  - faint rings (unhooked links and labels tagged RingTag) are drawn behind everything, labelled with their
//    ranges.
// Bubbles are recognised by their fill colours only, as by the bands, so a loaded graph is arranged alike;
// headings and other nodes stay where they are (the rings start below the heading), the status legend moves
// to the right of the new picture.
class SociogramTargetLayout final {
public:
    static constexpr QSize Page{1600, 1200};
    static constexpr QSize LargestBubble{100, 50};
    // The smallest bubble ever made, whatever the names.
    static constexpr QSize SmallestBubble{60, 30};
    // The tag of the rings' lines and labels (graph files keep it).
    static constexpr int RingTag = 0x5A5452;

    static SociogramTargetPlan arrange(GraphDocument &document);

    // Leads every arrow between two bubbles straight where that passes no other bubble, else round them,
    // with the bubbles where they stand (after bubbles were put back to kept places).
    static void routeArrows(GraphDocument &document);
    // Takes the target layout off a graph that has its rings: the rings go and every arrow between two
    // bubbles is straight again. Nothing changes on a graph without rings.
    static void takeOff(GraphDocument &document);
    // Whether an object is a line or label of the rings.
    static bool isRingObject(const TGraphObject *object);
    // Deletes the rings' lines and labels; any graph.
    static void removeRings(GraphDocument &document);
    // "0 voleb", "1 volba", "2–4 volby", "3–7 voleb".
    static QString rangeLabel(int fewest, int most);
    // The rings for pupils who received these numbers of choices, from the centre outwards.
    static QList<SociogramRing> ringsFor(QList<int> received);
};
