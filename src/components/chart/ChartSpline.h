#pragma once

#include <QPointF>
#include <QVector>

// Interpolating uniform cubic B-spline: passes through every given point, with
// natural end conditions, and returns `perSegment` points per segment plus the last
// point. Fewer than three points give the points themselves joined straight.
QVector<QPointF> interpolatingBSpline(const QVector<QPointF> &points, int perSegment = 20);
