#pragma once

#include <QPoint>
#include <QtGlobal>

// The area in which nodes may lie, in graph units. It never reaches outside the canvas
// (0..CanvasMax on both axes): graph files hold nothing outside it either.
class TGraphConstraints final {
public:
    static constexpr int CanvasMin = 0;
    static constexpr int CanvasMax = 65535;

    int MinLeft = CanvasMin;
    int MinTop = CanvasMin;
    int MaxRight = CanvasMax;
    int MaxBottom = CanvasMax;

    bool operator==(const TGraphConstraints &) const = default;

    // The nearest point inside the area.
    QPoint Confine(const QPoint &pt) const
    {
        return QPoint(qBound(MinLeft, pt.x(), MaxRight), qBound(MinTop, pt.y(), MaxBottom));
    }
};
