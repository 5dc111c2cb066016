#include "chart/ChartSpline.h"

QVector<QPointF> interpolatingBSpline(const QVector<QPointF> &points, int perSegment)
{
    const int n = int(points.size());
    if (n < 3 || perSegment < 1)
        return points;

    // Control points B[-1..n] stored at index + 1. Natural ends give B[0] = P[0] and
    // B[n-1] = P[n-1]; the interior solves B[i-1] + 4 B[i] + B[i+1] = 6 P[i].
    QVector<QPointF> b(n + 2);
    b[1] = points[0];
    b[n] = points[n - 1];
    const int m = n - 2; // unknowns B[1..n-2]
    QVector<double> c(m);
    QVector<QPointF> d(m);
    for (int k = 0; k < m; ++k) {
        const int i = k + 1;
        QPointF rhs = 6.0 * points[i];
        if (k == 0)
            rhs -= b[1];
        if (k == m - 1)
            rhs -= b[n];
        const double denom = 4.0 - (k > 0 ? c[k - 1] : 0.0);
        c[k] = 1.0 / denom;
        d[k] = (rhs - (k > 0 ? d[k - 1] : QPointF())) / denom;
    }
    for (int k = m - 1; k >= 0; --k) {
        const QPointF next = k + 1 < m ? b[k + 3] : QPointF();
        b[k + 2] = d[k] - (k + 1 < m ? c[k] * next : QPointF());
    }
    b[0] = 2.0 * b[1] - b[2];
    b[n + 1] = 2.0 * b[n] - b[n - 1];

    QVector<QPointF> curve;
    curve.reserve((n - 1) * perSegment + 1);
    for (int i = 0; i < n - 1; ++i) {
        const QPointF &p0 = b[i], &p1 = b[i + 1], &p2 = b[i + 2], &p3 = b[i + 3];
        for (int j = 0; j < perSegment; ++j) {
            const double t = double(j) / perSegment, t2 = t * t, t3 = t2 * t;
            const double u = 1.0 - t;
            curve.append((u * u * u * p0 + (3 * t3 - 6 * t2 + 4) * p1
                          + (-3 * t3 + 3 * t2 + 3 * t + 1) * p2 + t3 * p3) / 6.0);
        }
    }
    curve.append(points[n - 1]);
    return curve;
}
