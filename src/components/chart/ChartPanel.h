#pragma once

#include "chart/ChartLayout.h"
#include "chart/ChartMetafile.h"
#include "chart/ChartModel.h"

#include <QFrame>

class TChartSeries;

// The chart as a widget: owns a ChartModel, lays it out for its client size whenever
// the model or the size changes (except during BeginUpdate ... EndUpdate), paints it,
// and reports what the mouse is over. The X-axis title is shown on screen under the
// axis (the window uses it for the name under the mouse); pictures leave it out.
class TChartPanel final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TChartPanel)
    Q_PROPERTY(bool ShowLegend READ ShowLegend WRITE setShowLegend)
    Q_PROPERTY(bool ShowXLabel READ ShowXLabel WRITE setShowXLabel)
    Q_PROPERTY(bool ShowTitle READ ShowTitle WRITE setShowTitle)
    Q_PROPERTY(bool ShowXGrid READ ShowXGrid WRITE setShowXGrid)
    Q_PROPERTY(bool ShowYGrid READ ShowYGrid WRITE setShowYGrid)
    Q_PROPERTY(QString Title READ Title WRITE setTitle)
    Q_PROPERTY(QFont TitleFont READ TitleFont WRITE setTitleFont)
    Q_PROPERTY(QString AxisXTitle READ AxisXTitle WRITE setAxisXTitle)
    Q_PROPERTY(QString AxisYTitle READ AxisYTitle WRITE setAxisYTitle)
    Q_PROPERTY(bool AxisXOnePerValue READ AxisXOnePerValue WRITE setAxisXOnePerValue)
    Q_PROPERTY(double AxisXScale READ AxisXScale WRITE setAxisXScale)
    Q_PROPERTY(double AxisYScale READ AxisYScale WRITE setAxisYScale)
    Q_PROPERTY(bool Monochrome READ Monochrome WRITE setMonochrome)
    Q_PROPERTY(bool SoftColors READ SoftColors WRITE setSoftColors)

public:
    explicit TChartPanel(QWidget *parent = nullptr);
    ~TChartPanel() override;

    ChartModel &model() { return m_model; }
    const ChartModel &model() const { return m_model; }
    // The layout for the current client size.
    const ChartLayout &chartLayout() const { return m_layout; }

    bool ShowLegend() const { return m_model.ShowLegend(); }
    void setShowLegend(bool on) { m_model.setShowLegend(on); }
    bool ShowXLabel() const { return m_model.ShowXLabel(); }
    void setShowXLabel(bool on) { m_model.setShowXLabel(on); }
    bool ShowTitle() const { return m_model.ShowTitle(); }
    void setShowTitle(bool on) { m_model.setShowTitle(on); }
    bool ShowXGrid() const { return m_model.ShowXGrid(); }
    void setShowXGrid(bool on) { m_model.setShowXGrid(on); }
    bool ShowYGrid() const { return m_model.ShowYGrid(); }
    void setShowYGrid(bool on) { m_model.setShowYGrid(on); }
    QString Title() const { return m_model.Title(); }
    void setTitle(const QString &title) { m_model.setTitle(title); }
    QFont TitleFont() const { return m_model.TitleFont(); }
    void setTitleFont(const QFont &font) { m_model.setTitleFont(font); }
    QString AxisXTitle() const { return m_model.AxisXTitle(); }
    void setAxisXTitle(const QString &title) { m_model.setAxisXTitle(title); }
    QString AxisYTitle() const { return m_model.AxisYTitle(); }
    void setAxisYTitle(const QString &title) { m_model.setAxisYTitle(title); }
    bool AxisXOnePerValue() const { return m_model.AxisXOnePerValue(); }
    void setAxisXOnePerValue(bool on) { m_model.setAxisXOnePerValue(on); }
    double AxisXScale() const { return m_model.AxisXScale(); }
    void setAxisXScale(double scale) { m_model.setAxisXScale(scale); }
    double AxisYScale() const { return m_model.AxisYScale(); }
    void setAxisYScale(double scale) { m_model.setAxisYScale(scale); }
    bool Monochrome() const { return m_model.Monochrome(); }
    void setMonochrome(bool on) { m_model.setMonochrome(on); }
    bool SoftColors() const { return m_model.SoftColors(); }
    void setSoftColors(bool on) { m_model.setSoftColors(on); }

    void BeginUpdate() { m_model.BeginUpdate(); }
    void EndUpdate() { m_model.EndUpdate(); }
    TChartSeries *AddSeries(ChartSeriesKind kind) { return m_model.AddSeries(kind); }
    TChartSeries *Series(int index) const { return m_model.Series(index); }
    int SeriesCount() const { return m_model.SeriesCount(); }
    void Clear() { m_model.Clear(); }

    // The chart drawn for width x height (adjusted, see ChartMetafile::create).
    ChartMetafile CreateMetafile(int width, int height) const;
    // The 800 x 600 picture fitted into `rect` of the painter's device.
    void PrintChart(QPainter &painter, const QRect &rect) const;
    // Chart values of a client pixel; false (values untouched) outside the plot.
    bool ClientToChart(int x, int y, double &xValue, double &yValue) const;
    // What the client pixel points at: values, and the bar (series, point, name).
    ChartHit HitTest(QPoint client) const;

signals:
    // On every mouse move over the chart.
    void chartHover(const ChartHit &hit);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void relayout();
    QPoint toClient(QPointF widgetPos) const;

    ChartModel m_model;
    ChartLayout m_layout;
};
