#include "chart/ChartModel.h"
#include "chart/ChartSeries.h"
#include "chart/NiceTicks.h"

#include <QSignalSpy>

#include <cmath>

#include <gtest/gtest.h>

TEST(ChartModel, StartsWithTheDocumentedProperties)
{
    ChartModel model;
    EXPECT_TRUE(model.ShowLegend());
    EXPECT_FALSE(model.ShowXLabel());
    EXPECT_TRUE(model.ShowTitle());
    EXPECT_TRUE(model.ShowXGrid());
    EXPECT_TRUE(model.ShowYGrid());
    EXPECT_EQ(model.Title(), QString());
    EXPECT_EQ(model.TitleFont().family(), QStringLiteral("Arial"));
    EXPECT_EQ(model.TitleFont().pointSize(), 14);
    EXPECT_FALSE(model.TitleFont().bold());
    EXPECT_EQ(model.AxisXTitle(), QStringLiteral("X Axis"));
    EXPECT_EQ(model.AxisYTitle(), QStringLiteral("Y Axis"));
    EXPECT_FALSE(model.AxisXOnePerValue());
    EXPECT_EQ(model.AxisXScale(), 1.0);
    EXPECT_EQ(model.AxisYScale(), 1.0);
    EXPECT_FALSE(model.Monochrome());
    EXPECT_FALSE(model.SoftColors());
    EXPECT_EQ(model.Color(), QColor(Qt::white));
    EXPECT_EQ(model.SeriesCount(), 0);
}

TEST(ChartModel, ScaleOfZeroIsStoredAsOne)
{
    ChartModel model;
    model.setAxisYScale(2.5);
    model.setAxisYScale(0.0);
    EXPECT_EQ(model.AxisYScale(), 1.0);
    model.setAxisXScale(4.0);
    EXPECT_EQ(model.AxisXScale(), 4.0);
    model.setAxisXScale(0.0);
    EXPECT_EQ(model.AxisXScale(), 1.0);
}

TEST(ChartModel, SeriesAndPoints)
{
    ChartModel model;
    TChartSeries *bar = model.AddSeries(ChartSeriesKind::Bar);
    TChartSeries *line = model.AddSeries(ChartSeriesKind::Line);
    ASSERT_EQ(model.SeriesCount(), 2);
    EXPECT_EQ(model.Series(0), bar);
    EXPECT_EQ(model.Series(1), line);
    EXPECT_EQ(model.Series(2), nullptr);
    EXPECT_EQ(model.Series(-1), nullptr);
    EXPECT_EQ(bar->Caption(), QStringLiteral("Series"));
    EXPECT_EQ(int(bar->Kind()), 2);
    EXPECT_EQ(int(line->Kind()), 0);

    EXPECT_EQ(bar->AddXY(QStringLiteral("Adam"), 1, 3), 0);
    EXPECT_EQ(bar->AddXY(QStringLiteral("Adam"), 1, -2), 1);
    ASSERT_EQ(bar->PointCount(), 2);
    EXPECT_EQ(bar->Point(1).Y, -2.0);
    EXPECT_EQ(bar->Point(1).Name, QStringLiteral("Adam"));

    model.Clear();
    EXPECT_EQ(model.SeriesCount(), 0);
}

TEST(ChartModel, EveryChangeNotifiesUnlessUpdating)
{
    ChartModel model;
    QSignalSpy spy(&model, &ChartModel::changed);
    model.setTitle(QStringLiteral("Název grafu"));
    model.setTitle(QStringLiteral("Název grafu")); // no change, no notice
    model.setMonochrome(true);
    TChartSeries *series = model.AddSeries(ChartSeriesKind::Bar);
    series->setCaption(QStringLiteral("Otázka"));
    series->AddXY(QStringLiteral("Eva"), 1, 2);
    model.Clear();
    EXPECT_EQ(spy.count(), 6);

    spy.clear();
    model.BeginUpdate();
    EXPECT_TRUE(model.IsUpdating());
    model.setShowLegend(false);
    TChartSeries *quiet = model.AddSeries(ChartSeriesKind::Bar);
    for (int i = 0; i < 10; ++i)
        quiet->AddXY(QString(), i, i);
    model.Clear();
    EXPECT_EQ(spy.count(), 0);
    model.EndUpdate();
    EXPECT_FALSE(model.IsUpdating());
    EXPECT_EQ(spy.count(), 1);
}

// Expected first tick and step worked out by hand from the tick rule.
TEST(NiceTicks, FollowsTheTickRule)
{
    struct Case {
        int n;
        double min, max, first, step;
    };
    const Case cases[] = {
        {3, 0, 0, -1, 1},         // f = 0: step 1, first = min - 3 div 2
        {9, -3, 5, -3, 1},        // f = 1, g = 0.5
        {5, 0, 4, 0, 1},          // counts: one tick per integer
        {11, 0, 1000, 0, 100},    // f = 100, g = 50
        {5, 0.3, 1.7, 0, 0.45},   // f = 0.35, g = 0.05: 0.35 -> 0.40 -> 0.45 until 4 steps reach 1.7
        {2, 0, 10, 0, 10},        // n < 3 halves the range: f = 5, then the step grows by 0.5 to 10
        {6, -7, 13, -9, 4.5},     // f = 4, g = 0.5: first -8, -8 + 20 < 13 -> step 4.5, first -9, -9 + 22.5 >= 13
    };
    for (const Case &c : cases) {
        const NiceScale scale = niceTicks(c.n, c.min, c.max);
        SCOPED_TRACE(testing::Message() << c.n << " ticks over " << c.min << ".." << c.max);
        EXPECT_NEAR(scale.first, c.first, 1e-9);
        EXPECT_NEAR(scale.step, c.step, 1e-9);
    }
}

TEST(NiceTicks, ToleratesDegenerateInput)
{
    const NiceScale one = niceTicks(1, 0, 10); // counts as 2 ticks
    EXPECT_GE(one.first + one.step, 10.0);
    const NiceScale reversed = niceTicks(5, 4, 0);
    EXPECT_GT(reversed.step, 0.0);
    const NiceScale huge = niceTicks(3, -1e300, 1e300);
    EXPECT_TRUE(std::isfinite(huge.step));
}
