#include "ChartTestData.h"

#include "chart/ChartPanel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

void moveMouse(QWidget &widget, QPoint pos)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(pos), widget.mapToGlobal(QPointF(pos)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

TEST(ChartPanel, CreatedWhiteWithASingleBorderAt300By200)
{
    TChartPanel panel;
    EXPECT_EQ(panel.size(), QSize(300, 200));
    EXPECT_EQ(panel.frameShape(), QFrame::Box);
    EXPECT_EQ(panel.lineWidth(), 1);
    EXPECT_EQ(panel.chartLayout().size, QSize(298, 198));
    EXPECT_EQ(panel.model().Color(), QColor(Qt::white));
    panel.setAxisYScale(0);
    EXPECT_EQ(panel.AxisYScale(), 1.0);
    EXPECT_EQ(panel.property("ShowLegend").toBool(), true);
}

TEST(ChartPanel, LaysOutOnChangesAndResizeButNotWhileUpdating)
{
    TChartPanel panel;
    panel.show();
    panel.resize(802, 602);
    EXPECT_EQ(panel.chartLayout().size, QSize(800, 600));

    panel.BeginUpdate();
    TChartSeries *series = panel.AddSeries(ChartSeriesKind::Bar);
    series->AddXY(QStringLiteral("Adam"), 1, 4);
    panel.resize(602, 402);
    EXPECT_TRUE(panel.chartLayout().series.isEmpty());
    EXPECT_EQ(panel.chartLayout().size, QSize(800, 600));
    panel.EndUpdate();
    EXPECT_EQ(panel.chartLayout().size, QSize(600, 400));
    ASSERT_EQ(panel.chartLayout().series.size(), 1);

    series->AddXY(QStringLiteral("Adam"), 1, -2);
    EXPECT_EQ(panel.chartLayout().series[0].bars.size(), 2);
    panel.Clear();
    EXPECT_TRUE(panel.chartLayout().series.isEmpty());
}

TEST(ChartPanel, HoverOverABarGivesThePupilAndTheSeries)
{
    TChartPanel panel;
    panel.resize(802, 602);
    ChartTestData::fillTwoQuestions(panel.model());
    panel.show();
    QSignalSpy spy(&panel, &TChartPanel::chartHover);

    // Question 2, pupil 4 (Dana Černá): its upward bar.
    const QRect bar = panel.chartLayout().series[1].bars[6];
    const QPoint client = bar.center();
    const QPoint widgetPos = client + panel.contentsRect().topLeft();
    moveMouse(panel, widgetPos);
    ASSERT_EQ(spy.count(), 1);
    const ChartHit hit = spy.takeFirst().at(0).value<ChartHit>();
    EXPECT_TRUE(hit.inside);
    EXPECT_EQ(hit.series, 1);
    EXPECT_EQ(hit.point, 6);
    EXPECT_DOUBLE_EQ(hit.x, 4.0);
    EXPECT_EQ(hit.name, ChartTestData::pupils()[3]);

    double x = 0, y = 0;
    ASSERT_TRUE(panel.ClientToChart(client.x(), client.y(), x, y));
    EXPECT_DOUBLE_EQ(x, 4.0);
    EXPECT_GT(y, 0.0);
    EXPECT_LT(y, 5.0);

    // Outside the plot: nothing is hit and the values stay as they were.
    moveMouse(panel, QPoint(5, 5));
    ASSERT_EQ(spy.count(), 1);
    const ChartHit outside = spy.takeFirst().at(0).value<ChartHit>();
    EXPECT_FALSE(outside.inside);
    EXPECT_EQ(outside.series, -1);
    x = 0;
    EXPECT_FALSE(panel.ClientToChart(4, 4, x, y));
    EXPECT_EQ(x, 0.0);
}

TEST(ChartPanel, ShowsTheXAxisTitleOnScreenButNotInPictures)
{
    TChartPanel panel;
    panel.resize(802, 602);
    ChartTestData::fillTwoQuestions(panel.model());
    panel.setAxisXTitle(QString());
    const QImage without = panel.grab().toImage();
    panel.setAxisXTitle(QStringLiteral("Dana Černá"));
    const QImage with = panel.grab().toImage();
    EXPECT_NE(without, with);
    const QImage pictureWith = panel.CreateMetafile(800, 600).toImage();
    panel.setAxisXTitle(QString());
    EXPECT_EQ(pictureWith, panel.CreateMetafile(800, 600).toImage());
}
