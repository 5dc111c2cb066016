#include "chart/ChartSeries.h"

#include "chart/ChartModel.h"

TChartSeries::TChartSeries(ChartModel *owner, ChartSeriesKind kind)
    : m_owner(owner), m_kind(kind)
{
}

void TChartSeries::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    m_owner->Change();
}

int TChartSeries::AddXY(const QString &name, double x, double y)
{
    m_points.append(TXYInfo{x, y, name});
    m_owner->Change();
    return int(m_points.size()) - 1;
}
