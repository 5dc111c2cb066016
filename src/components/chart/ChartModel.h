#pragma once

#include "chart/ChartTypes.h"

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class TChartSeries;

// Data and display options of a bar/line chart: the published properties and the
// series in creation order. Emits changed() after every change unless an update
// (BeginUpdate ... EndUpdate) is in progress; views lay out and repaint on it.
class ChartModel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ChartModel)
    Q_PROPERTY(bool ShowLegend READ ShowLegend WRITE setShowLegend)
    Q_PROPERTY(bool ShowXLabel READ ShowXLabel WRITE setShowXLabel)
    Q_PROPERTY(bool ShowTitle READ ShowTitle WRITE setShowTitle)
    Q_PROPERTY(bool ShowXGrid READ ShowXGrid WRITE setShowXGrid)
    Q_PROPERTY(bool ShowYGrid READ ShowYGrid WRITE setShowYGrid)
    Q_PROPERTY(QString Title READ Title WRITE setTitle)
    Q_PROPERTY(QFont TitleFont READ TitleFont WRITE setTitleFont)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QString AxisXTitle READ AxisXTitle WRITE setAxisXTitle)
    Q_PROPERTY(QString AxisYTitle READ AxisYTitle WRITE setAxisYTitle)
    Q_PROPERTY(bool AxisXOnePerValue READ AxisXOnePerValue WRITE setAxisXOnePerValue)
    Q_PROPERTY(double AxisXScale READ AxisXScale WRITE setAxisXScale)
    Q_PROPERTY(double AxisYScale READ AxisYScale WRITE setAxisYScale)
    Q_PROPERTY(bool Monochrome READ Monochrome WRITE setMonochrome)
    Q_PROPERTY(bool SoftColors READ SoftColors WRITE setSoftColors)

public:
    explicit ChartModel(QObject *parent = nullptr);
    ~ChartModel() override;

    bool ShowLegend() const { return m_showLegend; }
    void setShowLegend(bool on);
    bool ShowXLabel() const { return m_showXLabel; }
    void setShowXLabel(bool on);
    bool ShowTitle() const { return m_showTitle; }
    void setShowTitle(bool on);
    bool ShowXGrid() const { return m_showXGrid; }
    void setShowXGrid(bool on);
    bool ShowYGrid() const { return m_showYGrid; }
    void setShowYGrid(bool on);
    QString Title() const { return m_title; }
    void setTitle(const QString &title);
    QFont TitleFont() const { return m_titleFont; }
    void setTitleFont(const QFont &font);
    // The font of labels, legend and axis titles.
    QFont Font() const { return m_font; }
    void setFont(const QFont &font);
    // Background of the chart and of the legend box.
    QColor Color() const { return m_color; }
    void setColor(const QColor &color);
    QString AxisXTitle() const { return m_axisXTitle; }
    void setAxisXTitle(const QString &title);
    QString AxisYTitle() const { return m_axisYTitle; }
    void setAxisYTitle(const QString &title);
    bool AxisXOnePerValue() const { return m_axisXOnePerValue; }
    void setAxisXOnePerValue(bool on);
    // Axis labels show value / scale; a scale of 0 is stored as 1.
    double AxisXScale() const { return m_axisXScale; }
    void setAxisXScale(double scale);
    double AxisYScale() const { return m_axisYScale; }
    void setAxisYScale(double scale);
    bool Monochrome() const { return m_monochrome; }
    void setMonochrome(bool on);
    bool SoftColors() const { return m_softColors; }
    void setSoftColors(bool on);

    // Suspends change notification until EndUpdate, which notifies once.
    void BeginUpdate();
    void EndUpdate();
    bool IsUpdating() const { return m_updating; }

    TChartSeries *AddSeries(ChartSeriesKind kind);
    TChartSeries *Series(int index) const;
    int SeriesCount() const { return int(m_series.size()); }
    // Removes every series.
    void Clear();

    // The common change routine: notifies unless an update is in progress.
    void Change();

signals:
    void changed();

private:
    template <typename T> void assign(T &member, const T &value);

    bool m_showLegend = true;
    bool m_showXLabel = false;
    bool m_showTitle = true;
    bool m_showXGrid = true;
    bool m_showYGrid = true;
    QString m_title;
    QFont m_titleFont;
    QFont m_font;
    QColor m_color = Qt::white;
    QString m_axisXTitle = QStringLiteral("X Axis");
    QString m_axisYTitle = QStringLiteral("Y Axis");
    bool m_axisXOnePerValue = false;
    double m_axisXScale = 1.0;
    double m_axisYScale = 1.0;
    bool m_monochrome = false;
    bool m_softColors = false;
    bool m_updating = false;
    std::vector<std::unique_ptr<TChartSeries>> m_series;
};
