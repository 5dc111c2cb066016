#include "chart/ChartModel.h"

#include "chart/ChartSeries.h"

ChartModel::ChartModel(QObject *parent)
    : QObject(parent)
{
    m_titleFont = QFont(QStringLiteral("Arial"));
    m_titleFont.setPointSize(14);
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPointSize(8);
}

ChartModel::~ChartModel() = default;

template <typename T> void ChartModel::assign(T &member, const T &value)
{
    if (member == value)
        return;
    member = value;
    Change();
}

void ChartModel::setShowLegend(bool on) { assign(m_showLegend, on); }
void ChartModel::setShowXLabel(bool on) { assign(m_showXLabel, on); }
void ChartModel::setShowTitle(bool on) { assign(m_showTitle, on); }
void ChartModel::setShowXGrid(bool on) { assign(m_showXGrid, on); }
void ChartModel::setShowYGrid(bool on) { assign(m_showYGrid, on); }
void ChartModel::setTitle(const QString &title) { assign(m_title, title); }
void ChartModel::setTitleFont(const QFont &font) { assign(m_titleFont, font); }
void ChartModel::setFont(const QFont &font) { assign(m_font, font); }
void ChartModel::setColor(const QColor &color) { assign(m_color, color); }
void ChartModel::setAxisXTitle(const QString &title) { assign(m_axisXTitle, title); }
void ChartModel::setAxisYTitle(const QString &title) { assign(m_axisYTitle, title); }
void ChartModel::setAxisXOnePerValue(bool on) { assign(m_axisXOnePerValue, on); }
void ChartModel::setMonochrome(bool on) { assign(m_monochrome, on); }
void ChartModel::setSoftColors(bool on) { assign(m_softColors, on); }

void ChartModel::setAxisXScale(double scale)
{
    assign(m_axisXScale, scale == 0.0 ? 1.0 : scale);
}

void ChartModel::setAxisYScale(double scale)
{
    assign(m_axisYScale, scale == 0.0 ? 1.0 : scale);
}

void ChartModel::BeginUpdate()
{
    m_updating = true;
}

void ChartModel::EndUpdate()
{
    m_updating = false;
    emit changed();
}

TChartSeries *ChartModel::AddSeries(ChartSeriesKind kind)
{
    m_series.push_back(std::make_unique<TChartSeries>(this, kind));
    Change();
    return m_series.back().get();
}

TChartSeries *ChartModel::Series(int index) const
{
    if (index < 0 || index >= int(m_series.size()))
        return nullptr;
    return m_series[size_t(index)].get();
}

void ChartModel::Clear()
{
    m_series.clear();
    Change();
}

void ChartModel::Change()
{
    if (!m_updating)
        emit changed();
}
