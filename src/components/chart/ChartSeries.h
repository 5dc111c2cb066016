#pragma once

#include "chart/ChartTypes.h"

#include <QString>
#include <QVector>

class ChartModel;

// One data series of a chart. Owned by its ChartModel; every change goes through the
// model's change routine so that the chart lays itself out again.
class TChartSeries final {
    Q_DISABLE_COPY_MOVE(TChartSeries)
public:
    TChartSeries(ChartModel *owner, ChartSeriesKind kind);

    ChartSeriesKind Kind() const { return m_kind; }

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // Appends a point and returns its index.
    int AddXY(const QString &name, double x, double y);

    int PointCount() const { return int(m_points.size()); }
    const TXYInfo &Point(int index) const { return m_points.at(index); }
    const QVector<TXYInfo> &Points() const { return m_points; }

private:
    ChartModel *m_owner;
    ChartSeriesKind m_kind;
    QString m_caption = QStringLiteral("Series");
    QVector<TXYInfo> m_points;
};
