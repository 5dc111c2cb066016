#pragma once

#include "graph/GraphTypes.h"

#include <QColor>
#include <QRect>
#include <QSet>

class GraphDocument;
class QPainter;
class TGraphObject;

struct GraphPaintOptions {
    // Graph rectangle to repaint; objects outside it are skipped. Null = everything.
    QRect clip;
    TGraphDrawOrder drawOrder = doDefault;
    bool showGrid = false;
    int gridSize = 8;
    TColor gridColor = clGray;
    // Selection markers (screen only).
    bool showMarkers = false;
    int markerSize = 3;
    TColor markerColor = clBlack;
    QColor canvasColor = Qt::white;
    // Locked objects show all their markers as fixed (double squares).
    bool lockNodes = false;
    bool lockLinks = false;
    // Objects being dragged: drawn as inverted outlines instead of markers.
    QSet<const TGraphObject *> dragging;
};

// The one painting routine of the graph: draws on any QPainter whose transform maps
// graph units to the device (screen, bitmap, printer, SVG, EMF).
class GraphRenderer final {
public:
    static void paint(const GraphDocument &document, QPainter &painter, const GraphPaintOptions &options);
    static void paintObjects(const GraphDocument &document, QPainter &painter, const QRect &clip = QRect(),
                             TGraphDrawOrder order = doDefault);

private:
    static void paintGrid(const GraphDocument &document, QPainter &painter, const GraphPaintOptions &options);
    static void paintSelection(const GraphDocument &document, QPainter &painter, const GraphPaintOptions &options);
};
